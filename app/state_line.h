// The line under the read-outs that tells in words what the window shows: the link's
// state, the port in use and where it leads, and the recording with its waypoints.
// Until the first fix a hint below it, drawn as a placeholder is, says how to reach
// the menu; it is no read-out text and goes with the first fix.
#pragma once

#include <QLabel>
#include <QString>
#include <QStringList>

#include "app/app_state.h"
#include "app/link_state_view.h"

// The text of string `id` from the language module, or the program's own.
QString WindowString(const ResourceModule& module, uint32_t id);

// "COM1: /dev/pts/5": a port name and the device or network source it leads to now
// (a ports-folder link's target, or the first line of a network entry). A device path
// stands alone; a name that leads nowhere known stays as it is.
QString PortDescription(const char16_t* port_name);

class StateLine {
 public:
  StateLine(QWidget* window, AppState* app);

  // Composes the line from the link's state and the recording, and shows or hides the
  // hint; the configuration's port is the one in use from the first state after Stopped
  // on. Place() lays the new words out.
  void Update(LinkViewState state, int64_t stale_seconds);
  // Lays the line (and the hint while it shows) out from `top` across `width` pixels;
  // returns the y just below them.
  int Place(int x, int top, int width);

  QLabel* label() const { return label_; }
  QLabel* hint() const { return hint_; }

 private:
  AppState* app_;
  QLabel* label_;
  QLabel* hint_;
  QString port_;       // the port in use with where it leads
  QStringList parts_;  // state, port, recording: each stays on one line where it can
};
