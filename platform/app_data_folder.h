// The per-user folder where programs keep their settings.
#pragma once

#include <cstddef>

// The folder's path in `out` (`size` bytes with the terminator), without creating it:
// $XDG_CONFIG_HOME, or ~/.config when that is unset, empty or not an absolute path,
// where ~ is $HOME or, when that is unusable, the home folder of the user's account.
// False when there is no home folder or the path does not fit. Every per-user file of
// the program lies below it.
bool ConfigHomeFolder(char* out, size_t size);

// Writes the folder's path to `out` (`size` bytes with the terminator), creating it
// and any missing parents (mode 0700) first: $XDG_CONFIG_HOME, or ~/.config when that
// is unset, empty or not an absolute path. False when there is no home folder, the
// path does not fit, or the folder cannot be created.
bool AppDataFolder(char* out, size_t size);
