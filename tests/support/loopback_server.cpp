#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer() : listener_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t size = sizeof address;
  auto* any = reinterpret_cast<sockaddr*>(&address);
  if (bind(listener_, any, size) == 0 && listen(listener_, 4) == 0 &&
      getsockname(listener_, any, &size) == 0)
    port_ = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer() {
  close(client_);
  close(listener_);
}

bool LoopbackServer::Accept(int timeout_ms) {
  close(client_);
  pollfd wait{listener_, POLLIN, 0};
  client_ =
      poll(&wait, 1, timeout_ms) == 1 ? accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
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
  return std::string(bytes, std::max<ssize_t>(count, 0));
}
