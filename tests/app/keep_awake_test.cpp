// Keep-awake and display off against the X server's idle time and screen saver (Xvfb
// has no DPMS, so display off falls back to the screen saver).
#include <gtest/gtest.h>
#include <xcb/screensaver.h>

#include "app/commands.h"
#include "app/power.h"
#include "tests/app/app_fixture.h"

namespace {

bool ScreenSaverActive() {  // read on a connection of the test's own
  xcb_connection_t* x11 = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x11)).data->root;
  auto* info =
      xcb_screensaver_query_info_reply(x11, xcb_screensaver_query_info(x11, root), nullptr);
  const bool active = info != nullptr && info->state == XCB_SCREENSAVER_STATE_ON;
  std::free(info);
  xcb_disconnect(x11);
  return active;
}

// The longest idle time seen while the event loop runs for `ms`.
long LongestIdleWhileRunning(int ms) {
  long longest = 0;
  for (int waited = 0; waited < ms; waited += 250) {
    WaitUntil([] { return false; }, 250);
    longest = std::max(longest, IdleMs());
  }
  return longest;
}

TEST_F(AppWindowTest, AnOpenLinkKeepsTheDisplayAwakeAndDisplayOffStaysOff) {
  if (QGuiApplication::platformName() != "xcb" || IdleMs() < 0)
    GTEST_SKIP() << "needs an X server and xprintidle";
  auto receiver = AddReceiver(1);
  Command(IDM_START);
  // The first tick comes a period after Start; what was idle before it does not count.
  WaitUntil([] { return false; }, 1100);
  EXPECT_LT(LongestIdleWhileRunning(4000), 1500);

  SwitchDisplayOff();
  EXPECT_TRUE(WaitUntil(ScreenSaverActive, 2000));
  EXPECT_TRUE(DisplayIsOff());
  WaitUntil([] { return false; }, 1200);  // a keep-awake tick does not undo it
  EXPECT_TRUE(ScreenSaverActive());
  Xdotool({"mousemove_relative", "--", "1", "1"});  // the user is back
  EXPECT_TRUE(WaitUntil([] { return !ScreenSaverActive(); }, 2000));

  Command(IDM_STOP);
  EXPECT_GE(LongestIdleWhileRunning(2000), 1500);
}

}  // namespace
