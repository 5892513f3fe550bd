// ReadFileLine over arbitrary text: the first byte chooses the buffer size,
// the rest is the file. The file is read from memory through a file set of
// the tests' own and from disk through the plain set in one of its
// synchronous, cached and asynchronous modes (chosen by the same byte): every
// line must be the file's bytes from where the call started (see
// line_model.h), and both reads must agree. The cached and asynchronous modes
// run their file thread's commands inline.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "fuzz/line_model.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/memory_file_set_test_support.h"
#include "library/foundation/files/plain_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  veziv::fuzzing::SilenceLog();
  veziv::detail::RunFileThreadsInline(true);
  const int bufferSize = data[0] % 70;  // 0 and 1 are refused; 2 is the smallest that reads
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const veziv::FileHandle memory = veziv::test::OpenMemoryFile(text);
  const std::vector<std::string> lines = veziv::fuzzing::ReadAndCheckLines(memory, text, bufferSize);
  veziv::test::ForgetMemoryFiles();

  const std::string path = veziv::fuzzing::WriteScratchFile("lines.txt", data + 1, size - 1);
  veziv::SetFileFunctionTable(veziv::GetPlainFileSet());
  // One mode of the three a run, chosen by the same byte: each must give the
  // lines the memory file gave, so every mode still meets every kind of text.
  const struct {
    int cache, async;
  } modes[] = {{0, 0}, {1, 0}, {0, 1}};
  const auto& mode = modes[data[0] / 70 % 3];
  const veziv::FileHandle file = veziv::FileStreamOpen(path.c_str(), mode.cache, 1, mode.async);
  if (file == 0) std::abort();
  if (veziv::fuzzing::ReadAndCheckLines(file, text, bufferSize) != lines) std::abort();
  veziv::FileStreamClose(file);
  veziv::SetFileFunctionTable(nullptr);
  return 0;
}
