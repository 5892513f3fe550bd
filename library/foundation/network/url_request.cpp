// URL requests through the platform's HTTP layer, the window pumped meanwhile.
#include <cstdio>
#include <cstring>

#include "library/veziv.h"
#include "platform/net/http.h"

namespace veziv {

int RequestUrlText(const char* url, const char* agent, char* body, int bodySize, int connectMs, int totalMs) {
  if (body != nullptr && bodySize > 0) body[0] = 0;
  if (url == nullptr || body == nullptr || bodySize <= 0) return -1;
  platform::net::HttpRequest request;
  request.url = url;
  request.agent = agent != nullptr ? agent : "";
  request.connectTimeoutMs = connectMs;
  request.totalTimeoutMs = totalMs;
  request.maxBody = static_cast<size_t>(bodySize - 1);
  // A window that goes away while the request waits abandons it; without a
  // window to begin with there is nothing to keep answering.
  const bool windowLive = PumpMessages() == 0;
  request.pump = [windowLive] { return !windowLive || PumpMessages() == 0; };
  const platform::net::HttpResult result = platform::net::HttpGet(request);
  std::memcpy(body, result.body.data(), result.body.size());
  body[result.body.size()] = 0;
  if (!result.ok) {
    std::fprintf(stderr, "URL request failed: %s\n", result.error.c_str());
    return -1;
  }
  return static_cast<int>(result.status);
}

}  // namespace veziv
