// The configuration dialog's entries cross from the enumerator thread to the dialog's
// thread without a lock: ownership passes with MSG_ENUM_DONE, or with the stop.
#include <gtest/gtest.h>

#include <future>

#include "app/enum_item_list.h"
#include "gps/settings_enumerator.h"

namespace {

using Posted = std::promise<std::pair<WindowHandle, uint32_t>>;

// Stands in for the window system's queue: the dialog's thread waits for the one
// message (a second would throw).
int Post(WindowHandle window, uint32_t message, uintptr_t, intptr_t, void* context) {
  static_cast<Posted*>(context)->set_value({window, message});
  return 1;
}

TEST(EnumItemsThread, TheDoneMessageOrTheStopHandsOverTheEntries) {
  int window = 0;  // any address names the dialog here
  for (const bool wait : {true, false}) {
    Posted posted;
    InstallMessagePoster(Post, &posted);
    SettingsEnumerator enumerator{};
    SettingsEnumeratorClear(&enumerator);
    EnumItemList list{nullptr, &window};
    ASSERT_EQ(SettingsEnumeratorStart(&enumerator, OnEnumItem, &list), 1);
    if (wait) {
      auto message = posted.get_future();
      ASSERT_EQ(message.wait_for(std::chrono::seconds(30)), std::future_status::ready);
      EXPECT_EQ(message.get(), std::make_pair(WindowHandle(&window), uint32_t(MSG_ENUM_DONE)));
    }
    EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 1), 1);
    // The thread has ended: the list belongs to this thread, whatever it holds.
    std::vector<std::u16string> baud_rates;
    for (const EnumItem* item = list.head; item != nullptr; item = item->next)
      if (item->kind == KIND_BAUD_RATE) baud_rates.push_back(item->text);
    if (wait) {
      EXPECT_EQ(baud_rates.size(), 13u);
    }
    FreeEnumItems(list.head);
    InstallMessagePoster(nullptr, nullptr);
  }
}

}  // namespace
