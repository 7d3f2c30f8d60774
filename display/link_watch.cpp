#include "display/link_watch.h"

#include <algorithm>

LinkLiveness LinkLivenessAt(int64_t now_ms, int64_t opened_ms, int64_t last_bytes_ms,
                            int64_t last_fix_ms, int64_t* stale_ms) {
  if (stale_ms != nullptr) *stale_ms = 0;
  const int64_t fresh_since = std::max(opened_ms, last_fix_ms);
  if (now_ms - fresh_since < kStaleAfterMs) return LINK_LIVE;
  const int64_t quiet_since =
      last_bytes_ms - fresh_since < kFixBurstMs ? fresh_since : last_bytes_ms;
  const bool data_flows = now_ms - quiet_since < kStaleAfterMs;
  if (stale_ms != nullptr) *stale_ms = now_ms - (data_flows ? fresh_since : quiet_since);
  return data_flows ? LINK_NO_POSITION : LINK_NO_DATA;
}
