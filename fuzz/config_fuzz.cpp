// Any bytes as the configuration file: loaded into the record, then its texts taken
// the way Start takes them (converted, looked up in the tables, the port name
// resolved), all without opening a device.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "config/port_config.h"
#include "gps/serial_link.h"
#include "gps/setting_tables.h"
#include "platform/serial_port.h"

namespace {

std::string config_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/tavik-config-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr) abort();
  setenv("XDG_CONFIG_HOME", folder, 1);
  config_path = std::string(folder) + "/tavik.cfg";
  atexit([] { std::filesystem::remove_all(std::filesystem::path(config_path).parent_path()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = fopen(config_path.c_str(), "wb");
  if (file == nullptr) abort();
  if (size > 0) fwrite(data, 1, size, file);
  fclose(file);

  // On the heap, so a read past the record's 330 bytes is caught.
  auto config = std::make_unique<PortConfig>();
  LoadPortConfig(config.get());
  const auto& text = config->text;
  NarrowSettingTexts narrow;
  if (NarrowSettingTextsFromWide(text[SETTING_PORT], text[SETTING_BAUD_RATE],
                                 text[SETTING_DATA_BITS], text[SETTING_PARITY],
                                 text[SETTING_STOP_BITS], &narrow)) {
    if (strlen(narrow.baud_rate) > 31 || strlen(narrow.stop_bits) > 31) abort();
    FindSettingEntry(BaudRateTable, kBaudRateCount, narrow.baud_rate);
    FindSettingEntry(DataBitsTable, kDataBitsCount, narrow.data_bits);
    FindSettingEntry(ParityTable, kParityCount, narrow.parity);
    FindSettingEntry(StopBitsTable, kStopBitsCount, narrow.stop_bits);
    char device[kDevicePathSize];
    ResolvePortName(narrow.port_name, device, sizeof device);
  }
  return 0;
}
