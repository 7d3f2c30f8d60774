// tavik-sim, the simulated receiver: its sentences, its replays and its port link.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/background_program.h"
#include "tests/support/pty.h"  // TempPortsFolder
#include "tests/support/run_program.h"
#include "tools/sim/capture_bursts.h"
#include "tools/sim/nmea_walk.h"

namespace {

// Its own sentences carry their checksum; a replay sends a burst up to each GGA and
// leaves the comments out.
TEST(TavikSim, SentencesAndReplayBursts) {
  using namespace std::string_literals;
  EXPECT_EQ(NmeaChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
            "*6A");
  EXPECT_EQ(CaptureBursts("# receiver: test\n#\n$GPGSV,1*00\r\n$GPGGA,1*00\r\n\r$GPRMC,2\x00\xff*00"
                          "\r\r\n$GNGGA,2*00\n$GPGSV,3*00\ntail without end"s),
            (std::vector<std::string>{"$GPGSV,1*00\r\n$GPGGA,1*00\r\n",
                                      "\r$GPRMC,2\x00\xff*00\r\r\n$GNGGA,2*00\n"s,
                                      "$GPGSV,3*00\ntail without end"}));
}

// It publishes only its own entries: it replaces a link left by a killed simulator,
// keeps off any other, and removes its link when stopped.
TEST(TavikSim, KeepsOffEntriesThatAreNotItsOwn) {
  TempPortsFolder ports;
  const std::string sim = BinPath("tavik-sim"), entry = ports.folder() + "/COM6";
  ASSERT_TRUE(ports.Link(5, "/dev/null") && ports.Link(6, "/dev/pts/999999"));
  const ProgramResult refused = RunProgram({sim, "--port", "COM5:"});
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("not mine"), std::string::npos) << refused.err;
  EXPECT_EQ(std::filesystem::read_symlink(ports.folder() + "/COM5"), "/dev/null");
  BackgroundProgram replacing({sim, "--port", "COM6:"});
  std::error_code error;
  for (int i = 0; i < 500 && std::filesystem::read_symlink(entry, error) == "/dev/pts/999999"; ++i)
    usleep(10000);
  EXPECT_EQ(replacing.Finish(SIGINT, 10000).exit_status, 0);
  EXPECT_FALSE(std::filesystem::is_symlink(entry)) << "replaced, and removed when stopped";
}

}  // namespace
