// The library's log: "Log.txt" in the start folder, one time-stamped, indented
// CR LF line per text.
#pragma once

namespace veziv {

// Deletes and re-creates the log file empty; indent 0, a fresh line, and the
// time stamps count from now. Reads the switch VEZIV_LOG_STDERR: when it is
// "1", every text is also copied to standard error in UTF-8. Returns 1.
int CreateLogFile();
// Appends a Shift-JIS text (LF becomes CR LF up to the first CR LF already in
// it). A new line starts with "<ms>:" and one tab per indent level. Until
// this process has made its log file, nothing is written to a file (one of
// that name is another run's, and making it would delete the text anyway);
// the text only goes to standard error under VEZIV_LOG_STDERR=1. Always -1,
// so that a caller can return it as its failure after logging.
int WriteLogText(const char* text);
// Formats into a 1024-byte buffer (truncating), adds "\n" and writes it. Always -1.
int WriteLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Indent level + 1. Returns 0.
int IncreaseLogIndent();
// Indent level - 1, never below 0. Returns 0.
int DecreaseLogIndent();

namespace detail {
// The folder that holds "Log.txt" (a host path); empty means the current folder.
void SetLogFolder(const char* host_folder);
// Drops every text instead of writing it, for the fuzz targets, whose
// refusals would otherwise fill the disk and slow every run.
void SilenceLogForFuzzing(bool silent);
}  // namespace detail

}  // namespace veziv
