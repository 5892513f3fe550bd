// A ranking server on a free loopback port for the length of a test, its
// scores in memory or in a given file, with the server's limits or others.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "tools/ranking_server/ranking_http.h"
#include "tools/ranking_server/ranking_store.h"

namespace veziv::test {

class LoopbackRankingServer {
 public:
  explicit LoopbackRankingServer(const std::string& db = ":memory:", const ranking::Limits& limits = {})
      : store_(db), server_(store_, limits), port_(server_.bind("127.0.0.1", 0)) {
    if (port_ > 0) thread_ = std::thread([this] { server_.serve(); });
  }
  ~LoopbackRankingServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string sendBase() const { return base() + "send/"; }
  std::string fetchBase() const { return base() + "board/"; }

 private:
  ranking::Store store_;
  ranking::HttpServer server_;
  int port_;
  std::thread thread_;
};

}  // namespace veziv::test
