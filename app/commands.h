// The context menu's commands and the confirmed quit.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "app/command_shell.h"
#include "nmea/ellipsoid_table.h"

inline constexpr int kSaveNameChars = kMaxPathChars;

// Window initialisation: the fix display, the menu state, the port, the configuration.
void InitMainWindowState(AppState* app, WindowHandle window);

// Runs command `id`; ids that are no command are ignored.
void RunCommand(AppState* app, CommandShell* shell, uint32_t id);

// MSG_LINK_CONNECTED: a network source that Start left connecting is connected, or
// could not be reached (error != 0): then the link is closed again, as after Stop,
// and the error box of a failed Start tells why. A message of an earlier Start, or
// one after Stop, changes nothing.
void LinkConnected(AppState* app, CommandShell* shell, int error, uint32_t attempt);

// Closing the window: asks "Really quit?" and quits on Yes.
void ConfirmQuit(AppState* app, CommandShell* shell);

// The Yes branch: closes the link and then the recording (so the recording keeps the
// fixes that arrived before), saves the configuration, kills
// the timer and ends the message loop. Runs once; later calls do nothing.
void QuitWithoutAsking(AppState* app, CommandShell* shell);

// What of the Yes branch needs no window: closes the link and the recording and saves
// the configuration. For an end that comes without the window (a lost display). Runs
// once, shared with QuitWithoutAsking.
void QuitWithoutWindow(AppState* app);
