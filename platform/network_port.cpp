// Network sources of NMEA: gpsd's raw watch and plain NMEA over TCP.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/monotonic_clock.h"
#include "platform/name_lookup.h"
#include "platform/serial_port.h"

namespace {

constexpr char kGpsdScheme[] = "gpsd://";
constexpr char kTcpScheme[] = "tcp://";
constexpr char kGpsdDefaultPort[] = "2947";
// Asks gpsd for the receiver's own sentences, byte for byte.
constexpr char kGpsdWatch[] = "?WATCH={\"enable\":true,\"raw\":1}\n";
constexpr int kConnectTimeoutMs = 3000;
// A source that vanishes without closing (a phone leaving the network) is noticed
// after about idle + count * interval seconds, and the link looks for it again.
constexpr int kKeepAliveIdleS = 10;
constexpr int kKeepAliveIntervalS = 5;
constexpr int kKeepAliveCount = 3;
constexpr size_t kEntryMax = 512;

struct NetworkSource {
  bool gpsd;
  char host[256];
  char service[8];
};

bool StartsWith(const char* text, const char* prefix) {
  return strncmp(text, prefix, strlen(prefix)) == 0;
}

// "1" to "65535", nothing else.
bool IsPortNumber(const char* text) {
  if (text[0] == '\0' || strlen(text) > 5) return false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  const long number = strtol(text, nullptr, 10);
  return number >= 1 && number <= 65535;
}

// HOST, HOST:PORT, [IPv6] or [IPv6]:PORT.
bool SplitAuthority(char* authority, const char* default_port, NetworkSource* source) {
  char* host = authority;
  char* port = nullptr;
  if (host[0] == '[') {
    char* close = strchr(host, ']');
    if (close == nullptr) return false;
    *close = '\0';
    ++host;
    if (close[1] == ':') {
      port = close + 2;
    } else if (close[1] != '\0') {
      return false;
    }
  } else if (char* colon = strchr(host, ':')) {
    if (strchr(colon + 1, ':') != nullptr) return false;  // a bare IPv6 address needs []
    *colon = '\0';
    port = colon + 1;
  }
  if (port == nullptr) {
    if (default_port == nullptr) return false;
    port = const_cast<char*>(default_port);
  }
  if (host[0] == '\0' || strlen(host) >= sizeof source->host || !IsPortNumber(port)) return false;
  strcpy(source->host, host);
  strcpy(source->service, port);
  return true;
}

// The first line of the entry: "gpsd://HOST[:PORT]" or "tcp://HOST:PORT".
bool ReadSource(const char* path, NetworkSource* source) {
  FILE* in = fopen(path, "rbe");
  if (in == nullptr) return false;
  char line[kEntryMax];
  const bool read = fgets(line, sizeof line, in) != nullptr;
  fclose(in);
  if (!read) return false;
  size_t length = strcspn(line, "\r\n");
  while (length > 0 &&
         (line[length - 1] == ' ' || line[length - 1] == '\t' || line[length - 1] == '/')) {
    --length;
  }
  line[length] = '\0';
  if (StartsWith(line, kGpsdScheme)) {
    source->gpsd = true;
    return SplitAuthority(line + strlen(kGpsdScheme), kGpsdDefaultPort, source);
  }
  if (StartsWith(line, kTcpScheme)) {
    source->gpsd = false;
    return SplitAuthority(line + strlen(kTcpScheme), nullptr, source);
  }
  return false;
}

// Milliseconds left until `deadline_ms` (0: none), at most `most_ms`, never below 0.
int MsLeft(int64_t deadline_ms, int most_ms) {
  if (deadline_ms == 0) return most_ms;
  const int64_t left = deadline_ms - MonotonicMs();
  return left <= 0 ? 0 : left < most_ms ? static_cast<int>(left) : most_ms;
}

// Connects within kConnectTimeoutMs and before `deadline_ms` (0: none), or until `waker`
// is woken; the socket is blocking afterwards, as a serial port is. Returns the socket
// or -1 with errno set (ETIMEDOUT when nobody answered).
int ConnectTo(const addrinfo& address, SerialWaker waker, int64_t deadline_ms) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                        address.ai_protocol);
  if (fd < 0) return -1;
  int error = 0;
  if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      pollfd waits[2] = {{fd, POLLOUT, 0}, {waker, POLLIN, 0}};
      int ready;
      while ((ready = poll(waits, waker >= 0 ? 2 : 1, MsLeft(deadline_ms, kConnectTimeoutMs))) <
                 0 &&
             errno == EINTR) {
      }
      socklen_t size = sizeof error;
      if (ready <= 0) {
        error = ready == 0 ? ETIMEDOUT : errno;
      } else if (waits[0].revents == 0) {
        error = ECANCELED;
      } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        error = errno;
      }
      // A connection made by the time of the wake counts: what the source sent before
      // a close is still handed over.
    }
  }
  if (error == 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) error = errno;
  if (error != 0) {
    close(fd);
    errno = error;
    return -1;
  }
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleS, sizeof kKeepAliveIdleS);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalS, sizeof kKeepAliveIntervalS);
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveCount, sizeof kKeepAliveCount);
  return fd;
}

