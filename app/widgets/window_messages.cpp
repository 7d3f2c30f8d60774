#include "app/widgets/window_messages.h"

#include <QCoreApplication>

namespace {

// Runs on any thread; posting is all Qt allows there, and all the workers need.
int PostAsEvent(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam, void*) {
  if (window == nullptr) return 0;
  QCoreApplication::postEvent(
      ObjectOf(window), new WindowMessageEvent(static_cast<QEvent::Type>(message), wparam, lparam));
  return 1;
}

}  // namespace

void InstallWindowMessagePoster() {
  QEvent::registerEventType(MSG_ENUM_DONE);
  QEvent::registerEventType(MSG_FIX_UPDATED);
  QEvent::registerEventType(MSG_RECORDING_FAILED);
  QEvent::registerEventType(MSG_LINK_CONNECTED);
  InstallMessagePoster(PostAsEvent, nullptr);
}
