// The ranking server for the game's online ranking: scores in an SQLite
// file, boards served as text, on the loopback address unless told otherwise
// (the options: ranking_options.h).
#include <csignal>
#include <cstdio>
#include <string>

#include "tools/ranking_server/ranking_http.h"
#include "tools/ranking_server/ranking_options.h"
#include "tools/ranking_server/ranking_store.h"

namespace {

ranking::HttpServer* running = nullptr;

void onSignal(int) {
  if (running != nullptr) running->stop();
}

}  // namespace

int main(int argc, char** argv) {
  ranking::Options options;
  std::string error;
  if (!ranking::parseOptions(argc - 1, argv + 1, options, error)) {
    std::fprintf(stderr, "ranking: %s\nusage: %s [--address A] [--port P] [--db FILE]\n", error.c_str(), argv[0]);
    return 2;
  }
  ranking::Store store(options.db);
  if (!store.ok()) return 1;
  ranking::HttpServer server(store);
  const int bound = server.bind(options.address, options.port);
  if (bound < 0) {
    std::fprintf(stderr, "ranking: cannot listen on %s:%d\n", options.address.c_str(), options.port);
    return 1;
  }
  std::printf("ranking server on http://%s:%d/ (scores in %s)\n", options.address.c_str(), bound, options.db.c_str());
  std::fflush(stdout);
  running = &server;
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  server.serve();
  return 0;
}
