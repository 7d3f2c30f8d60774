#include "nmea/parse_decimal.h"

#include <gtest/gtest.h>

namespace {

// Number fields as receivers send them, and the exact double each becomes: the
// integer part saturates at the 32-bit range, the fraction is its digits times 0.1
// once per digit, and a leading minus subtracts the fraction.
const struct {
  const char* text;
  double value;
} kNumbers[] = {
    {"123519", 123519},
    {"0", 0},
    {" 42", 42},
    {"+3.25", 3.25},
    {"12.", 12},
    {".", 0},
    {".4", 4 * 0.1},
    {"0.038", 38 * 0.1 * 0.1 * 0.1},
    {"4807.038", 4807 + 38 * 0.1 * 0.1 * 0.1},
    {"-12.5", -12.5},
    {" -0.5", -0.5},
    {"2147483647", 2147483647},
    {"99999999999999", 2147483647},
    {"-2147483648", -2147483648.0},
    {"-99999999999999", -2147483648.0},
};

const char* const kNotNumbers[] = {
    "",    "1.2.3", "-.5",  "12a", "N",     "-",     "+",     " ",     " .5",
    "1. ", "1 ",    "0x10", "1e5", "12.-5", "12.+5", "12. 5", "-1.-5",
};

TEST(ParseDecimal, Numbers) {
  for (const auto& row : kNumbers) {
    double value = -999.0;
    EXPECT_TRUE(ParseDecimal(row.text, &value)) << '"' << row.text << '"';
    EXPECT_EQ(value, row.value) << '"' << row.text << '"';
  }
}

TEST(ParseDecimal, NotNumbers) {
  double value = 0.0;
  for (const char* text : kNotNumbers)
    EXPECT_FALSE(ParseDecimal(text, &value)) << '"' << text << '"';
  EXPECT_FALSE(ParseDecimal(nullptr, &value) || ParseDecimal("1", nullptr));
}

}  // namespace
