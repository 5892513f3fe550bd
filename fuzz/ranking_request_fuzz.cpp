// Feeds any bytes to what the ranking server reads by itself, and to its
// answer. The first byte sets the size of the pieces the rest arrives in.
// - The end of a request's head, found piece by piece as the server's
//   connection loop finds it, must be the end found in one go.
// - The bytes as a path (and behind "/send/", and between "/board/" and
//   ".txt") must route only to what the rules allow: a send's name, score
//   and board written out again route to the same send.
// - A complete head (with what follows it as the body) is answered from an
//   in-memory store over a memory stream: an answer is a status line, or
//   nothing for bytes that are no request; a score is recorded by GET only.
#include <httplib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "tools/ranking_server/ranking_answers.h"
#include "tools/ranking_server/ranking_requests.h"
#include "tools/ranking_server/ranking_store.h"

namespace {

constexpr size_t kNone = std::string_view::npos;

void check(bool holds) {
  if (!holds) std::abort();
}

bool hasControlByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void checkRoute(const std::string& path) {
  using ranking::RouteKind;
  const ranking::Route route = ranking::routeOf(path);
  switch (route.kind) {
    case RouteKind::kNone:
      break;
    case RouteKind::kBad:
      check(path.starts_with("/send/") || path.starts_with("/board/"));
      break;
    case RouteKind::kSend: {
      const ranking::Entry& e = route.entry;
      check(!e.name.empty() && e.name.size() <= 19 && e.name.find_first_of(" *") == std::string::npos &&
            e.name.find("eof") == std::string::npos && !hasControlByte(e.name));
      check(ranking::validBoard(e.board));
      const ranking::Route again =
          ranking::routeOf("/send/" + e.name + "**" + std::to_string(e.score) + "**" + e.board);
      check(again.kind == RouteKind::kSend && again.entry.name == e.name && again.entry.score == e.score &&
            again.entry.board == e.board);
      break;
    }
    case RouteKind::kBoard:
      check(ranking::validBoard(route.board) && path == "/board/" + route.board + ".txt");
      break;
  }
}

// The request's bytes for the parser; the answer gathered.
class MemoryStream final : public httplib::Stream {
 public:
  explicit MemoryStream(std::string_view in) : in_(in) {}
  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const size_t n = std::min(size, in_.size() - at_);
    std::memcpy(ptr, in_.data() + at_, n);
    at_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    out_.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 40000;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 48620;
  }
  socket_t socket() const override { return -1; }
  const std::string& out() const { return out_; }

 private:
  std::string_view in_;
  size_t at_ = 0;
  std::string out_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] % 16 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  const size_t whole = ranking::headEnd(bytes);
  size_t found = kNone;
  for (size_t have = 0; have < bytes.size() && found == kNone;) {
    const size_t next = std::min(bytes.size(), have + piece);
    found = ranking::headEnd(bytes.substr(0, next), have);
    have = next;
  }
  check(found == whole);
  check(whole == kNone || (whole <= bytes.size() && bytes[whole - 1] == '\n'));

  const std::string text(bytes);
  checkRoute(text);
  checkRoute("/send/" + text);
  checkRoute("/board/" + text + ".txt");

  if (whole != kNone) {
    ranking::Store store(":memory:");
    ranking::Answerer answerer(store);
    MemoryStream stream(bytes);
    const bool answered = answerer.answer(stream);
    const std::string& out = stream.out();
    check(answered ? out.starts_with("HTTP/1.1 ") && out.size() >= 12 : out.empty());
    if (out.ends_with("\r\n\r\nok\n")) check(bytes.starts_with("GET "));
  }
  return 0;
}
