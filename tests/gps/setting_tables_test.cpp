#include "gps/setting_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int32_t ValueOf(const SettingEntry* table, int count, const char* text) {
  const SettingEntry* row = FindSettingEntry(table, count, text);
  return row == nullptr ? -1 : row->value;
}

TEST(SettingTables, RowsInTheirFixedOrder) {
  const char* bauds[] = {"256000", "128000", "115200", "57600", "38400", "19200", "9600",
                         "4800",   "2400",   "1200",   "600",   "300",   "110"};
  for (int i = 0; i < kBaudRateCount; ++i) {
    EXPECT_STREQ(BaudRateTable[i].text, bauds[i]);
    EXPECT_EQ(BaudRateTable[i].value, std::stoi(bauds[i]));
  }
  EXPECT_STREQ(DataBitsTable[0].text, "8");
  EXPECT_EQ(DataBitsTable[3].value, 5);
  EXPECT_STREQ(ParityTable[0].text, "E");
  EXPECT_STREQ(ParityTable[1].text, "N");
  EXPECT_STREQ(ParityTable[2].text, "O");
  EXPECT_STREQ(PortNameList[0], "COM0:");
  EXPECT_STREQ(PortNameList[9], "COM9:");
}

TEST(FindSettingEntry, FindsExactTextsOnly) {
  EXPECT_EQ(FindSettingEntry(BaudRateTable, kBaudRateCount, "256000"), &BaudRateTable[0]);
  EXPECT_EQ(FindSettingEntry(BaudRateTable, kBaudRateCount, "110"), &BaudRateTable[12]);
  EXPECT_EQ(ValueOf(BaudRateTable, kBaudRateCount, "9600"), 9600);
  for (const char* text : {" 9600", "9600 ", "09600", "9600.0", "", "14400", "230400"})
    EXPECT_EQ(FindSettingEntry(BaudRateTable, kBaudRateCount, text), nullptr) << '"' << text;
  EXPECT_EQ(FindSettingEntry(BaudRateTable, kBaudRateCount, nullptr), nullptr);
  EXPECT_EQ(FindSettingEntry(nullptr, kBaudRateCount, "9600"), nullptr);
}

TEST(FindSettingEntry, ParityAndStopBitsGiveTheirCodes) {
  EXPECT_EQ(ValueOf(ParityTable, kParityCount, "N"), 0);
  EXPECT_EQ(ValueOf(ParityTable, kParityCount, "E"), 2);
  EXPECT_EQ(ValueOf(ParityTable, kParityCount, "O"), 1);
  for (const char* text : {"n", "e", "o", "M", "S"})
    EXPECT_EQ(ValueOf(ParityTable, kParityCount, text), -1) << text;
  EXPECT_EQ(ValueOf(StopBitsTable, kStopBitsCount, "1"), 0);
  EXPECT_EQ(ValueOf(StopBitsTable, kStopBitsCount, "2"), 2);
  EXPECT_EQ(ValueOf(StopBitsTable, kStopBitsCount, "1.5"), -1);
}

TEST(FindSettingEntry, EachTableKnowsOnlyItsOwnTexts) {
  EXPECT_EQ(FindSettingEntry(ParityTable, kParityCount, "8"), nullptr);
  EXPECT_EQ(FindSettingEntry(DataBitsTable, kDataBitsCount, "N"), nullptr);
  EXPECT_EQ(FindSettingEntry(StopBitsTable, kStopBitsCount, "9600"), nullptr);
}

TEST(DefaultSettingTexts, EachIsFoundInItsOwnTable) {
  EXPECT_STREQ(DefaultSettingTexts[0], "COM1:");
  EXPECT_STREQ(PortNameList[1], DefaultSettingTexts[0]);
  EXPECT_EQ(ValueOf(BaudRateTable, kBaudRateCount, DefaultSettingTexts[1]), 9600);
  EXPECT_EQ(ValueOf(DataBitsTable, kDataBitsCount, DefaultSettingTexts[2]), 8);
  EXPECT_EQ(ValueOf(ParityTable, kParityCount, DefaultSettingTexts[3]), kNoParity);
  EXPECT_EQ(ValueOf(StopBitsTable, kStopBitsCount, DefaultSettingTexts[4]), kOneStopBit);
}

}  // namespace
