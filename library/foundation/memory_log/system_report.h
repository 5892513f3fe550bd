// The system report written to the log at start-up (library version, operating
// system, processor) and the processor flags it found, which the software
// renderer's choice of road reads.
#pragma once

#include <string>

#include "library/veziv.h"
#include "platform/os/system_info.h"

namespace veziv {

// Writes the system report (version, operating system, processor). Returns 0.
int LogSystemInfo();

namespace detail {
// What the system report found, for the parts of the library that choose a
// road by it.
struct SystemFlags {
  int os_code = 0;
  bool has_time_stamp = false;
  bool mmx_usable = false;
  bool sse_usable = false;
  bool sse2_usable = false;
  std::string cpu_brand;
};
const SystemFlags& LoggedSystemFlags();
// The report for a given machine; LogSystemInfo passes the real one.
void WriteSystemReport(const std::string& os_name, const platform::os::CpuInfo& cpu);
}  // namespace detail

}  // namespace veziv
