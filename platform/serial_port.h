// Serial devices reached by the names "COM0:" to "COM9:" or by a device path.
#pragma once

#include <cstdint>
#include <string>

// An open serial device (a file descriptor), or kInvalidSerialPort.
using SerialPort = int;
inline constexpr SerialPort kInvalidSerialPort = -1;

// The device a port name stands for: the entry COMn in the ports folder
// ($XDG_CONFIG_HOME/tavik/ports/, usually a symbolic link) when there is one, else the
// built-in device of COMn; a name starting with '/' is a device path as it stands.
// Returns false for any other name.
bool ResolvePortName(const char* name, std::string* device);

// Opens a port for reading and writing, held exclusively (against other programs too),
// without waiting for modem lines. Returns kInvalidSerialPort when the name does not
// resolve, the device is absent or not a terminal, or anyone holds it.
SerialPort SerialPortOpen(const char* name);

// Line settings: speed in bits per second, data bits 5 to 8, parity and stop-bit codes
// of setting_tables.h. The line becomes raw; flow control stays as it was. Returns 1.
int SerialPortSetLine(SerialPort port, int32_t baud_rate, int32_t data_bits, int32_t parity,
                      int32_t stop_bits);

// Read-return rules of a link with time-out T ms: a read of `max` bytes returns when
// `max` bytes have arrived, when more than `interval_ms` pass between two bytes, or
// at the latest after multiplier_ms * max + constant_ms.
struct SerialTimeouts {
  uint32_t read_interval_ms;
  uint32_t read_total_multiplier_ms;
  uint32_t read_total_constant_ms;
  uint32_t write_total_multiplier_ms;
  uint32_t write_total_constant_ms;
};
SerialTimeouts SerialTimeoutsFor(int32_t timeout_ms);
int SerialPortSetTimeouts(SerialPort port, const SerialTimeouts& timeouts);

// Reads up to `max` bytes under the port's time-outs. Returns the count (0 when the
// time-out passed with nothing), or -1 when the read failed.
int32_t SerialPortRead(SerialPort port, void* buffer, uint32_t max);
int32_t SerialPortWrite(SerialPort port, const void* bytes, uint32_t count);
void SerialPortClose(SerialPort port);
