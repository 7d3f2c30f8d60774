// The main window: six read-outs built from template 501. A press on its background or
// a read-out, Shift+F10 and the Menu key open the context menu; everything it receives
// goes through one dispatch function.
#pragma once

#include <QWidget>
#include <memory>

#include "app/app_state.h"
#include "app/command_shell.h"
#include "app/link_state_view.h"
#include "res/resource_tables.h"

inline constexpr int kKeepAwakeTimerId = 1;
inline constexpr int kKeepAwakePeriodMs = 1000;

class MainWindow : public QWidget, public CommandShell {
 public:
  // Builds the window from `dialog` and initialises the application state with it.
  MainWindow(AppState* app, const DialogTemplate& dialog);
  ~MainWindow() override;

  // Raises and activates the window, as a second start asks.
  void BringToFront();
  bool KeepAwakeTimerRunning() const { return keep_awake_timer_ != 0; }
  AppState* app() const { return app_; }

  // CommandShell
  void ShowError(const char16_t* text, const char16_t* cause = nullptr) override;
  bool AskQuestion(const char16_t* text) override;
  int PromptSaveFile(char16_t* path, int capacity) override;
  void StartKeepAwakeTimer() override;
  void ShowConnecting(const char16_t* address) override;
  void ShowConnected() override;
  void KillKeepAwakeTimer() override;
  void RunConfigDialog() override;
  void TurnDisplayOff() override;
  void SendClose() override;
  void PostQuit(int exit_code) override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Dispatch(QEvent* event);
  void OnTimer(int timer_id);
  void StopTimer();
  void ShowContextMenu(const QPoint& client_point);
  void TellDisplayOffUnavailable();
  void ShowRecordingFailed(int error, intptr_t kept_waypoints);
  QPoint KeyboardMenuPoint() const;

  AppState* app_;
  int keep_awake_timer_ = 0;  // Qt's id of timer kKeepAwakeTimerId; 0 while stopped
  bool told_display_off_unavailable_ = false;  // said once per run, not at every try
  std::unique_ptr<LinkStateView> link_state_;  // runs with the keep-awake timer, as the link
};
