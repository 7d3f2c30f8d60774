#include "app/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstring>

namespace {

const QString kCaption = QStringLiteral("tavik");

// "GPX files\0*.gpx\0All files\0*.*" -> "GPX files (*.gpx);;All files (*)". Patterns
// in the list are separated by ';' and "*.*" means every file.
QString QtFilterList(const char16_t* list, int length) {
  const QStringList texts = QString::fromUtf16(list, length).split(QChar(0));
  QStringList filters;
  for (int i = 0; i + 1 < texts.size(); i += 2) {
    if (texts[i].isEmpty()) break;
    QStringList patterns = texts[i + 1].split(';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    filters << texts[i] + QStringLiteral(" (") + patterns.join(' ') + QStringLiteral(")");
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace

void ShowErrorBox(QWidget* owner, const char16_t* text, const char16_t* cause) {
  QMessageBox box(QMessageBox::Critical, kCaption, QString::fromUtf16(text), QMessageBox::Ok,
                  owner);
  if (cause != nullptr) box.setInformativeText(QString::fromUtf16(cause));
  box.exec();
}

bool AskYesNo(QWidget* owner, const char16_t* text) {
  QMessageBox box(QMessageBox::NoIcon, kCaption, QString::fromUtf16(text),
                  QMessageBox::Yes | QMessageBox::No, owner);
  return box.exec() == QMessageBox::Yes;
}

void ReportFatalStartupError(int error_number) {
  QMessageBox box(QMessageBox::Critical, kCaption,
                  QString::fromLocal8Bit(std::strerror(error_number)), QMessageBox::Ok);
  box.exec();
}

int PromptSaveFileName(QWidget* owner, const char16_t* filter_list, int filter_length,
                       char16_t* path, int capacity) {
  if (path == nullptr || capacity <= 0) return 0;
  path[0] = u'\0';
  const QString filters =
      filter_list != nullptr ? QtFilterList(filter_list, filter_length) : QString();
  // Qt's own dialog: a desktop's native one may be out of reach (or hang) here.
  const QString name = QFileDialog::getSaveFileName(owner, QString(), QString(), filters, nullptr,
                                                    QFileDialog::DontUseNativeDialog);
  if (name.isEmpty() || name.size() >= capacity) return 0;
  std::memcpy(path, name.utf16(), static_cast<size_t>(name.size()) * sizeof(char16_t));
  path[name.size()] = u'\0';
  return 1;
}
