#include "gps/settings_enumerator.h"

#include "gps/setting_tables.h"
#include "platform/serial_port.h"

namespace {

bool Running(const SettingsEnumerator* enumerator) {
  return enumerator->running.load(std::memory_order_relaxed) != 0;
}

void Report(const SettingsEnumerator* enumerator, const char* text, int32_t kind) {
  if (enumerator->callback != nullptr) {
    enumerator->callback(text, kind, enumerator->callback_context);
  }
}

void ReportTable(const SettingsEnumerator* enumerator, const SettingEntry* table, int count,
                 int32_t kind) {
  for (int row = 0; row < count && Running(enumerator); ++row) {
    Report(enumerator, table[row].text, kind);
  }
}

// A network source probed on a thread of its own, so that sources that do not answer
// are waited for together, not one after another.
struct NetworkProbe {
  const char* name;
  SerialWaker waker;
  SerialPort port;
  ThreadHandle thread;
};

int32_t RunNetworkProbe(void* argument) {
  auto* probe = static_cast<NetworkProbe*>(argument);
  probe->port = SerialPortOpen(probe->name, probe->waker, kNetworkProbeMs);
  return 0;
}

// Reports the ports that open, in the order of PortNameList, each still held while
// it is reported.
void ReportPorts(const SettingsEnumerator* enumerator) {
  NetworkProbe probes[kPortNameCount] = {};
  for (int i = 0; i < kPortNameCount && Running(enumerator); ++i) {
    if (!SerialPortNameIsNetwork(PortNameList[i])) continue;
    probes[i] = {PortNameList[i], enumerator->waker, kInvalidSerialPort, nullptr};
    if (!ThreadStart(&probes[i].thread, RunNetworkProbe, &probes[i])) RunNetworkProbe(&probes[i]);
  }
  for (int i = 0; i < kPortNameCount; ++i) {
    SerialPort port = kInvalidSerialPort;
    if (probes[i].name != nullptr) {
      // Every probe started is waited for, also once the enumeration is cancelled.
      if (probes[i].thread != nullptr) ThreadWait(probes[i].thread);
      port = probes[i].port;
    } else if (Running(enumerator)) {
      // The same exclusive open as the link's: a port held by anyone is not reported.
      port = SerialPortOpen(PortNameList[i]);
    }
    if (port == kInvalidSerialPort) continue;
    if (Running(enumerator)) Report(enumerator, PortNameList[i], KIND_PORT);
    SerialPortClose(port);
  }
}

}  // namespace

void SettingsEnumeratorClear(SettingsEnumerator* enumerator) {
  if (enumerator == nullptr) return;
  enumerator->running.store(0, std::memory_order_relaxed);
  enumerator->callback = nullptr;
  enumerator->callback_context = nullptr;
  enumerator->thread = nullptr;
  enumerator->waker = kNoSerialWaker;
}

int SettingsEnumeratorStart(SettingsEnumerator* enumerator, SettingItemCallback callback,
                            void* context) {
  SettingsEnumeratorClear(enumerator);
  if (enumerator == nullptr || callback == nullptr) return 0;
  enumerator->running.store(1, std::memory_order_relaxed);
  enumerator->callback = callback;
  enumerator->callback_context = context;
  // Without a waker the probes still end, only not early.
  enumerator->waker = SerialWakerCreate();
  return ThreadStart(&enumerator->thread, SettingsEnumeratorThread, enumerator);
}

int SettingsEnumeratorStop(SettingsEnumerator* enumerator, int16_t cancel) {
  if (enumerator == nullptr) return 0;
  if (cancel != 0) {
    enumerator->running.store(0, std::memory_order_relaxed);
    SerialWakerWake(enumerator->waker);
  }
  int result = 1;
  if (enumerator->thread != nullptr) result = ThreadWait(enumerator->thread);
  SerialWakerClose(enumerator->waker);
  SettingsEnumeratorClear(enumerator);
  return result;
}

int32_t SettingsEnumeratorThread(void* argument) {
  auto* enumerator = static_cast<SettingsEnumerator*>(argument);
  if (enumerator == nullptr) return 0;
  ReportTable(enumerator, BaudRateTable, kBaudRateCount, KIND_BAUD_RATE);
  ReportTable(enumerator, DataBitsTable, kDataBitsCount, KIND_DATA_BITS);
  ReportTable(enumerator, ParityTable, kParityCount, KIND_PARITY);
  ReportTable(enumerator, StopBitsTable, kStopBitsCount, KIND_STOP_BITS);
  ReportPorts(enumerator);
  if (Running(enumerator)) Report(enumerator, nullptr, KIND_DONE);
  return 0;
}
