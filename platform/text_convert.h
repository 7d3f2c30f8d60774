// Conversion between the UTF-16 texts of the user interface and 8-bit UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts the UTF-16 text `in` (read up to its terminator, at most `max_in` code
// units) to UTF-8 in `out`, which holds `size` bytes: whole characters while they fit
// in size - 1 bytes, then a terminator (when size > 0). Returns the byte length of
// the whole text, so a result >= size means it was cut; -1 when the text holds an
// unpaired surrogate (`out` is then empty).
ptrdiff_t Utf16ToUtf8(char* out, size_t size, const char16_t* in, size_t max_in = SIZE_MAX);

// Converts the UTF-8 text `in` to UTF-16 in `out`, which holds `size` code units, by
// the same rules: whole characters while they fit in size - 1 units, then a
// terminator. Only those units are written. Returns the length of the whole text in
// code units; -1 when `in` is not well-formed UTF-8 (`out` is then empty).
ptrdiff_t Utf8ToUtf16(char16_t* out, size_t size, const char* in);

// Decodes the first character of the UTF-8 text `in` (at most `available` bytes).
// Returns its byte count, or 0 when the bytes are not a complete, well-formed
// character (a NUL byte decodes as U+0000 of length 1).
int DecodeUtf8(const char* in, size_t available, char32_t* code_point);

// The UTF-16 code units of a character: 1, or 2 (a surrogate pair) beyond U+FFFF.
inline int Utf16Length(char32_t c) {
  return c >= 0x10000 ? 2 : 1;
}
// Writes the Utf16Length(c) units of the character `c` to `out`.
void EncodeUtf16(char32_t c, char16_t* out);
