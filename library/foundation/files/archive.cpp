// Opening keyed archives, walking their folders and reading their members.
// Every field that comes from the file is checked before it is used.
#include "library/foundation/files/archive.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "library/foundation/core/helpers.h"
#include "library/foundation/files/decompress.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/files/seek_target.h"
#include "library/foundation/memory_log/log.h"
#include "platform/os/files.h"

namespace veziv {
namespace {

class FileSource final : public ArchiveSource {
 public:
  FileSource(platform::os::File file, uint64_t size) : file_(std::move(file)), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* destination, size_t count) override {
    return file_.ReadAt(destination, count, offset) == static_cast<int64_t>(count);
  }

 private:
  platform::os::File file_;
  uint64_t size_;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void LogBadMember(const char* path) {
  char line[512];
  std::snprintf(line, sizeof line, "アーカイブ内のファイルが壊れています: %s\n", path);
  WriteLogText(line);
}

void LogBadArchive(const char* what, const char* path) {
  char line[512];
  std::snprintf(line, sizeof line, "アーカイブファイルが壊れています(%s): %s\n", what,
                path != nullptr ? path : "(メモリ)");
  WriteLogText(line);
}

uint32_t FileEntrySize(const ArchiveRecord& r) {
  return r.header.version < 2 ? kArchiveFileEntrySizeV1 : kArchiveFileEntrySizeV2;
}

// True when count bytes at offset lie inside the table block.
bool InTable(const ArchiveRecord& r, uint64_t offset, uint64_t count) {
  return offset <= r.header.tableSize && count <= r.header.tableSize - offset;
}

// The header fields against each other and the size of the file or image.
bool HeaderFits(const ArchiveHeader& h, uint64_t sourceSize) {
  return uint64_t{h.tableOffset} + h.tableSize <= sourceSize && h.dataOffset <= sourceSize &&
         h.fileTableOffset <= h.tableSize && h.dirTableOffset <= h.tableSize &&
         h.tableSize - h.dirTableOffset >= kArchiveDirEntrySize;
}

// Unscrambles a copy of the header with the record's derived key, then with
// the fallback key; true when one gives an accepted header.
bool CheckHeader(ArchiveRecord* r, const uint8_t raw[kArchiveHeaderSize], const char* keyText) {
  uint8_t bytes[kArchiveHeaderSize];
  DeriveArchiveKey(keyText, r->key);
  std::memcpy(bytes, raw, sizeof bytes);
  ScrambleArchiveBytes(sizeof bytes, bytes, 0, r->key);
  if (LoadLe16(bytes) != kArchiveMagic) {
    FallbackArchiveKey(r->key);
    std::memcpy(bytes, raw, sizeof bytes);
    ScrambleArchiveBytes(sizeof bytes, bytes, 0, r->key);
  }
  ReadArchiveHeader(bytes, &r->header);
  return r->header.magic == kArchiveMagic && r->header.version <= kArchiveMaxVersion;
}

struct DirInfo {
  uint32_t parent;
  uint32_t count;
  uint32_t first;  // offset of the first file entry in the file table
};

bool ReadDirEntry(const ArchiveRecord& r, uint32_t dirOffset, DirInfo* out) {
  const uint64_t at = uint64_t{r.header.dirTableOffset} + dirOffset;
  if (!InTable(r, at, kArchiveDirEntrySize)) return false;
  const uint8_t* p = r.table + at;
  out->parent = LoadLe32(p + 4);
  out->count = LoadLe32(p + 8);
  out->first = LoadLe32(p + 12);
  // All entries of the folder must lie in the table block.
  return InTable(r, uint64_t{r.header.fileTableOffset} + out->first,
                 uint64_t{out->count} * FileEntrySize(r));
}

const uint8_t* FileEntryOf(const ArchiveRecord& r, const DirInfo& dir, uint32_t index) {
  return r.table + r.header.fileTableOffset + dir.first + uint64_t{index} * FileEntrySize(r);
}

bool IsFolderEntry(const uint8_t* entry) {
  return (LoadLe32(entry + 4) & kArchiveFolderAttribute) != 0;
}

// The entry's search name, without its zero padding. False when out of bounds.
bool EntrySearchName(const ArchiveRecord& r, const uint8_t* entry, uint16_t* words,
                     uint16_t* checksum, std::string_view* name) {
  const uint32_t at = LoadLe32(entry);
  if (!InTable(r, at, 4)) return false;
  *words = LoadLe16(r.table + at);
  *checksum = LoadLe16(r.table + at + 2);
  if (!InTable(r, uint64_t{at} + 4, uint64_t{*words} * 4)) return false;
  const char* p = reinterpret_cast<const char*>(r.table + at + 4);
  *name = std::string_view(p, strnlen(p, size_t{*words} * 4));
  return true;
}

// The name as written, which follows the search name. False when it does not
// end inside the table block.
bool EntryStoredName(const ArchiveRecord& r, const uint8_t* entry, std::string_view* name) {
  uint16_t words, checksum;
  std::string_view search;
  if (!EntrySearchName(r, entry, &words, &checksum, &search)) return false;
  const uint64_t at = uint64_t{LoadLe32(entry)} + 4 + uint64_t{words} * 4;
  if (!InTable(r, at, 1)) return false;
  const char* p = reinterpret_cast<const char*>(r.table + at);
  const size_t room = r.header.tableSize - at;
  const size_t n = strnlen(p, room);
  if (n == room) return false;
  *name = std::string_view(p, n);
  return true;
}

bool NameMatches(const ArchiveRecord& r, const uint8_t* entry, const ArchiveSearchName& name) {
  const uint32_t at = LoadLe32(entry);
  if (!InTable(r, at, 4)) return false;
  if (LoadLe16(r.table + at) != name.words || LoadLe16(r.table + at + 2) != name.checksum) {
    return false;
  }
  return InTable(r, uint64_t{at} + 4, name.bytes.size()) &&
         std::memcmp(r.table + at + 4, name.bytes.data(), name.bytes.size()) == 0;
}

// The entry of folder dirOffset with the given search name and kind, or null.
const uint8_t* FindInFolder(const ArchiveRecord& r, uint32_t dirOffset,
                            const ArchiveSearchName& name, bool wantFolder) {
  DirInfo dir;
  if (!ReadDirEntry(r, dirOffset, &dir)) {
    LogBadArchive("フォルダ", nullptr);
    return nullptr;
  }
  if (name.words == 0) return nullptr;
  for (uint32_t i = 0; i < dir.count; ++i) {
    const uint8_t* entry = FileEntryOf(r, dir, i);
    if (IsFolderEntry(entry) == wantFolder && NameMatches(r, entry, name)) return entry;
  }
  return nullptr;
}

// The walk of ChangeArchiveFolder, with the record locked.
int WalkFolders(ArchiveRecord* r, std::string_view path, int restore, ArchiveSearchName* out) {
  if (path == ".") return 0;
  if (path == "\\" || path == "/") {
    r->currentFolder = 0;
    return 0;
  }
  if (path == "..") {
    DirInfo dir;
    if (!ReadDirEntry(*r, r->currentFolder, &dir) || dir.parent == kArchiveNoParent) return -1;
    r->currentFolder = dir.parent;
    return 0;
  }
  const uint32_t start = r->currentFolder;
  size_t i = 0;
  if (!path.empty() && IsSeparator(path[0])) {
    r->currentFolder = 0;
    i = 1;
  }
  ArchiveSearchName name;
  while (i < path.size()) {
    // Doubled separators count as one, as they do on disk; taking the empty
    // element to the root would find a namesake elsewhere in the archive.
    if (IsSeparator(path[i])) {
      ++i;
      continue;
    }
    i += BuildArchiveSearchName(path.substr(i), &name);
    const uint8_t* folder = FindInFolder(*r, r->currentFolder, name, true);
    if (folder == nullptr) {
      if (restore) r->currentFolder = start;
      if (out != nullptr) *out = name;
      return -1;
    }
    r->currentFolder = LoadLe32(folder + 32);
  }
  if (out != nullptr) *out = name;
  return 0;
}

// LocateArchiveEntry with the record locked.
const uint8_t* Locate(ArchiveRecord* r, std::string_view path) {
  // The folder part is every element before the last separator; the last
  // element is the file name. A path that ends in a separator names a folder.
  // Every element of the folder part must be a folder: a file among them ends
  // the lookup with nothing rather than giving that file for a path below it,
  // which a folder on disk would not give either.
  size_t split = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (detail::IsShiftJisLeadByte(c) && i + 1 < path.size()) {
      ++i;
    } else if (IsSeparator(path[i])) {
      split = i;
    }
  }
  ArchiveSearchName name;
  if (split == std::string_view::npos) {
    BuildArchiveSearchName(path, &name);
    return path.empty() ? nullptr : FindInFolder(*r, r->currentFolder, name, false);
  }
  const std::string_view fileName = path.substr(split + 1);
  if (fileName.empty()) return nullptr;
  const uint32_t start = r->currentFolder;
  const uint8_t* entry = nullptr;
  // A leading separator alone is the root, which the walk's special case for
  // "\\" would also give.
  const std::string_view folderPart = split == 0 ? path.substr(0, 1) : path.substr(0, split);
  if (WalkFolders(r, folderPart, 0, nullptr) == 0) {
    BuildArchiveSearchName(fileName, &name);
    entry = FindInFolder(*r, r->currentFolder, name, false);
  }
  r->currentFolder = start;
  return entry;
}

bool ReadSource(ArchiveRecord* r, uint64_t at, void* destination, size_t count) {
  if (r->file != nullptr) {
    if (!r->file->ReadAt(at, destination, count)) return false;
    ScrambleArchiveBytes(count, destination, at, r->key);
    return true;
  }
  std::memcpy(destination, r->image + at, count);
  return true;
}

// Packed blocks expand at most 8195 bytes for every 3 body bytes.
bool PlausibleUnpackedSize(uint32_t unpacked, uint32_t packed) {
  return uint64_t{unpacked} <= (uint64_t{packed} - kPackedHeaderSize) * (kPackedMaxMatch / 3 + 1);
}

// The packed bytes are read (and unscrambled) into a buffer of their own and
// unpacked into another; neither is cleared first, as both are written whole
// before anything reads them (a block that does not fill the size is refused).
int UnpackMember(ArchiveMemberState* s, uint32_t packedSize) {
  ArchiveRecord* r = s->archive;
  std::unique_ptr<uint8_t[]> packedCopy;
  const uint8_t* packed = nullptr;
  if (r->file != nullptr) {
    packedCopy.reset(new (std::nothrow) uint8_t[packedSize]);
    if (packedCopy == nullptr || !ReadSource(r, s->dataStart, packedCopy.get(), packedSize)) return -1;
    packed = packedCopy.get();
  } else {
    packed = r->image + s->dataStart;
  }
  PackedHeader header;
  if (!ReadPackedHeader(packed, packedSize, &header) || header.packedSize != packedSize ||
      header.unpackedSize != s->size) {
    return -1;
  }
  s->unpacked.reset(new (std::nothrow) uint8_t[s->size == 0 ? 1 : s->size]);
  if (s->unpacked == nullptr || DecompressData(packed, packedSize, s->unpacked.get(), s->size) != s->size) {
    s->unpacked.reset();
    return -1;
  }
  s->packed = true;
  return 0;
}

}  // namespace

