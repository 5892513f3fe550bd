#include "tools/ranking_server/ranking_answers.h"

#include <httplib.h>

#include <cstdio>
#include <mutex>

#include "tools/ranking_server/ranking_requests.h"

namespace ranking {

namespace {

constexpr const char* kTextType = "text/plain; charset=Shift_JIS";

void answerText(httplib::Response& res, int status, const char* text) {
  res.status = status;
  res.set_content(text, kTextType);
}

}  // namespace

// cpp-httplib parses the request; its pre-routing hook answers every
// request, so its own routes (and their regular expressions over paths of
// up to 8 KB) are never used.
struct Answerer::Impl : httplib::Server {
  explicit Impl(Store& s) : store(s) {
    set_payload_max_length(4096);
    set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      respond(req, res);
      return HandlerResponse::Handled;
    });
  }

  bool answer(httplib::Stream& stream) {
    bool closed = false;
    return process_request(stream, true, closed, [](httplib::Request&) {});
  }

  void respond(const httplib::Request& req, httplib::Response& res) {
    const bool head = req.method == "HEAD";
    if (req.method != "GET" && !head) {
      res.set_header("Allow", "GET, HEAD");
      return answerText(res, 405, "method not allowed\n");
    }
    const Route route = routeOf(req.path);
    switch (route.kind) {
      case RouteKind::kNone:
        return answerText(res, 404, "not found\n");
      case RouteKind::kBad:
        return answerText(res, 400, "bad request\n");
      case RouteKind::kSend: {
        // A HEAD request asks what a GET would answer without its effect:
        // it records nothing.
        if (head) {
          res.set_header("Allow", "GET");
          return answerText(res, 405, "scores are sent with GET\n");
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (!store.add(route.entry)) return answerText(res, 500, "not stored\n");
        std::fprintf(stderr, "ranking: %d on a board of %zu bytes\n", route.entry.score, route.entry.board.size());
        return answerText(res, 200, "ok\n");
      }
      case RouteKind::kBoard: {
        std::lock_guard<std::mutex> lock(mutex);
        res.set_header("Cache-Control", "no-store");
        res.set_content(store.boardText(route.board), kTextType);
        return;
      }
    }
  }

  Store& store;
  std::mutex mutex;
};

Answerer::Answerer(Store& store) : impl_(std::make_unique<Impl>(store)) {}

Answerer::~Answerer() = default;

bool Answerer::answer(httplib::Stream& stream) { return impl_->answer(stream); }

}  // namespace ranking
