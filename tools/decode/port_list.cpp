#include "tools/decode/port_list.h"

#include <climits>
#include <cstdlib>

#include "gps/settings_enumerator.h"
#include "platform/serial_port.h"
#include "tools/decode/output_status.h"

namespace {

// Runs on the enumerator thread; the main thread only waits meanwhile.
void PrintItem(const char* text, int32_t kind, void* context) {
  auto* out = static_cast<FILE*>(context);
  if (kind != KIND_PORT) {
    fprintf(out, "%d\t%s\n", static_cast<int>(kind), text != nullptr ? text : "");
    OutputWritten(out);
    return;
  }
  // The device the name leads to, through the ports folder's link when there is one.
  char device[kDevicePathSize];
  char target[kSystemPathBytes];
  if (!ResolvePortName(text, device, sizeof device)) device[0] = '\0';
  const char* shown = realpath(device, target) != nullptr ? target : device;
  fprintf(out, "%d\t%s\t%s\n", static_cast<int>(kind), text, shown);
  OutputWritten(out);
}

}  // namespace

int ListPorts(FILE* out) {
  SettingsEnumerator enumerator;
  SettingsEnumeratorClear(&enumerator);
  if (!SettingsEnumeratorStart(&enumerator, PrintItem, out)) {
    fputs("tavik-decode: cannot start listing the ports\n", stderr);
    return 1;
  }
  SettingsEnumeratorStop(&enumerator, 0);  // waits until every item is reported
  return 0;
}
