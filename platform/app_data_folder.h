// The per-user folder where programs keep their settings.
#pragma once

#include <cstddef>

// The folder's path in `out` (`size` bytes with the terminator), without creating it:
// $XDG_CONFIG_HOME, or ~/.config when that is unset, empty or not an absolute path,
// where ~ is $HOME or, when that is unusable, the home folder of the user's account.
// 0 when there is no home folder or the path does not fit, else 1. Every per-user file of
// the program lies below it.
int ConfigHomeFolder(char* out, size_t size);

// Writes the folder's path to `out` (`size` bytes with the terminator), creating it
// and any missing parents (mode 0700) first: $XDG_CONFIG_HOME, or ~/.config when that
// is unset, empty or not an absolute path. Returns 1; 0 when there is no home folder, the
// path does not fit, or the folder cannot be created.
int AppDataFolder(char* out, size_t size);
