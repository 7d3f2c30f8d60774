#include "tests/app/app_fixture.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <cstdio>
#include <filesystem>

#include "app/commands.h"
#include "app/template_builder.h"
#include "app/window_messages.h"
#include "tests/app/qt_test_support.h"

FakeReceiver::FakeReceiver(const std::string& ports_folder, const std::string& name) {
  int slave = -1;
  char slave_name[128];
  if (openpty(&master_, &slave, slave_name, nullptr, nullptr) != 0) return;
  close(slave);  // the program opens it by name
  link_ = ports_folder + "/" + name;
  std::filesystem::remove(link_);
  std::filesystem::create_symlink(slave_name, link_);
}

FakeReceiver::~FakeReceiver() {
  if (!link_.empty()) std::filesystem::remove(link_);
  if (master_ >= 0) close(master_);
}

void FakeReceiver::Send(const std::string& bytes) {
  if (master_ >= 0) (void)!write(master_, bytes.data(), bytes.size());
}

void ObservedMainWindow::KillKeepAwakeTimer() {
  calls.push_back("kill timer");
  if (on_kill_timer) on_kill_timer();
  MainWindow::KillKeepAwakeTimer();
}

void ObservedMainWindow::PostQuit(int exit_code) {
  calls.push_back("post quit");
  quit_code = exit_code;
}

std::string GgaLine(int second) {
  char line[128];
  const int hhmmss = 123519 + second;
  std::snprintf(line, sizeof line,
                "$GPGGA,%06d,4807.%03d,N,01131.%03d,E,1,08,0.9,%d.4,M,46.9,M,,*47\r\n", hhmmss,
                38 + 10 * second, 0 + 10 * second, 545 + second);
  return line;
}

void AppWindowTest::SetUp() {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  had_config_home_ = old != nullptr;
  if (had_config_home_) old_config_home_ = old;
  setenv("XDG_CONFIG_HOME", config_home_.path().c_str(), 1);
  std::filesystem::create_directories(PortsFolder());
  for (int n = 0; n < 10; ++n)
    MarkPortAbsent(n);
  ASSERT_EQ(LoadAppStrings(app_.module, &app_.strings), 1);
  InstallWindowMessagePoster();
  window_ = std::make_unique<ObservedMainWindow>(&app_, *FindDialog(app_.module.tables, IDD_MAIN));
  window_->show();
  ASSERT_TRUE(WaitUntil([this] { return window_->isVisible(); }));
}

void AppWindowTest::TearDown() {
  GpxRecorderClose(&app_.display.recorder);
  GpsPortClose(&app_.port);
  window_.reset();
  QCoreApplication::removePostedEvents(nullptr);
  ReleaseAppState(&app_);
  if (had_config_home_) {
    setenv("XDG_CONFIG_HOME", old_config_home_.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

void AppWindowTest::MarkPortAbsent(int n) {
  const std::string entry = PortsFolder() + "/COM" + std::to_string(n);
  std::filesystem::remove(entry);
  std::filesystem::create_symlink("/nonexistent/tavik-test-port", entry);
}

std::unique_ptr<FakeReceiver> AppWindowTest::AddReceiver(int n) {
  return std::make_unique<FakeReceiver>(PortsFolder(), "COM" + std::to_string(n));
}

void AppWindowTest::SetConfigText(int setting, const char16_t* text) {
  std::u16string value(text);
  std::fill(std::begin(app_.config.text[setting]), std::end(app_.config.text[setting]), u'\0');
  std::copy(value.begin(), value.end(), app_.config.text[setting]);
}

QString AppWindowTest::Readout(int id) const {
  const auto* edit = FindControlAs<QLineEdit>(window_.get(), id);
  return edit != nullptr ? edit->text() : QStringLiteral("<missing>");
}

QList<int> AppWindowTest::EnabledMenuCommands() {
  QList<int> enabled;
  ChooseFromNextMenu(0, &enabled);
  const QPointF background(3, 3);  // above the first row of controls
  QMouseEvent press(QEvent::MouseButtonPress, background, window_->mapToGlobal(background),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_.get(), &press);
  return enabled;
}

void AppWindowTest::Command(uint32_t id) {
  PostCommand(window_.get(), id);
  QCoreApplication::sendPostedEvents(window_.get(), kCommandEvent);
}
