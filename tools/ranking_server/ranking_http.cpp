#include "tools/ranking_server/ranking_http.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/ranking_server/ranking_answers.h"
#include "tools/ranking_server/ranking_requests.h"

namespace ranking {

namespace {

using Clock = std::chrono::steady_clock;

// The most a request's head may hold; the game's longest is under 1 KB.
constexpr size_t kMaxHead = 16 * 1024;
// New connections taken per turn of the loop, so that the ones already
// open are read between bursts.
constexpr int kAcceptsPerTurn = 64;

// A connection from its accept to its answer.
struct Connection {
  int fd = -1;
  Clock::time_point deadline;
  std::string head;    // the bytes received so far
  size_t scanned = 0;  // how many of them were searched for the head's end
};

enum class Progress { kWaiting, kComplete, kTooLarge, kClosed };

// Reads what has arrived, without waiting.
Progress receive(Connection& c) {
  char buffer[4096];
  for (;;) {
    const size_t room = std::min(sizeof buffer, kMaxHead - c.head.size());
    const ssize_t n = ::recv(c.fd, buffer, room, 0);
    if (n > 0) {
      c.head.append(buffer, static_cast<size_t>(n));
      const size_t end = headEnd(c.head, c.scanned);
      c.scanned = c.head.size();
      if (end != std::string::npos) return Progress::kComplete;
      if (c.head.size() == kMaxHead) return Progress::kTooLarge;
      continue;
    }
    if (n == 0) return c.head.empty() ? Progress::kClosed : Progress::kComplete;  // the parser judges a cut head
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Progress::kWaiting : Progress::kClosed;
  }
}

// Closes a connection after its answer. What the client sent beyond what
// was read (a body no answer needed, the rest of a refused head) is read
// and dropped first: closing over unread bytes resets the connection, and
// the client could lose the answer.
void closeAfterAnswer(int fd) {
  ::shutdown(fd, SHUT_WR);
  char buffer[4096];
  for (int i = 0; i < 16 && ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0; ++i) {
  }
  ::close(fd);
}

constexpr const char* kTimedOutStatus = "408 Request Timeout";
constexpr const char* kTooLargeStatus = "431 Request Header Fields Too Large";
constexpr const char* kBusyStatus = "503 Service Unavailable";

// A short answer the loop gives without waiting (an empty socket buffer
// takes it whole), then the connection closed.
void refuse(int fd, const char* status) {
  char text[128];
  const int size =
      std::snprintf(text, sizeof text, "HTTP/1.1 %s\r\nConnection: close\r\nContent-Length: 0\r\n\r\n", status);
  (void)!::send(fd, text, static_cast<size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
  closeAfterAnswer(fd);
}

int msUntil(Clock::time_point when, Clock::time_point now) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
  return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, INT_MAX));
}

