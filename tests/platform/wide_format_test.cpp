// The bounded formatter of the read-outs, with the program's formats and hostile ones.
#include <gtest/gtest.h>

#include <string>

#include "platform/wide_format.h"

namespace {

std::u16string Format(const char16_t* format, double value, size_t count = 15) {
  char16_t out[64];
  for (char16_t& unit : out)
    unit = u'#';
  WideFormatDouble(out, count, format, value);
  out[count] = 0;
  return out;
}

TEST(WideFormatDouble, TheProgramsOwnFormats) {
  EXPECT_EQ(Format(u"%010.3lf", 92750.0), u"092750.000");
  EXPECT_EQ(Format(u"%8.4lfN", 48.1173), u" 48.1173N");
  EXPECT_EQ(Format(u"%8.4lfW", 70.3), u" 70.3000W");
  EXPECT_EQ(Format(u"%6.1lfm", -12.5), u" -12.5m");
  EXPECT_EQ(Format(u"%8.3lfkm", 5332.4012), u"5332.401km");
}

TEST(WideFormatDouble, WritesAtMostCountUnitsAndTerminatesOnlyBelowIt) {
  char16_t out[20];
  for (char16_t& unit : out)
    unit = u'#';
  EXPECT_EQ(WideFormatDouble(out, 15, u"%6.1lfm", 1234567890123.5), -1);
  EXPECT_EQ(std::u16string(out, 15), u"1234567890123.5");
  EXPECT_EQ(out[15], u'#') << "a cut text is not terminated, as with _snwprintf";

  EXPECT_EQ(WideFormatDouble(out, 15, u"%6.1lfm", 123456789012.5), 15);
  EXPECT_EQ(std::u16string(out, 15), u"123456789012.5m");
  EXPECT_EQ(out[15], u'#');

  EXPECT_EQ(WideFormatDouble(out, 15, u"%.1lf", 2.25), 3);
  EXPECT_EQ(std::u16string(out), u"2.2");
  // Hundreds of digits still end at the count.
  EXPECT_EQ(Format(u"%99.99f", 1e308).size(), 15u);
}

TEST(WideFormatDouble, TranslatedFormatsMayCarryAnyText) {
  EXPECT_EQ(Format(u"%.2lf\u00b0 Nord", 48.1173), u"48.12\u00b0 Nord");
  EXPECT_EQ(Format(u"%%%+.1e", 1500.0), u"%+1.5e+03");
  EXPECT_EQ(Format(u"%G", 0.5), u"0.5");
  EXPECT_EQ(Format(u"%-7.1fm|", 1.5), u"1.5    m|");
  // A character beyond the 16-bit plane is cut whole, never half a pair.
  EXPECT_EQ(Format(u"%.0f\U0001F6F0", 123456789012345.0, 16), u"123456789012345");
}

TEST(WideFormatDouble, RefusesFormatsThatDoNotTakeExactlyOneDouble) {
  const char16_t unterminated[32] = {u'%', u'f', u' ', u'a', u'a', u'a', u'a', u'a',
                                     u'a', u'a', u'a', u'a', u'a', u'a', u'a', u'a',
                                     u'a', u'a', u'a', u'a', u'a', u'a', u'a', u'a',
                                     u'a', u'a', u'a', u'a', u'a', u'a', u'a', u'a'};
  const char16_t lone_surrogate[] = {u'%', u'f', 0xD800, 0};
  for (const char16_t* hostile :
       {u"%s",  u"%n",  u"%d %f", u"%f %f",     u"%f%n",       u"%p",    u"%c",
        u"%x",  u"%*f", u"%.*f",  u"%Lf",       u"%llf",       u"%hf",   u"%1$f",
        u"%'f", u"%",   u"%f%",   u"plain",     u"",           u"%100f", u"%.100f",
        u"%ls", u"%lc", u"%%",    unterminated, lone_surrogate}) {
    EXPECT_FALSE(IsSingleDoubleFormat(hostile)) << std::string(hostile, hostile + 3).c_str();
    char16_t out[16] = u"untouched";
    EXPECT_EQ(WideFormatDouble(out, 15, hostile, 1.0), -1);
    EXPECT_EQ(out[0], 0);
  }
  EXPECT_FALSE(IsSingleDoubleFormat(nullptr));
}

TEST(WideFormatDouble, AcceptsEveryFloatingConversion) {
  for (const char16_t* format : {u"%f", u"%F", u"%e", u"%E", u"%g", u"%G", u"%a", u"%A", u"%lf",
                                 u"%-+ #0 99.99lf", u"x%%%5.fy%%"}) {
    EXPECT_TRUE(IsSingleDoubleFormat(format));
  }
}

}  // namespace
