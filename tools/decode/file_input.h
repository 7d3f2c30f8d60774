// Reading logs from files or standard input.
#pragma once

#include <cstdio>

#include "gps/line_cutter.h"

// Cuts everything `in` delivers into lines, as the serial reader does: a last line
// without its line end is incomplete and is not delivered. Stops early, as at the
// end of the input, once a stop was requested (stop_signal.h). Returns false when
// reading failed (the lines before the failure were delivered).
bool FeedLines(FILE* in, LineHandler handler, void* context);
