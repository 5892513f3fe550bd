// The log file: each text is appended with the file opened and closed around
// it, so that the log survives a crash; a lock keeps the line state whole when
// the movie decode thread logs too. With VEZIV_LOG_STDERR=1 every text is also
// copied to standard error in UTF-8, for reading while debugging.
#include "library/foundation/memory_log/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "library/foundation/core/helpers.h"
#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/log_state.h"
#include "platform/os/charset.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"

namespace veziv {
namespace {

namespace os = platform::os;

constexpr const char* kLogFileName = "Log.txt";

using detail::LogState;

LogState& State() { return detail::LogRecord(); }

bool MirrorSwitchOn() {
  const char* mirror = std::getenv("VEZIV_LOG_STDERR");
  return mirror != nullptr && std::strcmp(mirror, "1") == 0;
}

std::string LogPath(const LogState& s) {
  if (s.folder.empty()) return kLogFileName;
  std::string path = s.folder;
  if (path.back() != '/') path += '/';
  return path + kLogFileName;
}

// Collects output in a small buffer and hands it to the file in pieces, so that
// no text is too long to log and logging never needs the allocator.
class LogSink {
 public:
  explicit LogSink(os::File& file) : file_(file) {}
  ~LogSink() { Flush(); }
  // From now on every byte is also copied to *mirror (null: not copied).
  void MirrorTo(std::string* mirror) { mirror_ = mirror; }
  void Put(char c) {
    if (used_ == sizeof buffer_) Flush();
    buffer_[used_++] = c;
    last_ = c;
    if (mirror_ != nullptr) mirror_->push_back(c);
  }
  void Put(const char* text) {
    while (*text != '\0') Put(*text++);
  }
  void Flush() {
    if (used_ > 0) file_.Write(buffer_, used_);
    used_ = 0;
  }
  char last() const { return last_; }

 private:
  os::File& file_;
  std::string* mirror_ = nullptr;
  char buffer_[256];
  size_t used_ = 0;
  char last_ = '\0';
};

// LF becomes CR LF, stepping over double-byte characters whole. From the first
// LF that already has its CR the rest of the text is copied as it is.
void PutConverted(LogSink& sink, const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  unsigned char previous = 0;
  while (*p != 0) {
    if (detail::IsShiftJisLeadByte(*p) && p[1] != 0) {
      sink.Put(static_cast<char>(p[0]));
      sink.Put(static_cast<char>(p[1]));
      previous = p[1];
      p += 2;
      continue;
    }
    if (*p == '\n') {
      if (previous == '\r') {
        sink.Put(reinterpret_cast<const char*>(p));
        return;
      }
      sink.Put('\r');
    }
    sink.Put(static_cast<char>(*p));
    previous = *p;
    ++p;
  }
}

}  // namespace

int CreateLogFile() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  const std::string path = LogPath(s);
  os::DeleteHostFile(path);
  os::OpenHostFile(path, os::OpenMode::kCreateTruncate).Close();
  s.indent = 0;
  s.mid_line = false;
  s.start_ms = os::MillisecondClock();
  s.mirror = MirrorSwitchOn();
  s.created = true;
  return 1;
}

int WriteLogText(const char* text) {
  // An empty text writes nothing and leaves the line state as it was.
  if (text == nullptr || *text == '\0') return -1;
  LogState& s = State();
  if (s.silent.load(std::memory_order_relaxed)) return -1;
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.created) {
    if (MirrorSwitchOn()) {
      const std::string utf8 = os::Cp932ToUtf8(text);
      std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    }
    return -1;
  }
  const std::string path = LogPath(s);
  os::File file = os::OpenHostFile(path, os::OpenMode::kAppend);
  LogSink sink(file);
  std::string mirror;
  if (!s.mid_line) {
    char stamp[16];
    const uint32_t elapsed = (os::MillisecondClock() - s.start_ms) & 0x7FFFFFFFu;
    FormatText(stamp, sizeof stamp, "%u:", static_cast<unsigned>(elapsed));
    sink.Put(stamp);
  }
  // The copy gets the indent and the text, not the time stamp.
  if (s.mirror) sink.MirrorTo(&mirror);
  if (!s.mid_line) {
    for (int i = 0; i < s.indent; ++i) sink.Put('\t');
  }
  PutConverted(sink, text);
  s.mid_line = sink.last() != '\n';
  sink.Flush();
  file.Close();
  if (s.mirror) {
    const std::string utf8 = os::Cp932ToUtf8(mirror);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  }
  return -1;
}

int WriteLogFormat(const char* format, ...) {
  // Up to 1023 formatted bytes, then the line feed.
  char text[1025];
  va_list args;
  va_start(args, format);
  const int length = FormatTextArgs(text, sizeof text - 1, format, args);
  va_end(args);
  if (length < 0) return -1;
  std::strcat(text, "\n");
  return WriteLogText(text);
}

int IncreaseLogIndent() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  ++s.indent;
  return 0;
}

int DecreaseLogIndent() {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.indent > 0) --s.indent;
  return 0;
}

namespace detail {
void SetLogFolder(const char* host_folder) {
  LogState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.folder = host_folder != nullptr ? host_folder : "";
}

void SilenceLogForFuzzing(bool silent) { State().silent.store(silent, std::memory_order_relaxed); }

LogState& LogRecord() {
  static LogState state;
  return state;
}
}  // namespace detail

}  // namespace veziv
