// Lists the selectable settings and the ports that can be opened, on a worker thread.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"
#include "platform/thread.h"

enum SettingKind : int32_t {
  KIND_BAUD_RATE = 1,
  KIND_DATA_BITS = 2,
  KIND_PARITY = 3,
  KIND_STOP_BITS = 4,
  KIND_PORT = 5,
  KIND_DONE = 6,
};

// text is a row text or a port name that lives for the whole run; null for KIND_DONE.
using SettingItemCallback = void (*)(const char* text, int32_t kind, void* context);

struct SettingsEnumerator {
  ThreadHandle thread;
  SettingItemCallback callback;
  void* callback_context;
  RunningFlag running;
  // Woken by a cancelling stop: a network source being probed is given up at once.
  SerialWaker waker;
};

void SettingsEnumeratorClear(SettingsEnumerator* enumerator);
int SettingsEnumeratorStart(SettingsEnumerator* enumerator, SettingItemCallback callback,
                            void* context);
int SettingsEnumeratorStop(SettingsEnumerator* enumerator, int16_t cancel);
// Reports the settings, then the ports that open, COM0: to COM9: in order. Network
// sources are probed side by side, each given kNetworkProbeMs, before the ports are
// reported; serial ports are opened one by one as their turn comes.
int32_t SettingsEnumeratorThread(void* enumerator);
