#include "app/desktop/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kLockName[] = "/tavik.lock";
constexpr char kSocketName[] = "/tavik";
constexpr char kActivateRequest = 'A';

bool PrivateFolder(const std::string& folder) {
  struct stat status;
  return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void SendActivateRequest(const std::string& socket_path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      (void)!write(fd, &kActivateRequest, 1);
    }
  }
  close(fd);
}

}  // namespace

std::string RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    return PrivateFolder(runtime) ? std::string(runtime) : std::string();
  }
  const std::string fallback = "/tmp/tavik-" + std::to_string(getuid());
  if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return PrivateFolder(fallback) ? fallback : std::string();
}

bool AskRunningInstanceToActivate(SingleInstance* instance) {
  instance->folder = RuntimeFolder();
  if (instance->folder.empty()) return false;
  const std::string lock_path = instance->folder + kLockName;
  const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    instance->folder.clear();
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    instance->lock_fd = fd;
    return false;
  }
  close(fd);
  if (errno != EWOULDBLOCK) {
    instance->folder.clear();
    return false;
  }
  SendActivateRequest(instance->folder + kSocketName);
  return true;
}

void ListenForLaterStarts(SingleInstance* instance, std::function<void()> activate) {
  if (instance->lock_fd < 0) return;
  const QString path = QString::fromStdString(instance->folder + kSocketName);
  QLocalServer::removeServer(path);  // a socket left by a crashed instance
  auto* server = new QLocalServer;
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path)) {
    delete server;
    return;
  }
  QObject::connect(server, &QLocalServer::newConnection, server, [server, activate] {
    while (QLocalSocket* client = server->nextPendingConnection()) {
      QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      activate();
    }
  });
  instance->server = server;
}

void ReleaseSingleInstance(SingleInstance* instance) {
  if (instance->server != nullptr) {
    instance->server->close();
    delete instance->server;
    instance->server = nullptr;
  }
  if (instance->lock_fd >= 0) {
    close(instance->lock_fd);
    instance->lock_fd = -1;
  }
}
