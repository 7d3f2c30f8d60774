#include "app/link_state_view.h"

#include <QLineEdit>
#include <QPalette>

#include "app/widgets/template_builder.h"
#include "display/fix_display.h"
#include "platform/monotonic_clock.h"
#include "res/link_state_strings.h"

namespace {

constexpr int kReadoutIds[] = {IDC_TIME,      IDC_ALTITUDE, IDC_LATITUDE,
                               IDC_LONGITUDE, IDC_NORTHING, IDC_EASTING};
constexpr int64_t kMsPerSecond = 1000;
// The separator between the caption and the reason in the window title.
constexpr char16_t kTitleSeparator[] = u" \u2013 ";

}  // namespace

LinkStateView::LinkStateView(QWidget* window, const AppState* app)
    : window_(window), app_(app), caption_(window->windowTitle()) {}

QString LinkStateView::Text(uint32_t id) const {
  char16_t buffer[kMessageChars];
  if (LoadModuleString(app_->module, id, buffer, kMessageChars) > 0) {
    return QString::fromUtf16(buffer);
  }
  const StringResource* own = FindLinkStateString(id);
  return own != nullptr ? QString::fromUtf16(own->text, own->length) : QString();
}

void LinkStateView::Started() {
  open_ = true;
  state_ = VIEW_WAITING;
  opened_ms_ = MonotonicMs();
  window_->setWindowTitle(caption_);
}

void LinkStateView::Stopped() {
  const bool was_open = open_;
  state_ = VIEW_STOPPED;
  if (!was_open) return;
  open_ = false;
  Show(false, Text(IDS_NOT_LIVE));
}

void LinkStateView::Check() {
  if (!open_ || state_ == VIEW_CONNECTING) return;
  int64_t stale_ms = 0;
  const int64_t last_fix = app_->display.last_fix_ms.load();
  const LinkLiveness liveness =
      LinkLivenessAt({.now_ms = MonotonicMs(),
                      .opened_ms = opened_ms_,
                      .last_bytes_ms = SerialLinkLastBytesMs(&app_->port.link),
                      .last_fix_ms = last_fix},
                     &stale_ms);
  stale_seconds_ = stale_ms / kMsPerSecond;
  switch (liveness) {
    case LINK_LIVE:
      // Right after Start the read-outs still show the values of before: they are
      // live again only once a fix has come on this link.
      if (last_fix >= opened_ms_) {
        state_ = VIEW_LIVE;
        Show(true, QString());
      } else {
        state_ = VIEW_WAITING;
      }
      break;
    case LINK_NO_DATA:
      state_ = VIEW_NO_DATA;
      Show(false, Text(IDS_NO_DATA_FOR).arg(stale_seconds_));
      break;
    case LINK_NO_POSITION:
      state_ = VIEW_NO_POSITION;
      Show(false, Text(IDS_NO_POSITION_FOR).arg(stale_seconds_));
      break;
  }
}

void LinkStateView::Connecting(const QString& address) {
  open_ = true;
  state_ = VIEW_CONNECTING;
  char16_t text[kMessageChars];
  LoadModuleStringOrOwn(app_->module, IDS_STATE_CONNECTING, text, kMessageChars);
  Show(false, QString::fromUtf16(text).arg(address));
}

void LinkStateView::Show(bool live, const QString& reason) {
  const QPalette normal = window_->palette();
  QPalette stale = normal;
  const QColor grey = normal.color(QPalette::Disabled, QPalette::Text);
  stale.setColor(QPalette::Active, QPalette::Text, grey);
  stale.setColor(QPalette::Inactive, QPalette::Text, grey);
  for (const int id : kReadoutIds) {
    if (auto* edit = FindControlAs<QLineEdit>(window_, id)) {
      edit->setPalette(live ? normal : stale);
      edit->setProperty("stale", !live);
    }
  }
  window_->setWindowTitle(
      reason.isEmpty() ? caption_ : caption_ + QString::fromUtf16(kTitleSeparator) + reason);
}
