// What the commands ask of the main window: the dialogs, the keep-awake timer and the
// message loop. The main window provides it.
#pragma once

#include <cstdint>

class CommandShell {
 public:
  virtual ~CommandShell() = default;
  // An error box saying `text`, with `cause` (when given) telling why and what to do.
  virtual void ShowError(const char16_t* text, const char16_t* cause = nullptr) = 0;
  virtual bool AskQuestion(const char16_t* text) = 0;
  virtual int PromptSaveFile(char16_t* path, int capacity) = 0;
  virtual void StartKeepAwakeTimer() = 0;
  // The link is connecting to the network source at `address`; then it has connected.
  virtual void ShowConnecting(const char16_t* address) = 0;
  virtual void ShowConnected() = 0;
  virtual void KillKeepAwakeTimer() = 0;
  virtual void RunConfigDialog() = 0;
  virtual void TurnDisplayOff() = 0;
  virtual void SendClose() = 0;
  virtual void PostQuit(int exit_code) = 0;
};
