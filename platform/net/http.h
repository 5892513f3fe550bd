// URL requests: one HTTP GET at a time on libcurl, with connect and total
// timeouts, a bounded body, and a pump called while the request waits, so
// that a window keeps answering. Only an answer with an HTTP status of 200
// to 299 counts as success.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform::net {

struct HttpRequest {
  std::string url;
  std::string agent;
  long connectTimeoutMs = 3000;
  long totalTimeoutMs = 5000;
  // The body is kept up to this many bytes; the transfer stops there.
  size_t maxBody = 1023;
  // Called about every 20 ms while the request waits; false abandons it.
  std::function<bool()> pump;
};

struct HttpResult {
  bool ok = false;    // a 2xx answer was received (its body possibly cut)
  long status = 0;    // the HTTP status, 0 when none arrived
  std::string body;   // at most maxBody bytes
  bool cut = false;   // the body was longer than maxBody
  std::string error;  // why it failed, for the log
};

HttpResult HttpGet(const HttpRequest& request);

}  // namespace platform::net
