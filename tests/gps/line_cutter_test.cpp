// Cutting received bytes into lines: no I/O.
#include "gps/line_cutter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

void Collect(const char* line, uint32_t length, void* context) {
  EXPECT_EQ(line[length], '\0');
  static_cast<Lines*>(context)->emplace_back(line, length);
}

// The lines that the reads (one string each) give, in order.
Lines Cut(const Lines& reads) {
  LineCutter cutter;
  LineCutterReset(&cutter);
  Lines lines;
  for (const std::string& read : reads)
    LineCutterFeed(&cutter, read.data(), read.size(), Collect, &lines, nullptr);
  return lines;
}

TEST(LineCutter, CutsAtCrOrLfAndAfter1023Bytes) {
  const std::string x(1023, 'x');
  const struct {
    Lines reads, lines;
  } cases[] = {
      {{"$GPGGA,1*00\r\n$GPRMC,2*00\r\n"}, {"$GPGGA,1*00", "$GPRMC,2*00"}},
      {{"\r\n\n\r", "a\r\rb\n\rc\r\r\n"}, {"a", "b", "c"}},
      {{"$GPGGA,1235", "19,4807", ".038,N*00", "\r\n"}, {"$GPGGA,123519,4807.038,N*00"}},
      {{x + "\r"}, {x}},
      {{x + "y", "z\r"}, {x, "z"}},  // the byte that ends a full line is lost
      {{std::string("\0\x01\xff$G\x80\n", 7)}, {std::string("\0\x01\xff$G\x80", 6)}},
      {{"unfinished"}, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Cut(c.reads), c.lines) << c.reads[0].substr(0, 20);
}

}  // namespace
