// Servers that answer badly, for the tests of the game's ranking requests:
// one with canned answers (an HTML error page under /html/, a board text
// of 3 KB without "eof" under /big/), and a port that takes connections
// and never answers. Each on a free loopback port for its lifetime.
#pragma once

#include <memory>
#include <string>

namespace ranking {

class CannedServer {
 public:
  CannedServer();
  ~CannedServer();
  // "http://127.0.0.1:<port>/<route>/"
  std::string base(const char* route) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;
  std::string base() const;

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace ranking
