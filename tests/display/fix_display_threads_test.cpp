// The reader thread formats and records while the UI thread refreshes and records.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "display/fix_display.h"
#include "tests/support/temp_dir.h"

namespace {

// The window's message queue: the reader posts, the UI thread takes.
struct Queue {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<uint32_t> bits;
  bool done = false;
};

int Enqueue(WindowHandle, uint32_t message, uintptr_t wparam, intptr_t, void* queue) {
  auto* q = static_cast<Queue*>(queue);
  if (message != MSG_FIX_UPDATED) return 0;
  std::lock_guard<std::mutex> hold(q->mutex);
  q->bits.push_back(static_cast<uint32_t>(wparam));
  q->ready.notify_one();
  return 1;
}

void StoreText(WindowHandle, int id, const char16_t* text, void* controls) {
  static_cast<std::u16string*>(controls)[id - IDC_TIME] = text;
}

TEST(FixDisplayThreads, RefreshAndRecordingRunBesideTheReader) {
  constexpr int kFixes = 20000;
  TempDir dir;
  Queue queue;
  FixDisplay display;
  InstallMessagePoster(Enqueue, &queue);
  FixDisplayInit(&display, &queue, nullptr);

  std::thread reader([&] {
    for (int i = 1; i <= kFixes; ++i) {
      const double step = i * 0.001;
      FixDisplayOnFix(100000.0 + i, 10.0 + step, 20.0 - step, 100.0 + i % 7, 1000.0 + step,
                      500.0 + step, &display);
    }
    std::lock_guard<std::mutex> hold(queue.mutex);
    queue.done = true;
    queue.ready.notify_one();
  });

  // The UI thread: refreshes every message and starts and stops recordings meanwhile.
  std::u16string controls[6];
  int messages = 0;
  for (;;) {
    uint32_t bits = 0;
    {
      std::unique_lock<std::mutex> hold(queue.mutex);
      queue.ready.wait(hold, [&] { return queue.done || !queue.bits.empty(); });
      if (queue.bits.empty()) break;
      bits = queue.bits.front();
      queue.bits.pop_front();
    }
    ASSERT_NE(bits, 0u);
    FixDisplayRefresh(&display, &queue, bits, StoreText, controls);
    if (++messages % 500 == 0) {
      GpxRecorderClose(&display.recorder);
      GpxRecorderOpen(&display.recorder, dir.File("track.gpx").c_str());
    }
  }
  reader.join();
  GpxRecorderClose(&display.recorder);
  InstallMessagePoster(nullptr, nullptr);

  EXPECT_EQ(messages, kFixes) << "every fix changed the time";
  EXPECT_EQ(controls[0], u"120000.000");
  EXPECT_EQ(controls[2], u" 30.0000N");
  EXPECT_EQ(controls[3], u"  0.0000E");
  EXPECT_EQ(controls[4], u"1020.000km");
  EXPECT_EQ(controls[5], u" 520.000km");
}

}  // namespace
