#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimerEvent>

#include "app/commands.h"
#include "app/config_dialog.h"
#include "app/context_menu.h"
#include "app/dialogs.h"
#include "app/power.h"
#include "app/template_builder.h"
#include "app/window_messages.h"

namespace {

void SetReadoutText(WindowHandle window, int id, const char16_t* text, void*) {
  auto* widget = qobject_cast<QWidget*>(ObjectOf(window));
  if (auto* edit = FindControlAs<QLineEdit>(widget, id)) {
    edit->setText(QString::fromUtf16(text));
    edit->setCursorPosition(0);  // a text wider than its field shows its beginning
  }
}

}  // namespace

MainWindow::MainWindow(AppState* app, const DialogTemplate& dialog)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app) {
  // The icon comes from the program itself, whatever language module is in use.
  QIcon icon;
  for (const char* size : {"16", "32", "64"}) {
    icon.addFile(QStringLiteral(":/tavik/icon-%1.png").arg(QLatin1String(size)));
  }
  setWindowIcon(icon);
  BuildFromTemplate(this, dialog);
  link_state_ = std::make_unique<LinkStateView>(this, app_);
  InitMainWindowState(app_, HandleOf(this));
}

MainWindow::~MainWindow() {
  KillKeepAwakeTimer();
}

void MainWindow::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

bool MainWindow::event(QEvent* event) {
  return Dispatch(event) || QWidget::event(event);
}

// The window procedure: what the window handles itself, and what goes on to Qt.
bool MainWindow::Dispatch(QEvent* event) {
  switch (static_cast<int>(event->type())) {
    case QEvent::Close:
      event->ignore();  // the window closes only by ending the program
      ConfirmQuit(app_, this);
      return true;
    case kCommandEvent:
      RunCommand(app_, this, CommandIdOf(*static_cast<WindowMessageEvent*>(event)));
      return true;
    case QEvent::Timer:
      OnTimer(static_cast<QTimerEvent*>(event)->timerId());
      return true;
    case QEvent::MouseButtonPress: {
      const auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() != Qt::LeftButton && press->button() != Qt::RightButton) return false;
      ShowContextMenu(press->position().toPoint());
      return true;
    }
    case kFixUpdatedEvent: {
      const auto* message = static_cast<WindowMessageEvent*>(event);
      FixDisplayRefresh(&app_->display, HandleOf(this), static_cast<uint32_t>(message->wparam()),
                        SetReadoutText, nullptr);
      link_state_->Check();
      return true;
    }
    default:
      return false;
  }
}

void MainWindow::OnTimer(int timer_id) {
  if (timer_id != keep_awake_timer_) return;
  ResetSystemIdleTimer();
  link_state_->Check();
}

void MainWindow::ShowContextMenu(const QPoint& client_point) {
  const int chosen =
      RunContextMenu(this, app_->module, app_->menu_state, mapToGlobal(client_point));
  if (chosen != 0) PostCommand(this, static_cast<uint32_t>(chosen));
}

void MainWindow::ShowError(const char16_t* text) {
  ShowErrorBox(this, text);
}

bool MainWindow::AskQuestion(const char16_t* text) {
  return AskYesNo(this, text);
}

int MainWindow::PromptSaveFile(char16_t* path, int capacity) {
  return PromptSaveFileName(this, app_->strings.save_filter, app_->strings.save_filter_length, path,
                            capacity);
}

void MainWindow::StartKeepAwakeTimer() {
  StopTimer();  // one timer kKeepAwakeTimerId at most, as a window timer id is
  keep_awake_timer_ = startTimer(kKeepAwakePeriodMs);
  link_state_->Started();
}

void MainWindow::KillKeepAwakeTimer() {
  StopTimer();
  link_state_->Stopped();
}

void MainWindow::StopTimer() {
  if (keep_awake_timer_ == 0) return;
  killTimer(keep_awake_timer_);
  keep_awake_timer_ = 0;
}

void MainWindow::RunConfigDialog() {
  RunConfigDialogModal(app_, this);
}

void MainWindow::TurnDisplayOff() {
  SwitchDisplayOff();
}

void MainWindow::SendClose() {
  close();
}

void MainWindow::PostQuit(int exit_code) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [exit_code] { QCoreApplication::exit(exit_code); },
      Qt::QueuedConnection);
}
