// Shows whether the read-outs are live. While the link is open and no fix has been
// accepted for a while, and after Stop, the read-outs keep their texts but are drawn
// in the disabled text colour, and the window title says why and for how long.
#pragma once

#include <QString>
#include <QWidget>

#include "app/app_state.h"
#include "display/link_watch.h"

class LinkStateView {
 public:
  // `window` is the main window built from its template; its title is the caption.
  LinkStateView(QWidget* window, const AppState* app);

  // The link was opened: the read-outs stay as they look until the first fix.
  void Started();
  // The link was closed: the last values stay, plainly not live.
  void Stopped();
  // The link is connecting to the network source at `address`: the read-outs stay as
  // they are, not live, and the title says so until Started() or Stopped().
  void Connecting(const QString& address);
  // Looks at the link; called on the window's 1 s tick and when read-outs change.
  void Check();

 private:
  QString Text(uint32_t id) const;
  void Show(bool live, const QString& reason);

  QWidget* window_;
  const AppState* app_;
  QString caption_;
  int64_t opened_ms_ = 0;  // MonotonicMs() of the last Start
  bool open_ = false;
  bool connecting_ = false;  // between Connecting() and Started() or Stopped()
};
