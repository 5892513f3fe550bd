// The check the line-reading fuzz targets share: ReadFileLine over an open
// file whose bytes are known gives, call by call, the bytes from the position
// the call started at: zero-terminated, within the buffer, without a zero
// byte or CR LF pair starting at one of its characters, always moving on.
// The lines are returned for comparing modes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/foundation/core/helpers.h"
#include "library/foundation/files/file_functions.h"

namespace veziv::fuzzing {

// True when a zero byte or a CR LF pair starts at a character of the line,
// where the line should have ended. A lead byte takes the byte after it,
// whatever that is (a zero or a CR too), as the reader counts characters.
inline bool EndsInside(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (detail::IsShiftJisLeadByte(c) && i + 1 < line.size()) {
      ++i;
      continue;
    }
    if (c == 0 || (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')) return true;
  }
  return false;
}

inline std::vector<std::string> ReadAndCheckLines(FileHandle handle, const std::string& bytes, int bufferSize) {
  std::vector<std::string> lines;
  std::vector<char> buffer(size_t(bufferSize > 0 ? bufferSize : 0) + 1, '\x7F');
  // Every line that is not the last moves on by at least one byte.
  const size_t bound = bytes.size() + 2;
  for (;;) {
    const int start = FileStreamTell(handle);
    const int n = ReadFileLine(buffer.data(), bufferSize, handle);
    if (n < 0) break;
    if (n >= bufferSize || buffer[size_t(n)] != '\0') std::abort();
    const std::string line(buffer.data(), size_t(n));
    if (start < 0 || size_t(start) > bytes.size() || bytes.compare(size_t(start), line.size(), line) != 0)
      std::abort();
    if (EndsInside(line)) std::abort();
    const int after = FileStreamTell(handle);
    if (after <= start || size_t(after) < size_t(start) + line.size()) std::abort();
    lines.push_back(line);
    if (lines.size() > bound) std::abort();
  }
  return lines;
}

}  // namespace veziv::fuzzing
