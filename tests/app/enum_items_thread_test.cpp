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

class EnumItemsThread : public testing::Test {
 protected:
  void SetUp() override {
    InstallMessagePoster(Post, &queue_);
    SettingsEnumeratorClear(&enumerator_);
  }
  void TearDown() override {
    SettingsEnumeratorStop(&enumerator_, 1);
    FreeEnumItems(list_.head);
    InstallMessagePoster(nullptr, nullptr);
  }

  MessageQueue queue_;
  SettingsEnumerator enumerator_{};
  int window_ = 0;  // any address names the dialog here
  EnumItemList list_{nullptr, &window_};
};

TEST_F(EnumItemsThread, TheDoneMessageHandsOverEveryEntryInReverse) {
  ASSERT_EQ(SettingsEnumeratorStart(&enumerator_, OnEnumItem, &list_), 1);
  {
    std::unique_lock<std::mutex> hold(queue_.mutex);
    ASSERT_TRUE(queue_.arrived.wait_for(hold, std::chrono::seconds(30),
                                        [this] { return !queue_.messages.empty(); }));
    EXPECT_EQ(queue_.messages, std::vector<uint32_t>{MSG_ENUM_DONE});
    EXPECT_EQ(queue_.window, &window_);
  }
  std::vector<std::u16string> baud_rates;
  for (const EnumItem* item = list_.head; item != nullptr; item = item->next) {
    if (item->kind == KIND_BAUD_RATE) baud_rates.push_back(item->text);
  }
  ASSERT_EQ(baud_rates.size(), 13u);
  EXPECT_EQ(baud_rates.front(), u"110");
  EXPECT_EQ(baud_rates.back(), u"256000");
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator_, 1), 1);
}

TEST_F(EnumItemsThread, AStopWhileFillingHandsOverWhatWasLinkedIn) {
  ASSERT_EQ(SettingsEnumeratorStart(&enumerator_, OnEnumItem, &list_), 1);
  EXPECT_EQ(SettingsEnumeratorStop(&enumerator_, 1), 1);
  // The thread has ended: the list belongs to this thread again, whatever it holds.
  int count = 0;
  for (const EnumItem* item = list_.head; item != nullptr; item = item->next)
    ++count;
  EXPECT_LE(count, 22 + 10);
  FreeEnumItems(list_.head);
  list_.head = nullptr;
}

}  // namespace
