// Arbitrary bytes as the archive "data.dat" of a game folder, read through
// the archive-aware file set the way the game reads its data: finds over the
// folder (names copied into the record, dates converted), every member opened
// by the name the find gave, read whole, seeked, and read again line by line
// (checked as in line_model.h), then a few paths that are not there. The
// first byte picks the line buffer's size and whether reads are asynchronous.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "fuzz/line_model.h"
#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/archive_file_set.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/read_budget.h"
#include "platform/os/host_path.h"

namespace {

struct Options {
  int bufferSize;
  int async;
};

// The size the find gave need not be this member's: a crafted table may hold
// two entries of one name. What was read must match the member's own end.
void ReadMember(const std::string& path, const Options& options) {
  const veziv::FileHandle h = veziv::OpenFileForRead(path.c_str(), options.async);
  if (h == 0) return;
  std::string bytes;
  char chunk[1024];
  for (;;) {
    const size_t n = veziv::FileStreamRead(chunk, 1, sizeof chunk, h);
    while (veziv::FileStreamIdleCheck(h) == 0) {
    }
    if (n == 0) break;
    if (n > sizeof chunk) std::abort();
    bytes.append(chunk, n);
    if (bytes.size() > (size_t(1) << 25)) std::abort();
  }
  if (veziv::FileStreamEof(h) != -1) std::abort();
  if (veziv::FileStreamSeek(h, 0, 2) != 0 || size_t(veziv::FileStreamTell(h)) != bytes.size()) std::abort();
  const uint32_t size = uint32_t(bytes.size());
  veziv::FileStreamSeek(h, int(size / 2), 0);
  veziv::FileStreamSeek(h, -1, 2);
  veziv::FileStreamSeek(h, -int(size) - 3, 1);
  if (veziv::FileStreamSeek(h, 0, 0) != 0 || veziv::FileStreamTell(h) != 0) std::abort();
  veziv::fuzzing::ReadAndCheckLines(h, bytes, options.bufferSize);
  if (veziv::FileStreamClose(h) != 0) std::abort();
}

void Walk(const std::string& folder, int depth, const Options& options) {
  if (depth > 4) return;
  veziv::FileFindRecord record;
  const int find = veziv::ArchiveFindFirst((folder + "\\*").c_str(), &record);
  if (find == -1) return;
  int entries = 0;
  do {
    const std::string name(record.name, strnlen(record.name, sizeof record.name));
    if (name.size() >= sizeof record.name) std::abort();
    if (name == "." || name == ".." || name.empty()) continue;
    if (record.directory)
      Walk(folder + "\\" + name, depth + 1, options);
    else
      ReadMember(folder + "\\" + name, options);
  } while (++entries < 64 && veziv::ArchiveFindNext(find, &record) == 0);
  if (veziv::ArchiveFindClose(find) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const bool ready = [] {
    veziv::fuzzing::SilenceLog();
    veziv::SetFileFunctionTable(nullptr);
    veziv::EnableArchiveReading(1);
    platform::os::SetStartFolder(veziv::fuzzing::ScratchFolder() + "/game");
    return true;
  }();
  (void)ready;
  veziv::detail::SetMaxReadBytes(int64_t(1) << 24);
  // Set again each time: clearing the cache (below) clears it too.
  veziv::SetArchiveFileExtension("dat");
  const Options options{2 + data[0] % 68, data[0] >> 7};
  veziv::fuzzing::WriteScratchFile("game/data.dat", data + 1, size - 1);
  Walk("data", 0, options);
  veziv::ArchiveFindClose(veziv::ArchiveFindFirst("data\\*.TXT", nullptr));
  for (const char* missing : {"data\\no such file", "data\\sub\\..\\..\\data.dat", "data\\\x95\\x"}) {
    const veziv::FileHandle h = veziv::OpenFileForRead(missing, 0);
    if (h != 0) veziv::FileStreamClose(h);
  }
  // The next input is another archive under the same name.
  veziv::ClearArchiveCache();
  return 0;
}
