// Stand-in for the foundation's stream table until it is on main: the same
// declarations, with small inline bodies. Deleted when the real one lands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace veziv {

using StreamValue = intptr_t;
using FileHandle = int;

struct StreamFunctionTable {
  int (*tell)(StreamValue stream);
  int (*seek)(StreamValue stream, int offset, int origin);
  size_t (*read)(void* buffer, size_t elementSize, size_t count, StreamValue stream);
  int (*eof)(StreamValue stream);
  int (*idleCheck)(StreamValue stream);
  int (*close)(StreamValue stream);
};

struct MemoryStreamState {
  const unsigned char* data;
  int size;
  int position;
  int endFlag;
};

inline MemoryStreamState* OpenMemoryStream(const void* data, int size) {
  auto* s = static_cast<MemoryStreamState*>(std::calloc(1, sizeof(MemoryStreamState)));
  if (s) {
    s->data = static_cast<const unsigned char*>(data);
    s->size = size;
  }
  return s;
}
inline int CloseMemoryStream(MemoryStreamState* s) {
  std::free(s);
  return 0;
}

inline const StreamFunctionTable* GetMemoryStreamTable() {
  static const StreamFunctionTable table = {
      [](StreamValue v) { return reinterpret_cast<MemoryStreamState*>(v)->position; },
      [](StreamValue v, int offset, int origin) {
        auto* s = reinterpret_cast<MemoryStreamState*>(v);
        long target = origin == 0 ? offset : origin == 1 ? long(s->position) + offset : long(s->size) + offset;
        s->position = int(target < 0 ? 0 : target > s->size ? s->size : target);
        s->endFlag = 0;
        return 0;
      },
      [](void* buffer, size_t size, size_t count, StreamValue v) -> size_t {
        auto* s = reinterpret_cast<MemoryStreamState*>(v);
        if (s->position == s->size) {
          s->endFlag = 1;
          return 0;
        }
        if (count == 0 || size == 0) return 0;
        size_t left = size_t(s->size - s->position);
        size_t n = size * count <= left ? count : left / size;
        size_t bytes = n > 0 ? n * size : left;
        std::memcpy(buffer, s->data + s->position, bytes);
        s->position += int(bytes);
        return n > 0 ? n : 1;
      },
      [](StreamValue v) { return reinterpret_cast<MemoryStreamState*>(v)->endFlag; },
      [](StreamValue) { return 1; },
      [](StreamValue v) { return CloseMemoryStream(reinterpret_cast<MemoryStreamState*>(v)); },
  };
  return &table;
}

inline FILE*& PlaceholderFile(FileHandle h) {
  static FILE* files[64];
  return files[h & 63];
}
inline FileHandle FileStreamOpen(const char* path, int, int, int) {
  if (!path) return 0;
  for (int h = 1; h < 64; ++h)
    if (!PlaceholderFile(h)) {
      PlaceholderFile(h) = std::fopen(path, "rb");
      return PlaceholderFile(h) ? h : 0;
    }
  return 0;
}
inline int FileStreamClose(FileHandle h) {
  std::fclose(PlaceholderFile(h));
  PlaceholderFile(h) = nullptr;
  return 0;
}
inline const StreamFunctionTable* GetFileStreamTable() {
  static const StreamFunctionTable table = {
      [](StreamValue v) { return int(std::ftell(PlaceholderFile(int(v)))); },
      [](StreamValue v, int offset, int origin) { return std::fseek(PlaceholderFile(int(v)), offset, origin); },
      [](void* buffer, size_t size, size_t count, StreamValue v) {
        return std::fread(buffer, size, count, PlaceholderFile(int(v)));
      },
      [](StreamValue v) { return std::feof(PlaceholderFile(int(v))) ? -1 : 0; },
      [](StreamValue) { return 1; },
      [](StreamValue v) { return FileStreamClose(int(v)); },
  };
  return &table;
}

}  // namespace veziv
