// Tells whether the read-outs are live: while a link is open, a fix must have been
// accepted within the last kStaleAfterMs, or the read-outs are stale, and the bytes the
// link counts tell why: nothing came from the receiver, or data came without a position.
#pragma once

#include <cstdint>

// Longer than a read may take (3023 ms at the link's time-out of 2000 ms), so a
// receiver that sends is always seen sending within it.
inline constexpr int64_t kStaleAfterMs = 5000;

enum LinkLiveness : int32_t {
  LINK_LIVE = 0,
  LINK_NO_DATA = 1,      // nothing from the receiver
  LINK_NO_POSITION = 2,  // data, but no accepted fix
};

struct LinkWatch {
  int64_t opened_ms;         // when the link was opened
  uint64_t bytes_seen;       // the link's byte count at the last check
  int64_t bytes_changed_ms;  // when that count last moved (or the link opened)
};

// Starts watching a link opened at `now_ms` whose byte count is `bytes`.
void LinkWatchStart(LinkWatch* watch, int64_t now_ms, uint64_t bytes);

// Checks the link at `now_ms`, given the time of the last accepted fix (0: none yet)
// and the link's byte count; call it at least every second or so. Returns the
// liveness and, when stale, how long in `stale_ms`: since the last byte for
// LINK_NO_DATA, since the last fix (or the open) for LINK_NO_POSITION.
LinkLiveness LinkWatchCheck(LinkWatch* watch, int64_t now_ms, int64_t last_fix_ms, uint64_t bytes,
                            int64_t* stale_ms);
