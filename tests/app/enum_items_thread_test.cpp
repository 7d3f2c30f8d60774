// The configuration dialog's entries cross from the enumerator thread to the dialog's
// thread without a lock: ownership passes with MSG_ENUM_DONE, or with the stop.
#include <gtest/gtest.h>

#include <future>

#include "app/enum_item_list.h"
#include "gps/settings_enumerator.h"

namespace {

// Stands in for the window system's queue: the dialog's thread waits for the one
// message (a second would throw).
int Post(WindowHandle, uint32_t message, uintptr_t, intptr_t, void* context) {
  static_cast<std::promise<uint32_t>*>(context)->set_value(message);
  return 1;
}

TEST(EnumItemsThread, TheDoneMessageOrTheStopHandsOverTheEntries) {
  int window = 0;  // any address names the dialog here
  for (const bool wait : {true, false}) {
    std::promise<uint32_t> posted;
    InstallMessagePoster(Post, &posted);
    SettingsEnumerator enumerator{};
    SettingsEnumeratorClear(&enumerator);
    EnumItemList list{nullptr, &window};
    ASSERT_EQ(SettingsEnumeratorStart(&enumerator, OnEnumItem, &list), 1);
    if (wait) {
      EXPECT_EQ(posted.get_future().get(), uint32_t(MSG_ENUM_DONE));
    }
    EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 1), 1);
    // The thread has ended: the list belongs to this thread, whatever it holds.
    int baud_rates = 0;
    for (const EnumItem* item = list.head; item != nullptr; item = item->next)
      baud_rates += item->kind == KIND_BAUD_RATE;
    if (wait) {
      EXPECT_EQ(baud_rates, 13);
    }
    FreeEnumItems(list.head);
    InstallMessagePoster(nullptr, nullptr);
  }
}

}  // namespace
