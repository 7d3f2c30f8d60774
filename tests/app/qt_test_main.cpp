// Test entry for suites with windows: real ones on the X server of $DISPLAY (Xvfb in
// the test run); listing the tests needs none.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "app/widgets/touch_style.h"

int main(int argc, char** argv) {
  unsetenv("QT_QPA_PLATFORMTHEME");  // a desktop theme could bring a native file dialog
  unsetenv("WAYLAND_DISPLAY");       // these suites drive X11 windows
  const char* display = std::getenv("DISPLAY");
  if ((display == nullptr || display[0] == '\0') && std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("LC_ALL", "C.UTF-8", 1);  // read-outs are compared as the C locale writes numbers
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavik"));
  UseTouchSizedTargets();  // as the program does
  return RUN_ALL_TESTS();
}
