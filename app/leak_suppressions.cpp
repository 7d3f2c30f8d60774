// Built into the program only under LeakSanitizer: Qt's platform integration asks
// libdbus for a session bus at start-up, and libdbus keeps that allocation for the
// whole process. Qt's Wayland platform leaves a few protocol objects of
// libwayland-client to the end of the process as well. They are no leaks of ours, and
// must not fail a sanitizer run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\nleak:libwayland-client.so\n";
}
