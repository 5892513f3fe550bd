// Keyed archive files: opening an archive on disk, as a whole file in memory
// or over a caller's image; the folder walk and lookups inside it; reading its
// members, stored or packed. Which archive a path belongs to is the archive
// cache's business (archive_cache.h).
//
// Nothing read from an archive is trusted: every offset, count, size and name
// is checked against the table block and the file before use; a bad archive
// fails to open, a bad member fails to open, each with a log line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "library/foundation/files/archive_format.h"

namespace veziv {

// Where an on-disk archive's bytes come from.
class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads count bytes at offset; false unless all of them were read. Safe to
  // call from several threads at once.
  virtual bool ReadAt(uint64_t offset, void* destination, size_t count) = 0;
};

// Opens a library-form path (CP932, '\\' or '/' separators) for reading; null
// when it cannot be opened.
std::unique_ptr<ArchiveSource> OpenArchiveSourceFile(std::string_view path);

struct ArchiveRecord {
  ArchiveHeader header{};
  std::unique_ptr<ArchiveSource> file;  // on-disk mode
  uint8_t* image = nullptr;             // memory modes: the unscrambled archive
  std::vector<uint8_t> ownedImage;      // whole-file-in-memory mode
  std::vector<uint8_t> tableCopy;       // on-disk mode: the unscrambled table block
  const uint8_t* table = nullptr;       // the table block
  uint32_t currentFolder = 0;           // directory entry offset in the directory table
  uint8_t key[kArchiveKeySize]{};
  int inMemory = 0;
  int callerImage = 0;
  uint64_t sourceSize = 0;  // bytes of the file or image
  bool open = false;
  // Guards the current folder, which lookups move and put back; the movie
  // thread reads through the same records.
  std::mutex lock;
};

struct ArchiveMemberState {
  ArchiveRecord* archive = nullptr;
  const uint8_t* entry = nullptr;  // the file entry in the table block
  std::unique_ptr<uint8_t[]> unpacked;  // packed members, unpacked whole at opening
  bool packed = false;
  int endFlag = 0;
  uint32_t position = 0;
  int async = 0;
  uint32_t size = 0;
  uint64_t dataStart = 0;  // offset of the member's data in the file or image
};

// Resets a record to unused; the record must not hold an open archive. Returns 0.
int ClearArchiveRecord(ArchiveRecord* record);
// Opens the caller's image, unscrambling it in place until the record is
// closed; the image must outlive the record. 0, or -1 when the record is in use
// or the image is not an archive (then it is left as it was).
int OpenArchiveFromMemory(ArchiveRecord* record, void* image, size_t size, const char* keyText);
// Opens an archive file and keeps it open for member reads. 0 or -1.
int OpenArchiveFileOnDisk(ArchiveRecord* record, const char* path, const char* keyText);
// Reads a whole archive file into memory. Reads finish before the call
// returns, whatever the asynchronous flag. 0 or -1.
int OpenArchiveFileToMemory(ArchiveRecord* record, const char* path, const char* keyText, int async);
// Always 1: whole-file reads finish when they are started.
int FinishArchiveRead(ArchiveRecord* record);
// The unscrambled image of a memory-mode archive, or null.
void* GetArchiveMemoryImage(ArchiveRecord* record);
// Finds a member: its offset in the image (data area + data offset) and size.
// 0, or -1 when there is no such file.
int GetArchiveFileInfo(ArchiveRecord* record, const char* path, uint32_t* position, uint32_t* size);
// Releases what the record holds (a caller's image is scrambled again) and
// resets it. Returns 0; 0 at once for an unused record.
int ReleaseArchiveRecord(ArchiveRecord* record);
int CloseArchiveRecord(ArchiveRecord* record);

// The folder walk: changes the current folder to path ("." stays, "\\" or "/"
// is the root, ".." the parent; otherwise element by element from the current
// folder, a leading separator starting at the root). On a missing element the
// start folder is made current again when restore is 1, and -1 is returned.
// The last element's search name goes to searchName when given. 0 or -1.
int ChangeArchiveFolder(ArchiveRecord* record, const char* path, int restore,
                        ArchiveSearchName* searchName);
// The file entry that path names (relative to the current folder, which is
// left as it was), or null. Folders never match.
const uint8_t* LocateArchiveEntry(const char* path, ArchiveRecord* record);

// Opens a member for reading; packed members are unpacked here. 0 or -1.
int OpenArchiveMember(ArchiveMemberState* state, ArchiveRecord* record, const char* path, int async);
// Always 1: member reads finish before they return.
int FinishArchiveMemberRead(ArchiveMemberState* state);
// Copies up to count bytes; returns the bytes read, 0 at the end (setting the
// end flag) or when the archive file cannot be read.
size_t ReadArchiveMember(ArchiveMemberState* state, void* destination, size_t count);
// Origin 0 start, 1 current, 2 end; the target is clamped to 0..size and the
// end flag cleared. 0, or -1 for another origin.
int SeekArchiveMember(ArchiveMemberState* state, int offset, int origin);
int TellArchiveMember(ArchiveMemberState* state);
// -1 when the end flag is set, else 0.
int EofArchiveMember(ArchiveMemberState* state);
int CloseArchiveMember(ArchiveMemberState* state);

// What a find reports of a table entry.
struct ArchiveEntryInfo {
  std::string_view storedName;  // as written, letter case kept
  bool folder = false;
  uint32_t size = 0;
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
};

// A folder of an archive as the find functions walk it.
struct ArchiveFolderView {
  uint32_t dirOffset = 0;  // of its directory entry
  bool root = false;
  uint32_t count = 0;      // file entries
};
// The folder that path (empty for the current folder) leads to from the
// current folder, which stays current. False when there is no such folder.
bool FindArchiveFolder(ArchiveRecord* record, std::string_view path, ArchiveFolderView* folder);
// Entry index of folder: its search name and what a find reports. False when
// the entry is out of bounds.
bool ReadArchiveFolderEntry(ArchiveRecord* record, const ArchiveFolderView& folder, uint32_t index,
                            std::string_view* searchName, ArchiveEntryInfo* info);

}  // namespace veziv
