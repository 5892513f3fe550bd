// Feeds ReadFileLine with arbitrary text over a memory file. The first byte
// chooses the buffer size; the rest is the file. Every call must give a
// zero-terminated line that fits the buffer, and the reader must reach the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/memory_file_set_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int bufferSize = data[0] % 70;  // 0 and 1 are refused; 2 is the smallest that reads
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const veziv::FileHandle h = veziv::test::OpenMemoryFile(text);
  std::vector<char> buffer(static_cast<size_t>(bufferSize) + 1);
  // Every line that is not the last consumes at least one byte.
  const size_t bound = text.size() + 2;
  size_t calls = 0;
  for (;;) {
    const int n = veziv::ReadFileLine(buffer.data(), bufferSize, h);
    if (n < 0) break;
    if (n >= bufferSize || buffer[static_cast<size_t>(n)] != '\0') std::abort();
    if (++calls > bound) std::abort();
  }
  veziv::test::ForgetMemoryFiles();
  return 0;
}
