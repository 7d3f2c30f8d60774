#include "app/desktop/power.h"

#include <xcb/dpms.h>
#include <xcb/screensaver.h>

#include <cstdlib>

#include "app/desktop/x11_connection.h"

namespace {

bool switched_off = false;

bool HasDpms(xcb_connection_t* x11) {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(x11, &xcb_dpms_id);
  if (extension == nullptr || extension->present == 0) return false;
  xcb_dpms_capable_reply_t* capable = xcb_dpms_capable_reply(x11, xcb_dpms_capable(x11), nullptr);
  const bool result = capable != nullptr && capable->capable != 0;
  std::free(capable);
  return result;
}

}  // namespace

bool DisplayIsOff() {
  xcb_connection_t* x11 = X11Connection();
  if (x11 == nullptr) return false;
  bool off = false;
  if (HasDpms(x11)) {
    xcb_dpms_info_reply_t* info = xcb_dpms_info_reply(x11, xcb_dpms_info(x11), nullptr);
    off = info != nullptr && info->state != 0 && info->power_level != XCB_DPMS_DPMS_MODE_ON;
    std::free(info);
  }
  xcb_screensaver_query_info_reply_t* saver = xcb_screensaver_query_info_reply(
      x11, xcb_screensaver_query_info(x11, X11RootWindow()), nullptr);
  if (saver != nullptr && saver->state == XCB_SCREENSAVER_STATE_ON) off = true;
  std::free(saver);
  return off;
}

void ResetSystemIdleTimer() {
  if (switched_off) {
    if (DisplayIsOff()) return;
    switched_off = false;  // the user woke the display; keep it awake again
  }
  if (xcb_connection_t* x11 = X11Connection()) {
    xcb_force_screen_saver(x11, XCB_SCREEN_SAVER_RESET);
    xcb_flush(x11);
  }
}

void SwitchDisplayOff() {
  xcb_connection_t* x11 = X11Connection();
  if (x11 == nullptr) return;
  if (HasDpms(x11)) {
    xcb_dpms_enable(x11);
    xcb_dpms_force_level(x11, XCB_DPMS_DPMS_MODE_OFF);
  } else {
    xcb_force_screen_saver(x11, XCB_SCREEN_SAVER_ACTIVE);
  }
  xcb_flush(x11);
  switched_off = true;
}
