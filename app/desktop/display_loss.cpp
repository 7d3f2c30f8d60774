#include "app/desktop/display_loss.h"

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<void (*)()> armed_finish{nullptr};
QtMessageHandler previous_handler = nullptr;

void RunFinish() {
  // Taken out first, so a fault inside it cannot run it again.
  if (void (*finish)() = armed_finish.exchange(nullptr)) finish();
}

// Qt's Wayland plugin says this and then leaves with _exit(), past every atexit hook.
bool IsWaylandConnectionLoss(QtMsgType type, const QString& text) {
  return type == QtWarningMsg && text.startsWith(QLatin1String("The Wayland connection"));
}

// Qt's own handler prints, then aborts on a fatal message; the finish comes before.
void FinishBeforeFatal(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg || IsWaylandConnectionLoss(type, text)) RunFinish();
  if (previous_handler != nullptr) {
    previous_handler(type, context, text);
  } else {
    fprintf(stderr, "%s\n", qPrintable(text));
  }
}

}  // namespace

void GuardAgainstDisplayLoss(void (*finish)()) {
  static const bool hooked = [] {
    std::atexit(RunFinish);
    previous_handler = qInstallMessageHandler(FinishBeforeFatal);
    return true;
  }();
  (void)hooked;
  armed_finish.store(finish);
}
