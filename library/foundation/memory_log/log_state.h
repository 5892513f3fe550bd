// The log file's state: log.cpp keeps it; the tests' support makes the
// process forget that it made the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace veziv::detail {

struct LogState {
  std::mutex lock;
  std::string folder;
  int indent = 0;
  bool mid_line = false;
  uint32_t start_ms = 0;
  bool mirror = false;  // copy texts to standard error
  // The file is written only once this process has made it: before that, a
  // file of that name is another run's (another copy's, in the same folder),
  // and making it deletes whatever was written to it before.
  bool created = false;
  std::atomic<bool> silent{false};
};

LogState& LogRecord();

}  // namespace veziv::detail
