// Why a serial port did not open, in the few kinds a person can do something about,
// and the details that name the real thing: the device, its group, who holds it.
#pragma once

#include <cstddef>

enum SerialOpenCause {
  SERIAL_OPEN_NOT_A_PORT_NAME,  // neither "COM0:" to "COM9:" nor a device path
  SERIAL_OPEN_NO_DEVICE,        // nothing at the path: unplugged, or a link leading nowhere
  SERIAL_OPEN_PERMISSION,       // the device refuses this user
  SERIAL_OPEN_BUSY,             // another program holds the line
  SERIAL_OPEN_NOT_SERIAL,       // a regular file, a folder or another non-terminal
  SERIAL_OPEN_SETTINGS,         // the line does not take the settings
  SERIAL_OPEN_NETWORK_ENTRY,    // a network entry of neither form
  SERIAL_OPEN_HOST_UNKNOWN,     // the network source's host name does not exist
  SERIAL_OPEN_NO_NAME_SERVER,   // its host name could not be looked up
  SERIAL_OPEN_NO_ANSWER,        // its host did not answer
  SERIAL_OPEN_OTHER,            // the system's own text for the error says it
};

// The cause of a failed open that tried `tried` (the path the port name led to, as
// ResolvePortName gave it to the open; "" when the name led nowhere) and left
// `error_number` in errno. Writes the device into `device` (`size` bytes; "" when none):
// `tried` with every symbolic link followed, or, for a link leading nowhere, the path it
// leads to.
SerialOpenCause ClassifySerialOpenFailure(const char* tried, int error_number, char* device,
                                          size_t size);

// Who may use a device that refused this user.
struct DevicePermission {
  int group_grants;   // 1 when the device's group may read and write it
  char group[64];     // that group's name (its number when it has none)
  char summary[160];  // "owner:group mode", e.g. "root:root 0600"
};
// Returns 1 and fills `permission` from the device's status; 0 when it cannot be read.
int DescribeDevicePermission(const char* device, DevicePermission* permission);

// A program that holds a device.
struct DeviceHolder {
  int pid;
  char program[32];  // its command name as the system keeps it (at most 15 characters)
};
// Finds the process that locks `device` (/proc/locks), else one that has it open
// (/proc/*/fd), other than this process. Returns 1 when the system lets us see one.
int FindDeviceHolder(const char* device, DeviceHolder* holder);
