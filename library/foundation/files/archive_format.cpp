// Key derivation, scrambling and search names of the keyed archive format.
#include "library/foundation/files/archive_format.h"

#include <cstring>

#include "library/foundation/core/helpers.h"

namespace veziv {
namespace {

uint8_t SwapNibbles(uint8_t b) { return static_cast<uint8_t>(b << 4 | b >> 4); }
uint8_t RotateLeft(uint8_t b, int n) { return static_cast<uint8_t>(b << n | b >> (8 - n)); }
uint8_t Not(uint8_t b) { return static_cast<uint8_t>(~b); }

}  // namespace

void ReadArchiveHeader(const uint8_t* bytes, ArchiveHeader* header) {
  header->magic = LoadLe16(bytes);
  header->version = LoadLe16(bytes + 2);
  header->tableSize = LoadLe32(bytes + 4);
  header->dataOffset = LoadLe32(bytes + 8);
  header->tableOffset = LoadLe32(bytes + 12);
  header->fileTableOffset = LoadLe32(bytes + 16);
  header->dirTableOffset = LoadLe32(bytes + 20);
}

void WriteArchiveHeader(const ArchiveHeader& header, uint8_t* bytes) {
  StoreLe16(bytes, header.magic);
  StoreLe16(bytes + 2, header.version);
  StoreLe32(bytes + 4, header.tableSize);
  StoreLe32(bytes + 8, header.dataOffset);
  StoreLe32(bytes + 12, header.tableOffset);
  StoreLe32(bytes + 16, header.fileTableOffset);
  StoreLe32(bytes + 20, header.dirTableOffset);
}

void DeriveArchiveKey(const char* keyText, uint8_t key[kArchiveKeySize]) {
  const size_t length = keyText == nullptr ? 0 : std::strlen(keyText);
  for (size_t i = 0; i < kArchiveKeySize; ++i) {
    key[i] = length == 0 ? kArchiveDefaultKeyFill : static_cast<uint8_t>(keyText[i % length]);
  }
  key[0] = Not(key[0]);
  key[1] = SwapNibbles(key[1]);
  key[2] ^= kArchiveKeyXor2;
  key[3] = Not(SwapNibbles(key[3]));
  key[4] = Not(key[4]);
  key[5] ^= kArchiveKeyXor5;
  key[6] = Not(key[6]);
  key[7] = Not(RotateLeft(key[7], 5));
  key[8] = RotateLeft(key[8], 3);
  key[9] ^= kArchiveKeyXor9;
  key[10] = SwapNibbles(key[10]) ^ kArchiveKeyXor10;
  key[11] ^= kArchiveKeyXor11;
}

void FallbackArchiveKey(uint8_t key[kArchiveKeySize]) {
  std::memset(key, kArchiveFallbackKeyByte, kArchiveKeySize);
}

void ScrambleArchiveBytes(size_t count, void* data, uint64_t filePosition,
                          const uint8_t key[kArchiveKeySize]) {
  auto* p = static_cast<uint8_t*>(data);
  size_t k = static_cast<size_t>(filePosition % kArchiveKeySize);
  size_t i = 0;
  // The key laid out from byte k over a whole number of 8-byte words and of
  // key lengths, so that long reads take a word at a time.
  constexpr size_t kSpan = kArchiveKeySize * 8;
  if (count >= kSpan) {
    uint8_t stream[kSpan];
    for (size_t j = 0; j < kSpan; ++j) stream[j] = key[(k + j) % kArchiveKeySize];
    for (; i + kSpan <= count; i += kSpan) {
      for (size_t j = 0; j < kSpan; j += 8) {
        uint64_t word, mask;
        std::memcpy(&word, p + i + j, 8);
        std::memcpy(&mask, stream + j, 8);
        word ^= mask;
        std::memcpy(p + i + j, &word, 8);
      }
    }
  }
  for (; i < count; ++i) {
    p[i] ^= key[k];
    if (++k == kArchiveKeySize) k = 0;
  }
}

size_t BuildArchiveSearchName(std::string_view text, ArchiveSearchName* name) {
  std::string bytes;
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '/') break;
    if (detail::IsShiftJisLeadByte(c) && i + 1 < text.size()) {
      bytes.push_back(text[i]);
      bytes.push_back(text[i + 1]);
      i += 2;
      continue;
    }
    bytes.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : text[i]);
    ++i;
  }
  uint32_t sum = 0;
  for (char c : bytes) sum += static_cast<unsigned char>(c);
  const size_t words = (bytes.size() + 4) / 4;
  name->checksum = static_cast<uint16_t>(sum);
  name->words = words > 0xFFFF ? 0 : static_cast<uint16_t>(words);
  bytes.resize(words * 4, '\0');
  name->bytes = std::move(bytes);
  return i;
}

}  // namespace veziv
