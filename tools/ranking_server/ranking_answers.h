// What the ranking server answers to one request: cpp-httplib reads the
// request line and headers from a stream, the server's own rules
// (ranking_requests.h) pick the answer, and the store records or serves the
// scores. Only GET records a score; HEAD gets a board's headers.
#pragma once

#include <memory>

#include "tools/ranking_server/ranking_store.h"

namespace httplib {
class Stream;
}

namespace ranking {

class Answerer {
 public:
  // The store outlives the answerer; calls from several threads take turns
  // at it.
  explicit Answerer(Store& store);
  ~Answerer();
  // Reads one request from the stream and writes its answer; false when
  // what the stream held was not a request at all (nothing is written).
  bool answer(httplib::Stream& stream);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ranking
