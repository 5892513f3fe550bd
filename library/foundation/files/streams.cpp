// The file and memory instances of the stream table, and memory streams.
#include "library/foundation/files/streams.h"

#include <cstring>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/seek_target.h"
#include "library/foundation/memory_log/memory.h"

namespace veziv {
namespace {

FileHandle AsFile(StreamValue stream) { return static_cast<FileHandle>(stream); }
MemoryStreamState* AsMemory(StreamValue stream) { return reinterpret_cast<MemoryStreamState*>(stream); }

const StreamFunctionTable kFileStreamTable = {
    [](StreamValue s) { return FileStreamTell(AsFile(s)); },
    [](StreamValue s, int offset, int origin) { return FileStreamSeek(AsFile(s), offset, origin); },
    [](void* buffer, size_t elementSize, size_t count, StreamValue s) {
      return FileStreamRead(buffer, elementSize, count, AsFile(s));
    },
    [](StreamValue s) { return FileStreamEof(AsFile(s)); },
    [](StreamValue s) { return FileStreamIdleCheck(AsFile(s)); },
    [](StreamValue s) { return FileStreamClose(AsFile(s)); },
};

const StreamFunctionTable kMemoryStreamTable = {
    [](StreamValue s) { return MemoryStreamTell(AsMemory(s)); },
    [](StreamValue s, int offset, int origin) { return MemoryStreamSeek(AsMemory(s), offset, origin); },
    [](void* buffer, size_t elementSize, size_t count, StreamValue s) {
      return MemoryStreamRead(buffer, elementSize, count, AsMemory(s));
    },
    [](StreamValue s) { return MemoryStreamEof(AsMemory(s)); },
    [](StreamValue s) { return MemoryStreamIdleCheck(AsMemory(s)); },
    [](StreamValue s) { return CloseMemoryStream(AsMemory(s)); },
};

}  // namespace

const StreamFunctionTable* GetFileStreamTable() { return &kFileStreamTable; }
const StreamFunctionTable* GetMemoryStreamTable() { return &kMemoryStreamTable; }

MemoryStreamState* OpenMemoryStream(const void* data, int size) {
  auto* state = static_cast<MemoryStreamState*>(AllocLibMemory(sizeof(MemoryStreamState)));
  if (state == nullptr) return nullptr;
  state->data = static_cast<const unsigned char*>(data);
  state->size = size < 0 ? 0 : size;
  state->position = 0;
  state->endFlag = 0;
  return state;
}

int CloseMemoryStream(MemoryStreamState* state) {
  FreeLibMemory(state);
  return 0;
}

int MemoryStreamTell(MemoryStreamState* state) { return state->position; }

int MemoryStreamSeek(MemoryStreamState* state, int offset, int origin) {
  int64_t target;
  if (!SeekTarget(offset, origin, state->position, state->size, &target)) return -1;
  if (target < 0) target = 0;
  if (target > state->size) target = state->size;
  state->position = static_cast<int>(target);
  state->endFlag = 0;
  return 0;
}

size_t MemoryStreamRead(void* buffer, size_t elementSize, size_t count, MemoryStreamState* state) {
  if (state->position >= state->size) {
    state->endFlag = 1;
    return 0;
  }
  if (count == 0) return 0;
  const size_t left = static_cast<size_t>(state->size - state->position);
  size_t bytes;
  size_t result;
  // Compared by division so that elementSize x count can never wrap.
  if (elementSize == 0 || count <= left / elementSize) {
    bytes = elementSize * count;
    result = count;
  } else if (left / elementSize > 0) {
    result = left / elementSize;
    bytes = result * elementSize;
  } else {
    bytes = left;
    result = 1;
  }
  if (bytes > 0) std::memcpy(buffer, state->data + state->position, bytes);
  state->position += static_cast<int>(bytes);
  state->endFlag = 0;
  return result;
}

int MemoryStreamEof(MemoryStreamState* state) { return state->endFlag; }

int MemoryStreamIdleCheck(MemoryStreamState*) { return 1; }

}  // namespace veziv