void addressOf(int (*name)(int, sockaddr*, socklen_t*), int fd, std::string& ip, int& port) {
  sockaddr_storage a{};
  socklen_t size = sizeof a;
  char text[INET6_ADDRSTRLEN] = "";
  port = -1;
  if (name(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0) return;
  if (a.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(a);
    ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (a.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(a);
    ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

// The parser's stream over a connection whose head has arrived: reads give
// the head, then the socket, and never wait past the deadline; the answer
// is gathered and sent in one piece by flush().
class ConnectionStream final : public httplib::Stream {
 public:
  explicit ConnectionStream(const Connection& c) : c_(c) {}

  bool is_readable() const override { return at_ < c_.head.size() || wait(POLLIN); }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    if (at_ < c_.head.size()) {
      const size_t n = std::min(size, c_.head.size() - at_);
      std::memcpy(ptr, c_.head.data() + at_, n);
      at_ += n;
      return static_cast<ssize_t>(n);
    }
    for (;;) {
      if (!wait(POLLIN)) return -1;
      const ssize_t n = ::recv(c_.fd, ptr, size, 0);
      if (n >= 0 || (errno != EAGAIN && errno != EINTR)) return n;
    }
  }
  ssize_t write(const char* ptr, size_t size) override {
    out_.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { addressOf(::getpeername, c_.fd, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { addressOf(::getsockname, c_.fd, ip, port); }
  socket_t socket() const override { return c_.fd; }

  bool flush() {
    size_t sent = 0;
    while (sent < out_.size()) {
      const ssize_t n = ::send(c_.fd, out_.data() + sent, out_.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if ((n < 0 && errno != EAGAIN && errno != EINTR) || !wait(POLLOUT)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool wait(short events) const {
    pollfd p{c_.fd, events, 0};
    for (;;) {
      const int r = ::poll(&p, 1, msUntil(c_.deadline, Clock::now()));
      if (r >= 0 || errno != EINTR) return r > 0;
    }
  }

  const Connection& c_;
  size_t at_ = 0;
  std::string out_;
};

}  // namespace

struct HttpServer::State {
  State(Store& store, const Limits& l) : answerer(store), limits(l) {
    limits.workers = std::max(limits.workers, 1);
    limits.waitingConnections = std::max(limits.waitingConnections, 1);
    limits.queuedRequests = std::max(limits.queuedRequests, 1);
  }
  ~State() {
    if (listenFd >= 0) ::close(listenFd);
    if (wakeFd >= 0) ::close(wakeFd);
  }

  void loop();
  void acceptSome(Clock::time_point now);
  // Moves a connection on by what receive() found.
  void settle(Connection&& c, Progress progress);
  void makeRoom();
  void work();

  Answerer answerer;
  Limits limits;
  int listenFd = -1;
  int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  std::atomic<bool> stopping{false};
  // Connections still sending, oldest (soonest deadline) first.
  std::vector<Connection> waiting;
  Clock::time_point acceptsResume;

  std::mutex mutex;
  std::condition_variable queued;
  std::deque<Connection> queue;  // requests received, for the workers
  bool closing = false;
};

void HttpServer::State::settle(Connection&& c, Progress progress) {
  switch (progress) {
    case Progress::kWaiting:
      if (waiting.size() >= static_cast<size_t>(limits.waitingConnections)) makeRoom();
      waiting.push_back(std::move(c));
      return;
    case Progress::kComplete: {
      std::unique_lock<std::mutex> lock(mutex);
      if (queue.size() >= static_cast<size_t>(limits.queuedRequests)) {
        lock.unlock();
        return refuse(c.fd, kBusyStatus);
      }
      queue.push_back(std::move(c));
      lock.unlock();
      queued.notify_one();
      return;
    }
    case Progress::kTooLarge:
      return refuse(c.fd, kTooLargeStatus);
    case Progress::kClosed:
      ::close(c.fd);
      return;
  }
}

// The oldest connection still sending gives its place to a newer one,
// unless it has finished sending by now. Clients that drip a request keep
// their places only until newer clients need them.
void HttpServer::State::makeRoom() {
  while (waiting.size() >= static_cast<size_t>(limits.waitingConnections)) {
    Connection oldest = std::move(waiting.front());
    waiting.erase(waiting.begin());
    const Progress progress = receive(oldest);
    if (progress == Progress::kWaiting) {
      refuse(oldest.fd, kTimedOutStatus);
    } else {
      settle(std::move(oldest), progress);
    }
  }
}

void HttpServer::State::acceptSome(Clock::time_point now) {
  for (int taken = 0; taken < kAcceptsPerTurn; ++taken) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: the oldest waiting connection makes room, or,
        // with none waiting, new connections wait in the backlog a moment.
        if (!waiting.empty()) {
          refuse(waiting.front().fd, kTimedOutStatus);
          waiting.erase(waiting.begin());
          continue;
        }
        acceptsResume = now + std::chrono::milliseconds(100);
      }
      return;
    }
    Connection c;
    c.fd = fd;
    c.deadline = now + std::chrono::milliseconds(limits.requestMs);
    // The request usually arrives with the connection.
    const Progress progress = receive(c);
    settle(std::move(c), progress);
  }
}

void HttpServer::State::loop() {
  std::vector<pollfd> fds;
  while (!stopping.load()) {
    Clock::time_point now = Clock::now();
    const bool accepting = now >= acceptsResume;
    fds.clear();
    fds.push_back({wakeFd, POLLIN, 0});
    fds.push_back({accepting ? listenFd : -1, POLLIN, 0});
    for (const Connection& c : waiting) fds.push_back({c.fd, POLLIN, 0});
    // Wake for the soonest deadline, and for accepts to resume.
    int timeout = waiting.empty() ? -1 : msUntil(waiting.front().deadline, now);
    if (!accepting) {
      const int resume = msUntil(acceptsResume, now);
      timeout = timeout < 0 ? resume : std::min(timeout, resume);
    }
    if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
      std::perror("ranking: poll");
      return;
    }
    if (stopping.load()) return;
    now = Clock::now();
    size_t kept = 0;
    for (size_t i = 0; i < waiting.size(); ++i) {
      Connection& c = waiting[i];
      const Progress progress = fds[i + 2].revents != 0 ? receive(c) : Progress::kWaiting;
      if (progress != Progress::kWaiting) {
        settle(std::move(c), progress);
      } else if (now >= c.deadline) {
        refuse(c.fd, kTimedOutStatus);
      } else {
        if (kept != i) waiting[kept] = std::move(c);
        ++kept;
      }
    }
    waiting.resize(kept);
    if (fds[1].revents != 0) acceptSome(now);
  }
}

void HttpServer::State::work() {
  for (;;) {
    Connection c;
    {
      std::unique_lock<std::mutex> lock(mutex);
      queued.wait(lock, [this] { return !queue.empty() || closing; });
      if (queue.empty()) return;
      c = std::move(queue.front());
      queue.pop_front();
    }
    ConnectionStream stream(c);
    answerer.answer(stream);
    stream.flush();
    closeAfterAnswer(c.fd);
  }
}

HttpServer::HttpServer(Store& store, const Limits& limits) : state_(std::make_unique<State>(store, limits)) {}

HttpServer::~HttpServer() = default;

int HttpServer::bind(const std::string& address, int port) {
  State& s = *state_;
  if (s.listenFd >= 0 || s.wakeFd < 0) return -1;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(), &hints, &found) != 0) return -1;
  for (const addrinfo* a = found; a != nullptr && s.listenFd < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    // Address reuse lets a restarted server take its port at once; port
    // sharing is left off, so a second server on the port is refused.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0) {
      s.listenFd = fd;
    } else {
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (s.listenFd < 0) return -1;
  std::string ip;
  int bound = -1;
  addressOf(::getsockname, s.listenFd, ip, bound);
  return bound;
}

void HttpServer::serve() {
  State& s = *state_;
  if (s.listenFd < 0) return;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.closing = false;
  }
  std::vector<std::thread> workers;
  for (int i = 0; i < s.limits.workers; ++i) workers.emplace_back([&s] { s.work(); });
  s.loop();
  for (const Connection& c : s.waiting) ::close(c.fd);
  s.waiting.clear();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.closing = true;
  }
  s.queued.notify_all();
  for (std::thread& t : workers) t.join();
}

void HttpServer::stop() {
  state_->stopping.store(true);
  const uint64_t one = 1;
  (void)!::write(state_->wakeFd, &one, sizeof one);
}

}  // namespace ranking
