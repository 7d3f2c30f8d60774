#include "platform/serial_open_failure.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/serial_port.h"

namespace {

// Links followed at most, as the system itself gives up after a few.
constexpr int kMostLinks = 40;

// Follows `path` through its symbolic links. A link to nothing gives the path it names.
void FollowLinks(char* path, size_t size) {
  char resolved[kSystemPathBytes];
  if (realpath(path, resolved) != nullptr) {
    if (strlen(resolved) < size) strcpy(path, resolved);
    return;
  }
  for (int hop = 0; hop < kMostLinks; ++hop) {
    char target[kSystemPathBytes];
    const ssize_t length = readlink(path, target, sizeof target - 1);
    if (length <= 0) return;
    target[length] = '\0';
    std::string next = target;
    if (target[0] != '/') {  // relative to the link's own folder
      const char* slash = strrchr(path, '/');
      next = std::string(path, slash != nullptr ? slash - path : 0) + "/" + target;
    }
    if (next.size() >= size) return;
    strcpy(path, next.c_str());
  }
}

bool ReadCommandName(int pid, char* program, size_t size) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/comm", pid);
  FILE* file = fopen(path, "re");
  if (file == nullptr) return false;
  const bool read = fgets(program, static_cast<int>(size), file) != nullptr;
  fclose(file);
  if (read) program[strcspn(program, "\n")] = '\0';
  return read && program[0] != '\0';
}

// The process whose lock in /proc/locks is on the file with this inode; 0 for none.
// A line reads "1: FLOCK  ADVISORY  WRITE 1234 00:05:7 0 EOF"; waiters ("->") hold nothing.
int LockHolder(const struct stat& file) {
  FILE* locks = fopen("/proc/locks", "re");
  if (locks == nullptr) return 0;
  int holder = 0;
  char line[256];
  while (holder == 0 && fgets(line, sizeof line, locks) != nullptr) {
    char kind[16], mode[16], access[16];
    int pid = 0;
    unsigned major_number = 0, minor_number = 0;
    unsigned long inode = 0;
    if (strstr(line, "->") != nullptr) continue;
    if (sscanf(line, "%*d: %15s %15s %15s %d %x:%x:%lu", kind, mode, access, &pid, &major_number,
               &minor_number, &inode) == 7 &&
        pid > 0 && pid != getpid() && major_number == major(file.st_dev) &&
        minor_number == minor(file.st_dev) && inode == file.st_ino) {
      holder = pid;
    }
  }
  fclose(locks);
  return holder;
}

// A process other than this one with the character device open; 0 for none seen.
int OpenerOf(const struct stat& device) {
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return 0;
  int opener = 0;
  while (opener == 0) {
    const dirent* process = readdir(processes);
    if (process == nullptr) break;
    char* end = nullptr;
    const long pid = strtol(process->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == getpid()) continue;
    char folder[64];
    snprintf(folder, sizeof folder, "/proc/%ld/fd", pid);
    DIR* descriptors = opendir(folder);
    if (descriptors == nullptr) continue;  // not ours to look at
    while (const dirent* descriptor = readdir(descriptors)) {
      char path[sizeof folder + sizeof descriptor->d_name + 1];
      struct stat status;
      snprintf(path, sizeof path, "%s/%s", folder, descriptor->d_name);
      if (descriptor->d_name[0] != '.' && stat(path, &status) == 0 && S_ISCHR(status.st_mode) &&
          status.st_rdev == device.st_rdev) {
        opener = static_cast<int>(pid);
        break;
      }
    }
    closedir(descriptors);
  }
  closedir(processes);
  return opener;
}

// The errno of a network source's open, as NetworkPortOpen leaves it.
SerialOpenCause ClassifyNetworkOpenFailure(int error_number) {
  switch (error_number) {
    case ENOTTY:
      return SERIAL_OPEN_NETWORK_ENTRY;
    case ENXIO:
      return SERIAL_OPEN_HOST_UNKNOWN;
    case EAGAIN:
      return SERIAL_OPEN_NO_NAME_SERVER;
    case ETIMEDOUT:
      return SERIAL_OPEN_NO_ANSWER;
    default:
      return SERIAL_OPEN_OTHER;
  }
}

}  // namespace

SerialOpenCause ClassifySerialOpenFailure(const char* tried, int error_number, char* device,
                                          size_t size) {
  if (device == nullptr || size == 0) return SERIAL_OPEN_NOT_A_PORT_NAME;
  device[0] = '\0';
  if (tried == nullptr || tried[0] == '\0' || strlen(tried) >= size) {
    return SERIAL_OPEN_NOT_A_PORT_NAME;
  }
  strcpy(device, tried);
  if (IsNetworkEntry(device)) return ClassifyNetworkOpenFailure(error_number);
  FollowLinks(device, size);
  switch (error_number) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return SERIAL_OPEN_NO_DEVICE;
    case EACCES:
    case EPERM:
    case EROFS:
      return SERIAL_OPEN_PERMISSION;
    case EBUSY:
      return SERIAL_OPEN_BUSY;
    case ENOTTY:
    case EISDIR:
      return SERIAL_OPEN_NOT_SERIAL;
    case EINVAL:  // the name resolved, so the line refused its settings
      return SERIAL_OPEN_SETTINGS;
    default:
      return SERIAL_OPEN_OTHER;
  }
}

int DescribeDevicePermission(const char* device, DevicePermission* permission) {
  struct stat status;
  if (device == nullptr || permission == nullptr || stat(device, &status) != 0) return 0;
  char owner[64];
  const passwd* user = getpwuid(status.st_uid);
  const group* owning = getgrgid(status.st_gid);
  snprintf(owner, sizeof owner, "%s", user != nullptr ? user->pw_name : "");
  if (user == nullptr) snprintf(owner, sizeof owner, "%u", static_cast<unsigned>(status.st_uid));
  if (owning != nullptr) {
    snprintf(permission->group, sizeof permission->group, "%s", owning->gr_name);
  } else {
    snprintf(permission->group, sizeof permission->group, "%u",
             static_cast<unsigned>(status.st_gid));
  }
  const mode_t group_read_write = S_IRGRP | S_IWGRP;
  permission->group_grants = (status.st_mode & group_read_write) == group_read_write;
  snprintf(permission->summary, sizeof permission->summary, "%s:%s %04o", owner, permission->group,
           static_cast<unsigned>(status.st_mode & 07777));
  return 1;
}

int FindDeviceHolder(const char* device, DeviceHolder* holder) {
  struct stat status;
  if (device == nullptr || holder == nullptr || stat(device, &status) != 0) return 0;
  int pid = LockHolder(status);
  if (pid == 0 && S_ISCHR(status.st_mode)) pid = OpenerOf(status);
  if (pid == 0 || !ReadCommandName(pid, holder->program, sizeof holder->program)) return 0;
  holder->pid = pid;
  return 1;
}
