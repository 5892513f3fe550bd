// The ranking server over HTTP on a loopback port: sends recorded by board,
// the boards' text, refused requests, scores that outlive the server or
// cannot be stored, and honest requests beside clients that send slowly or
// never; its command line.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/veziv.h"
#include "platform/os/temp_folder_test_support.h"
#include "tools/ranking_server/ranking_options.h"
#include "tools/ranking_server/ranking_requests.h"
#include "tools/ranking_server/ranking_server_test_support.h"

namespace {

// "チュートリアル" and "ヴェルク" in Shift-JIS.
const std::string kTutorial = "\x83\x60\x83\x85\x81\x5B\x83\x67\x83\x8A\x83\x41\x83\x8B";
const std::string kVelk = "\x83\x94\x83\x46\x83\x8B\x83\x4E";

std::string encode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

// The status, or -1; the body in body.
int get(const std::string& url, std::string* body = nullptr) {
  char text[1024];
  const int status = veziv::RequestUrlText(url.c_str(), "test", text, sizeof text, 2000, 4000);
  if (body != nullptr) *body = text;
  return status;
}

// A connection made by hand, to send a request in pieces, slowly, or not at
// all, and to read whatever comes back.
class RawClient {
 public:
  explicit RawClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const timeval wait{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  // Errors are ignored: the server may have closed the connection already.
  void send(const std::string& bytes) { (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // Says that nothing more will be sent.
  void finish() { ::shutdown(fd_, SHUT_WR); }
  // What the server sends until it closes (or resets) the connection, or
  // until 5 s have passed.
  std::string answer() {
    std::string got;
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd_, buffer, sizeof buffer, 0)) > 0) got.append(buffer, static_cast<size_t>(n));
    return got;
  }

 private:
  int fd_ = -1;
};

std::string statusLine(const std::string& answer) { return answer.substr(0, answer.find("\r\n")); }

std::string bodyOf(const std::string& answer) {
  const size_t end = answer.find("\r\n\r\n");
  return end == std::string::npos ? "" : answer.substr(end + 4);
}

int send(const veziv::test::LoopbackRankingServer& server, const std::string& name, const std::string& score,
         const std::string& board) {
  return get(server.sendBase() + encode(name) + "**" + score + "**" + encode(board));
}

TEST(RankingServer, SendsMakeBoardsOfTheTenBestByBoard) {
  veziv::test::LoopbackRankingServer server;
  ASSERT_GT(server.port(), 0);
  std::string body;
  ASSERT_EQ(get(server.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, "eof");

  // Twelve scores on the tutorial board, names with the bytes a URL holds
  // specially.
  const char* names[] = {"a%b", "c&d", "e#f", "g?h", "i/j", "k+l", "m", "n", "o", "p", "q", "r"};
  for (int i = 0; i < 12; ++i) ASSERT_EQ(send(server, names[i], std::to_string(i * 10 - 20), kTutorial), 200) << i;
  ASSERT_EQ(send(server, kVelk, "30", kTutorial),
            200);  // ties with "k+l": the earlier send ranks first
  ASSERT_EQ(send(server, "other", "999", "s1"), 200);

  ASSERT_EQ(get(server.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, "r**90\nq**80\np**70\no**60\nn**50\nm**40\nk+l**30\n" + kVelk + "**30\ni/j**20\ng?h**10\neof");
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "other**999\neof");
}

TEST(RankingServer, RefusesWhatABoardCannotShow) {
  veziv::test::LoopbackRankingServer server;
  struct Case {
    const char* what;
    std::string name, score, board;
  };
  const Case cases[] = {
      {"blank", "a b", "1", "s1"},
      {"star", "a*b", "1", "s1"},
      {"eof", "xeofx", "1", "s1"},
      {"20 bytes", std::string(20, 'n'), "1", "s1"},
      {"empty name", "", "1", "s1"},
      {"score letters", "a", "1x", "s1"},
      {"score too big", "a", "4294967296", "s1"},
      {"empty board", "a", "1", ""},
      {"board with a slash", "a", "1", "x/y"},
      {"control byte", "a\nb", "1", "s1"},
  };
  for (const Case& c : cases) EXPECT_EQ(send(server, c.name, c.score, c.board), -1) << c.what;
  EXPECT_EQ(get(server.sendBase() + "onlyname"), -1);
  EXPECT_EQ(get(server.base() + "elsewhere"), -1);
  std::string body;
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "eof");
  // A negative score is a score.
  EXPECT_EQ(send(server, "low", "-5", "s1"), 200);
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "low**-5\neof");
}

