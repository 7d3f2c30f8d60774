#include "platform/text_convert.h"

#include <cstring>

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

int Utf8Length(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

void EncodeUtf8(char32_t c, char* out) {
  const int length = Utf8Length(c);
  if (length == 1) {
    out[0] = static_cast<char>(c);
    return;
  }
  static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (int i = length - 1; i > 0; --i) {
    out[i] = static_cast<char>(0x80 | (c & 0x3F));
    c >>= 6;
  }
  out[0] = static_cast<char>(kLead[length] | c);
}

}  // namespace

int DecodeUtf8(const char* in, size_t available, char32_t* code_point) {
  if (available == 0) return 0;
  const auto lead = static_cast<unsigned char>(in[0]);
  int length;
  char32_t c;
  if (lead < 0x80) {
    *code_point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07;
  } else {
    return 0;
  }
  if (available < static_cast<size_t>(length)) return 0;
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(in[i]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not characters.
  if (Utf8Length(c) != length || (c >= 0xD800 && c <= 0xDFFF) || c > kMaxCodePoint) return 0;
  *code_point = c;
  return length;
}

void EncodeUtf16(char32_t c, char16_t* out) {
  if (Utf16Length(c) == 1) {
    out[0] = static_cast<char16_t>(c);
    return;
  }
  out[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
  out[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
}

ptrdiff_t Utf16ToUtf8(char* out, size_t size, const char16_t* in, size_t max_in) {
  size_t total = 0, written = 0;
  bool fits = true;
  for (size_t i = 0; i < max_in && in[i] != 0; ++i) {
    char32_t c = in[i];
    if (IsHighSurrogate(c) && i + 1 < max_in && IsLowSurrogate(in[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (size > 0) out[0] = '\0';
      return -1;
    }
    const int length = Utf8Length(c);
    // Once a character did not fit, none after it is written either.
    if (fits && total + length < size) {
      EncodeUtf8(c, out + total);
      written = total + length;
    } else {
      fits = false;
    }
    total += length;
  }
  if (size > 0) out[written] = '\0';
  return static_cast<ptrdiff_t>(total);
}

ptrdiff_t Utf8ToUtf16(char16_t* out, size_t size, const char* in) {
  const size_t available = strlen(in);
  size_t total = 0, written = 0;
  bool fits = true;
  for (size_t i = 0; i < available;) {
    char32_t c;
    const int length = DecodeUtf8(in + i, available - i, &c);
    if (length == 0) {
      if (size > 0) out[0] = 0;
      return -1;
    }
    i += length;
    const size_t units = Utf16Length(c);
    if (fits && total + units < size) {
      EncodeUtf16(c, out + total);
      written = total + units;
    } else {
      fits = false;
    }
    total += units;
  }
  if (size > 0) out[written] = 0;
  return static_cast<ptrdiff_t>(total);
}
