#include "tools/decode/liveness_report.h"

#include <algorithm>

#include "platform/monotonic_clock.h"

namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int kStaleLookMs = 1000;

void Tell(LivenessReport* report, LinkLiveness now, int64_t stale_ms) {
  if (now == report->said) return;
  const long long seconds = stale_ms / kMsPerSecond;
  switch (now) {
    case LINK_NO_DATA:
      fprintf(report->err, "tavik-decode: no data from the receiver for %lld s\n", seconds);
      break;
    case LINK_NO_POSITION:
      fprintf(report->err, "tavik-decode: data without a position for %lld s\n", seconds);
      break;
    case LINK_LIVE:
      fputs("tavik-decode: positions again\n", report->err);
      break;
  }
  fflush(report->err);
  report->said = now;
}

}  // namespace

void LivenessReportStart(LivenessReport* report, FILE* err) {
  report->opened_ms = MonotonicMs();
  report->said = LINK_LIVE;
  report->err = err;
}

int LivenessReportCheck(LivenessReport* report, int64_t last_bytes_ms, int64_t last_fix_ms) {
  int64_t stale_ms = 0;
  const int64_t now_ms = MonotonicMs();
  const LinkLiveness now = LinkLivenessAt({.now_ms = now_ms,
                                           .opened_ms = report->opened_ms,
                                           .last_bytes_ms = last_bytes_ms,
                                           .last_fix_ms = last_fix_ms},
                                          &stale_ms);
  Tell(report, now, stale_ms);
  if (now != LINK_LIVE) return kStaleLookMs;
  const int64_t stale_at = std::max(report->opened_ms, last_fix_ms) + kStaleAfterMs;
  return static_cast<int>(std::clamp<int64_t>(stale_at - now_ms, 1, kStaleAfterMs));
}
