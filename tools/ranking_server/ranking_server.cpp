// The ranking server for the game's online ranking: scores in an SQLite
// file, boards served as text, on the loopback address unless told otherwise.
//
//   ranking_server [--address A] [--port P] [--db FILE]
//
// Defaults: 127.0.0.1, port 48620, "ranking.db" in the current folder.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/ranking_server/ranking_http.h"
#include "tools/ranking_server/ranking_store.h"

namespace {

ranking::HttpServer* running = nullptr;

void onSignal(int) {
  if (running != nullptr) running->stop();
}

}  // namespace

int main(int argc, char** argv) {
  std::string address = "127.0.0.1", db = "ranking.db";
  int port = 48620;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--address") == 0 && hasValue) {
      address = argv[++i];
    } else if (std::strcmp(argv[i], "--port") == 0 && hasValue) {
      port = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--db") == 0 && hasValue) {
      db = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--address A] [--port P] [--db FILE]\n", argv[0]);
      return 2;
    }
  }
  ranking::Store store(db);
  if (!store.ok()) return 1;
  ranking::HttpServer server(store);
  const int bound = server.bind(address, port);
  if (bound < 0) {
    std::fprintf(stderr, "ranking: cannot listen on %s:%d\n", address.c_str(), port);
    return 1;
  }
  std::printf("ranking server on http://%s:%d/ (scores in %s)\n", address.c_str(), bound, db.c_str());
  std::fflush(stdout);
  running = &server;
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  server.serve();
  return 0;
}