TEST(RankingServer, ScoresOutliveTheServer) {
  veziv::test::TestFolder folder;
  const std::string db = folder / "ranking.db";
  {
    veziv::test::LoopbackRankingServer server(db);
    ASSERT_EQ(send(server, kVelk, "1200", kTutorial), 200);
  }
  veziv::test::LoopbackRankingServer again(db);
  std::string body;
  ASSERT_EQ(get(again.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, kVelk + "**1200\neof");
}

TEST(RankingServer, MethodsAndShapesOfRawRequests) {
  ranking::Limits limits;
  limits.requestMs = 20000;  // a case left waiting would show as an empty answer after 5 s
  veziv::test::LoopbackRankingServer server(":memory:", limits);
  struct Case {
    const char* what;
    std::string request;
    bool finish;  // the client says it has sent everything
    std::string status, body;
  };
  const Case cases[] = {
      {"HEAD of a send records nothing", "HEAD /send/a**1**s1 HTTP/1.1\r\nHost: x\r\n\r\n", false,
       "HTTP/1.1 405 Method Not Allowed", ""},
      {"HEAD of a board: no body", "HEAD /board/s1.txt HTTP/1.1\r\n\r\n", false, "HTTP/1.1 200 OK", ""},
      {"POST", "POST /send/a**1**s1 HTTP/1.1\r\nContent-Length: 0\r\n\r\n", false, "HTTP/1.1 405 Method Not Allowed",
       "method not allowed\n"},
      {"lines ended by a line feed alone", "GET /send/b**1**s1 HTTP/1.1\n\n", false, "HTTP/1.1 400 Bad Request", ""},
      {"an unknown path", "GET /elsewhere HTTP/1.1\r\n\r\n", false, "HTTP/1.1 404 Not Found", "not found\n"},
      {"a head of 17 KB", "GET /board/s1.txt HTTP/1.1\r\nX: " + std::string(17000, 'a') + "\r\n\r\n", false,
       "HTTP/1.1 431 Request Header Fields Too Large", ""},
      {"a cut request", "GET /send/c**1**s1 HTT", true, "HTTP/1.1 400 Bad Request", ""},
      {"a body after the head", "GET /board/s1.txt HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", false,
       "HTTP/1.1 200 OK", "eof"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawClient client(server.port());
    // Sent in three pieces, as a slow network would deliver it.
    const size_t third = c.request.size() / 3;
    client.send(c.request.substr(0, third));
    client.send(c.request.substr(third, third));
    client.send(c.request.substr(2 * third));
    if (c.finish) client.finish();
    const std::string answer = client.answer();
    EXPECT_EQ(statusLine(answer), c.status);
    EXPECT_EQ(bodyOf(answer), c.body);
  }
  std::string body;
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "eof");
}

// Clients that send a request head a byte every 20 ms and never end it.
class Drippers {
 public:
  Drippers(int port, int count) {
    for (int i = 0; i < count; ++i) clients_.push_back(std::make_unique<RawClient>(port));
    thread_ = std::thread([this] {
      const std::string head = "GET /board/s1.txt HTTP/1.1\r\nX-Slow: ";
      for (size_t at = 0; dripping_.load(); ++at) {
        for (auto& c : clients_) c->send(at < head.size() ? head.substr(at, 1) : "a");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
  }
  ~Drippers() {
    dripping_.store(false);
    thread_.join();
  }
  std::vector<std::unique_ptr<RawClient>>& clients() { return clients_; }

 private:
  std::vector<std::unique_ptr<RawClient>> clients_;
  std::atomic<bool> dripping_{true};
  std::thread thread_;
};

TEST(RankingServer, HonestRequestsGoOnBesideSlowClients) {
  ranking::Limits limits;
  limits.requestMs = 20000;  // the slow clients stay for the whole test
  veziv::test::LoopbackRankingServer server(":memory:", limits);
  // Many more slow clients than the server has workers.
  Drippers slow(server.port(), 100);
  // Honest requests all answered meanwhile, within time limits shorter
  // than the game's.
  std::string body, expected = "eof";
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(send(server, "p" + std::to_string(i), std::to_string(i), "s1"), 200) << i;
    ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200) << i;
    expected = "p" + std::to_string(i) + "**" + std::to_string(i) + "\n" + expected;
    EXPECT_EQ(body, expected);
  }
}

TEST(RankingServer, SlowClientsAreCutAtTheDeadline) {
  ranking::Limits limits;
  limits.requestMs = 300;
  veziv::test::LoopbackRankingServer server(":memory:", limits);
  // Though they go on sending; and one that sends nothing.
  Drippers slow(server.port(), 3);
  RawClient idle(server.port());
  for (auto& c : slow.clients()) EXPECT_EQ(statusLine(c->answer()), "HTTP/1.1 408 Request Timeout");
  EXPECT_EQ(statusLine(idle.answer()), "HTTP/1.1 408 Request Timeout");
}

TEST(RankingServer, NewClientsTakeTheOldestSlowClientsPlaces) {
  ranking::Limits limits;
  limits.requestMs = 20000;  // far beyond the 5 s a RawClient waits for its answer
  limits.waitingConnections = 4;
  veziv::test::LoopbackRankingServer server(":memory:", limits);
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 4; ++i) idle.push_back(std::make_unique<RawClient>(server.port()));
  idle[3]->send("GET /board/s1");
  // A fifth client that sends nothing yet closes the oldest at once; the
  // honest ones that follow are answered, the room full as they come.
  idle.push_back(std::make_unique<RawClient>(server.port()));
  EXPECT_EQ(statusLine(idle[0]->answer()), "HTTP/1.1 408 Request Timeout");
  std::string body;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200) << i;
  // The one that had begun its request, still in its place, finishes it.
  idle[3]->send(".txt HTTP/1.1\r\n\r\n");
  const std::string answer = idle[3]->answer();
  EXPECT_EQ(statusLine(answer), "HTTP/1.1 200 OK");
  EXPECT_EQ(bodyOf(answer), "eof");
}

