#include "display/link_watch.h"

#include <algorithm>

LinkLiveness LinkLivenessAt(const LinkTimes& times, int64_t* stale_ms) {
  if (stale_ms != nullptr) *stale_ms = 0;
  const int64_t fresh_since = std::max(times.opened_ms, times.last_fix_ms);
  if (times.now_ms - fresh_since < kStaleAfterMs) return LINK_LIVE;
  const int64_t quiet_since =
      times.last_bytes_ms - fresh_since < kFixBurstMs ? fresh_since : times.last_bytes_ms;
  const bool data_flows = times.now_ms - quiet_since < kStaleAfterMs;
  if (stale_ms != nullptr) *stale_ms = times.now_ms - (data_flows ? fresh_since : quiet_since);
  return data_flows ? LINK_NO_POSITION : LINK_NO_DATA;
}
