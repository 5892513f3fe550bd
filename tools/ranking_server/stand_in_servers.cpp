#include "tools/ranking_server/stand_in_servers.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace ranking {

struct CannedServer::State {
  httplib::Server server;
  int port = -1;
  std::thread thread;
};

CannedServer::CannedServer() : state_(std::make_unique<State>()) {
  httplib::Server& s = state_->server;
  s.Get(R"(/html/.*)", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("<html><body><h1>404 Not Found</h1><p>a**123</p></body></html>", "text/html");
  });
  s.Get(R"(/big/.*)", [](const httplib::Request&, httplib::Response& res) {
    std::string body;
    for (int i = 0; body.size() < 3000; ++i) body += "name" + std::to_string(i) + "**" + std::to_string(900 - i) + "\n";
    res.set_content(body, "text/plain");
  });
  state_->port = s.bind_to_any_port("127.0.0.1");
  state_->thread = std::thread([this] { state_->server.listen_after_bind(); });
}

CannedServer::~CannedServer() {
  state_->server.stop();
  state_->thread.join();
}

std::string CannedServer::base(const char* route) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + "/" + route + "/";
}

SilentServer::SilentServer() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd_, 4) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
    port_ = ntohs(a.sin_port);
  }
}

SilentServer::~SilentServer() {
  if (fd_ >= 0) ::close(fd_);
}

std::string SilentServer::base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

}  // namespace ranking
