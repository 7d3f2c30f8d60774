#include "platform/app_data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/path_limit.h"

namespace {

constexpr mode_t kFolderMode = 0700;  // settings are the user's own business

bool IsAbsolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

bool CopyText(char* out, size_t size, const char* text) {
  const int length = snprintf(out, size, "%s", text);
  return length >= 0 && static_cast<size_t>(length) < size;
}

// $HOME, or the home folder of the user's account when HOME is unusable.
bool HomeFolder(char* out, size_t size) {
  const char* home = getenv("HOME");
  passwd entry{};
  passwd* found = nullptr;
  char account[4096];
  if (!IsAbsolute(home)) {
    getpwuid_r(getuid(), &entry, account, sizeof account, &found);
    home = found != nullptr ? entry.pw_dir : nullptr;
  }
  return IsAbsolute(home) && CopyText(out, size, home);
}

bool IsFolder(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir -p: creates every missing folder of `path` from the root down.
bool MakeFolders(char* path) {
  if (IsFolder(path)) return true;
  for (char* slash = strchr(path + 1, '/');; slash = strchr(slash + 1, '/')) {
    if (slash != nullptr) *slash = '\0';
    const bool made = mkdir(path, kFolderMode) == 0 || errno == EEXIST;
    if (slash != nullptr) *slash = '/';
    if (!made) return false;
    if (slash == nullptr || slash[1] == '\0') break;
  }
  return IsFolder(path);
}

}  // namespace

int ConfigHomeFolder(char* out, size_t size) {
  if (out == nullptr || size == 0) return 0;
  out[0] = '\0';
  const char* config_home = getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(config_home)) return CopyText(out, size, config_home);
  char home[kSystemPathBytes];
  if (!HomeFolder(home, sizeof home)) return 0;
  const char* separator = home[strlen(home) - 1] == '/' ? "" : "/";
  const int length = snprintf(out, size, "%s%s.config", home, separator);
  return length >= 0 && static_cast<size_t>(length) < size;
}

int AppDataFolder(char* out, size_t size) {
  if (!ConfigHomeFolder(out, size)) return 0;
  if (!MakeFolders(out)) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}
