#include "tools/decode/file_input.h"

bool FeedLines(FILE* in, LineHandler handler, void* context) {
  LineCutter cutter;
  LineCutterReset(&cutter);
  char chunk[64 * 1024];
  size_t count = 0;
  while ((count = fread(chunk, 1, sizeof chunk, in)) > 0) {
    LineCutterFeed(&cutter, chunk, count, handler, context, nullptr);
  }
  return ferror(in) == 0;
}
