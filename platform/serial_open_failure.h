// Why a serial port did not open, in the few kinds a person can do something about.
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

// The cause of a failed open of port `name` that left `error_number` in errno. Writes
// the device path the name resolves to into `device` (`size` bytes; "" when none).
SerialOpenCause ClassifySerialOpenFailure(const char* name, int error_number, char* device,
                                          size_t size);
