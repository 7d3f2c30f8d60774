#include "gps/line_cutter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Cut {
  LineCutter cutter;
  std::vector<std::string> lines;

  Cut() { LineCutterReset(&cutter); }

  static void Collect(const char* line, uint32_t length, void* context) {
    auto* self = static_cast<Cut*>(context);
    EXPECT_EQ(line[length], '\0') << "line must be terminated at its length";
    self->lines.emplace_back(line, length);
  }

  Cut& Feed(const std::string& bytes, const std::atomic<int16_t>* running = nullptr) {
    LineCutterFeed(&cutter, bytes.data(), bytes.size(), Collect, this, running);
    return *this;
  }
};

using Lines = std::vector<std::string>;

TEST(LineCutter, TwoSentencesInOneRead) {
  EXPECT_EQ(Cut().Feed("$GPGGA,1*00\r\n$GPRMC,2*00\r\n").lines,
            (Lines{"$GPGGA,1*00", "$GPRMC,2*00"}));
}

TEST(LineCutter, RunsOfLineEndsDeliverNothingEmpty) {
  EXPECT_TRUE(Cut().Feed("\r\n\n\r\r\r\n").lines.empty());
  EXPECT_EQ(Cut().Feed("a\r\rb\n\rc\r\r\n").lines, (Lines{"a", "b", "c"}));
}

TEST(LineCutter, ASentenceSplitAcrossReadsArrivesWhole) {
  Cut cut;
  cut.Feed("$GPGGA,1235").Feed("19,4807").Feed(".038,N*00");
  EXPECT_TRUE(cut.lines.empty());
  cut.Feed("\r\n");
  EXPECT_EQ(cut.lines, (Lines{"$GPGGA,123519,4807.038,N*00"}));
}

TEST(LineCutter, AFullLineEndsAtTheNextByteWhichIsLost) {
  EXPECT_EQ(Cut().Feed(std::string(1023, 'x') + "\r").lines, (Lines{std::string(1023, 'x')}));
  EXPECT_EQ(Cut().Feed(std::string(1024, 'y') + "\r").lines, (Lines{std::string(1023, 'y')}));
  const std::string first(1023, 'a');
  EXPECT_EQ(Cut().Feed(first + "L" + "bcdefg\r").lines, (Lines{first, "bcdefg"}));
}

TEST(LineCutter, BytesPassUnchanged) {
  const std::string binary("\x00\x01\xff$G\x80", 6);
  EXPECT_EQ(Cut().Feed(binary + "\n").lines.at(0).size(), 6u);
}

TEST(LineCutter, ACleardRunningFlagStopsTakingAndDelivering) {
  std::atomic<int16_t> running{0};
  Cut cut;
  cut.Feed("complete line\n", &running);
  EXPECT_TRUE(cut.lines.empty());
  running = 1;
  cut.Feed("next\n", &running);
  EXPECT_EQ(cut.lines, (Lines{"next"}));
}

}  // namespace
