#include "tools/decode/output_status.h"

#include <atomic>
#include <cerrno>

#include "tools/decode/stop_signal.h"

namespace {

std::atomic<int> first_error{0};

}  // namespace

bool OutputWritten(FILE* out) {
  if (!ferror(out)) return true;
  // errno still tells why: the caller checks right after its write.
  int expected = 0;
  first_error.compare_exchange_strong(expected, errno != 0 ? errno : EIO);
  RequestStop();
  return false;
}

int OutputError() {
  return first_error.load();
}
