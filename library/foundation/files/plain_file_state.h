// What each cached or asynchronous plain file's thread takes when its file is
// opened: plain_file.cpp keeps it; the tests' support sets the hooks and the
// interval and puts them back.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace veziv::detail {

inline constexpr uint32_t kDefaultFileCacheInterval = 100;  // milliseconds

// Observation and gating points of the file-access thread. Each runs on the
// thread; threads take a copy when their file is opened.
struct FileThreadHooks {
  std::function<void(int command)> beforeCommand;
  std::function<void(uint32_t cacheFill)> afterTopUp;
  std::function<void(uint32_t fromCache, uint32_t fromFile)> afterRead;
};

struct FileThreadSettings {
  std::mutex lock;  // guards the fields below
  FileThreadHooks hooks;
  // How long a cached file's thread waits for a command before it tops up its read-ahead.
  uint32_t cacheInterval = kDefaultFileCacheInterval;
  bool inlineThreads = false;  // see RunFileThreadsInline
};

FileThreadSettings& FileThreadSettingsBlock();

}  // namespace veziv::detail
