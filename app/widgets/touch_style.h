// Menu rows and push buttons big enough to hit with a finger on every screen.
#pragma once

// The least height of a menu row or a push button, in device-independent pixels.
inline constexpr int kTouchTargetHeight = 40;

// Makes the application's style (whichever the desktop chose) give menu rows and push
// buttons at least kTouchTargetHeight. Call once, after the QApplication exists.
void UseTouchSizedTargets();
