#include "tools/decode/file_input.h"

#include "tools/decode/stop_signal.h"

bool FeedLines(FILE* in, LineHandler handler, void* context) {
  LineCutter cutter;
  LineCutterReset(&cutter);
  char chunk[64 * 1024];
  size_t count = 0;
  while (!StopRequested() && (count = fread(chunk, 1, sizeof chunk, in)) > 0) {
    LineCutterFeed(&cutter, chunk, count, handler, context, nullptr);
  }
  return ferror(in) == 0;
}
