// Serial devices reached by the names "COM0:" to "COM9:" or by a device path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/path_limit.h"

// An open serial device (a file descriptor), or kInvalidSerialPort.
using SerialPort = int;
inline constexpr SerialPort kInvalidSerialPort = -1;

// Ends a read or a connection in progress early, from another thread (see
// SerialWakerCreate). An eventfd, or kNoSerialWaker.
using SerialWaker = int;
inline constexpr SerialWaker kNoSerialWaker = -1;

// Room for any device path ResolvePortName produces, terminator included.
inline constexpr size_t kDevicePathSize = kSystemPathBytes;

// The bytes a link asks for in one read, and the longest line it delivers.
inline constexpr uint32_t kSerialReadSize = 1023;

// Parity codes and stop-bit codes of the serial driver interface.
inline constexpr int32_t kNoParity = 0;
inline constexpr int32_t kOddParity = 1;
inline constexpr int32_t kEvenParity = 2;
inline constexpr int32_t kOneStopBit = 0;
inline constexpr int32_t kTwoStopBits = 2;

// The port number n of "COMn:", or -1 for any other name.
int ComNumber(const char* name);

// The device a port name stands for: the entry COMn in the ports folder
// ($XDG_CONFIG_HOME/tavik/ports/, usually a symbolic link) when there is one, else the
// built-in device of "COMn:"; a name starting with '/' is a device path as it stands.
// Writes the path into `device` (`size` bytes) and returns 1; 0 for any other name or
// when the path does not fit.
int ResolvePortName(const char* name, char* device, size_t size);

// The folder that holds the COMn entries, without a trailing '/': tavik/ports below
// ConfigHomeFolder (app_data_folder.h). Returns 1; 0 when there is no such folder or
// the path does not fit.
int PortsFolder(char* folder, size_t size);

// Opens a port for reading and writing, held exclusively (against other programs too),
// without waiting for modem lines. Returns kInvalidSerialPort when the name does not
// resolve (errno EINVAL), the device is absent (ENOENT) or not a terminal (ENOTTY),
// anyone holds it (EBUSY), or the open is refused (EACCES, ...).
// A network source's lookup and connection end early when `waker` is woken, and take
// no longer than `network_limit_ms` when it is above 0 (see NetworkPortOpen).
SerialPort SerialPortOpen(const char* name, SerialWaker waker = kNoSerialWaker,
                          int32_t network_limit_ms = 0);
// The same for a device path that ResolvePortName gave: a network source's entry or a
// device.
SerialPort SerialDeviceOpen(const char* device, SerialWaker waker, int32_t network_limit_ms);

// How long a probe of the ports (settings_enumerator.h) gives a network source to
// answer, its name lookup included.
inline constexpr int32_t kNetworkProbeMs = 3000;

// A ports-folder entry may be a small text file instead of a link to a device, its
// first line naming a network source: "gpsd://HOST[:PORT]" (gpsd's raw NMEA watch,
// port 2947 by default) or "tcp://HOST:PORT" (NMEA over TCP, as phones and boat
// multiplexers serve it). NetworkPortOpen looks the host up and connects to it, each
// address within a few seconds, all of it within `limit_ms` when that is above 0, and
// gives up at once when `waker` is woken. Why it failed is in errno:
//   ENOTTY     the entry names no source in either form
//   ENXIO      the host name does not exist
//   EAGAIN     the host name could not be looked up: no name server answered
//   ETIMEDOUT  the host did not answer, or `limit_ms` passed
//   ECANCELED  `waker` was woken
//   and the system's own for a refused or unreachable connection.
SerialPort NetworkPortOpen(const char* entry, SerialWaker waker, int32_t limit_ms);
// 1 when `device` (a path) is a network source's entry: a regular file, whatever it holds.
int IsNetworkEntry(const char* device);
// 1 when the port name leads to a network source's entry (ResolvePortName).
int SerialPortNameIsNetwork(const char* name);
// The address the entry of port `name` names, "HOST:PORT" ("[IPv6]:PORT"), for people
// to read. Returns 1; 0 when the name leads to no well-formed network entry or the
// text does not fit.
int NetworkSourceAddress(const char* name, char* text, size_t size);
// 1 when the port is a network source: it takes no line settings and nobody holds it
// exclusively.
int SerialPortIsNetwork(SerialPort port);

