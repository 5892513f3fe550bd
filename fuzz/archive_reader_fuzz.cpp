// Opens arbitrary bytes as an archive (default key) through one of the three
// openers, chosen by the input's size: over the caller's memory, from a file
// read on demand (as the archive cache opens them), or from a file read whole
// into memory. When they are accepted, walks every folder a few levels deep and
// reads and seeks every member. The reader must refuse what it cannot serve
// without reading out of bounds or taking more memory than the budget.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/archive.h"
#include "library/foundation/files/read_budget.h"

namespace {

void ReadMember(veziv::ArchiveRecord* record, const std::string& name) {
  veziv::ArchiveMemberState state;
  if (veziv::OpenArchiveMember(&state, record, name.c_str(), 0) != 0) return;
  std::vector<uint8_t> buffer(4096);
  size_t total = 0;
  while (size_t n = veziv::ReadArchiveMember(&state, buffer.data(), buffer.size())) total += n;
  if (total != state.size) std::abort();
  // Seeks from each origin, inside and outside the member, then a short read.
  const int size = int(state.size);
  if (veziv::SeekArchiveMember(&state, size / 2, 0) == 0 && veziv::TellArchiveMember(&state) != size / 2)
    std::abort();
  veziv::SeekArchiveMember(&state, -1, 2);
  veziv::SeekArchiveMember(&state, 3, 1);
  veziv::SeekArchiveMember(&state, -size - 5, 1);
  veziv::ReadArchiveMember(&state, buffer.data(), 7);
  veziv::EofArchiveMember(&state);
  veziv::CloseArchiveMember(&state);
}

void Walk(veziv::ArchiveRecord* record, int depth) {
  veziv::ArchiveFolderView folder;
  if (depth > 6 || !veziv::FindArchiveFolder(record, "", &folder)) return;
  const uint32_t count = folder.count < 64 ? folder.count : 64;
  for (uint32_t i = 0; i < count; ++i) {
    std::string_view search;
    veziv::ArchiveEntryInfo info;
    if (!veziv::ReadArchiveFolderEntry(record, folder, i, &search, &info)) continue;
    const std::string name(search);
    if (info.folder) {
      const uint32_t saved = record->currentFolder;
      if (veziv::ChangeArchiveFolder(record, name.c_str(), 1, nullptr) == 0) Walk(record, depth + 1);
      record->currentFolder = saved;
      continue;
    }
    ReadMember(record, name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veziv::fuzzing::SilenceLog();
  // Members up to 16 MB: the budget's checks are the same, the runs faster.
  veziv::detail::SetMaxReadBytes(int64_t(1) << 24);
  std::vector<uint8_t> image(data, data + size);
  veziv::ArchiveRecord record;
  const int opener = int(size % 3);
  int opened = -1;
  if (opener == 0) {
    opened = veziv::OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr);
    if (opened != 0 && !std::equal(image.begin(), image.end(), data)) std::abort();  // refused images stay as given
  } else {
    const std::string path = veziv::fuzzing::WriteScratchFile("archive.dat", data, size);
    opened = opener == 1 ? veziv::OpenArchiveFileOnDisk(&record, path.c_str(), nullptr)
                         : veziv::OpenArchiveFileToMemory(&record, path.c_str(), nullptr, 0);
  }
  if (opened != 0) return 0;
  Walk(&record, 0);
  uint32_t position = 0, memberSize = 0;
  veziv::GetArchiveFileInfo(&record, "a.txt", &position, &memberSize);
  veziv::LocateArchiveEntry("\\A\\B\\C", &record);
  veziv::ChangeArchiveFolder(&record, "..", 0, nullptr);
  veziv::CloseArchiveRecord(&record);
  if (!std::equal(image.begin(), image.end(), data)) std::abort();  // scrambled again on close
  return 0;
}
