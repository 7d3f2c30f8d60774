// Tells whether the read-outs are live: while a link is open, a fix must have been
// accepted within the last kStaleAfterMs, or the read-outs are stale; when the link
// last received bytes tells why: nothing came from the receiver, or data came
// without a position.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"  // kLinkLongestReadMs

// Longer than a read may take (kLinkLongestReadMs at the link's time-out), so a
// receiver that sends is always seen sending within it.
inline constexpr int64_t kStaleAfterMs = 5000;
static_assert(kStaleAfterMs > kLinkLongestReadMs);

// Bytes within this time after the last fix came with it (the rest of its burst, cut
// off by a read); only later bytes are data without a position. Shorter than the time
// by which a receiver still sending when the fix goes stale has sent after it
// (kStaleAfterMs less the longest read).
inline constexpr int64_t kFixBurstMs = 1500;
static_assert(kFixBurstMs < kStaleAfterMs - kLinkLongestReadMs);

enum LinkLiveness : int32_t {
  LINK_LIVE = 0,
  LINK_NO_DATA = 1,      // nothing from the receiver
  LINK_NO_POSITION = 2,  // data, but no accepted fix
};

// The moments a liveness is judged from, all in MonotonicMs; named, as four times in a
// row would swap without a word.
struct LinkTimes {
  int64_t now_ms;         // the moment judged
  int64_t opened_ms;      // the link's open
  int64_t last_bytes_ms;  // the link's last bytes (0: none)
  int64_t last_fix_ms;    // the last accepted fix (0: none)
};

// Returns the liveness at `times.now_ms` and, when stale, how long in `stale_ms`: since
// the last bytes for LINK_NO_DATA, since the last fix (or the open) for LINK_NO_POSITION.
LinkLiveness LinkLivenessAt(const LinkTimes& times, int64_t* stale_ms);
