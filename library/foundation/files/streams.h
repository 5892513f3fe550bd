// Streams that the image, sound and movie readers read through: a table of six
// operations over an opened stream value, with one instance over files (the
// installed file table) and one over blocks already in memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veziv {

// A FileHandle for the file instance, a MemoryStreamState pointer for the memory one.
using StreamValue = intptr_t;

struct StreamFunctionTable {
  int (*tell)(StreamValue stream);
  int (*seek)(StreamValue stream, int offset, int origin);
  size_t (*read)(void* buffer, size_t elementSize, size_t count, StreamValue stream);
  int (*eof)(StreamValue stream);
  int (*idleCheck)(StreamValue stream);
  int (*close)(StreamValue stream);
};

struct MemoryStreamState {
  const unsigned char* data;  // the caller's block, not owned
  int size;
  int position;
  int endFlag;
};

const StreamFunctionTable* GetFileStreamTable();
const StreamFunctionTable* GetMemoryStreamTable();

// A stream over the caller's block, which must outlive it; null when out of memory.
MemoryStreamState* OpenMemoryStream(const void* data, int size);
// Frees the state, not the data. Returns 0.
int CloseMemoryStream(MemoryStreamState* state);

int MemoryStreamTell(MemoryStreamState* state);
// Clamps the target to 0..size and clears the end flag; -1 for an unknown origin.
int MemoryStreamSeek(MemoryStreamState* state, int offset, int origin);
// Whole elements when at least one fits, else the partial element counted as 1;
// 0 and the end flag set when the position is already at the end.
size_t MemoryStreamRead(void* buffer, size_t elementSize, size_t count, MemoryStreamState* state);
int MemoryStreamEof(MemoryStreamState* state);
int MemoryStreamIdleCheck(MemoryStreamState* state);

}  // namespace veziv
