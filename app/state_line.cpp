#include "app/state_line.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPalette>

#include "platform/serial_port.h"
#include "platform/text_convert.h"

namespace {

// Between the parts that share a line.
constexpr char16_t kPartSeparator[] = u" \u00b7 ";
// A network entry's first line is short; more is not read.
constexpr qint64 kEntryReadMax = 512;

}  // namespace

QString WindowString(const ResourceModule& module, uint32_t id) {
  char16_t text[kMessageChars];
  const int length = LoadModuleStringOrOwn(module, id, text, kMessageChars);
  return QString::fromUtf16(text, length);
}

QString PortDescription(const char16_t* port_name) {
  const QString name = QString::fromUtf16(port_name);
  char utf8[kDevicePathSize];
  char device[kDevicePathSize];
  if (Utf16ToUtf8(utf8, sizeof utf8, port_name) < 0 ||
      !ResolvePortName(utf8, device, sizeof device)) {
    return name;
  }
  const QFileInfo entry(QString::fromLocal8Bit(device));
  QString leads_to = entry.filePath();
  if (entry.isSymLink()) {
    leads_to = entry.symLinkTarget();
  } else if (entry.isFile()) {
    QFile file(entry.filePath());
    if (file.open(QIODevice::ReadOnly)) {
      leads_to = QString::fromUtf8(file.read(kEntryReadMax)).section(u'\n', 0, 0).trimmed();
    }
  }
  return name == leads_to ? name : name + u' ' + leads_to;
}

StateLine::StateLine(QWidget* window, AppState* app)
    : app_(app), label_(new QLabel(window)), hint_(new QLabel(window)) {
  label_->setObjectName(QStringLiteral("state"));
  label_->setWordWrap(true);
  label_->setAccessibleName(WindowString(app_->module, IDS_STATE_LINE_NAME));
  hint_->setObjectName(QStringLiteral("hint"));
  hint_->setWordWrap(true);
  hint_->setText(WindowString(app_->module, IDS_MENU_HINT));
  QPalette placeholder = hint_->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    placeholder.setColor(group, QPalette::WindowText,
                         placeholder.color(group, QPalette::PlaceholderText));
  }
  hint_->setPalette(placeholder);
}

void StateLine::Update(LinkViewState state, int64_t stale_seconds) {
  const ResourceModule& module = app_->module;
  // Where the port leads is looked up once per Start: the configuration may change
  // while the link runs, the port in use does not.
  if (state == VIEW_STOPPED) {
    port_.clear();
  } else if (port_.isEmpty()) {
    port_ = PortDescription(app_->config.text[SETTING_PORT]);
  }
  parts_.clear();
  switch (state) {
    case VIEW_STOPPED:
      parts_ << WindowString(module, IDS_STATE_STOPPED);
      break;
    case VIEW_CONNECTING:
      parts_ << WindowString(module, IDS_STATE_CONNECTING).arg(port_);
      break;
    case VIEW_WAITING:
      parts_ << WindowString(module, IDS_STATE_WAITING) << port_;
      break;
    case VIEW_LIVE:
      parts_ << WindowString(module, IDS_STATE_LIVE) << port_;
      break;
    case VIEW_NO_DATA:
      parts_ << WindowString(module, IDS_STATE_NO_DATA).arg(stale_seconds) << port_;
      break;
    case VIEW_NO_POSITION:
      parts_ << WindowString(module, IDS_STATE_NO_POSITION).arg(stale_seconds) << port_;
      break;
  }
  GpxRecorder* recorder = FixDisplayRecorder(&app_->display);
  if (GpxRecorderIsOpen(recorder)) {
    int32_t waypoints = 0;
    const bool failed = GpxRecorderFailed(recorder, nullptr, &waypoints) != 0;
    const QString file = QFileInfo(QString::fromUtf16(app_->recording_path)).fileName();
    parts_ << WindowString(module, failed ? IDS_STATE_RECORDING_FAILED : IDS_STATE_RECORDING)
                  .arg(file, QString::number(waypoints));
  }
  hint_->setHidden(app_->display.last_fix_ms.load() != 0);
}

int StateLine::Place(int x, int top, int width) {
  // Parts share a line while they fit it; a part too long for a line of its own wraps.
  const QFontMetrics metrics(label_->font());
  const QString separator = QString::fromUtf16(kPartSeparator);
  QStringList lines;
  for (const QString& part : parts_) {
    if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + separator + part) <= width) {
      lines.last() += separator + part;
    } else {
      lines << part;
    }
  }
  const QString text = lines.join(u'\n');
  if (label_->text() != text) {
    label_->setText(text);
    label_->setAccessibleDescription(parts_.join(separator));
  }
  label_->setGeometry(x, top, width, label_->heightForWidth(width));
  int bottom = top + label_->height();
  if (!hint_->isHidden()) {
    hint_->setGeometry(x, bottom, width, hint_->heightForWidth(width));
    bottom += hint_->height();
  }
  return bottom;
}
