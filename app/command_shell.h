// The one interface between the window and its commands, and the only way back.
// MainWindow implements it and hands itself to RunCommand, LinkConnected and the quits
// (commands.h); commands.cpp sees the window only through these members and never
// includes main_window.h, so the calls run one way: window -> commands -> shell.
// Every member runs on the window's thread; the reader thread only posts messages.
#pragma once

#include <cstdint>

class CommandShell {
 public:
  virtual ~CommandShell() = default;
  // An error box saying `text`, with `cause` (when given) telling why and what to do.
  virtual void ShowError(const char16_t* text, const char16_t* cause = nullptr) = 0;
  // A Yes/No question; 1 for Yes, 0 for No.
  virtual int AskQuestion(const char16_t* text) = 0;
  // The file chooser for a recording: 1 with the chosen path in `path`, else 0
  // (cancelled, or a name longer than `capacity`).
  virtual int PromptSaveFile(char16_t* path, int capacity) = 0;
  // The link is open: keeps the desktop awake (starts the keep-awake timer and takes
  // the desktop's idle inhibition) and starts watching whether the read-outs are live.
  virtual void BeginKeepingAwake() = 0;
  // The link is connecting to the network source at `address`; then it has connected.
  virtual void ShowConnecting(const char16_t* address) = 0;
  virtual void ShowConnected() = 0;
  // The link is closed: stops keeping the desktop awake (stops the keep-awake timer and
  // gives the idle inhibition back) and stops the link's watch.
  virtual void EndKeepingAwake() = 0;
  virtual void RunConfigDialog() = 0;  // modal, on the application's settings
  virtual void TurnDisplayOff() = 0;
  virtual void SendClose() = 0;  // closes the window, which asks "Really quit?"
  // Ends the message loop with `exit_code` once the current event is handled.
  virtual void PostQuit(int exit_code) = 0;
};
