#include "display/link_watch.h"

#include <gtest/gtest.h>

namespace {

TEST(LinkLiveness, StaleAfterFiveSecondsWithoutAFixAndWhy) {
  const struct {
    int64_t now, opened, last_bytes, last_fix;
    LinkLiveness liveness;
    int64_t stale_ms;
  } cases[] = {
      {4999, 0, 0, 0, LINK_LIVE, 0},               // just opened
      {5000, 0, 0, 0, LINK_NO_DATA, 5000},         // nothing ever came
      {5000, 0, 4000, 0, LINK_NO_POSITION, 5000},  // data, never a fix
      {12000, 0, 3000, 3000, LINK_NO_DATA, 9000},  // the fix came with the last bytes
      {12000, 0, 11000, 3000, LINK_NO_POSITION, 9000},
      {12000, 0, 11000, 7001, LINK_LIVE, 0},
      {12000, 9000, 1000, 1000, LINK_LIVE, 0},  // opened again since
  };
  for (const auto& c : cases) {
    int64_t stale_ms = -1;
    EXPECT_EQ(LinkLivenessAt(c.now, c.opened, c.last_bytes, c.last_fix, &stale_ms), c.liveness)
        << c.now << " " << c.last_bytes << " " << c.last_fix;
    EXPECT_EQ(stale_ms, c.stale_ms) << c.now << " " << c.last_bytes << " " << c.last_fix;
  }
}

}  // namespace
