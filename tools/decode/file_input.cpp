#include "tools/decode/file_input.h"

#include <unistd.h>

#include <cerrno>

#include "tools/decode/stop_signal.h"

bool FeedLines(FILE* in, LineHandler handler, void* context) {
  LineCutter cutter;
  LineCutterReset(&cutter);
  char chunk[64 * 1024];
  const int fd = fileno(in);
  // read(), not fread(): a receiver piped in delivers each line as it arrives.
  while (!StopRequested()) {
    const ssize_t count = read(fd, chunk, sizeof chunk);
    if (count > 0) {
      LineCutterFeed(&cutter, chunk, static_cast<size_t>(count), handler, context, nullptr);
    } else if (count == 0) {
      return true;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}
