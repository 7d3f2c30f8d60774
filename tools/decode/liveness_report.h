// Tells on standard error when a live receiver stops giving positions, and why, and
// when positions come again: once each, not every second.
#pragma once

#include <cstdint>
#include <cstdio>

#include "display/link_watch.h"

struct LivenessReport {
  int64_t opened_ms;  // MonotonicMs() when the link opened
  LinkLiveness said;  // what was last told
  FILE* err;
};

// Starts watching a link opened just now.
void LivenessReportStart(LivenessReport* report, FILE* err);
// Looks at the link and tells what changed. Returns the milliseconds until it should
// look again: while fixes come, not before the last one is kStaleAfterMs old; while
// stale, a second, so positions coming again are told soon.
int LivenessReportCheck(LivenessReport* report, int64_t last_bytes_ms, int64_t last_fix_ms);
