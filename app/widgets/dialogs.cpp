#include "app/widgets/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <cstring>

namespace {

const QString kCaption = QStringLiteral("tavik");

// "GPX files\0*.gpx\0All files\0*.*" -> "GPX files (*.gpx)", "All files (*)". Patterns
// in the list are separated by ';' and "*.*" means every file.
QStringList QtFilterList(const char16_t* list, int length) {
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
  return filters;
}

// Message boxes size themselves as they show; they are kept on screen after that.
int ExecOnScreen(QDialog* dialog) {
  QMetaObject::invokeMethod(
      dialog,
      [dialog] {
        if (dialog->isVisible()) KeepOnScreen(dialog);
      },
      Qt::QueuedConnection);
  return dialog->exec();
}

// Qt's own file dialog is laid out for a desktop. On a screen narrower than that (a
// phone) it goes without its side bar, its view-mode buttons and its field labels,
// whose texts the fields then show as placeholders. A native dialog has no such widgets.
void FitFileDialogToScreen(QFileDialog* dialog) {
  const QRect available = dialog->screen()->availableGeometry();
  if (dialog->minimumSizeHint().width() > available.width()) {
    for (const char* name : {"sidebar", "listModeButton", "detailModeButton", "lookInLabel"}) {
      if (auto* widget = dialog->findChild<QWidget*>(QLatin1String(name))) widget->hide();
    }
    const std::pair<const char*, const char*> labelled[] = {{"fileNameLabel", "fileNameEdit"},
                                                            {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto& [label_name, field_name] : labelled) {
      auto* label = dialog->findChild<QLabel*>(QLatin1String(label_name));
      auto* field = dialog->findChild<QWidget*>(QLatin1String(field_name));
      if (label == nullptr || field == nullptr) continue;
      label->hide();
      const QString text = label->text().remove(u'&').remove(u':').trimmed();
      field->setToolTip(text);
      if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setPlaceholderText(text);
    }
  }
  dialog->resize(dialog->sizeHint().boundedTo(available.size()));
}

}  // namespace

void KeepOnScreen(QWidget* window) {
  if (window == nullptr || window->screen() == nullptr) return;
  const QRect available = window->screen()->availableGeometry();
  // A window manager's frame, once it has one, counts as part of the window.
  const QRect frame = window->frameGeometry();
  const QSize decoration = frame.size() - window->size();
  const QSize size = window->size().boundedTo(available.size() - decoration);
  if (size != window->size()) window->resize(size);
  const QSize outer = size + decoration;
  const QPoint at(qBound(available.left(), frame.left(), available.right() + 1 - outer.width()),
                  qBound(available.top(), frame.top(), available.bottom() + 1 - outer.height()));
  if (at != frame.topLeft()) window->move(at);
}

QString ProposedRecordingPath(const QString& last_recording, const QString& documents,
                              const QString& home, const QDateTime& now) {
  QString folder = home;
  const QFileInfo last(last_recording);
  if (!last_recording.isEmpty() && last.absoluteDir().exists()) {
    folder = last.absolutePath();
  } else if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
    folder = documents;
  }
  return QDir(folder).filePath(now.toString(QStringLiteral("'tavik-'yyyy-MM-dd-HHmm'.gpx'")));
}

void ShowErrorBox(QWidget* owner, const char16_t* text, const char16_t* cause) {
  QMessageBox box(QMessageBox::Critical, kCaption, QString::fromUtf16(text), QMessageBox::Ok,
                  owner);
  if (cause != nullptr) box.setInformativeText(QString::fromUtf16(cause));
  ExecOnScreen(&box);
}

int AskYesNo(QWidget* owner, const char16_t* text) {
  QMessageBox box(QMessageBox::NoIcon, kCaption, QString::fromUtf16(text),
                  QMessageBox::Yes | QMessageBox::No, owner);
  return ExecOnScreen(&box) == QMessageBox::Yes ? 1 : 0;
}

void ReportFatalStartupError(int error_number) {
  QMessageBox box(QMessageBox::Critical, kCaption,
                  QString::fromLocal8Bit(std::strerror(error_number)), QMessageBox::Ok);
  ExecOnScreen(&box);
}

int PromptSaveFileName(QWidget* owner, const QString& proposed, const char16_t* filter_list,
                       int filter_length, char16_t* path, int capacity) {
  if (path == nullptr || capacity <= 0) return 0;
  path[0] = u'\0';
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (filter_list != nullptr) dialog.setNameFilters(QtFilterList(filter_list, filter_length));
  dialog.setDirectory(QFileInfo(proposed).absolutePath());
  dialog.selectFile(QFileInfo(proposed).fileName());
  FitFileDialogToScreen(&dialog);
  // The desktop's chooser where its platform theme offers one (through the desktop
  // portal, GTK or KDE); a native dialog that cannot be shown makes QFileDialog fall
  // back to its own widgets, which are kept on screen.
  if (ExecOnScreen(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
  const QString name = dialog.selectedFiles().first();
  if (name.isEmpty() || name.size() >= capacity) return 0;
  std::memcpy(path, name.utf16(), static_cast<size_t>(name.size()) * sizeof(char16_t));
  path[name.size()] = u'\0';
  return 1;
}
