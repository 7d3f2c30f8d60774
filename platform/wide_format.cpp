#include "platform/wide_format.h"

#include <locale.h>

#include <cstdio>

#include "platform/text_convert.h"

namespace {

constexpr int kMaxFieldDigits = 2;  // width and precision: up to 99 keeps the output bounded

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Skips at most kMaxFieldDigits digits; false when there are more.
bool SkipDigits(const char16_t** p) {
  int digits = 0;
  while (IsDigit(**p)) {
    if (++digits > kMaxFieldDigits) return false;
    ++*p;
  }
  return true;
}

bool IsFloatingConversion(char16_t c) {
  switch (c) {
    case u'f':
    case u'F':
    case u'e':
    case u'E':
    case u'g':
    case u'G':
    case u'a':
    case u'A':
      return true;
    default:
      return false;
  }
}

bool IsFlag(char16_t c) {
  return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0';
}

// Reads one conversion after its '%'; returns false for anything but a plain floating
// conversion of a double. Sets *literal for "%%".
bool ReadConversion(const char16_t** p, bool* literal) {
  *literal = **p == u'%';
  if (*literal) {
    ++*p;
    return true;
  }
  while (IsFlag(**p))
    ++*p;
  if (!SkipDigits(p)) return false;
  if (**p == u'.') {
    ++*p;
    if (!SkipDigits(p)) return false;
  }
  if (**p == u'l') ++*p;
  if (!IsFloatingConversion(**p)) return false;
  ++*p;
  return true;
}

}  // namespace

int IsSingleDoubleFormat(const char16_t* format) {
  if (format == nullptr) return 0;
  size_t length = 0;
  while (format[length] != 0) {
    if (++length > kMaxWideFormatUnits) return 0;
  }
  int conversions = 0;
  const char16_t* p = format;
  while (*p != 0) {
    if (*p++ != u'%') continue;
    bool literal = false;
    if (!ReadConversion(&p, &literal)) return 0;
    if (!literal) ++conversions;
  }
  char narrow[kMaxWideFormatUnits * 3 + 1];
  return conversions == 1 && Utf16ToUtf8(narrow, sizeof narrow, format) >= 0;
}

int FormatCNumber(char* out, size_t size, const char* format, double value) {
  // The desktop sets the process's numeric locale from the user's; a read-out and a GPX
  // file keep the decimal point their formats use. Only this thread's locale changes.
  static const locale_t c_numbers = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = c_numbers != static_cast<locale_t>(0) ? uselocale(c_numbers) : 0;
  const int length = snprintf(out, size, format, value);
  if (previous != static_cast<locale_t>(0)) uselocale(previous);
  return length;
}

int WideFormatDouble(char16_t* out, size_t count, const char16_t* format, double value) {
  if (count > 0) out[0] = 0;
  if (!IsSingleDoubleFormat(format)) return -1;
  char narrow_format[kMaxWideFormatUnits * 3 + 1];
  Utf16ToUtf8(narrow_format, sizeof narrow_format, format);

  // Widest output: 309 integer digits of the largest double, a point, 99 decimals and
  // the format's own text. Whatever goes beyond `count` units is cut anyway.
  char text[512];
  const int length = FormatCNumber(text, sizeof text, narrow_format, value);
  if (length < 0) return -1;
  const size_t available = static_cast<size_t>(length) < sizeof text ? length : sizeof text - 1;

  size_t written = 0, read = 0;
  while (read < available) {
    char32_t c;
    const int bytes = DecodeUtf8(text + read, available - read, &c);
    if (bytes == 0) break;  // a character cut by the buffer's end
    const size_t units = Utf16Length(c);
    if (written + units > count) break;
    EncodeUtf16(c, out + written);
    written += units;
    read += bytes;
  }
  if (written < count) out[written] = 0;
  return read < static_cast<size_t>(length) ? -1 : static_cast<int>(written);
}
