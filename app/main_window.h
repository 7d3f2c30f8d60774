// The main window: six read-outs built from template 501 and a state line below them.
// A press on its background or a read-out, Shift+F10 and the Menu key open the context
// menu; everything it receives goes through one dispatch function. Where the template
// is wider than the screen (a phone), the read-outs stand in one column, each beside
// (or, narrower still, below) its own name.
#pragma once

#include <QLabel>
#include <QList>
#include <QWidget>
#include <memory>

#include "app/app_state.h"
#include "app/command_shell.h"
#include "app/link_state_view.h"
#include "app/state_line.h"
#include "res/resource_tables.h"

inline constexpr int kKeepAwakePeriodMs = 1000;

class MainWindow : public QWidget, public CommandShell {
 public:
  // Builds the window from `dialog` and initialises the application state with it.
  MainWindow(AppState* app, const DialogTemplate& dialog);
  ~MainWindow() override;

  // Raises and activates the window, as a second start asks.
  void BringToFront();
  // True from BeginKeepingAwake to EndKeepingAwake.
  bool KeepingAwake() const { return keep_awake_timer_ != 0; }
  AppState* app() const { return app_; }
  // True while the read-outs stand in one column instead of the template's rows.
  bool OneColumn() const { return one_column_; }
  // Runs command `id` as its choice from the context menu does, then brings the state
  // line up to date.
  void RunWindowCommand(uint32_t id);

  // CommandShell
  void ShowError(const char16_t* text, const char16_t* cause = nullptr) override;
  int AskQuestion(const char16_t* text) override;
  int PromptSaveFile(char16_t* path, int capacity) override;
  void BeginKeepingAwake() override;
  void ShowConnecting(const char16_t* address) override;
  void ShowConnected() override;
  void EndKeepingAwake() override;
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
  void ShowContextMenu(const QPoint& client_point);  // and runs the command chosen
  void TellDisplayOffUnavailable();
  void ShowRecordingFailed(int error, intptr_t kept_waypoints);
  QPoint KeyboardMenuPoint() const;
  // Lays the read-outs out for the screen, then the state line below them.
  void LayOut();
  void LayOutOneColumn(int available_width);
  // Brings the state line up to date and fits the window's height to it.
  void RefreshStateLine();
  void PlaceStateLine();

  AppState* app_;
  const DialogTemplate* dialog_;
  QList<QLabel*> template_labels_;  // the rows' labels, shown with the template's layout
  QList<QLabel*> readout_names_;    // one per read-out, shown in one column
  bool one_column_ = false;
  int readouts_bottom_ = 0;  // y below the read-outs
  int placed_height_ = 0;    // the height the state line last asked for
  std::unique_ptr<StateLine> state_line_;
  int keep_awake_timer_ = 0;                   // Qt's id of the keep-awake timer; 0 while stopped
  bool told_display_off_unavailable_ = false;  // said once per run, not at every try
  std::unique_ptr<LinkStateView> link_state_;  // runs with the keep-awake timer, as the link
};
