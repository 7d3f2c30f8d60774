// Tells on standard error when a live receiver stops giving positions, and why, and
// when positions come again: once each, not every second.
#pragma once

#include <cstdint>
#include <cstdio>

#include "display/link_watch.h"

struct LivenessReport {
  LinkWatch watch;
  LinkLiveness said;  // what was last told
  FILE* err;
};

// Starts watching a link just opened, whose byte count is `bytes`.
void LivenessReportStart(LivenessReport* report, uint64_t bytes, FILE* err);
// Looks at the link (about once a second) and tells what changed.
void LivenessReportCheck(LivenessReport* report, int64_t last_fix_ms, uint64_t bytes);
