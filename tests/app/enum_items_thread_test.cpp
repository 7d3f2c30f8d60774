// The configuration dialog's entries cross from the enumerator thread to the dialog's
// thread without a lock: ownership passes with MSG_ENUM_DONE, or with the stop.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/enum_item_list.h"
#include "gps/settings_enumerator.h"

namespace {

// Stands in for the window system's queue: the dialog's thread waits for the message.
struct MessageQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<uint32_t> messages;
  WindowHandle window = nullptr;
};

int Post(WindowHandle window, uint32_t message, uintptr_t, intptr_t, void* context) {
  auto* queue = static_cast<MessageQueue*>(context);
  std::lock_guard<std::mutex> hold(queue->mutex);
  queue->window = window;
  queue->messages.push_back(message);
  queue->arrived.notify_all();
  return 1;
}

TEST(EnumItemsThread, TheDoneMessageOrTheStopHandsOverTheEntries) {
  MessageQueue queue;
  InstallMessagePoster(Post, &queue);
  int window = 0;  // any address names the dialog here
  for (const bool wait : {true, false}) {
    SettingsEnumerator enumerator{};
    SettingsEnumeratorClear(&enumerator);
    EnumItemList list{nullptr, &window};
    ASSERT_EQ(SettingsEnumeratorStart(&enumerator, OnEnumItem, &list), 1);
    if (wait) {
      std::unique_lock<std::mutex> hold(queue.mutex);
      ASSERT_TRUE(queue.arrived.wait_for(hold, std::chrono::seconds(30),
                                         [&] { return !queue.messages.empty(); }));
      EXPECT_EQ(queue.messages, std::vector<uint32_t>{MSG_ENUM_DONE});
      EXPECT_EQ(queue.window, &window);
    }
    EXPECT_EQ(SettingsEnumeratorStop(&enumerator, 1), 1);
    // The thread has ended: the list belongs to this thread, whatever it holds.
    std::vector<std::u16string> baud_rates;
    for (const EnumItem* item = list.head; item != nullptr; item = item->next)
      if (item->kind == KIND_BAUD_RATE) baud_rates.push_back(item->text);
    if (wait) {
      ASSERT_EQ(baud_rates.size(), 13u);
      EXPECT_EQ(baud_rates.front(), u"110");
      EXPECT_EQ(baud_rates.back(), u"256000");
    }
    FreeEnumItems(list.head);
  }
  InstallMessagePoster(nullptr, nullptr);
}

}  // namespace
