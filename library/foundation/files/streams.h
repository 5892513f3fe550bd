// Streams that the image, sound and movie readers read through: a table of six
// operations over an opened stream value, with one instance over files (the
// installed file table) and one over blocks already in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/veziv.h"

namespace veziv {

int MemoryStreamTell(MemoryStreamState* state);
// Clamps the target to 0..size and clears the end flag; -1 for an unknown origin.
int MemoryStreamSeek(MemoryStreamState* state, int offset, int origin);
// Whole elements when at least one fits, else the partial element counted as 1;
// 0 and the end flag set when the position is already at the end.
size_t MemoryStreamRead(void* buffer, size_t elementSize, size_t count, MemoryStreamState* state);
int MemoryStreamEof(MemoryStreamState* state);
int MemoryStreamIdleCheck(MemoryStreamState* state);

}  // namespace veziv
