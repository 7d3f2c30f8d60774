// Built into the program only under LeakSanitizer: Qt's platform integration asks
// libdbus for a session bus at start-up, and libdbus keeps that allocation for the
// whole process. When the display goes away, Qt leaves with exit() from inside its
// event handling, so the font configuration it loaded is never released either. Neither
// is a leak of ours, and neither must fail a sanitizer run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libfontconfig.so\n";
}
