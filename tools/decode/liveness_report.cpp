#include "tools/decode/liveness_report.h"

#include <algorithm>
#include <cstring>

#include "platform/monotonic_clock.h"
#include "platform/text_convert.h"
#include "res/link_state_strings.h"

namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int kStaleLookMs = 1000;
constexpr size_t kLinkStateTextBytes = 256;

// The program's own link-state text `id` (res/link_state_strings.h) on one line, its
// "%1" given as `seconds`.
void TellLinkState(FILE* err, uint32_t id, long long seconds) {
  char text[kLinkStateTextBytes];
  const StringResource* own = FindLinkStateString(id);
  if (own == nullptr || Utf16ToUtf8(text, sizeof text, own->text) < 0) text[0] = '\0';
  const char* number = strstr(text, "%1");
  if (number == nullptr) {
    fprintf(err, "tavik-decode: %s\n", text);
    return;
  }
  fprintf(err, "tavik-decode: %.*s%lld%s\n", static_cast<int>(number - text), text, seconds,
          number + 2);
}

void Tell(LivenessReport* report, LinkLiveness now, int64_t stale_ms) {
  if (now == report->said) return;
  const long long seconds = stale_ms / kMsPerSecond;
  switch (now) {
    case LINK_NO_DATA:
      TellLinkState(report->err, IDS_NO_DATA_FOR, seconds);
      break;
    case LINK_NO_POSITION:
      TellLinkState(report->err, IDS_NO_POSITION_FOR, seconds);
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
