#include "app/open_failure_text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/serial_open_failure.h"
#include "platform/serial_port.h"
#include "platform/text_convert.h"

namespace {

constexpr uint32_t kCauseStrings[] = {
    IDS_OPEN_CAUSE_NOT_A_PORT_NAME, IDS_OPEN_CAUSE_NO_DEVICE,
    IDS_OPEN_CAUSE_PERMISSION,      IDS_OPEN_CAUSE_BUSY,
    IDS_OPEN_CAUSE_NOT_SERIAL,      IDS_OPEN_CAUSE_SETTINGS,
    IDS_OPEN_CAUSE_NETWORK_ENTRY,   IDS_OPEN_CAUSE_HOST_UNKNOWN,
    IDS_OPEN_CAUSE_NO_NAME_SERVER,  IDS_OPEN_CAUSE_NO_ANSWER,
};
// One string for each cause but the last, in the order of SerialOpenCause.
static_assert(sizeof kCauseStrings / sizeof kCauseStrings[0] == SERIAL_OPEN_OTHER);

std::u16string Wide(const char* utf8) {
  char16_t buffer[kDevicePathSize];
  if (Utf8ToUtf16(buffer, kDevicePathSize, utf8) < 0) return u"?";
  return buffer;
}

std::u16string Reason(const ResourceModule& module, SerialOpenCause cause, int error_number) {
  if (cause == SERIAL_OPEN_OTHER) return Wide(std::strerror(error_number));
  char16_t loaded[kOpenFailureChars];
  LoadModuleStringOrOwn(module, kCauseStrings[cause], loaded, kOpenFailureChars);
  std::u16string reason = loaded;
  const size_t slot = reason.find(u"%s");
  if (slot != std::u16string::npos) {
    char folder[kDevicePathSize];
    reason.replace(slot, 2, PortsFolder(folder, sizeof folder) ? Wide(folder) : u"");
  }
  return reason;
}

}  // namespace

int OpenFailureText(const ResourceModule& module, const char* name, int error_number,
                    char16_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return 0;
  if (name == nullptr) name = "";
  char device[kDevicePathSize];
  const SerialOpenCause cause =
      ClassifySerialOpenFailure(name, error_number, device, sizeof device);
  std::u16string line = Wide(name);
  if (device[0] != '\0' && std::strcmp(device, name) != 0) line += u" (" + Wide(device) + u")";
  line += u": " + Reason(module, cause, error_number);
  const int count = static_cast<int>(std::min(line.size(), static_cast<size_t>(capacity - 1)));
  line.copy(text, count);
  text[count] = u'\0';
  return count;
}
