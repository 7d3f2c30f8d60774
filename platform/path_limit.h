// The longest path the program names a file by.
#pragma once

// In characters with the terminator for UTF-16 paths; an 8-bit path may take as
// many bytes before its terminator.
inline constexpr int kMaxPathChars = 260;
