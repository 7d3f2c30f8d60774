#include "config/port_config.h"

#include "gps/setting_tables.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/app_data_folder.h"
#include "platform/text_convert.h"

namespace {

constexpr char16_t kConfigName[] = u"tavik";
constexpr char16_t kConfigExtension[] = u".cfg";
constexpr size_t kImageBytes = sizeof(PortConfig);
constexpr size_t kTextsBytes = sizeof(PortConfig::text);
// The UTF-8 form of a path of kMaxPathChars: at most three bytes per UTF-16 code unit.
constexpr size_t kNarrowPathBytes = kMaxPathChars * 3 + 1;

using Image = unsigned char[kImageBytes];

// The file holds the record little-endian, whatever the host's byte order.
void EncodeImage(const PortConfig& config, Image image) {
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    for (int unit = 0; unit < kSettingTextChars; ++unit) {
      const size_t offset = (setting * kSettingTextChars + unit) * 2;
      image[offset] = static_cast<unsigned char>(config.text[setting][unit] & 0xFF);
      image[offset + 1] = static_cast<unsigned char>(config.text[setting][unit] >> 8);
    }
    const auto selection = static_cast<uint16_t>(config.selection[setting]);
    image[kTextsBytes + setting * 2] = static_cast<unsigned char>(selection & 0xFF);
    image[kTextsBytes + setting * 2 + 1] = static_cast<unsigned char>(selection >> 8);
  }
}

void DecodeImage(const Image image, PortConfig* config) {
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    for (int unit = 0; unit < kSettingTextChars; ++unit) {
      const size_t offset = (setting * kSettingTextChars + unit) * 2;
      config->text[setting][unit] = static_cast<char16_t>(image[offset] | image[offset + 1] << 8);
    }
    const size_t offset = kTextsBytes + setting * 2;
    config->selection[setting] = static_cast<int16_t>(image[offset] | image[offset + 1] << 8);
  }
}

// The configuration path as 8-bit text for the system calls.
bool BuildNarrowConfigPath(char* path, size_t size) {
  char16_t wide[kMaxPathChars];
  return BuildConfigPath(wide) && Utf16ToUtf8(path, size, wide) >= 0;
}

// Reads up to kImageBytes into `image`; returns how many arrived.
size_t ReadImage(int fd, Image image) {
  size_t missing = kImageBytes;
  while (missing > 0) {
    const ssize_t count = read(fd, image + (kImageBytes - missing), missing);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    missing -= static_cast<size_t>(count);
  }
  return kImageBytes - missing;
}

bool WriteImage(int fd, const Image image) {
  size_t remaining = kImageBytes;
  while (remaining > 0) {
    const ssize_t count = write(fd, image + (kImageBytes - remaining), remaining);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    remaining -= static_cast<size_t>(count);
  }
  return true;
}

