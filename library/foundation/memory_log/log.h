// The library's log: "Log.txt" in the start folder, one time-stamped, indented
// CR LF line per text, and the system report written at start-up.
#pragma once

#include <string>

#include "platform/os/system_info.h"

namespace veziv {

// Deletes and re-creates the log file empty; indent 0, a fresh line, and the
// time stamps count from now. Reads the switch VEZIV_LOG_STDERR: when it is
// "1", every text is also copied to standard error in UTF-8. Returns 1.
int CreateLogFile();
// Appends a Shift-JIS text (LF becomes CR LF up to the first CR LF already in
// it). A new line starts with "<ms>:" and one tab per indent level. Always -1,
// so that a caller can return it as its failure after logging.
int WriteLogText(const char* text);
// Formats into a 1024-byte buffer (truncating), adds "\n" and writes it. Always -1.
int WriteLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Indent level + 1. Returns 0.
int IncreaseLogIndent();
// Indent level - 1, never below 0. Returns 0.
int DecreaseLogIndent();

// Writes the system report (version, operating system, processor). Returns 0.
int LogSystemInfo();

namespace detail {
// The folder that holds "Log.txt" (a host path); empty means the current folder.
void SetLogFolder(const char* host_folder);

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
