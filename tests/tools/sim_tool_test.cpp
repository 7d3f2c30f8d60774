// tavik-sim, the simulated receiver: its sentences and its replays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
