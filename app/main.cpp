// tavik: start-up, the message loop and the end of the program.
#include <QApplication>
#include <QSessionManager>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/desktop/display_check.h"
#include "app/desktop/display_loss.h"
#include "app/desktop/quit_signals.h"
#include "app/desktop/single_instance.h"
#include "app/desktop/system_translations.h"
#include "app/desktop/wayland_platform.h"
#include "app/main_window.h"
#include "app/widgets/dialogs.h"
#include "app/widgets/touch_style.h"
#include "app/widgets/window_messages.h"
#include "language/language_id.h"
#include "language/resource_module.h"

namespace {

AppState app;  // lives for the whole run

const char kUsage[] =
    "Usage: tavik [--help | --version]\n"
    "Shows the position a GPS receiver sends (NMEA 0183 on a serial port, a pseudo-\n"
    "terminal or a network source) in one small window, and records it as GPX.\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/tavik.cfg     the serial settings (default ~/.config/tavik.cfg)\n"
    "  $XDG_CONFIG_HOME/tavik/ports/  COM0 to COM9: links to devices, or network sources\n"
    "\n"
    "Environment:\n"
    "  XDG_CONFIG_HOME                where the files above are\n"
    "  XDG_RUNTIME_DIR                the single-instance socket and the Wayland socket\n"
    "  LC_ALL, LC_MESSAGES, LANG      the language of the window (German or English)\n"
    "  QT_QPA_PLATFORM                the window system Qt uses (xcb, wayland, ...)\n"
    "  WAYLAND_DISPLAY, DISPLAY       the desktop session to show the window on\n"
    "\n"
    "The manual: man tavik\n";

// --help and --version answer without a display; anything else is the window's.
bool AnsweredOnTheCommandLine(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("tavik " TAVIK_VERSION);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnsweredOnTheCommandLine(argc, argv)) return 0;
  // Qt would abort without a display; a person at a terminal learns what to do instead.
  if (!GraphicalSessionReachable()) {
    std::fputs(kNoGraphicalSessionMessage, stderr);
    return 1;
  }
  SingleInstance instance;
  if (AskRunningInstanceToActivate(&instance)) return 0;

  PreferNativeWayland();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavik"));
  // Docks tie the window to org.tavik.tavik.desktop: by this name on Wayland, by the
  // window class "tavik" (the application name, the entry's StartupWMClass) on X11.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tavik.tavik"));
  QApplication::setQuitOnLastWindowClosed(false);
  InstallSystemTranslations(&application);
  UseTouchSizedTargets();
  // A logout, shutdown or kill closes the recording and saves, without asking. The
  // handlers are in place before any window of ours exists, so whoever sees one can
  // count on them; the pipe is read only inside an event loop.
  MainWindow* main_window = nullptr;
  InstallQuitSignals([&main_window] {
    if (main_window != nullptr) {
      QuitWithoutAsking(&app, main_window);
    } else {
      QCoreApplication::exit(0);  // ends a start-up error box
    }
  });

  app.module =
      ChooseResourceModule(ProgramFilePath(), UserDefaultLanguageId(), SystemDefaultLanguageId());
  if (!LoadAppStrings(app.module, &app.strings)) {
    const int error = errno;
    ReportFatalStartupError(error);
    return 0;
  }
  const DialogTemplate* main_template = FindDialog(app.module.tables, IDD_MAIN);
  if (main_template == nullptr) {
    // Without its window the program could neither be seen nor ended.
    ReportFatalStartupError(ENODATA);
    return 0;
  }

  InstallWindowMessagePoster();
  int exit_code = 0;
  {
    MainWindow window(&app, *main_template);
    main_window = &window;
    // A lost display ends the program from inside Qt; the recording, the link and the
    // configuration are finished on the way out all the same.
    GuardAgainstDisplayLoss([] { QuitWithoutWindow(&app); });
    window.show();
    ListenForLaterStarts(&instance, [&window] { window.BringToFront(); });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { QuitWithoutAsking(&app, &window); });
    exit_code = QApplication::exec();
    // Whatever ended the loop, nothing is left half done.
    QuitWithoutAsking(&app, &window);
    GuardAgainstDisplayLoss(nullptr);
    main_window = nullptr;
  }
  ReleaseSingleInstance(&instance);
  InstallMessagePoster(nullptr, nullptr);
  ReleaseAppState(&app);
  return exit_code;
}
