// Built into the program only under LeakSanitizer: Qt's platform integration asks
// libdbus for a session bus at start-up, and libdbus keeps that allocation for the
// whole process. Qt's Wayland platform leaves a few protocol objects of
// libwayland-client to the end of the process as well, and when the display goes away Qt
// leaves with exit() from inside its event handling, so the font configuration it loaded
// is never released either. None is a leak of ours, and none must fail a sanitizer run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libwayland-client.so\n"
         "leak:libfontconfig.so\n";
}