TEST(RankingServer, ScoresThatCannotBeStoredAreLogged) {
  veziv::test::TestFolder folder;
  const std::string db = folder / "ranking.db";
  {
    veziv::test::LoopbackRankingServer server(db);
    ASSERT_EQ(send(server, "first", "5", "s1"), 200);
  }
  testing::internal::CaptureStderr();
  {
    veziv::test::LoopbackRankingServer readOnly("file:" + db + "?mode=ro");
    EXPECT_EQ(send(readOnly, "second", "9", "s1"), -1);
    std::string body;
    ASSERT_EQ(get(readOnly.fetchBase() + "s1.txt", &body), 200);
    EXPECT_EQ(body, "first**5\neof");
  }
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_THAT(log, testing::HasSubstr("is read-only: scores sent will not be stored"));
  EXPECT_THAT(log, testing::HasSubstr("a score was not stored in file:" + db +
                                      "?mode=ro: attempt to write a readonly database"));
}

TEST(RankingRequests, HeadEndsAtTheFirstEmptyLine) {
  struct Case {
    std::string bytes;
    size_t end;
  };
  const size_t none = std::string::npos;
  const Case cases[] = {
      {"GET / HTTP/1.1\r\nHost: x\r\n\r\nbody", 27},
      {"GET / HTTP/1.1\n\n", 16},
      {"GET /\r\nA: b\n\r\n", 14},
      {"GET /\r\n\n", 8},
      {"\r\n", 2},
      {"\n", 1},
      {"GET /\r\nA: b\r\n", none},
      {"GET /\r\r\n", none},
      {"", none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ranking::headEnd(c.bytes), c.end) << c.bytes;
    // The same end found as the bytes arrive one at a time.
    size_t found = none;
    for (size_t size = 1; size <= c.bytes.size() && found == none; ++size) {
      found = ranking::headEnd(std::string_view(c.bytes).substr(0, size), size - 1);
    }
    EXPECT_EQ(found, c.end) << c.bytes;
  }
}

TEST(RankingServerOptions, RefusesPortsItCouldNotAnnounce) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    int port;
    std::string error;
  };
  const Case cases[] = {
      {{}, true, 48620, ""},
      {{"--port", "80"}, true, 80, ""},
      {{"--port", "0"}, true, 0, ""},
      {{"--port", "65535"}, true, 65535, ""},
      {{"--port", "99999"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"99999\""},
      {{"--port", "abc"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"abc\""},
      {{"--port", "-1"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"-1\""},
      {{"--port", "80x"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"80x\""},
      {{"--port", ""}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"\""},
      {{"--port", "000080"}, true, 80, ""},
      {{"--port", "4294967376"},
       false,
       0,
       "--port takes a number from 0 to 65535 (0 for any free port), not \"4294967376\""},
      {{"--port"}, false, 0, "--port needs a value"},
      {{"--verbose"}, false, 0, "unknown option \"--verbose\""},
  };
  for (const Case& c : cases) {
    ranking::Options options;
    std::string error;
    const bool ok = ranking::parseOptions(static_cast<int>(c.args.size()), c.args.data(), options, error);
    EXPECT_EQ(ok, c.ok) << c.error;
    EXPECT_EQ(error, c.error);
    if (ok) {
      EXPECT_EQ(options.port, c.port);
    }
  }
  ranking::Options options;
  std::string error;
  const char* args[] = {"--db", "scores.db", "--address", "0.0.0.0", "--port", "1"};
  ASSERT_TRUE(ranking::parseOptions(6, args, options, error));
  EXPECT_EQ(options.db, "scores.db");
  EXPECT_EQ(options.address, "0.0.0.0");
  EXPECT_EQ(options.port, 1);
}

}  // namespace
