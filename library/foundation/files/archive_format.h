// The keyed archive format shared by the reader and the project's writer: the
// header and entry layouts, the fixed bytes of the key derivation, the
// position-keyed scrambling and the search names that lookups compare.
//
// The seven fixed bytes below are this project's own: archives scrambled with
// other values do not open. A test pins them through a small archive's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace veziv {

inline constexpr uint16_t kArchiveMagic = 0x5A56;
inline constexpr uint16_t kArchiveMaxVersion = 3;
inline constexpr size_t kArchiveHeaderSize = 24;
inline constexpr size_t kArchiveKeySize = 12;
// File entries: 40 bytes below version 2, 44 (with the packed size) from 2 on.
inline constexpr uint32_t kArchiveFileEntrySizeV1 = 40;
inline constexpr uint32_t kArchiveFileEntrySizeV2 = 44;
inline constexpr uint32_t kArchiveDirEntrySize = 16;
inline constexpr uint32_t kArchiveFolderAttribute = 0x10;
inline constexpr uint32_t kArchiveFileAttribute = 0x20;
inline constexpr uint32_t kArchiveStoredMark = 0xFFFFFFFF;
inline constexpr uint32_t kArchiveNoParent = 0xFFFFFFFF;

// The fixed bytes of the key derivation.
inline constexpr uint8_t kArchiveDefaultKeyFill = 0x5B;  // no key string given
inline constexpr uint8_t kArchiveKeyXor2 = 0x3C;
inline constexpr uint8_t kArchiveKeyXor5 = 0xA9;
inline constexpr uint8_t kArchiveKeyXor9 = 0x67;
inline constexpr uint8_t kArchiveKeyXor10 = 0xD2;
inline constexpr uint8_t kArchiveKeyXor11 = 0x1E;
inline constexpr uint8_t kArchiveFallbackKeyByte = 0x8F;  // used as it is, not transformed

struct ArchiveHeader {
  uint16_t magic;
  uint16_t version;
  uint32_t tableSize;
  uint32_t dataOffset;       // file offset of the data area
  uint32_t tableOffset;      // file offset of the table block
  uint32_t fileTableOffset;  // inside the table block
  uint32_t dirTableOffset;   // inside the table block
};

// Little-endian fields.
inline uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint64_t LoadLe64(const uint8_t* p) { return LoadLe32(p) | uint64_t{LoadLe32(p + 4)} << 32; }
inline void StoreLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreLe64(uint8_t* p, uint64_t v) {
  StoreLe32(p, static_cast<uint32_t>(v));
  StoreLe32(p + 4, static_cast<uint32_t>(v >> 32));
}

void ReadArchiveHeader(const uint8_t* bytes, ArchiveHeader* header);
void WriteArchiveHeader(const ArchiveHeader& header, uint8_t* bytes);

// The 12-byte key of a key string. Null or an empty text gives the default
// key; a text of more than 12 bytes counts by its first 12.
void DeriveArchiveKey(const char* keyText, uint8_t key[kArchiveKeySize]);
// Twelve fallback bytes.
void FallbackArchiveKey(uint8_t key[kArchiveKeySize]);
// XORs byte k of data with key[(filePosition + k) mod 12]; its own inverse.
void ScrambleArchiveBytes(size_t count, void* data, uint64_t filePosition,
                          const uint8_t key[kArchiveKeySize]);

// A path element as lookups compare it: ASCII a-z made upper case, Shift-JIS
// pairs kept, zero-padded to words = (length + 4) / 4 four-byte words.
struct ArchiveSearchName {
  uint16_t words = 0;
  uint16_t checksum = 0;  // unsigned byte sum modulo 65536
  std::string bytes;      // words * 4 bytes
};
// Builds the search name of the element at the start of text, which ends at
// the first '\\' or '/' that is not a trail byte, or at the end. Returns the
// element's length in bytes. An element too long for the 16-bit word count
// gives words 0, which no table entry has.
size_t BuildArchiveSearchName(std::string_view text, ArchiveSearchName* name);

}  // namespace veziv
