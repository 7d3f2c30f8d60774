#include "language/open_failure_text.h"

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

// Puts `value` in place of every `slot` ("%1", "%2", "%s").
void Fill(std::u16string* text, const std::u16string& slot, const std::u16string& value) {
  for (size_t at = text->find(slot); at != std::u16string::npos;
       at = text->find(slot, at + value.size()))
    text->replace(at, slot.size(), value);
}

std::u16string Loaded(const ResourceModule& module, uint32_t id) {
  char16_t loaded[kOpenFailureChars];
  LoadModuleStringOrOwn(module, id, loaded, kOpenFailureChars);
  return loaded;
}

std::u16string Reason(const ResourceModule& module, SerialOpenCause cause, int error_number,
                      const char* device) {
  if (cause == SERIAL_OPEN_OTHER) return Wide(std::strerror(error_number));
  std::u16string reason = Loaded(module, kCauseStrings[cause]);
  // Name the group that may use the device, or say that none may; name who holds it.
  if (cause == SERIAL_OPEN_PERMISSION) {
    DevicePermission permission;
    if (!DescribeDevicePermission(device, &permission)) {
      std::strcpy(permission.group, "dialout");  // the usual group of serial devices
      permission.group_grants = 1;
    }
    if (permission.group_grants) {
      Fill(&reason, u"%1", Wide(permission.group));
    } else {
      reason = Loaded(module, IDS_OPEN_CAUSE_MODE);
      Fill(&reason, u"%1", Wide(permission.summary));
    }
  }
  DeviceHolder holder;
  if (cause == SERIAL_OPEN_BUSY && FindDeviceHolder(device, &holder)) {
    reason = Loaded(module, IDS_OPEN_CAUSE_BUSY_HOLDER);
    Fill(&reason, u"%1", Wide(holder.program));
    Fill(&reason, u"%2", Wide(std::to_string(holder.pid).c_str()));
  }
  char folder[kDevicePathSize];
  Fill(&reason, u"%s", PortsFolder(folder, sizeof folder) ? Wide(folder) : u"");
  return reason;
}

}  // namespace

int OpenFailureText(const ResourceModule& module, const char* name, const char* tried,
                    int error_number, char16_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return 0;
  if (name == nullptr) name = "";
  char device[kDevicePathSize];
  const SerialOpenCause cause =
      ClassifySerialOpenFailure(tried, error_number, device, sizeof device);
  std::u16string line = Wide(name);
  if (device[0] != '\0' && std::strcmp(device, name) != 0) line += u" (" + Wide(device) + u")";
  line += u": " + Reason(module, cause, error_number, device);
  const int count = static_cast<int>(std::min(line.size(), static_cast<size_t>(capacity - 1)));
  line.copy(text, count);
  text[count] = u'\0';
  return count;
}
