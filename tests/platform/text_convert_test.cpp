// UTF-16 <-> UTF-8: whole characters, bounded outputs, malformed input refused.
#include <gtest/gtest.h>

#include <string>

#include "platform/text_convert.h"

namespace {

TEST(Utf16ToUtf8, ConvertsEveryPlaneAndReportsTheWholeLength) {
  char out[32];
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, u"COM1:"), 5);
  EXPECT_STREQ(out, "COM1:");
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, u"Gr\u00fc\u00dfe \u20ac \U0001F6F0"), 16);
  EXPECT_STREQ(out,
               "Gr\xc3\xbc\xc3\x9f"
               "e \xe2\x82\xac \xf0\x9f\x9b\xb0");
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, u""), 0);
  EXPECT_STREQ(out, "");
}

TEST(Utf16ToUtf8, CutsOnlyBetweenCharactersAndAlwaysTerminates) {
  char out[5];
  memset(out, 'x', sizeof out);
  // "a" (1) + "ä" (2) + "€" (3): the euro sign does not fit in the 4 bytes left.
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, u"a\u00e4\u20ac"), 6);
  EXPECT_STREQ(out, "a\xc3\xa4");
  EXPECT_EQ(Utf16ToUtf8(out, 1, u"abc"), 3);
  EXPECT_STREQ(out, "");
}

TEST(Utf16ToUtf8, UnpairedSurrogatesAreFailures) {
  char out[16] = "junk";
  const char16_t lone_high[] = {u'a', 0xD83D, u'b', 0};
  const char16_t lone_low[] = {0xDE00, 0};
  const char16_t high_at_end[] = {u'a', 0xD83D, 0};
  const char16_t swapped[] = {0xDE00, 0xD83D, 0};
  for (const char16_t* bad : {lone_high, lone_low, high_at_end, swapped}) {
    EXPECT_EQ(Utf16ToUtf8(out, sizeof out, bad), -1);
    EXPECT_STREQ(out, "");
  }
}

TEST(Utf16ToUtf8, ReadsNoFurtherThanMaxIn) {
  // A setting text that fills its 32 units without a terminator.
  char16_t field[33];
  for (char16_t& unit : field)
    unit = u'7';
  field[32] = u'!';  // outside the field: must never be read
  char out[64];
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, field, 32), 32);
  EXPECT_EQ(std::string(out), std::string(32, '7'));
  // A pair split by the limit is an unpaired surrogate.
  const char16_t pair[] = {u'a', 0xD83D, 0xDE00, 0};
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, pair, 2), -1);
  EXPECT_EQ(Utf16ToUtf8(out, sizeof out, pair, 3), 5);
}

TEST(Utf8ToUtf16, ConvertsAndWritesOnlyTheTextAndItsTerminator) {
  char16_t out[8];
  for (char16_t& unit : out)
    unit = u'#';
  EXPECT_EQ(Utf8ToUtf16(out, 8, "9600"), 4);
  EXPECT_EQ(std::u16string(out), u"9600");
  EXPECT_EQ(out[5], u'#') << "units after the terminator keep what they held";
  EXPECT_EQ(Utf8ToUtf16(out, 8, "\xf0\x9f\x9b\xb0\xc3\xa4"), 3);
  EXPECT_EQ(std::u16string(out), u"\U0001F6F0\u00e4");
}

TEST(Utf8ToUtf16, CutsBetweenCharactersNeverInsideASurrogatePair) {
  char16_t out[3];
  EXPECT_EQ(Utf8ToUtf16(out, 3, "a\xf0\x9f\x9b\xb0"), 3);
  EXPECT_EQ(std::u16string(out), u"a");
  char16_t setting[32];
  EXPECT_EQ(Utf8ToUtf16(setting, 32, std::string(40, 'x').c_str()), 40);
  EXPECT_EQ(std::u16string(setting), std::u16string(31, u'x'));
}

TEST(Utf8ToUtf16, MalformedUtf8IsRefused) {
  char16_t out[8];
  for (const char* bad : {"\xc0\x80", "\xed\xa0\x80", "\xf5\x80\x80\x80", "ab\xe2\x82", "\x80",
                          "\xf4\x90\x80\x80", "\xe0\x80\xaf", "latin1 \xe9"}) {
    EXPECT_EQ(Utf8ToUtf16(out, 8, bad), -1) << bad;
    EXPECT_EQ(out[0], 0);
  }
}

}  // namespace
