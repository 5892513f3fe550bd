// Opens arbitrary bytes as an archive image (default key) and, when they are
// accepted, walks every folder a few levels deep and reads every member. The
// reader must refuse what it cannot serve without reading out of bounds.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/foundation/files/archive.h"

namespace {

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
    veziv::ArchiveMemberState state;
    if (veziv::OpenArchiveMember(&state, record, name.c_str(), 0) != 0) continue;
    std::vector<uint8_t> buffer(4096);
    size_t total = 0;
    while (size_t n = veziv::ReadArchiveMember(&state, buffer.data(), buffer.size())) total += n;
    if (total != state.size) std::abort();
    veziv::SeekArchiveMember(&state, -1, 2);
    veziv::CloseArchiveMember(&state);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image(data, data + size);
  veziv::ArchiveRecord record;
  if (veziv::OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr) != 0) {
    if (!std::equal(image.begin(), image.end(), data)) std::abort();  // refused images stay as given
    return 0;
  }
  Walk(&record, 0);
  veziv::LocateArchiveEntry("\\A\\B\\C", &record);
  veziv::ChangeArchiveFolder(&record, "..", 0, nullptr);
  veziv::CloseArchiveRecord(&record);
  if (!std::equal(image.begin(), image.end(), data)) std::abort();  // scrambled again on close
  return 0;
}
