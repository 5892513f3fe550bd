// HTTP GET on libcurl's multi interface, so that the caller's pump runs
// while the transfer waits.
#include "platform/net/http.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace platform::net {

namespace {

struct Sink {
  std::string* body;
  size_t limit;
  bool cut = false;
};

size_t keepBody(char* data, size_t size, size_t count, void* user) {
  Sink& sink = *static_cast<Sink*>(user);
  const size_t bytes = size * count;
  const size_t room = sink.limit - sink.body->size();
  if (bytes > room) {
    sink.body->append(data, room);
    sink.cut = true;
    return 0;  // stops the transfer: the rest is not wanted
  }
  sink.body->append(data, bytes);
  return bytes;
}

void initOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyCloser {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiCloser {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

}  // namespace

HttpResult HttpGet(const HttpRequest& request) {
  initOnce();
  HttpResult result;
  std::unique_ptr<CURL, EasyCloser> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiCloser> multi(curl_multi_init());
  if (!easy || !multi) {
    result.error = "no request handle";
    return result;
  }
  Sink sink{&result.body, request.maxBody};
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, keepBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  // Never a cached copy: the board changes with every send.
  struct curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
  if (!request.agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, request.agent.c_str());
  curl_multi_add_handle(multi.get(), e);

  int running = 1;
  bool abandoned = false;
  while (running > 0) {
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
    if (running == 0) break;
    if (request.pump && !request.pump()) {
      abandoned = true;
      break;
    }
    curl_multi_poll(multi.get(), nullptr, 0, 20, nullptr);
  }
  CURLcode code = CURLE_OK;
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
    if (msg->msg == CURLMSG_DONE) code = msg->data.result;
  }
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &result.status);
  curl_multi_remove_handle(multi.get(), e);
  curl_slist_free_all(headers);

  result.cut = sink.cut;
  const bool transferred = code == CURLE_OK || (sink.cut && code == CURLE_WRITE_ERROR);
  if (abandoned) {
    result.error = "abandoned";
  } else if (!transferred) {
    result.error = curl_easy_strerror(code);
  } else if (result.status < 200 || result.status > 299) {
    result.error = "HTTP status " + std::to_string(result.status);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace platform::net
