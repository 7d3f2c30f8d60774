// Window messages as Qt events: the private messages the core's threads post (a fix,
// the enumeration done, a failed write, a connected link) keep their numbers as event
// types and arrive on the window's thread.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

#include "platform/post_message.h"

inline constexpr QEvent::Type kFixUpdatedEvent = static_cast<QEvent::Type>(MSG_FIX_UPDATED);
inline constexpr QEvent::Type kEnumDoneEvent = static_cast<QEvent::Type>(MSG_ENUM_DONE);
inline constexpr QEvent::Type kRecordingFailedEvent =
    static_cast<QEvent::Type>(MSG_RECORDING_FAILED);
inline constexpr QEvent::Type kLinkConnectedEvent = static_cast<QEvent::Type>(MSG_LINK_CONNECTED);

class WindowMessageEvent : public QEvent {
 public:
  WindowMessageEvent(QEvent::Type type, uintptr_t wparam, intptr_t lparam)
      : QEvent(type), wparam_(wparam), lparam_(lparam) {}
  uintptr_t wparam() const { return wparam_; }
  intptr_t lparam() const { return lparam_; }

 private:
  uintptr_t wparam_;
  intptr_t lparam_;
};

inline WindowHandle HandleOf(QObject* window) {
  return static_cast<void*>(window);
}
inline QObject* ObjectOf(WindowHandle window) {
  return static_cast<QObject*>(window);
}

// Installs the poster through which worker threads post to windows. Call once on the
// UI thread after the application object exists, before any worker starts.
void InstallWindowMessagePoster();