std::unique_ptr<ArchiveSource> OpenArchiveSourceFile(std::string_view path) {
  platform::os::File file = platform::os::OpenFile(path, platform::os::OpenMode::kRead);
  if (!file.IsOpen()) return nullptr;
  const int64_t size = file.Size();
  if (size < 0) return nullptr;
  return std::make_unique<FileSource>(std::move(file), static_cast<uint64_t>(size));
}

int ClearArchiveRecord(ArchiveRecord* record) {
  record->header = ArchiveHeader{};
  record->file.reset();
  record->image = nullptr;
  std::vector<uint8_t>().swap(record->ownedImage);
  std::vector<uint8_t>().swap(record->tableCopy);
  record->table = nullptr;
  record->currentFolder = 0;
  std::memset(record->key, 0, sizeof record->key);
  record->inMemory = 0;
  record->callerImage = 0;
  record->sourceSize = 0;
  record->open = false;
  return 0;
}

int OpenArchiveFromMemory(ArchiveRecord* record, void* image, size_t size, const char* keyText) {
  if (record->open || image == nullptr || size < kArchiveHeaderSize) return -1;
  auto* bytes = static_cast<uint8_t*>(image);
  if (!CheckHeader(record, bytes, keyText)) return -1;
  if (!HeaderFits(record->header, size)) {
    LogBadArchive("ヘッダ", nullptr);
    return -1;
  }
  ScrambleArchiveBytes(size, bytes, 0, record->key);
  record->image = bytes;
  record->table = bytes + record->header.tableOffset;
  record->currentFolder = 0;
  record->inMemory = 1;
  record->callerImage = 1;
  record->sourceSize = size;
  record->open = true;
  return 0;
}

