// Thread tests of the settings enumerator: its items, its order, and stopping it.
#include "gps/settings_enumerator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gps/serial_link.h"
#include "gps/setting_tables.h"
#include "tests/support/pty.h"

namespace {

struct Item {
  const char* text;
  int32_t kind;
};

struct Items {
  std::mutex mutex;
  std::vector<Item> items;
  // When set, the report of this port waits until the enumerator is told to stop.
  const char* hold_at = nullptr;
  SettingsEnumerator* enumerator = nullptr;
  std::atomic<bool> holding{false};
  std::atomic<int> reopened_while_reported{-1};

  static void Collect(const char* text, int32_t kind, void* context) {
    auto* self = static_cast<Items*>(context);
    {
      std::lock_guard<std::mutex> lock(self->mutex);
      self->items.push_back(Item{text, kind});
    }
    if (kind == KIND_PORT) {
      const SerialPort again = SerialPortOpen(text);
      self->reopened_while_reported = again != kInvalidSerialPort;
      SerialPortClose(again);
    }
    if (self->hold_at != nullptr && text == self->hold_at) {
      self->holding = true;
      while (self->enumerator->running.load() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::vector<Item> Taken() {
    std::lock_guard<std::mutex> lock(mutex);
    return items;
  }
};

// Every COMn leads nowhere, so the machine's own serial ports stay out of the tests.
struct NoPorts {
  TempPortsFolder ports;
  NoPorts() {
    for (int n = 0; n < kPortNameCount; ++n)
      ports.Link(n, ports.config_home() + "/absent" + std::to_string(n));
  }
};

std::vector<Item> SettingItems() {
  std::vector<Item> expected;
  for (const SettingEntry& row : BaudRateTable)
    expected.push_back(Item{row.text, KIND_BAUD_RATE});
  for (const SettingEntry& row : DataBitsTable)
    expected.push_back(Item{row.text, KIND_DATA_BITS});
  for (const SettingEntry& row : ParityTable)
    expected.push_back(Item{row.text, KIND_PARITY});
  for (const SettingEntry& row : StopBitsTable)
    expected.push_back(Item{row.text, KIND_STOP_BITS});
  return expected;
}

void ExpectItems(const std::vector<Item>& got, const std::vector<Item>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].text, want[i].text) << "item " << i << ": the table's own text";
    EXPECT_EQ(got[i].kind, want[i].kind) << "item " << i;
  }
}

std::vector<Item> RunToTheEnd() {
  SettingsEnumerator enumerator;
  SettingsEnumeratorClear(&enumerator);
  Items items;
  EXPECT_EQ(SettingsEnumeratorStart(&enumerator, Items::Collect, &items), 1);
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 0), 1);
  EXPECT_EQ(enumerator.thread, nullptr);
  return items.Taken();
}

TEST(SettingsEnumeratorTest, WithoutPortsTheSettingsThenDone) {
  NoPorts none;
  std::vector<Item> expected = SettingItems();
  ASSERT_EQ(expected.size(), 22u);
  expected.push_back(Item{nullptr, KIND_DONE});
  ExpectItems(RunToTheEnd(), expected);
}

TEST(SettingsEnumeratorTest, FreePortsInNameOrderBeforeDone) {
  NoPorts none;
  Pty com1, com3, com7;
  ASSERT_TRUE(com1.ok() && com3.ok() && com7.ok());
  ASSERT_TRUE(none.ports.Link(3, com3.device()));
  ASSERT_TRUE(none.ports.Link(1, com1.device()));
  ASSERT_TRUE(none.ports.Link(7, com7.device()));
  // COM7 is held by a GPS link, so it cannot be opened by the probe.
  SerialLink link;
  ASSERT_EQ(SerialLinkOpenNarrow(&link, "COM7:", "9600", "8", "N", "1", 50, nullptr, nullptr), 1);

  std::vector<Item> expected = SettingItems();
  expected.push_back(Item{PortNameList[1], KIND_PORT});
  expected.push_back(Item{PortNameList[3], KIND_PORT});
  expected.push_back(Item{nullptr, KIND_DONE});
  ExpectItems(RunToTheEnd(), expected);

  SerialLinkClose(&link);
  expected.insert(expected.end() - 1, Item{PortNameList[7], KIND_PORT});
  ExpectItems(RunToTheEnd(), expected);
}

TEST(SettingsEnumeratorTest, APortIsHeldWhileItIsReported) {
  NoPorts none;
  Pty com2;
  ASSERT_TRUE(com2.ok());
  ASSERT_TRUE(none.ports.Link(2, com2.device()));
  SettingsEnumerator enumerator;
  Items items;
  ASSERT_EQ(SettingsEnumeratorStart(&enumerator, Items::Collect, &items), 1);
  ASSERT_EQ(SettingsEnumeratorStop(&enumerator, 0), 1);
  EXPECT_EQ(items.reopened_while_reported.load(), 0);
  const SerialPort after = SerialPortOpen("COM2:");
  EXPECT_NE(after, kInvalidSerialPort) << "released after the report";
  SerialPortClose(after);
}

TEST(SettingsEnumeratorTest, CancelDuringTheProbesEndsAfterTheProbeInProgress) {
  NoPorts none;
  Pty com1, com3;
  ASSERT_TRUE(com1.ok() && com3.ok());
  ASSERT_TRUE(none.ports.Link(1, com1.device()));
  ASSERT_TRUE(none.ports.Link(3, com3.device()));
  SettingsEnumerator enumerator;
  SettingsEnumeratorClear(&enumerator);
  Items items;
  items.hold_at = PortNameList[1];
  items.enumerator = &enumerator;
  ASSERT_EQ(SettingsEnumeratorStart(&enumerator, Items::Collect, &items), 1);
  while (!items.holding)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 1), 1);

  std::vector<Item> expected = SettingItems();
  expected.push_back(Item{PortNameList[1], KIND_PORT});
  ExpectItems(items.Taken(), expected);  // no COM3, no done
  EXPECT_EQ(enumerator.thread, nullptr);
  EXPECT_EQ(enumerator.callback, nullptr);
}

TEST(SettingsEnumeratorTest, StartAndStopOnEdges) {
  SettingsEnumerator enumerator;
  SettingsEnumeratorClear(&enumerator);
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 1), 1) << "nothing to wait for";
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 0), 1);
  EXPECT_EQ(SettingsEnumeratorStart(&enumerator, nullptr, nullptr), 0);
  EXPECT_EQ(enumerator.thread, nullptr);
  EXPECT_EQ(SettingsEnumeratorStart(nullptr, Items::Collect, nullptr), 0);
  EXPECT_EQ(SettingsEnumeratorStop(nullptr, 1), 0);
  EXPECT_EQ(SettingsEnumeratorThread(nullptr), 0);
}

TEST(SettingsEnumeratorTest, ACancelledFlagReportsNothing) {
  // The routine run directly with the flag already cleared: every loop ends at once.
  SettingsEnumerator enumerator;
  SettingsEnumeratorClear(&enumerator);
  Items items;
  enumerator.callback = Items::Collect;
  enumerator.callback_context = &items;
  EXPECT_EQ(SettingsEnumeratorThread(&enumerator), 0);
  EXPECT_TRUE(items.Taken().empty());
}

}  // namespace
