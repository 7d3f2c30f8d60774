#include "platform/serial_open_failure.h"

#include <cerrno>

#include "platform/serial_port.h"

SerialOpenCause ClassifySerialOpenFailure(const char* name, int error_number, char* device,
                                          size_t size) {
  if (device != nullptr && size > 0) device[0] = '\0';
  if (device == nullptr || !ResolvePortName(name, device, size)) {
    if (device != nullptr && size > 0) device[0] = '\0';
    return SERIAL_OPEN_NOT_A_PORT_NAME;
  }
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
