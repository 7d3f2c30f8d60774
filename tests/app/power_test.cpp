// Keep-awake and display off against the real X server (Xvfb: no DPMS, so display off
// falls back to the screen saver).
#include "app/power.h"

#include <gtest/gtest.h>
#include <xcb/screensaver.h>

#include <QThread>
#include <cstdlib>
#include <string>

#include "tests/app/qt_test_support.h"
#include "tests/support/run_program.h"

namespace {

// Milliseconds since the last input, as the desktop's idle tools see them.
long IdleMs() {
  const ProgramResult result = RunProgram({"/usr/bin/xprintidle"});
  return result.exit_status == 0 ? std::atol(result.out.c_str()) : -1;
}

// The screen saver state read on a connection of the test's own.
bool ScreenSaverActive() {
  xcb_connection_t* x11 = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x11)).data->root;
  xcb_screensaver_query_info_reply_t* info =
      xcb_screensaver_query_info_reply(x11, xcb_screensaver_query_info(x11, root), nullptr);
  const bool active = info != nullptr && info->state == XCB_SCREENSAVER_STATE_ON;
  std::free(info);
  xcb_disconnect(x11);
  return active;
}

void WakeAsAUserWould() {
  RunProgram({"/usr/bin/xdotool", "mousemove_relative", "--", "1", "1"});
}

class Power : public testing::Test {
 protected:
  void SetUp() override {
    if (!HaveXServer()) GTEST_SKIP() << "needs an X server";
    if (IdleMs() < 0) GTEST_SKIP() << "needs xprintidle";
  }
  void TearDown() override { WakeAsAUserWould(); }
};

TEST_F(Power, ResettingEverySecondKeepsTheIdleTimeShort) {
  long longest = 0;
  for (int tick = 0; tick < 3; ++tick) {
    ResetSystemIdleTimer();
    QThread::msleep(1000);
    const long idle = IdleMs();
    ASSERT_GE(idle, 0);
    longest = std::max(longest, idle);
  }
  EXPECT_LT(longest, 1500);
  QThread::msleep(1700);  // no more ticks: the idle time grows
  EXPECT_GE(IdleMs(), 1500);
}

TEST_F(Power, DisplayOffBlanksTheScreenAndTheTickLeavesItOff) {
  ResetSystemIdleTimer();
  ASSERT_FALSE(ScreenSaverActive());
  SwitchDisplayOff();
  EXPECT_TRUE(WaitUntil(ScreenSaverActive, 2000));
  EXPECT_TRUE(DisplayIsOff());
  ResetSystemIdleTimer();  // the keep-awake tick must not undo the user's request
  QThread::msleep(100);
  EXPECT_TRUE(ScreenSaverActive());

  WakeAsAUserWould();
  EXPECT_TRUE(WaitUntil([] { return !ScreenSaverActive(); }, 2000));
  QThread::msleep(1200);
  ResetSystemIdleTimer();  // awake again, the tick resets the idle time once more
  QThread::msleep(50);
  EXPECT_LT(IdleMs(), 1000);
}

}  // namespace
