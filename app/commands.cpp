#include "app/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "language/open_failure_text.h"
#include "platform/serial_port.h"
#include "platform/text_convert.h"
#include "res/resource_tables.h"

void InitMainWindowState(AppState* app, WindowHandle window) {
  FixDisplayInit(&app->display, window, &app->strings.formats);
  app->menu_state = kMenuStateInitial;
  GpsPortReset(&app->port);
  LoadPortConfig(&app->config);
}

namespace {

void SetBits(AppState* app, int32_t set, int32_t clear) {
  app->menu_state = (app->menu_state & ~clear) | set;
}

// The error box of a failed open of port `name` (UTF-8) that tried `device`, with the
// cause `error`.
void ShowOpenFailure(AppState* app, CommandShell* shell, const char* name, const char* device,
                     int error) {
  char16_t cause[kOpenFailureChars];
  OpenFailureText(app->module, name, device, error, cause, kOpenFailureChars);
  shell->ShowError(app->strings.cant_open_port, cause);
}

// Runs on the reader thread of a network source: the window learns by a message.
void OnLinkConnected(int error, void* context) {
  auto* app = static_cast<AppState*>(context);
  // link_attempt and the window stay as they are while the reader runs.
  PostMessageToWindow(app->display.window, MSG_LINK_CONNECTED, static_cast<uintptr_t>(error),
                      static_cast<intptr_t>(app->link_attempt));
}

void Start(AppState* app, CommandShell* shell) {
  if (!GpsPortClose(&app->port)) {
    shell->ShowError(app->strings.cant_close_port);
    return;
  }
  const auto& text = app->config.text;
  ++app->link_attempt;
  if (!GpsPortOpenWide(&app->port, text[SETTING_PORT], text[SETTING_BAUD_RATE],
                       text[SETTING_DATA_BITS], text[SETTING_PARITY], text[SETTING_STOP_BITS],
                       kLinkTimeoutMs, kEllipsoidWgs84, FixDisplayOnFix, &app->display,
                       OnLinkConnected, app)) {
    const int error = errno;
    char name[kDevicePathSize];
    if (Utf16ToUtf8(name, sizeof name, text[SETTING_PORT]) < 0) name[0] = '\0';
    ShowOpenFailure(app, shell, name, app->port.link.device, error);
    return;
  }
  SetBits(app, MENU_STOP, MENU_START);
  shell->BeginKeepingAwake();
  if (app->port.link.connects_in_reader) {
    // Stop and everything else answer meanwhile; MSG_LINK_CONNECTED tells how it went.
    char address[kDevicePathSize];
    char16_t shown[kDevicePathSize];
    if (!NetworkSourceAddress(app->port.link.device, address, sizeof address))
      strcpy(address, app->port.link.port_name);
    if (Utf8ToUtf16(shown, kDevicePathSize, address) < 0) shown[0] = u'\0';
    shell->ShowConnecting(shown);
  }
}

void Stop(AppState* app, CommandShell* shell) {
  if (!GpsPortClose(&app->port)) {
    shell->ShowError(app->strings.cant_close_port);
    return;
  }
  SetBits(app, MENU_START, MENU_STOP);
  shell->EndKeepingAwake();
}

// "Can't create GPX file" and, below it, "<path>: <the system's reason>".
void ShowCantRecord(AppState* app, CommandShell* shell, const char16_t* path, int error) {
  constexpr int kTextChars = 256;
  char16_t text[kTextChars];
  LoadModuleStringOrOwn(app->module, IDS_CANT_CREATE_RECORDING, text, kTextChars);
  char16_t cause[kSaveNameChars + kTextChars];
  const size_t path_length = std::char_traits<char16_t>::length(path);
  std::copy_n(path, path_length, cause);
  std::copy_n(u": ", 2, cause + path_length);
  char16_t* reason = cause + path_length + 2;
  if (Utf8ToUtf16(reason, kTextChars, strerror(error)) < 0) reason[0] = 0;
  shell->ShowError(text, cause);
}

void Record(AppState* app, CommandShell* shell) {
  char16_t path[kSaveNameChars];
  if (!shell->PromptSaveFile(path, kSaveNameChars)) return;
  path[kSaveNameChars - 1] = 0;
  // A recording in progress gets its bounds and closing tag before the next begins.
  GpxRecorderClose(FixDisplayRecorder(&app->display));
  errno = 0;
  if (GpxRecorderOpenWide(FixDisplayRecorder(&app->display), path)) {
    std::copy_n(path, kSaveNameChars, app->recording_path);  // named if a write fails
    SetBits(app, MENU_STOP_RECORDING, MENU_RECORD);
  } else {
    // Told, or the person would believe a recording runs; the menu stays as it was.
    ShowCantRecord(app, shell, path, errno != 0 ? errno : EIO);
  }
}

void StopRecording(AppState* app) {
  GpxRecorderClose(FixDisplayRecorder(&app->display));
  SetBits(app, MENU_RECORD, MENU_STOP_RECORDING);
}

}  // namespace

void RunCommand(AppState* app, CommandShell* shell, uint32_t id) {
  if (app == nullptr || shell == nullptr || app->quit_done) return;
  switch (id) {
    case IDM_START:
      Start(app, shell);
      break;
    case IDM_STOP:
      Stop(app, shell);
      break;
    case IDM_CONFIGURE:
      shell->RunConfigDialog();
      break;
    case IDM_DISPLAY_OFF:
      shell->TurnDisplayOff();
      break;
    case IDM_RECORD:
      Record(app, shell);
      break;
    case IDM_STOP_RECORDING:
      StopRecording(app);
      break;
    case IDM_EXIT:
      shell->SendClose();
      break;
    default:
      break;
  }
}

void LinkConnected(AppState* app, CommandShell* shell, int error, uint32_t attempt) {
  if (app == nullptr || shell == nullptr || app->quit_done) return;
  // After Stop the link is reset; after another Start the attempt is another.
  if (attempt != app->link_attempt || !app->port.link.connects_in_reader) return;
  if (error == 0) {
    shell->ShowConnected();
    return;
  }
  char name[kDevicePathSize], device[kDevicePathSize];
  strcpy(name, app->port.link.port_name);
  strcpy(device, app->port.link.device);
  GpsPortClose(&app->port);  // its reader has ended already
  SetBits(app, MENU_START, MENU_STOP);
  shell->EndKeepingAwake();
  ShowOpenFailure(app, shell, name, device, error);
}

void ConfirmQuit(AppState* app, CommandShell* shell) {
  if (app == nullptr || shell == nullptr || app->quit_done) return;
  if (!shell->AskQuestion(app->strings.really_quit)) return;
  QuitWithoutAsking(app, shell);
}

void QuitWithoutAsking(AppState* app, CommandShell* shell) {
  if (app == nullptr || shell == nullptr || app->quit_done) return;
  QuitWithoutWindow(app);
  shell->EndKeepingAwake();
  shell->PostQuit(0);
}

void QuitWithoutWindow(AppState* app) {
  if (app == nullptr || app->quit_done) return;
  app->quit_done = true;
  // The link first: the fixes it hands over as it closes still reach the recording.
  GpsPortClose(&app->port);
  GpxRecorderClose(FixDisplayRecorder(&app->display));
  SavePortConfig(&app->config);
}
