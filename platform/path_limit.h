// The longest path the program names a file by, and the longest the system hands back.
#pragma once

#include <climits>
#include <cstddef>

// In characters with the terminator for UTF-16 paths; an 8-bit path may take as
// many bytes before its terminator.
inline constexpr int kMaxPathChars = 260;

// The system's longest path in bytes, terminator included (PATH_MAX): the room for a
// path the system hands back (realpath, readlink), a device path, or a folder before the
// program's own limit above is checked.
inline constexpr size_t kSystemPathBytes = PATH_MAX;
