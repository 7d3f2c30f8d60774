// SIGTERM, SIGINT and SIGHUP end the program the orderly way: the handler only writes
// to a pipe, and the UI thread runs `quit` when the pipe becomes readable.
#pragma once

#include <functional>

// Returns false when the pipe or a handler could not be installed.
bool InstallQuitSignals(std::function<void()> quit);
