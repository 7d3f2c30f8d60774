// Display off where the X server cannot do it (a Wayland session): the desktop is
// asked over the session bus to blank the screen without locking the session.
#pragma once

#include <QObject>
#include <functional>

// Asks GNOME's display configuration for power-save mode off (and on again at the next
// input), else Plasma's power management for its "Turn Off Screen" action.
// `unavailable` runs, later, on the window's thread, when the desktop offers neither.
// Nothing waits for a reply.
void AskSessionToSwitchDisplayOff(std::function<void()> unavailable);

// Switches GNOME's monitors on again when Mutter's user-activity watch `watch_id`
// fires; then it is done and deletes itself. Owned by the application object.
class MutterWakeWatch : public QObject {
  Q_OBJECT

 public:
  explicit MutterWakeWatch(uint watch_id);

 private slots:
  void OnWatchFired(uint watch_id);

 private:
  uint watch_id_;
};
