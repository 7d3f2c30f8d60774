#include "nmea/parse_decimal.h"

#include <gtest/gtest.h>

namespace {

double Parsed(const char* text) {
  double value = -999.0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << '"' << text << '"';
  return value;
}

bool Rejects(const char* text) {
  double value = 0.0;
  return !ParseDecimal(text, &value);
}

TEST(ParseDecimal, ReadsNmeaNumbers) {
  EXPECT_EQ(Parsed("123519"), 123519.0);
  EXPECT_EQ(Parsed("."), 0.0);
  EXPECT_EQ(Parsed("12."), 12.0);
  EXPECT_EQ(Parsed("+3.25"), 3.25);
  EXPECT_EQ(Parsed("545."), 545.0);
  EXPECT_EQ(Parsed("0"), 0.0);
  EXPECT_EQ(Parsed(" 42"), 42.0);
}

TEST(ParseDecimal, NegativeIntegerPartSubtractsTheFraction) {
  EXPECT_EQ(Parsed("-12.5"), -12.5);
  EXPECT_EQ(Parsed("-0.5"), -0.5);
  EXPECT_EQ(Parsed(" -0.5"), -0.5);
}

TEST(ParseDecimal, FractionIsScaledByRepeatedTenths) {
  // 38 * 0.1 * 0.1 * 0.1, which is not the same double as 38 / 1000.
  EXPECT_EQ(Parsed("0.038"), 38 * 0.1 * 0.1 * 0.1);
  EXPECT_EQ(Parsed(".4"), 4 * 0.1);
  EXPECT_EQ(Parsed("4807.038"), 4807 + 38 * 0.1 * 0.1 * 0.1);
}

TEST(ParseDecimal, SaturatesAtThe32BitRange) {
  EXPECT_EQ(Parsed("2147483647"), 2147483647.0);
  EXPECT_EQ(Parsed("99999999999999"), 2147483647.0);
  EXPECT_EQ(Parsed("-2147483648"), -2147483648.0);
  EXPECT_EQ(Parsed("-99999999999999"), -2147483648.0);
}

TEST(ParseDecimal, RejectsWhatIsNotADecimal) {
  for (const char* text :
       {"", "1.2.3", "-.5", "12a", "N", "-", "+", " ", " .5", "1. ", "1 ", "0x10", "1e5"}) {
    EXPECT_TRUE(Rejects(text)) << '"' << text << '"';
  }
  double value = 0.0;
  EXPECT_FALSE(ParseDecimal(nullptr, &value));
  EXPECT_FALSE(ParseDecimal("1", nullptr));
}

TEST(ParseDecimal, AFractionIsDigitsOnly) {
  for (const char* text : {"12.-5", "12.+5", "12. 5", "-1.-5"}) {
    EXPECT_TRUE(Rejects(text)) << '"' << text << '"';
  }
}

TEST(NmeaToDegrees, SplitsDegreesAndMinutesArithmetically) {
  EXPECT_NEAR(NmeaToDegrees(4807.038), 48.1173, 1e-12);
  EXPECT_NEAR(NmeaToDegrees(1131.0), 11.0 + 31.0 / 60.0, 1e-12);
  EXPECT_EQ(NmeaToDegrees(0.0), 0.0);
  EXPECT_NEAR(NmeaToDegrees(17959.99), 179.0 + 59.99 / 60.0, 1e-12);
}

}  // namespace
