#include "library/foundation/memory_log/fresh_log_test_support.h"

#include <mutex>

#include "library/foundation/memory_log/log_state.h"
#include "library/foundation/memory_log/screen_log_state.h"

namespace veziv::detail {

void ForgetLogFile() {
  LogState& s = LogRecord();
  std::lock_guard<std::mutex> guard(s.lock);
  s.created = false;
}

void StartScreenLogAfresh() {
  ScreenLog& log = ScreenLogRecord();
  const ScreenLogServices services = log.services;
  log = ScreenLog{};
  log.services = services;
}

}  // namespace veziv::detail
