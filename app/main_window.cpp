#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTimerEvent>
#include <cstring>

#include "app/commands.h"
#include "app/config_dialog.h"
#include "app/context_menu.h"
#include "app/dialogs.h"
#include "app/idle_inhibition.h"
#include "app/power.h"
#include "app/session_display_off.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "platform/wide_format.h"

namespace {

void SetReadoutText(WindowHandle window, int id, const char16_t* text, void*) {
  auto* widget = qobject_cast<QWidget*>(ObjectOf(window));
  if (auto* edit = FindControlAs<QLineEdit>(widget, id)) {
    edit->setText(QString::fromUtf16(text));
    edit->setCursorPosition(0);  // a text wider than its field shows its beginning
  }
}

QString Formatted(const char16_t* format, double value) {
  char16_t text[kReadoutChars];
  const int length = WideFormatDouble(text, kReadoutChars - 1, format, value);
  return length < 0 ? QString() : QString::fromUtf16(text, length);
}

// The widest texts each read-out shows for the values a receiver can send.
ControlTexts WidestReadouts(const ReadoutFormats& formats) {
  return {
      {IDC_TIME, {Formatted(formats.time, 235959.999)}},
      {IDC_ALTITUDE, {Formatted(formats.altitude, -9999.9), Formatted(formats.altitude, 99999.9)}},
      {IDC_LATITUDE,
       {Formatted(formats.latitude_north, 90.0), Formatted(formats.latitude_south, 90.0)}},
      {IDC_LONGITUDE,
       {Formatted(formats.longitude_east, 179.9999), Formatted(formats.longitude_west, 179.9999)}},
      {IDC_NORTHING,
       {Formatted(formats.northing, -9999.999), Formatted(formats.northing, 9999.999)}},
      {IDC_EASTING, {Formatted(formats.easting, 999.999)}},
  };
}

}  // namespace

MainWindow::MainWindow(AppState* app, const DialogTemplate& dialog)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app) {
  // The icon comes from the program itself, whatever language module is in use. Its
  // resources sit in a static library, which registers them only when asked.
  Q_INIT_RESOURCE(icons);
  QIcon icon;
  for (const char* size : {"16", "32", "64"}) {
    icon.addFile(QStringLiteral(":/tavik/icon-%1.png").arg(QLatin1String(size)));
  }
  setWindowIcon(icon);
  BuildFromTemplate(this, dialog);
  for (QLineEdit* readout : findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
    readout->installEventFilter(this);
    readout->setContextMenuPolicy(Qt::NoContextMenu);
  }
  link_state_ = std::make_unique<LinkStateView>(this, app_);
  InitMainWindowState(app_, HandleOf(this));
  FitTemplateToTexts(this, dialog, WidestReadouts(app_->display.formats));
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
    case QEvent::KeyPress: {
      // Shift+F10 and the Menu key, unused by the read-out that has the focus.
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool menu_key = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
      const bool shift_f10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
      if (!menu_key && !shift_f10) return false;
      ShowContextMenu(KeyboardMenuPoint());
      return true;
    }
    case QEvent::ContextMenu:
      // A right press has opened the menu already, and the keys above do: a read-out's
      // own Copy/Select All menu never shows.
      return true;
    case kFixUpdatedEvent: {
      const auto* message = static_cast<WindowMessageEvent*>(event);
      FixDisplayRefresh(&app_->display, HandleOf(this), static_cast<uint32_t>(message->wparam()),
                        SetReadoutText, nullptr);
      link_state_->Check();
      return true;
    }
    case kLinkConnectedEvent: {
      const auto* message = static_cast<WindowMessageEvent*>(event);
      LinkConnected(app_, this, static_cast<int>(message->wparam()),
                    static_cast<uint32_t>(message->lparam()));
      return true;
    }
    case kRecordingFailedEvent: {
      const auto* message = static_cast<WindowMessageEvent*>(event);
      ShowRecordingFailed(static_cast<int>(message->wparam()), message->lparam());
      return true;
    }
    default:
      return false;
  }
}