int OpenArchiveFileOnDisk(ArchiveRecord* record, const char* path, const char* keyText) {
  if (record->open || path == nullptr) return -1;
  std::unique_ptr<ArchiveSource> file = OpenArchiveSourceFile(path);
  if (file == nullptr) return -1;
  uint8_t raw[kArchiveHeaderSize];
  if (file->Size() < kArchiveHeaderSize || !file->ReadAt(0, raw, sizeof raw) ||
      !CheckHeader(record, raw, keyText)) {
    LogBadArchive("ヘッダ", path);
    return -1;
  }
  if (!HeaderFits(record->header, file->Size())) {
    LogBadArchive("ヘッダ", path);
    return -1;
  }
  try {
    record->tableCopy.resize(record->header.tableSize);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (!file->ReadAt(record->header.tableOffset, record->tableCopy.data(), record->header.tableSize)) {
    std::vector<uint8_t>().swap(record->tableCopy);
    return -1;
  }
  ScrambleArchiveBytes(record->tableCopy.size(), record->tableCopy.data(), record->header.tableOffset,
                       record->key);
  record->table = record->tableCopy.data();
  record->sourceSize = file->Size();
  record->file = std::move(file);
  record->currentFolder = 0;
  record->inMemory = 0;
  record->callerImage = 0;
  record->open = true;
  return 0;
}

int OpenArchiveFileToMemory(ArchiveRecord* record, const char* path, const char* keyText, int) {
  if (record->open || path == nullptr) return -1;
  std::unique_ptr<ArchiveSource> file = OpenArchiveSourceFile(path);
  if (file == nullptr) return -1;
  uint8_t raw[kArchiveHeaderSize];
  if (file->Size() < kArchiveHeaderSize || !file->ReadAt(0, raw, sizeof raw) ||
      !CheckHeader(record, raw, keyText) || !HeaderFits(record->header, file->Size())) {
    LogBadArchive("ヘッダ", path);
    return -1;
  }
  try {
    record->ownedImage.resize(file->Size());
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (!file->ReadAt(0, record->ownedImage.data(), record->ownedImage.size())) {
    std::vector<uint8_t>().swap(record->ownedImage);
    return -1;
  }
  ScrambleArchiveBytes(record->ownedImage.size(), record->ownedImage.data(), 0, record->key);
  record->image = record->ownedImage.data();
  record->table = record->image + record->header.tableOffset;
  record->sourceSize = record->ownedImage.size();
  record->currentFolder = 0;
  record->inMemory = 1;
  record->callerImage = 0;
  record->open = true;
  return 0;
}

int FinishArchiveRead(ArchiveRecord*) { return 1; }

void* GetArchiveMemoryImage(ArchiveRecord* record) {
  return record->open && record->inMemory ? record->image : nullptr;
}

int GetArchiveFileInfo(ArchiveRecord* record, const char* path, uint32_t* position, uint32_t* size) {
  if (!record->open || path == nullptr) return -1;
  std::lock_guard<std::mutex> hold(record->lock);
  const uint8_t* entry = Locate(record, path);
  if (entry == nullptr) return -1;
  const uint64_t at = uint64_t{record->header.dataOffset} + LoadLe32(entry + 32);
  if (at > UINT32_MAX) return -1;
  if (position != nullptr) *position = static_cast<uint32_t>(at);
  if (size != nullptr) *size = LoadLe32(entry + 36);
  return 0;
}

int ReleaseArchiveRecord(ArchiveRecord* record) {
  if (!record->open) return 0;
  if (record->callerImage) ScrambleArchiveBytes(record->sourceSize, record->image, 0, record->key);
  return ClearArchiveRecord(record);
}

int CloseArchiveRecord(ArchiveRecord* record) { return ReleaseArchiveRecord(record); }

int ChangeArchiveFolder(ArchiveRecord* record, const char* path, int restore,
                        ArchiveSearchName* searchName) {
  if (!record->open || path == nullptr) return -1;
  std::lock_guard<std::mutex> hold(record->lock);
  return WalkFolders(record, path, restore, searchName);
}

const uint8_t* LocateArchiveEntry(const char* path, ArchiveRecord* record) {
  if (!record->open || path == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(record->lock);
  return Locate(record, path);
}

int OpenArchiveMember(ArchiveMemberState* state, ArchiveRecord* record, const char* path, int async) {
  *state = ArchiveMemberState{};
  const uint8_t* entry = LocateArchiveEntry(path, record);
  if (entry == nullptr) return -1;
  state->archive = record;
  state->entry = entry;
  state->async = async;
  state->size = LoadLe32(entry + 36);
  state->dataStart = uint64_t{record->header.dataOffset} + LoadLe32(entry + 32);
  const uint32_t packedSize = record->header.version < 2 ? kArchiveStoredMark : LoadLe32(entry + 40);
  const bool stored = packedSize == kArchiveStoredMark;
  const uint64_t span = stored ? state->size : packedSize;
  const bool fits = state->dataStart <= record->sourceSize && span <= record->sourceSize - state->dataStart;
  if (!fits || (!stored && (packedSize < kPackedHeaderSize || state->size > detail::MaxReadBytes() ||
                            !PlausibleUnpackedSize(state->size, packedSize)))) {
    LogBadMember(path);
    *state = ArchiveMemberState{};
    return -1;
  }
  if (stored) return 0;
  if (UnpackMember(state, packedSize) != 0) {
    LogBadMember(path);
    *state = ArchiveMemberState{};
    return -1;
  }
  return 0;
}

int FinishArchiveMemberRead(ArchiveMemberState*) { return 1; }

size_t ReadArchiveMember(ArchiveMemberState* state, void* destination, size_t count) {
  if (state->archive == nullptr || state->endFlag) return 0;
  if (state->position >= state->size) {
    state->endFlag = 1;
    return 0;
  }
  const size_t left = state->size - state->position;
  const size_t n = count < left ? count : left;
  if (n == 0) return 0;
  if (state->packed) {
    std::memcpy(destination, state->unpacked.get() + state->position, n);
  } else if (!ReadSource(state->archive, state->dataStart + state->position, destination, n)) {
    WriteLogText("アーカイブファイルの読み込みに失敗しました\n");
    return 0;
  }
  state->position += static_cast<uint32_t>(n);
  state->endFlag = 0;
  return n;
}

int SeekArchiveMember(ArchiveMemberState* state, int offset, int origin) {
  int64_t target;
  if (!SeekTarget(offset, origin, state->position, state->size, &target)) return -1;
  if (target < 0) target = 0;
  if (target > state->size) target = state->size;
  state->position = static_cast<uint32_t>(target);
  state->endFlag = 0;
  return 0;
}

int TellArchiveMember(ArchiveMemberState* state) { return static_cast<int>(state->position); }

int EofArchiveMember(ArchiveMemberState* state) { return state->endFlag ? -1 : 0; }

int CloseArchiveMember(ArchiveMemberState* state) {
  *state = ArchiveMemberState{};
  return 0;
}

bool FindArchiveFolder(ArchiveRecord* record, std::string_view path, ArchiveFolderView* folder) {
  if (!record->open) return false;
  std::lock_guard<std::mutex> hold(record->lock);
  const uint32_t start = record->currentFolder;
  bool found = path.empty() || WalkFolders(record, path, 0, nullptr) == 0;
  DirInfo dir;
  found = found && ReadDirEntry(*record, record->currentFolder, &dir);
  if (found) {
    folder->dirOffset = record->currentFolder;
    folder->root = dir.parent == kArchiveNoParent;
    folder->count = dir.count;
  }
  record->currentFolder = start;
  return found;
}

bool ReadArchiveFolderEntry(ArchiveRecord* record, const ArchiveFolderView& folder, uint32_t index,
                            std::string_view* searchName, ArchiveEntryInfo* info) {
  DirInfo dir;
  if (!record->open || !ReadDirEntry(*record, folder.dirOffset, &dir) || index >= dir.count) {
    return false;
  }
  const uint8_t* entry = FileEntryOf(*record, dir, index);
  uint16_t words, checksum;
  if (!EntrySearchName(*record, entry, &words, &checksum, searchName) ||
      !EntryStoredName(*record, entry, &info->storedName)) {
    return false;
  }
  info->folder = IsFolderEntry(entry);
  info->size = LoadLe32(entry + 36);
  info->creationTime = LoadLe64(entry + 8);
  info->lastWriteTime = LoadLe64(entry + 24);
  return true;
}

}  // namespace veziv
