#include "platform/serial_open_failure.h"

#include <cerrno>

#include "platform/serial_port.h"

namespace {

// The errno of a network source's open, as NetworkPortOpen leaves it.
SerialOpenCause ClassifyNetworkOpenFailure(int error_number) {
  switch (error_number) {
    case ENOTTY:
      return SERIAL_OPEN_NETWORK_ENTRY;
    case ENXIO:
      return SERIAL_OPEN_HOST_UNKNOWN;
    case EAGAIN:
      return SERIAL_OPEN_NO_NAME_SERVER;
    case ETIMEDOUT:
      return SERIAL_OPEN_NO_ANSWER;
    default:
      return SERIAL_OPEN_OTHER;
  }
}

}  // namespace

SerialOpenCause ClassifySerialOpenFailure(const char* name, int error_number, char* device,
                                          size_t size) {
  if (device != nullptr && size > 0) device[0] = '\0';
  if (device == nullptr || !ResolvePortName(name, device, size)) {
    if (device != nullptr && size > 0) device[0] = '\0';
    return SERIAL_OPEN_NOT_A_PORT_NAME;
  }
  if (IsNetworkEntry(device)) return ClassifyNetworkOpenFailure(error_number);
  switch (error_number) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return SERIAL_OPEN_NO_DEVICE;
    case EACCES:
    case EPERM:
    case EROFS:
      return SERIAL_OPEN_PERMISSION;
    case EBUSY:
      return SERIAL_OPEN_BUSY;
    case ENOTTY:
    case EISDIR:
      return SERIAL_OPEN_NOT_SERIAL;
    case EINVAL:  // the name resolved, so the line refused its settings
      return SERIAL_OPEN_SETTINGS;
    default:
      return SERIAL_OPEN_OTHER;
  }
}
