#include "tools/ranking_server/ranking_http.h"

#include <httplib.h>

#include <cstdio>
#include <mutex>

namespace ranking {

namespace {

constexpr const char* kTextType = "text/plain; charset=Shift_JIS";

std::mutex& storeMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

HttpServer::HttpServer(Store& store) : store_(store), server_(std::make_unique<httplib::Server>()) {
  server_->set_keep_alive_max_count(1);
  server_->set_read_timeout(5, 0);
  server_->set_write_timeout(5, 0);
  server_->set_payload_max_length(4096);
  server_->Get(R"(/send/([^\r\n]+))", [this](const httplib::Request& req, httplib::Response& res) {
    Entry entry;
    if (!parseEntry(req.matches[1].str(), entry)) {
      res.status = 400;
      res.set_content("bad request\n", kTextType);
      return;
    }
    std::lock_guard<std::mutex> lock(storeMutex());
    if (!store_.add(entry)) {
      res.status = 500;
      res.set_content("not stored\n", kTextType);
      return;
    }
    std::fprintf(stderr, "ranking: %d on a board of %zu bytes\n", entry.score, entry.board.size());
    res.set_content("ok\n", kTextType);
  });
  server_->Get(R"(/board/([^\r\n]+)\.txt)", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string board = req.matches[1].str();
    if (!validBoard(board)) {
      res.status = 400;
      res.set_content("bad request\n", kTextType);
      return;
    }
    std::lock_guard<std::mutex> lock(storeMutex());
    res.set_header("Cache-Control", "no-store");
    res.set_content(store_.boardText(board), kTextType);
  });
}

HttpServer::~HttpServer() = default;

int HttpServer::bind(const std::string& address, int port) {
  if (port == 0) return server_->bind_to_any_port(address);
  return server_->bind_to_port(address, port) ? port : -1;
}

void HttpServer::serve() { server_->listen_after_bind(); }

void HttpServer::stop() { server_->stop(); }

}  // namespace ranking
