// The ranking server's HTTP side: "GET /send/<name>**<score>**<board>"
// records a score, "GET /board/<board>.txt" serves the board text. Names and
// boards arrive percent-encoded and are kept as the bytes they decode to.
#pragma once

#include <memory>
#include <string>

#include "tools/ranking_server/ranking_store.h"

namespace httplib {
class Server;
}

namespace ranking {

class HttpServer {
 public:
  explicit HttpServer(Store& store);
  ~HttpServer();
  // Binds to the address: the port given, or a free one for port 0. The
  // port, or -1.
  int bind(const std::string& address, int port);
  // Serves until stop(); blocks.
  void serve();
  void stop();

 private:
  Store& store_;
  std::unique_ptr<httplib::Server> server_;
};

}  // namespace ranking
