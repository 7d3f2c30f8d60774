#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

}  // namespace

LoopbackServer::LoopbackServer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
      listen(listener_, 4) == 0 &&
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port_ = ntohs(address.sin_port);
  }
}

LoopbackServer::~LoopbackServer() {
  Drop();
  close(listener_);
}

bool LoopbackServer::Accept(int timeout_ms) {
  Drop();
  pollfd wait{listener_, POLLIN, 0};
  if (poll(&wait, 1, timeout_ms) != 1) return false;
  client_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  return client_ >= 0;
}

bool LoopbackServer::Send(const std::string& bytes) {
  return send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(bytes.size());
}

std::string LoopbackServer::Receive(int timeout_ms) {
  pollfd wait{client_, POLLIN, 0};
  char bytes[256];
  const ssize_t count = poll(&wait, 1, timeout_ms) == 1 ? read(client_, bytes, sizeof bytes) : 0;
  return std::string(bytes, count > 0 ? static_cast<size_t>(count) : 0);
}

void LoopbackServer::Drop() {
  if (client_ >= 0) close(client_);
  client_ = -1;
}

bool LoopbackAnswers(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  const bool answered =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return answered;
}