// The errno that tells why a lookup found no address (see NetworkPortOpen).
int LookupError(int result) {
  switch (result) {
    case EAI_SYSTEM:
      return errno;  // ECANCELED, ETIMEDOUT or the system's own
    case EAI_AGAIN:
    case EAI_FAIL:
      return EAGAIN;  // no answer to be had from the name service
    case EAI_MEMORY:
      return ENOMEM;
    default:
      return ENXIO;  // EAI_NONAME and its kind: the name does not exist
  }
}

}  // namespace

SerialPort NetworkPortOpen(const char* entry, SerialWaker waker, int32_t limit_ms) {
  const int64_t deadline_ms = limit_ms > 0 ? MonotonicMs() + limit_ms : 0;
  NetworkSource source;
  if (!ReadSource(entry, &source)) {
    errno = ENOTTY;  // an ordinary file: neither a terminal nor a source
    return kInvalidSerialPort;
  }
  addrinfo* found = nullptr;
  const int looked_up = NameLookup(source.host, source.service, waker, deadline_ms, &found);
  if (looked_up != 0) {
    errno = LookupError(looked_up);
    return kInvalidSerialPort;
  }
  int fd = -1;
  int error = ECONNREFUSED;
  for (const addrinfo* address = found; address != nullptr && fd < 0 && error != ECANCELED;
       address = address->ai_next) {
    if (deadline_ms != 0 && MonotonicMs() >= deadline_ms) break;
    fd = ConnectTo(*address, waker, deadline_ms);
    if (fd < 0) error = errno;
  }
  freeaddrinfo(found);
  if (fd < 0) {
    errno = error;
    return kInvalidSerialPort;
  }
  if (source.gpsd &&
      send(fd, kGpsdWatch, sizeof kGpsdWatch - 1, MSG_NOSIGNAL) != sizeof kGpsdWatch - 1) {
    error = errno;
    close(fd);
    errno = error;
    return kInvalidSerialPort;
  }
  return fd;
}

int IsNetworkEntry(const char* device) {
  struct stat entry;
  return device != nullptr && stat(device, &entry) == 0 && S_ISREG(entry.st_mode) ? 1 : 0;
}

int SerialPortNameIsNetwork(const char* name) {
  char device[kDevicePathSize];
  return ResolvePortName(name, device, sizeof device) && IsNetworkEntry(device) ? 1 : 0;
}

int NetworkSourceAddress(const char* name, char* text, size_t size) {
  char device[kDevicePathSize];
  NetworkSource source;
  if (text == nullptr || size == 0 || !ResolvePortName(name, device, sizeof device) ||
      !IsNetworkEntry(device) || !ReadSource(device, &source)) {
    return 0;
  }
  const bool bracketed = strchr(source.host, ':') != nullptr;  // an IPv6 address
  const int written =
      snprintf(text, size, bracketed ? "[%s]:%s" : "%s:%s", source.host, source.service);
  return written >= 0 && static_cast<size_t>(written) < size ? 1 : 0;
}

int SerialPortIsNetwork(SerialPort port) {
  struct stat status;
  return port >= 0 && fstat(port, &status) == 0 && S_ISSOCK(status.st_mode) ? 1 : 0;
}
