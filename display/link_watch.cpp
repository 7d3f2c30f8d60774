#include "display/link_watch.h"

#include <algorithm>

void LinkWatchStart(LinkWatch* watch, int64_t now_ms, uint64_t bytes) {
  if (watch == nullptr) return;
  watch->opened_ms = now_ms;
  watch->bytes_seen = bytes;
  watch->bytes_changed_ms = now_ms;
}

LinkLiveness LinkWatchCheck(LinkWatch* watch, int64_t now_ms, int64_t last_fix_ms, uint64_t bytes,
                            int64_t* stale_ms) {
  if (stale_ms != nullptr) *stale_ms = 0;
  if (watch == nullptr) return LINK_LIVE;
  if (bytes != watch->bytes_seen) {
    watch->bytes_seen = bytes;
    watch->bytes_changed_ms = now_ms;
  }
  const int64_t fresh_since = std::max(watch->opened_ms, last_fix_ms);
  if (now_ms - fresh_since < kStaleAfterMs) return LINK_LIVE;
  const int64_t quiet_ms = now_ms - std::max(watch->bytes_changed_ms, fresh_since);
  const bool data_flows = now_ms - watch->bytes_changed_ms < kStaleAfterMs;
  if (stale_ms != nullptr) *stale_ms = data_flows ? now_ms - fresh_since : quiet_ms;
  return data_flows ? LINK_NO_POSITION : LINK_NO_DATA;
}
