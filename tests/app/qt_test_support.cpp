#include "tests/app/qt_test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

namespace {

constexpr int kPollMs = 10;
constexpr int kGiveUpMs = 10000;

void PollFor(std::function<QWidget*()> find, std::function<void(QWidget*)> act, int waited) {
  QTimer::singleShot(kPollMs, [find, act, waited] {
    if (QWidget* widget = find()) {
      act(widget);
    } else if (waited < kGiveUpMs) {
      PollFor(find, act, waited + kPollMs);
    }
  });
}

}  // namespace

bool HaveXServer() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && display[0] != '\0' &&
         QGuiApplication::platformName() == QLatin1String("xcb");
}

bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeout_ms) {
    QApplication::processEvents(QEventLoop::AllEvents, kPollMs);
  }
  return done();
}

void WhenModalShows(std::function<void(QWidget*)> act) {
  PollFor(
      [] {
        QWidget* modal = QApplication::activeModalWidget();
        return modal != nullptr && modal->isVisible() ? modal : nullptr;
      },
      act, 0);
}

void AnswerNextMessageBox(const QString& button_text, QString* seen_text, QString* seen_caption,
                          QString* seen_informative) {
  WhenModalShows([=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) return;
    if (seen_text != nullptr) *seen_text = box->text();
    if (seen_caption != nullptr) *seen_caption = box->windowTitle();
    if (seen_informative != nullptr) *seen_informative = box->informativeText();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text().remove('&').contains(button_text, Qt::CaseInsensitive)) {
        button->click();
        return;
      }
    }
  });
}

void AnswerNextFileDialog(const QString& name, QStringList* seen_filters) {
  WhenModalShows([=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) return;
    if (seen_filters != nullptr) *seen_filters = dialog->nameFilters();
    if (name.isEmpty()) {
      dialog->reject();
      return;
    }
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (edit != nullptr) edit->setText(name);
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

void WhenPopupShows(std::function<void(QWidget*)> act) {
  PollFor(
      [] {
        QWidget* popup = QApplication::activePopupWidget();
        return popup != nullptr && popup->isVisible() ? popup : nullptr;
      },
      act, 0);
}

void ChooseFromNextMenu(int command_id, QList<int>* enabled) {
  WhenPopupShows([=](QWidget* popup) {
    auto* menu = qobject_cast<QMenu*>(popup);
    if (menu == nullptr) return;
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      if (enabled != nullptr && action->isEnabled()) enabled->append(action->data().toInt());
      if (action->data().toInt() == command_id) chosen = action;
    }
    if (chosen != nullptr) {
      menu->setActiveAction(chosen);
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(menu, &press);
    } else {
      menu->close();
    }
  });
}
