// Ports-folder entries that name network sources, on a listener of the test's own.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/serial_port.h"
#include "tests/support/pty.h"
#include "tests/support/temp_dir.h"

namespace {

class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
    listen(fd_, 4);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = std::to_string(ntohs(address.sin_port));
  }
  ~Listener() { close(fd_); }
  const std::string& port() const { return port_; }
  // What the next client sent first, read within a second.
  std::string FirstBytes() {
    const int client = accept(fd_, nullptr, nullptr);
    pollfd wait{client, POLLIN, 0};
    char bytes[256];
    const ssize_t count = poll(&wait, 1, 1000) == 1 ? read(client, bytes, sizeof bytes) : 0;
    close(client);
    return std::string(bytes, count > 0 ? static_cast<size_t>(count) : 0);
  }

 private:
  int fd_ = -1;
  std::string port_;
};

TEST(NetworkPort, EntriesNamingSourcesConnectAndOthersAreRefused) {
  TempPortsFolder ports;
  Listener listener;
  const std::string entry = ports.folder() + "/COM7";
  const struct {
    std::string text;
    int error;          // 0: connects
    std::string sends;  // what the source receives first
  } cases[] = {
      {"gpsd://127.0.0.1:" + listener.port() + "\n", 0, "?WATCH={\"enable\":true,\"raw\":1}\n"},
      {"tcp://localhost:" + listener.port() + "/\r\n", 0, ""},
      {"tcp://127.0.0.1\n", ENOTTY, ""},
      {"tcp://127.0.0.1:65536\n", ENOTTY, ""},
      {"tcp://::1:" + listener.port() + "\n", ENOTTY, ""},
      {"http://127.0.0.1:" + listener.port() + "\n", ENOTTY, ""},
      {"gpsd://\n", ENOTTY, ""},
      {"", ENOTTY, ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteWholeFile(entry, c.text));
    errno = 0;
    const SerialPort port = SerialPortOpen("COM7:");
    if (c.error != 0) {
      EXPECT_EQ(port, kInvalidSerialPort) << c.text;
      EXPECT_EQ(errno, c.error) << c.text;
      continue;
    }
    ASSERT_NE(port, kInvalidSerialPort) << c.text << strerror(errno);
    EXPECT_EQ(SerialPortIsNetwork(port), 1);
    EXPECT_EQ(listener.FirstBytes(), c.sends) << c.text;
    SerialPortClose(port);
  }
}

}  // namespace
