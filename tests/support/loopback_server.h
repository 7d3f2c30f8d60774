// A TCP server of the test's own on the loopback address, as a phone app serving NMEA
// or gpsd would be.
#pragma once

#include <string>

class LoopbackServer {
 public:
  LoopbackServer();  // listens on a free port; port() is 0 when it could not
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // Takes the next client, waiting up to `timeout_ms`; drops the one before.
  bool Accept(int timeout_ms);
  bool Send(const std::string& bytes);
  // What the client sent within `timeout_ms`.
  std::string Receive(int timeout_ms);

 private:
  int listener_ = -1;
  int client_ = -1;
  int port_ = 0;
};