// Makes a finished rename survive a power cut; a failure here loses nothing.
void SyncFolderOf(const char* path) {
  char folder[kSystemPathBytes];
  snprintf(folder, sizeof folder, "%s", path);
  char* slash = strrchr(folder, '/');
  if (slash == nullptr) return;
  *slash = '\0';
  const int fd = open(folder[0] != '\0' ? folder : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// What a file of another kind is, for the message that refuses it.
const char* KindOfFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "no regular file";
}

// Opens the configuration for reading, or -1 when there is none to read. Only a regular
// file is read: a FIFO would block the start until someone writes into it, a device or
// a socket gives bytes that no save wrote. Those are refused with a word on standard
// error, like a file that cannot be read. The kind is looked at before the open, so a
// device is never opened (and a socket cannot be), and again on what was opened, with
// O_NONBLOCK so that a FIFO put there meanwhile cannot make the open wait.
int OpenConfigForLoad(const char* path) {
  struct stat status;
  if (stat(path, &status) == 0 && !S_ISREG(status.st_mode)) {
    fprintf(stderr, "tavik: %s is %s, not a regular file; the default settings are used\n", path,
            KindOfFile(status.st_mode));
    return -1;
  }
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;  // reading a regular file never waits, O_NONBLOCK or not
}

// Where a save writes: the path itself, or for a link (a dotfiles folder keeps the real
// file) the file it leads to, but only when that can be a configuration: a regular
// file of 0 or 330 bytes. A link to anything else is no tavik file; false, nothing
// is written. A FIFO, device or socket in the file's place is no tavik file either: it
// is left alone and standard error says so.
bool SaveDestination(const char* path, char target[kSystemPathBytes], const char** destination) {
  struct stat entry;
  if (lstat(path, &entry) != 0 || S_ISREG(entry.st_mode)) {
    *destination = path;
    return true;
  }
  if (!S_ISLNK(entry.st_mode)) {
    fprintf(stderr, "tavik: %s is %s, not a regular file; the settings are not saved\n", path,
            KindOfFile(entry.st_mode));
    return false;
  }
  struct stat linked;
  if (realpath(path, target) == nullptr || stat(target, &linked) != 0) return false;
  if (!S_ISREG(linked.st_mode)) {
    fprintf(stderr, "tavik: %s leads to %s, not a regular file; the settings are not saved\n", path,
            KindOfFile(linked.st_mode));
    return false;
  }
  if (linked.st_size != 0 && linked.st_size != static_cast<off_t>(kImageBytes)) return false;
  *destination = target;
  return true;
}

void ApplyDefaults(PortConfig* config) {
  for (int setting = 0; setting < SETTING_COUNT; ++setting) {
    config->selection[setting] = 0;
    // Writes the text and its terminator only: the units after it keep what they held.
    Utf8ToUtf16(config->text[setting], kSettingTextChars, DefaultSettingTexts[setting]);
    config->text[setting][kSettingTextChars - 1] = 0;
  }
}

}  // namespace

int BuildConfigPath(char16_t path[kMaxPathChars]) {
  if (path == nullptr) return 0;
  char folder[kSystemPathBytes];
  if (!AppDataFolder(folder, sizeof folder)) return 0;
  const ptrdiff_t length = Utf8ToUtf16(path, kMaxPathChars, folder);
  const size_t name_length = sizeof kConfigName / sizeof kConfigName[0] - 1;
  // One unit for "/" and four for ".cfg"; the terminator must fit as well.
  if (length < 0 || static_cast<size_t>(length) + name_length + 5 >= kMaxPathChars) {
    path[0] = 0;
    return 0;
  }
  char16_t* end = path + length;
  *end++ = u'/';
  for (const char16_t* part : {kConfigName, kConfigExtension}) {
    for (const char16_t* p = part; *p != 0; ++p)
      *end++ = *p;
  }
  *end = 0;
  return 1;
}

int LoadPortConfig(PortConfig* config) {
  if (config == nullptr) return 0;
  char path[kNarrowPathBytes];
  if (BuildNarrowConfigPath(path, sizeof path)) {
    const int fd = OpenConfigForLoad(path);
    if (fd >= 0) {
      // A short file lands in the record as far as it goes, like a read straight into it.
      Image image;
      EncodeImage(*config, image);
      const size_t got = ReadImage(fd, image);
      close(fd);
      DecodeImage(image, config);
      if (got == kImageBytes) return 1;
    }
  }
  ApplyDefaults(config);
  return 0;
}

void SavePortConfig(PortConfig* config) {
  if (config == nullptr) return;
  char path[kNarrowPathBytes];
  if (!BuildNarrowConfigPath(path, sizeof path)) return;
  Image image;
  EncodeImage(*config, image);
  // A file linked from elsewhere is replaced where it really lies, so the link survives.
  char target[kSystemPathBytes];
  const char* destination = nullptr;
  if (!SaveDestination(path, target, &destination)) return;

  // The old file stays in place until the new one is complete on disk: an interrupted
  // save leaves the old record or the new one, never a short file.
  char temporary[kSystemPathBytes + 8];
  snprintf(temporary, sizeof temporary, "%s.XXXXXX", destination);
  const int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) return;
  // The file that is replaced keeps its permission bits; a new one is the user's alone.
  struct stat old;
  const bool kept_mode = stat(destination, &old) != 0 || fchmod(fd, old.st_mode & 07777) == 0;
  const bool written = kept_mode && WriteImage(fd, image) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || rename(temporary, destination) != 0) {
    unlink(temporary);
    return;
  }
  SyncFolderOf(destination);
}
