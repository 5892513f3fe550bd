// The ranking server's connections. One thread accepts them and gathers
// each request's head; only complete requests go to the workers, so a
// client that sends slowly, or not at all, holds a socket and a small
// buffer, never a worker. Every request has a deadline from its connection
// to its answer, and both the connections still sending and the requests
// waiting for a worker are bounded.
#pragma once

#include <memory>
#include <string>

#include "tools/ranking_server/ranking_store.h"

namespace ranking {

struct Limits {
  // A request's whole time, from its connection to its answer. A client
  // still sending its request then gets "408" and is closed. The game sends
  // its request at once and waits 5 s in all.
  int requestMs = 3000;
  int workers = 16;
  // Connections still sending their request; a new one past this closes the
  // oldest of them ("408"), unless that one has finished by then.
  int waitingConnections = 400;
  // Received requests waiting for a worker; one more is answered "503".
  int queuedRequests = 400;
};

class HttpServer {
 public:
  explicit HttpServer(Store& store, const Limits& limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;
  // Binds to the address: the port given, or a free one for port 0. The
  // port, or -1.
  int bind(const std::string& address, int port);
  // Serves until stop(); blocks.
  void serve();
  // Makes serve() return; safe in a signal handler, and before serve().
  void stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ranking
