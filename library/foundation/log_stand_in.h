// Stand-in for the library's log until the log file lands: the same calls,
// writing nowhere.
#pragma once

namespace veziv {

int WriteLogText(const char* text);
int WriteLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace veziv
