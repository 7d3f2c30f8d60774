// A main window on a real application state: a temporary XDG_CONFIG_HOME, serial
// ports that are pseudo-terminals this test writes NMEA into, real message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// Processes events until `done` holds or `timeout_ms` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 5000);
inline void Pause(int ms) {
  WaitUntil([] { return false; }, ms);
}  // the event loop runs on
// Runs `act` on the next modal widget once it shows, from within its own event loop,
// as a person at the screen would.
void WhenShown(std::function<void(QWidget*)> act);
// Answers the next message box with the button whose text contains `button`; `text`
// gets what it says, its main text and the informative one on lines of their own.
void AnswerNextMessageBox(const QString& button, QString* text = nullptr);
// Types `name` into the next file dialog and accepts it; an empty name cancels.
// `proposed` gets the folder and name it opened with.
void AnswerNextFileDialog(const QString& name, QStringList* filters = nullptr,
                          QString* proposed = nullptr);

// A receiver on a pseudo-terminal, linked in the ports folder as COMn; when it goes,
// the entry leads nowhere again, as an unplugged receiver's does.
struct FakeReceiver {
  FakeReceiver(TempPortsFolder* folder, int number) : ports(folder), n(number) {
    folder->Link(number, pty.device());
  }
  ~FakeReceiver() { ports->Link(n, "/nonexistent"); }
  void Send(const std::string& bytes) { pty.Write(bytes); }

  Pty pty;
  TempPortsFolder* ports;
  int n;
};

// Records when the quit sequence reaches the window, and never ends the test's loop.
class ObservedMainWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  void EndKeepingAwake() override;
  void PostQuit(int exit_code) override;

  std::vector<std::string> calls;
  std::function<void()> on_kill_timer;
  int quit_code = -1;
};

class AppWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string ConfigFile() const { return ports_.config_home() + "/tavik.cfg"; }
  std::unique_ptr<FakeReceiver> AddReceiver(int n) {  // COMn; the others lead nowhere
    return std::make_unique<FakeReceiver>(&ports_, n);
  }
  QString Readout(int id) const;
  // What the state line says, its parts joined by " \u00b7 ", as screen readers get it.
  QString State() const;
  QList<int> EnabledMenuCommands();  // of the context menu as it now pops up
  void Command(uint32_t id) { window_->RunWindowCommand(id); }  // as a menu item delivers it

  TempPortsFolder ports_;
  TempDir files_;
  AppState app_;
  std::unique_ptr<ObservedMainWindow> window_;
};

// The menu's commands before Start (Start, Configure, Display off, Record, Exit) and
// while a link is open (Stop for Start).
const QList<int> kInitialMenu{603, 605, 606, 607, 610}, kStartedMenu{604, 605, 606, 607, 610};

// GGA sentences of a receiver walking north-east; `second` counts from 12:35:19.
std::string GgaLine(int second);
