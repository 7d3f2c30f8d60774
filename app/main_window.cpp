#include "app/main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QTimerEvent>
#include <cstring>

#include "app/commands.h"
#include "app/config_dialog.h"
#include "app/desktop/idle_inhibition.h"
#include "app/desktop/power.h"
#include "app/desktop/session_display_off.h"
#include "app/widgets/context_menu.h"
#include "app/widgets/dialogs.h"
#include "app/widgets/template_builder.h"
#include "app/widgets/window_messages.h"
#include "platform/wide_format.h"

namespace {

// The read-outs in the order the template lists them, with the names screen readers
// (and the one-column layout) give them.
constexpr int kReadoutIds[] = {IDC_TIME,      IDC_ALTITUDE, IDC_LATITUDE,
                               IDC_LONGITUDE, IDC_NORTHING, IDC_EASTING};
constexpr uint32_t kReadoutNameIds[] = {IDS_TIME_NAME,      IDS_ALTITUDE_NAME, IDS_LATITUDE_NAME,
                                        IDS_LONGITUDE_NAME, IDS_NORTHING_NAME, IDS_EASTING_NAME};
// In dialog units, as the template spaces its rows: the margin, a field's height and
// the gap between rows.
constexpr int kMarginUnits = 5;
constexpr int kFieldHeightUnits = 15;
constexpr int kRowGapUnits = 5;
// Room left for a window manager's frame when deciding whether the template fits.
constexpr int kFrameAllowance = 16;

// Screen readers see the main window as a frame (a top-level window), not as the
// filler a plain widget would be.
QAccessibleInterface* MainWindowAccessible(const QString&, QObject* object) {
  auto* window = dynamic_cast<MainWindow*>(object);
  return window != nullptr ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

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
      app_(app),
      dialog_(&dialog) {
  // The icon comes from the program itself, whatever language module is in use. Its
  // resources sit in a static library, which registers them only when asked.
  Q_INIT_RESOURCE(icons);
  QIcon icon;
  for (const char* size : {"16", "32", "64"}) {
    icon.addFile(QStringLiteral(":/tavik/icon-%1.png").arg(QLatin1String(size)));
  }
  setWindowIcon(icon);
  BuildFromTemplate(this, dialog);
  template_labels_ = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
  for (QLineEdit* readout : findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
    readout->installEventFilter(this);
    readout->setContextMenuPolicy(Qt::NoContextMenu);
  }
  for (size_t i = 0; i < std::size(kReadoutIds); ++i) {
    auto* readout = FindControlAs<QLineEdit>(this, kReadoutIds[i]);
    auto* name = new QLabel(WindowString(app_->module, kReadoutNameIds[i]), this);
    name->setBuddy(readout);
    name->hide();
    readout_names_ << name;
    if (readout != nullptr) readout->setAccessibleName(name->text());
  }
  link_state_ = std::make_unique<LinkStateView>(this, app_);
  setAccessibleName(link_state_->caption());
  static const bool accessible_as_frame = [] {
    QAccessible::installFactory(MainWindowAccessible);
    return true;
  }();
  (void)accessible_as_frame;
  // An interface made while the window was still a plain widget would stay a filler.
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(this);
      made != nullptr && made->role() != QAccessible::Window) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
  InitMainWindowState(app_, HandleOf(this));
  state_line_ = std::make_unique<StateLine>(this, app_);
  LayOut();
  RefreshStateLine();
}

void MainWindow::LayOut() {
  FitTemplateToTexts(this, *dialog_, WidestReadouts(app_->display.formats));
  const int available = screen() != nullptr ? screen()->availableGeometry().width() : width();
  one_column_ = width() > available - kFrameAllowance;
  for (QLabel* label : template_labels_)
    label->setHidden(one_column_);
  for (QLabel* name : readout_names_)
    name->setHidden(!one_column_);
  if (one_column_) {
    LayOutOneColumn(available);
  } else {
    readouts_bottom_ = 0;
    for (const int id : kReadoutIds) {
      if (const QWidget* readout = FindControl(this, id))
        readouts_bottom_ = qMax(readouts_bottom_, readout->geometry().bottom() + 1);
    }
  }
  PlaceStateLine();
}

// Each read-out beside its name where both fit the screen's width, else below it; the
// window takes the screen's width (less a window manager's frame, once shown).
void MainWindow::LayOutOneColumn(int available_width) {
  const DialogUnits units = DialogUnitsUsed(this);
  const QRect spacing = DialogRectToPixels(units, kMarginUnits, kRowGapUnits, 0, kFieldHeightUnits);
  const int margin = spacing.x(), row_gap = spacing.y(), field_height = spacing.height();
  const ControlTexts widest = WidestReadouts(app_->display.formats);
  int name_width = 0, field_width = 0;
  for (size_t i = 0; i < std::size(kReadoutIds); ++i) {
    name_width = qMax(
        name_width, readout_names_[i]->fontMetrics().horizontalAdvance(readout_names_[i]->text()));
    QWidget* readout = FindControl(this, kReadoutIds[i]);
    if (readout == nullptr) continue;
    // The frame and margins around the text, and the cursor a line edit draws after it.
    const int around = readout->width() - TextAreaWidth(readout) + 1;
    for (const QString& text : widest.value(kReadoutIds[i]))
      field_width = qMax(field_width, readout->fontMetrics().horizontalAdvance(text) + around);
  }
  const bool beside = 3 * margin + name_width + field_width <= available_width - kFrameAllowance;
  int y = margin;
  for (size_t i = 0; i < std::size(kReadoutIds); ++i) {
    QLabel* name = readout_names_[i];
    QWidget* readout = FindControl(this, kReadoutIds[i]);
    if (beside) {
      name->setGeometry(margin, y, name_width, field_height);
      if (readout != nullptr)
        readout->setGeometry(2 * margin + name_width, y, field_width, field_height);
    } else {
      name->setGeometry(margin, y, available_width - 2 * margin, name->sizeHint().height());
      y += name->height();
      if (readout != nullptr) readout->setGeometry(margin, y, field_width, field_height);
    }
    y += field_height + row_gap;
  }
  readouts_bottom_ = y - row_gap;
  resize(available_width, height());
}

void MainWindow::RefreshStateLine() {
  state_line_->Update(link_state_->state(), link_state_->stale_seconds());
  PlaceStateLine();
}

// Below the read-outs across the window, which grows or shrinks to hold it.
void MainWindow::PlaceStateLine() {
  const QRect margins = DialogRectToPixels(DialogUnitsUsed(this), kMarginUnits, kRowGapUnits, 0, 0);
  const int bottom =
      state_line_->Place(margins.x(), readouts_bottom_ + margins.y(), width() - 2 * margins.x());
  // The height follows the line's words, not a person's resizing; a maximised window
  // keeps the size its window manager gave it.
  const int wanted = bottom + margins.y();
  if (wanted == placed_height_ || isMaximized() || isFullScreen()) return;
  placed_height_ = wanted;
  resize(width(), wanted);
}

MainWindow::~MainWindow() {
  EndKeepingAwake();
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
    case QEvent::Show:
      KeepOnScreen(this);
      return false;
    case QEvent::Resize:  // the state line spans the window's width
      if (state_line_) PlaceStateLine();
      return false;
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
      RefreshStateLine();
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
      RefreshStateLine();
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
  RefreshStateLine();
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
  if (chosen != 0) RunWindowCommand(static_cast<uint32_t>(chosen));
}

void MainWindow::RunWindowCommand(uint32_t id) {
  RunCommand(app_, this, id);
  RefreshStateLine();
}

void MainWindow::ShowError(const char16_t* text, const char16_t* cause) {
  ShowErrorBox(this, text, cause);
}

int MainWindow::AskQuestion(const char16_t* text) {
  return AskYesNo(this, text);
}

int MainWindow::PromptSaveFile(char16_t* path, int capacity) {
  const QString proposed =
      ProposedRecordingPath(QString::fromUtf16(app_->recording_path),
                            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                            QDir::homePath(), QDateTime::currentDateTime());
  return PromptSaveFileName(this, proposed, app_->strings.save_filter,
                            app_->strings.save_filter_length, path, capacity);
}

void MainWindow::BeginKeepingAwake() {
  StopTimer();  // one keep-awake timer at most
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

void MainWindow::EndKeepingAwake() {
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