// Told once per recording: the recorder reports only its first failed write.
void MainWindow::ShowRecordingFailed(int error, intptr_t kept_waypoints) {
  char16_t format[kMessageChars * 2];
  if (LoadModuleString(app_->module, IDS_RECORDING_FAILED, format, kMessageChars * 2) == 0) {
    // A language module from before this message: the program's own text.
    LoadModuleString(ProgramResourceModule(), IDS_RECORDING_FAILED, format, kMessageChars * 2);
  }
  const QString text = QString::fromUtf16(format).arg(QString::fromUtf16(app_->recording_path),
                                                      QString::fromLocal8Bit(strerror(error)),
                                                      QString::number(kept_waypoints));
  ShowErrorBox(this, reinterpret_cast<const char16_t*>(text.utf16()));
}

void MainWindow::OnTimer(int timer_id) {
  if (timer_id != keep_awake_timer_) return;
  ResetSystemIdleTimer();
  if (IdleInhibition* inhibition = SessionIdleInhibition()) inhibition->Tick();
  link_state_->Check();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // A press on a read-out is a press on the window: it opens the menu.
  if (event->type() == QEvent::MouseButtonPress && watched->parent() == this) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::LeftButton || press->button() == Qt::RightButton) {
      ShowContextMenu(mapFromGlobal(press->globalPosition().toPoint()));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// Below the read-out that has the focus, else at the window's top left corner.
QPoint MainWindow::KeyboardMenuPoint() const {
  const QWidget* focused = focusWidget();
  if (focused == nullptr || focused->parent() != this) return QPoint(0, 0);
  return focused->geometry().bottomLeft();
}

void MainWindow::ShowContextMenu(const QPoint& client_point) {
  const int chosen =
      RunContextMenu(this, app_->module, app_->menu_state, mapToGlobal(client_point));
  if (chosen != 0) PostCommand(this, static_cast<uint32_t>(chosen));
}

void MainWindow::ShowError(const char16_t* text, const char16_t* cause) {
  ShowErrorBox(this, text, cause);
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
  if (IdleInhibition* inhibition = SessionIdleInhibition()) inhibition->Hold();
  link_state_->Started();
}

void MainWindow::ShowConnecting(const char16_t* address) {
  link_state_->Connecting(QString::fromUtf16(address));
}

void MainWindow::ShowConnected() {
  link_state_->Started();
}

void MainWindow::KillKeepAwakeTimer() {
  StopTimer();
  if (IdleInhibition* inhibition = SessionIdleInhibition()) inhibition->Release();
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
  // Under a Wayland compositor (also through XWayland) only the desktop itself can
  // blank the display; DPMS of the X server reaches it only in an X11 session.
  if (QGuiApplication::platformName() == QLatin1String("xcb") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    SwitchDisplayOff();
    return;
  }
  QPointer<MainWindow> self(this);
  AskSessionToSwitchDisplayOff([self] {
    if (self) self->TellDisplayOffUnavailable();
  });
}

void MainWindow::TellDisplayOffUnavailable() {
  if (told_display_off_unavailable_) return;
  told_display_off_unavailable_ = true;
  char16_t text[kMessageChars];
  // A language module older than this text leaves it to the program's own.
  if (LoadModuleString(app_->module, IDS_NO_DISPLAY_OFF, text, kMessageChars) == 0 &&
      LoadModuleString(ProgramResourceModule(), IDS_NO_DISPLAY_OFF, text, kMessageChars) == 0) {
    return;
  }
  // Not modal: the answer of a desktop service may come in the middle of anything.
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("tavik"),
                              QString::fromUtf16(text), QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("no-display-off"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void MainWindow::SendClose() {
  close();
}

void MainWindow::PostQuit(int exit_code) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [exit_code] { QCoreApplication::exit(exit_code); },
      Qt::QueuedConnection);
}
