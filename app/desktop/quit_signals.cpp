#include "app/desktop/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "platform/stop_signals.h"

namespace {

int signal_pipe[2] = {-1, -1};
QSocketNotifier* pipe_notifier = nullptr;  // lives as long as the application

void OnQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  (void)!write(signal_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

bool InstallQuitSignals(std::function<void()> quit) {
  if (signal_pipe[0] < 0 && pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  delete pipe_notifier;
  pipe_notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read);
  QObject::connect(pipe_notifier, &QSocketNotifier::activated, pipe_notifier, [quit] {
    char bytes[16];
    while (read(signal_pipe[0], bytes, sizeof bytes) > 0) {
    }
    quit();
  });
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  bool installed = true;
  for (const int signal_number : kStopSignals) {
    installed = sigaction(signal_number, &action, nullptr) == 0 && installed;
  }
  return installed;
}
