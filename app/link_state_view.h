// Shows whether the read-outs are live. While the link is open and no fix has been
// accepted for a while, and after Stop, the read-outs keep their texts but are drawn
// in the disabled text colour, and the window title says why and for how long. The
// state it finds is kept as a value, which the window's state line tells in words.
#pragma once

#include <QString>
#include <QWidget>

#include "app/app_state.h"
#include "display/link_watch.h"

enum LinkViewState : int32_t {
  VIEW_STOPPED = 0,
  VIEW_CONNECTING = 1,   // Start is reaching the source; no link yet
  VIEW_WAITING = 2,      // the link is open, no fix has come on it yet
  VIEW_LIVE = 3,         // fixes come
  VIEW_NO_DATA = 4,      // nothing from the receiver for stale_seconds()
  VIEW_NO_POSITION = 5,  // data without a position for stale_seconds()
};

class LinkStateView {
 public:
  // `window` is the main window built from its template; its title is the caption.
  LinkStateView(QWidget* window, const AppState* app);

  // Start is reaching the network source at `address`: the read-outs stay as they
  // are, not live, and the title says so until Started() or Stopped().
  void Connecting(const QString& address);
  // The link was opened: the read-outs stay as they look until the first fix.
  void Started();
  // The link was closed: the last values stay, plainly not live.
  void Stopped();
  // Looks at the link; called on the window's 1 s tick and when read-outs change.
  void Check();

  LinkViewState state() const { return state_; }
  int64_t stale_seconds() const { return stale_seconds_; }
  // The caption of the template, without any reason appended.
  const QString& caption() const { return caption_; }

 private:
  QString Text(uint32_t id) const;
  void Show(bool live, const QString& reason);

  QWidget* window_;
  const AppState* app_;
  QString caption_;
  int64_t opened_ms_ = 0;  // MonotonicMs() of the last Start
  bool open_ = false;
  LinkViewState state_ = VIEW_STOPPED;
  int64_t stale_seconds_ = 0;
};
