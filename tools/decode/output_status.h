// Standard output that cannot be written (a closed pipe, a full disk) ends the run like
// a stop signal, and the exit says so; the program is never killed by SIGPIPE.
#pragma once

#include <cstdio>

// Call right after writing to `out`, on any thread. When the stream's error flag is set,
// keeps the error number of the first failure and asks the run to stop; then false.
bool OutputWritten(FILE* out);

// The error number of the first failed write of the output, or 0.
int OutputError();
