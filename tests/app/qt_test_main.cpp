// Test entry for suites that need a QApplication: windows are real and shown on the
// X server of $DISPLAY (Xvfb in the test run).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  // An inherited desktop theme could bring up a native file dialog out of our reach.
  unsetenv("QT_QPA_PLATFORMTHEME");
  // These suites drive X11 windows, also when the machine runs a Wayland session.
  unsetenv("WAYLAND_DISPLAY");
  // Listing the tests needs no X server; running the window tests does.
  const char* display = std::getenv("DISPLAY");
  if ((display == nullptr || display[0] == '\0') && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  // Read-outs are compared as the C locale writes numbers.
  setenv("LC_ALL", "C.UTF-8", 1);
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavik"));
  return RUN_ALL_TESTS();
}
