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

}  // namespace

void SettingsEnumeratorClear(SettingsEnumerator* enumerator) {
  if (enumerator == nullptr) return;
  enumerator->running.store(0, std::memory_order_relaxed);
  enumerator->callback = nullptr;
  enumerator->callback_context = nullptr;
  enumerator->thread = nullptr;
}

int SettingsEnumeratorStart(SettingsEnumerator* enumerator, SettingItemCallback callback,
                            void* context) {
  SettingsEnumeratorClear(enumerator);
  if (enumerator == nullptr || callback == nullptr) return 0;
  enumerator->running.store(1, std::memory_order_relaxed);
  enumerator->callback = callback;
  enumerator->callback_context = context;
  return ThreadStart(&enumerator->thread, SettingsEnumeratorThread, enumerator);
}

int SettingsEnumeratorStop(SettingsEnumerator* enumerator, int16_t cancel) {
  if (enumerator == nullptr) return 0;
  if (cancel != 0) enumerator->running.store(0, std::memory_order_relaxed);
  int result = 1;
  if (enumerator->thread != nullptr) result = ThreadWait(enumerator->thread);
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
  for (int i = 0; i < kPortNameCount && Running(enumerator); ++i) {
    // The same exclusive open as the link's: a port held by anyone is not reported.
    const SerialPort probe = SerialPortOpen(PortNameList[i]);
    if (probe == kInvalidSerialPort) continue;
    Report(enumerator, PortNameList[i], KIND_PORT);  // still held while reported
    SerialPortClose(probe);
  }
  if (Running(enumerator)) Report(enumerator, nullptr, KIND_DONE);
  return 0;
}
