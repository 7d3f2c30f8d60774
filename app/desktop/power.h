// Keeping the machine awake while the GPS link is open, and switching the display off.
#pragma once

// Resets the X screen saver's idle timer where there is an X server (the desktop
// session's idle timer is held off by IdleInhibition). Skipped while a display that
// SwitchDisplayOff turned off is still off, so the tick does not wake it again.
void ResetSystemIdleTimer();

// Sets the display's power state to off (DPMS) where the X server supports it, else
// activates the screen saver. The program goes on running.
void SwitchDisplayOff();

// Whether the display is off or blanked right now.
bool DisplayIsOff();
