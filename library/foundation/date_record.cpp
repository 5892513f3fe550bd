// File times as the library's calendar dates.
#include "library/foundation/date_record.h"

#include <ctime>

#include "platform/os/filetime.h"

namespace veziv {

DateRecord FileTimeToDateRecord(uint64_t fileTime) {
  std::tm tm{};
  if (!platform::os::FileTimeToLocalTime(fileTime, &tm)) return DateRecord{};
  return DateRecord{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace veziv