// Releases the port and its exclusive hold; does nothing for kInvalidSerialPort.
void SerialPortClose(SerialPort port);

// Line settings: speed in bits per second, data bits 5 to 8, and the parity and
// stop-bit codes of setting_tables.h. The line becomes raw (no echo, no canonical mode,
// no CR/NL translation, no signals, no output processing, receiver on, modem lines
// ignored); flow control stays as the driver had it. Returns 1; 0 for values the line
// cannot take or when the driver refuses them.
int SerialPortSetLine(SerialPort port, int32_t baud_rate, int32_t data_bits, int32_t parity,
                      int32_t stop_bits);
// The character-size, parity and stop-bit flags of c_cflag (CSIZE, PARENB, PARODD,
// CSTOPB) for data bits 5 to 8 and those codes. Returns 1; 0 for values the line
// cannot take (mark and space parity, one and a half stop bits).
int SerialCharacterFlags(int32_t data_bits, int32_t parity, int32_t stop_bits, uint32_t* flags);

// Time-outs of a link, in milliseconds, derived from its time-out T.
struct SerialTimeouts {
  uint32_t read_interval_ms;
  uint32_t read_total_multiplier_ms;
  uint32_t read_total_constant_ms;
  uint32_t write_total_multiplier_ms;
  uint32_t write_total_constant_ms;
};

// T' = T when T > 0, else 1; M = T' / kSerialReadSize, at least 1; the record is {T', M, T', M,
// T'}. Computed at compile time too, so values derived from a time-out need no hand sums.
constexpr SerialTimeouts SerialTimeoutsFor(int32_t timeout_ms) {
  const uint32_t constant = timeout_ms > 0 ? static_cast<uint32_t>(timeout_ms) : 1;
  uint32_t multiplier = constant / kSerialReadSize;
  if (multiplier == 0) multiplier = 1;
  return SerialTimeouts{constant, multiplier, constant, multiplier, constant};
}

// The latest a read of `max` bytes returns: multiplier * max + constant.
constexpr uint64_t SerialReadBoundMs(const SerialTimeouts& timeouts, uint32_t max) {
  return static_cast<uint64_t>(timeouts.read_total_multiplier_ms) * max +
         timeouts.read_total_constant_ms;
}

// The time-out the window opens the receiver's link with, and tavik-decode unless
// --timeout says otherwise.
inline constexpr int32_t kLinkTimeoutMs = 2000;
// The longest a read of that link takes: 3023 ms.
inline constexpr int64_t kLinkLongestReadMs =
    static_cast<int64_t>(SerialReadBoundMs(SerialTimeoutsFor(kLinkTimeoutMs), kSerialReadSize));

// A close need not wait out a read's time-out: waking the waker ends it.
SerialWaker SerialWakerCreate();
// Makes every read and wait on the waker return at once, now and later.
void SerialWakerWake(SerialWaker waker);
// Waits up to `ms` unless the waker has been woken. Returns 1 when it was woken.
int SerialWakerWait(SerialWaker waker, uint64_t ms);
void SerialWakerClose(SerialWaker waker);

// Reads up to `max` bytes. Returns when `max` bytes have arrived, when more than the
// interval passes between two bytes, or at the latest after SerialReadBoundMs, with
// the count received (0 when nothing came); at once, with what it has, when `waker` is
// woken. Returns -1 when the read failed with nothing received (the line hung up, the
// device is gone, the connection was closed, ...). It does not wake for every byte of
// a slow line: it looks at the line a few times a second and may return a little
// after one of those conditions, never before.
int32_t SerialPortRead(SerialPort port, const SerialTimeouts& timeouts, void* buffer, uint32_t max,
                       SerialWaker waker = kNoSerialWaker);

// The bytes that have arrived and wait in the driver to be read, now (0 when none, or
// when the driver cannot tell).
uint32_t SerialPortWaitingCount(SerialPort port);
// Takes up to `max` of the bytes that have arrived, without waiting. Returns the count
// (0: nothing there), or -1 when the line hung up, the device is gone or the
// connection was closed.
int32_t SerialPortTakeArrived(SerialPort port, void* buffer, uint32_t max);

// Writes up to `count` bytes within write multiplier * count + constant ms. Returns
// the count written (less when the time ran out), or -1 when the write failed.
int32_t SerialPortWrite(SerialPort port, const SerialTimeouts& timeouts, const void* bytes,
                        uint32_t count);
