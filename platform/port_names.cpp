#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/app_data_folder.h"
#include "platform/serial_port.h"

namespace {

// Where "COM0:" to "COM9:" lead when the ports folder has no entry for them.
constexpr const char* kBuiltInDevices[10] = {
    "/dev/ttyS0",   "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyACM1",
    "/dev/rfcomm0", "/dev/serial0", "/dev/ttyAMA0", "/dev/ttyS1",   "/dev/gps0",
};

// Whether snprintf wrote its whole text into a buffer of `size`: 1 when nothing was cut.
int WrittenWhole(int written, size_t size) {
  return written >= 0 && static_cast<size_t>(written) < size ? 1 : 0;
}

}  // namespace

int ComNumber(const char* name) {
  if (name == nullptr || strncmp(name, "COM", 3) != 0) return -1;
  if (name[3] < '0' || name[3] > '9' || name[4] != ':' || name[5] != '\0') return -1;
  return name[3] - '0';
}

int PortsFolder(char* folder, size_t size) {
  if (folder == nullptr || size == 0) return 0;
  char config[kDevicePathSize];
  if (!ConfigHomeFolder(config, sizeof config)) return 0;
  return WrittenWhole(snprintf(folder, size, "%s/tavik/ports", config), size);
}

int ResolvePortName(const char* name, char* device, size_t size) {
  if (name == nullptr || device == nullptr || size == 0) return 0;
  if (name[0] == '/') return WrittenWhole(snprintf(device, size, "%s", name), size);
  const int number = ComNumber(name);
  if (number < 0) return 0;

  char folder[kDevicePathSize];
  if (PortsFolder(folder, sizeof folder)) {
    char entry[kDevicePathSize];
    struct stat status;
    // Any entry counts, a dangling link too: the user's mapping replaces the built-in one.
    if (WrittenWhole(snprintf(entry, sizeof entry, "%s/COM%d", folder, number), sizeof entry) &&
        lstat(entry, &status) == 0) {
      return WrittenWhole(snprintf(device, size, "%s", entry), size);
    }
  }
  return WrittenWhole(snprintf(device, size, "%s", kBuiltInDevices[number]), size);
}
