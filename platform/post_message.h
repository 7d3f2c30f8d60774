// Messages from worker threads to windows. Workers only post, never wait.
#pragma once

#include <cstdint>

// An opaque window handle; what it names is up to the installed poster.
using WindowHandle = void*;

inline constexpr uint32_t kWmUser = 0x400;
inline constexpr uint32_t MSG_ENUM_DONE = kWmUser + 1234;    // 2258
inline constexpr uint32_t MSG_FIX_UPDATED = kWmUser + 1235;  // 2259
// A recording could not be written: wParam the error number, lParam the complete
// waypoints the file keeps.
inline constexpr uint32_t MSG_RECORDING_FAILED = kWmUser + 1240;  // 2264
// A network source's connection, begun by Start, has ended: wParam 0 when it is
// connected, else the errno why not; lParam the number of the Start it belongs to.
inline constexpr uint32_t MSG_LINK_CONNECTED = kWmUser + 1241;  // 2265

// Delivers a message to a window later, on the window's own thread. Returns 1 when
// the message was queued.
using MessagePoster = int (*)(WindowHandle window, uint32_t message, uintptr_t wparam,
                              intptr_t lparam, void* context);

// Installs the poster the front-end provides (null removes it). Call before any
// worker thread that posts exists.
void InstallMessagePoster(MessagePoster poster, void* context);

// Posts through the installed poster; with none installed nothing happens and 0
// is returned.
int PostMessageToWindow(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);
