// Ports-folder entries that name network sources, on a listener of the test's own.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/serial_port.h"
#include "tests/support/loopback_server.h"
#include "tests/support/pty.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(NetworkPort, EntriesNamingSourcesConnectAndOthersAreRefused) {
  TempPortsFolder ports;
  LoopbackServer listener;
  const std::string port = std::to_string(listener.port());
  const std::string entry = ports.folder() + "/COM7";
  const struct {
    std::string text;
    int error;          // 0: connects
    std::string sends;  // what the source receives first
  } cases[] = {
      {"gpsd://127.0.0.1:" + port + "\n", 0, "?WATCH={\"enable\":true,\"raw\":1}\n"},
      {"tcp://localhost:" + port + "/\r\n", 0, ""},
      {"tcp://127.0.0.1\n", ENOTTY, ""},
      {"tcp://127.0.0.1:65536\n", ENOTTY, ""},
      {"tcp://::1:" + port + "\n", ENOTTY, ""},
      {"http://127.0.0.1:" + port + "\n", ENOTTY, ""},
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
    ASSERT_TRUE(listener.Accept(1000)) << c.text;
    EXPECT_EQ(listener.Receive(c.sends.empty() ? 0 : 1000), c.sends) << c.text;
    SerialPortClose(port);
  }
}

}  // namespace
