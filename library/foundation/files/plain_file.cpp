// Plain files: the synchronous road, and the file-access thread that serves
// cached and asynchronous files with a two-event handshake.
#include "library/foundation/files/plain_file.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "library/foundation/core/manual_reset_event.h"
#include "library/foundation/core/slot_table.h"
#include "library/foundation/files/plain_file_state.h"
#include "library/foundation/files/seek_target.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "platform/os/files.h"

namespace veziv {
namespace {

constexpr size_t kPathField = 260;

using platform::os::File;

// Size of an open file, or -1 when it cannot be taken or does not fit the
// 32-bit size field.
int64_t SizeOf(const File& file) {
  const int64_t size = file.Size();
  if (size < 0 || size > int64_t{0xFFFFFFFF}) return -1;
  return size;
}

struct ReadRequest {
  unsigned char* destination = nullptr;
  uint32_t position = 0;
  uint32_t count = 0;
  uint32_t delivered = 0;  // bytes the last read really gave
  bool shortfall = false;  // the rest of the request was zero-filled
};

// Shared by the owner and its file-access thread. The owner writes the
// request fields only while the done event is set, the thread reads them only
// after the command event was set, and sets the done event when it is finished.
struct FileThreadBlock {
  std::thread thread;
  File file;  // the thread's own file
  ManualResetEvent commandEvent{false};
  ManualResetEvent doneEvent{true};
  int command = 0;
  int openFailed = 0;
  char path[kPathField] = {};
  ReadRequest read;
  uint32_t seekPosition = 0;
  unsigned char* cache = nullptr;
  uint32_t cachePosition = 0;
  uint32_t cacheFill = 0;
  uint32_t cacheInterval = detail::kDefaultFileCacheInterval;
  detail::FileThreadHooks hooks;
  bool inlined = false;  // no thread: each command is carried out as it is handed over
};

struct PlainFileObject {
  File file;  // synchronous files only
  int threaded = 0;
  int cache = 0;
  int async = 0;
  int endFlag = 0;
  uint32_t position = 0;
  uint32_t size = 0;
  FileThreadBlock block;
};

struct PlainFileState {
  SlotTable<PlainFileObject> files;
};

PlainFileState& State() {
  static PlainFileState state;
  return state;
}

unsigned char* AllocateCache() { return static_cast<unsigned char*>(AllocLibMemory(kFileCacheSize)); }

// ---- the file-access thread ----

void TopUpCache(FileThreadBlock& b) {
  if (b.cacheFill >= kFileCacheSize) return;
  const int64_t got =
      b.file.ReadAt(b.cache + b.cacheFill, kFileCacheSize - b.cacheFill, uint64_t{b.cachePosition} + b.cacheFill);
  if (got > 0) b.cacheFill += static_cast<uint32_t>(got);
  if (b.hooks.afterTopUp) b.hooks.afterTopUp(b.cacheFill);
}

void ServeRead(FileThreadBlock& b) {
  ReadRequest& r = b.read;
  unsigned char* destination = r.destination;
  uint64_t position = r.position;
  uint32_t wanted = r.count;
  uint32_t fromCache = 0;
  if (b.cache != nullptr && position == b.cachePosition && b.cacheFill > 0) {
    fromCache = std::min(wanted, b.cacheFill);
    std::memcpy(destination, b.cache, fromCache);
    destination += fromCache;
    position += fromCache;
    wanted -= fromCache;
    b.cachePosition += fromCache;
    b.cacheFill -= fromCache;
    std::memmove(b.cache, b.cache + fromCache, b.cacheFill);
  }
  uint32_t fromFile = 0;
  if (wanted > 0) {
    const int64_t got = b.file.ReadAt(destination, wanted, position);
    fromFile = got > 0 ? static_cast<uint32_t>(got) : 0;
    if (b.cache != nullptr) {
      b.cachePosition = static_cast<uint32_t>(position + fromFile);
      b.cacheFill = 0;
    }
  }
  r.delivered = fromCache + fromFile;
  // The file gave less than it had at open (it was cut short meanwhile): the
  // caller gets zeros rather than stale bytes, and learns of the end.
  r.shortfall = fromFile < wanted;
  if (r.shortfall) std::memset(destination + fromFile, 0, wanted - fromFile);
  if (b.hooks.afterRead) b.hooks.afterRead(fromCache, fromFile);
}

// Carries out the block's command; false when the thread ends with it.
bool RunFileCommand(FileThreadBlock& b) {
  if (b.hooks.beforeCommand) b.hooks.beforeCommand(b.command);
  switch (b.command) {
    case kFileThreadOpen:
      b.file = platform::os::OpenFile(b.path, platform::os::OpenMode::kRead);
      if (!b.file.IsOpen()) {
        b.openFailed = 1;
        return false;
      }
      return true;
    case kFileThreadCloseHandle:
      b.file.Close();
      return true;
    case kFileThreadRead:
      ServeRead(b);
      return true;
    case kFileThreadSeek:
      if (b.cache != nullptr) {
        b.cachePosition = b.seekPosition;
        b.cacheFill = 0;
      }
      return true;
    case kFileThreadCloseAndEnd:
      b.file.Close();
      return false;
    default:
      return true;
  }
}

void FileAccessThreadProc(FileThreadBlock* block) {
  FileThreadBlock& b = *block;
  for (;;) {
    if (b.cache != nullptr) {
      if (!b.commandEvent.WaitFor(b.cacheInterval)) {
        if (b.file.IsOpen()) TopUpCache(b);
        continue;
      }
    } else {
      b.commandEvent.Wait();
    }
    b.commandEvent.Reset();
    b.doneEvent.Reset();
    const bool goOn = RunFileCommand(b);
    b.doneEvent.Set();
    if (!goOn) return;
  }
}

// Hands the thread one command once the previous one has finished. Without a
// thread the command is carried out here, and a cached file tops up its
// read-ahead straight after it, as its thread would when it next waits.
void HandOver(FileThreadBlock& b, int command) {
  b.command = command;
  if (b.inlined) {
    if (RunFileCommand(b) && b.cache != nullptr && b.file.IsOpen()) TopUpCache(b);
    return;
  }
  b.doneEvent.Reset();
  b.commandEvent.Set();
}

// Takes the outcome of a finished asynchronous read into the main thread's state.
void CollectFinishedRead(PlainFileObject& f) {
  if (f.block.read.shortfall) {
    f.block.read.shortfall = false;
    f.endFlag = 1;
  }
}

PlainFileObject* AllocateObject() {
  void* memory = AllocLibMemoryZeroed(sizeof(PlainFileObject));
  return memory != nullptr ? new (memory) PlainFileObject : nullptr;
}

void FreeObject(PlainFileObject* f) {
  FreeLibMemory(f->block.cache);
  f->~PlainFileObject();
  FreeLibMemory(f);
}

}  // namespace

FileHandle PlainFileOpen(const char* path, int cache, int /*reserved*/, int async) {
  PlainFileState& plain = State();
  // The thread block holds the path in a fixed field; longer paths are refused
  // in every mode so that a name opens the same way whatever the mode.
  if (path == nullptr || std::strlen(path) >= kPathField) return 0;
  PlainFileObject* f = AllocateObject();
  if (f == nullptr) return 0;
  f->threaded = (cache != 0 || async != 0) ? 1 : 0;
  f->cache = cache;
  f->async = async;

  File probe = platform::os::OpenFile(path, platform::os::OpenMode::kRead);
  const int64_t size = probe.IsOpen() ? SizeOf(probe) : -1;
  if (size < 0) {
    FreeObject(f);
    return 0;
  }
  f->size = static_cast<uint32_t>(size);
  if (!f->threaded) {
    f->file = std::move(probe);
  } else {
    probe.Close();
    FileThreadBlock& b = f->block;
    if (cache != 0) {
      b.cache = AllocateCache();
      if (b.cache == nullptr) {
        FreeObject(f);
        WriteLogText("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
        return 0;
      }
    }
    {
      detail::FileThreadSettings& settings = detail::FileThreadSettingsBlock();
      std::lock_guard<std::mutex> lock(settings.lock);
      b.hooks = settings.hooks;
      b.cacheInterval = settings.cacheInterval;
      b.inlined = settings.inlineThreads;
    }
    std::memcpy(b.path, path, std::strlen(path) + 1);
    if (!b.inlined) {
      try {
        b.thread = std::thread(FileAccessThreadProc, &b);
      } catch (const std::system_error&) {
        FreeObject(f);
        WriteLogText("ファイルアクセス専用スレッドの作成に失敗しました\n");
        return 0;
      }
    }
    HandOver(b, kFileThreadOpen);
    b.doneEvent.Wait();
    if (b.openFailed != 0) {
      if (b.thread.joinable()) b.thread.join();
      FreeObject(f);
      WriteLogText("ファイルのオープンに失敗しました\n");
      return 0;
    }
  }
  f->position = 0;
  f->endFlag = 0;
  return plain.files.Put(f);
}

int PlainFileClose(FileHandle handle) {
  PlainFileObject* f = State().files.Take(handle);
  if (f == nullptr) return -1;
  int result = 0;
  if (!f->threaded) {
    result = f->file.Close() ? 0 : -1;
  } else {
    FileThreadBlock& b = f->block;
    b.doneEvent.Wait();
    HandOver(b, kFileThreadCloseAndEnd);
    b.doneEvent.Wait();
    if (b.thread.joinable()) b.thread.join();
  }
  FreeObject(f);
  return result;
}

int PlainFileTell(FileHandle handle) {
  PlainFileObject* f = State().files.Get(handle);
  if (f == nullptr) return -1;
  return static_cast<int>(f->position);
}

int PlainFileSeek(FileHandle handle, int offset, int origin) {
  PlainFileObject* f = State().files.Get(handle);
  if (f == nullptr) return -1;
  int64_t target;
  if (!SeekTarget(offset, origin, f->position, f->size, &target)) return -1;
  if (target < 0 || target > int64_t{0xFFFFFFFF}) return -1;
  if (f->threaded) {
    FileThreadBlock& b = f->block;
    b.doneEvent.Wait();
    b.read.shortfall = false;
    b.seekPosition = static_cast<uint32_t>(target);
    HandOver(b, kFileThreadSeek);
  }
  f->position = static_cast<uint32_t>(target);
  f->endFlag = 0;
  return 0;
}

size_t PlainFileRead(void* buffer, size_t elementSize, size_t count, FileHandle handle) {
  PlainFileObject* f = State().files.Get(handle);
  if (f == nullptr || elementSize == 0) return 0;
  if (f->threaded) {
    // The previous request must be finished before this one is written.
    f->block.doneEvent.Wait();
    CollectFinishedRead(*f);
  }
  if (f->position >= f->size) {
    f->endFlag = 1;
    return 0;
  }
  const uint64_t left = uint64_t{f->size} - f->position;
  // Compared by division so that elementSize x count can never wrap.
  const size_t n = count <= left / elementSize ? count : static_cast<size_t>(left / elementSize);
  if (n == 0) {
    f->endFlag = 1;
    return 0;
  }
  const uint32_t bytes = static_cast<uint32_t>(n * elementSize);
  if (!f->threaded) {
    const int64_t got = f->file.ReadAt(buffer, bytes, f->position);
    if (got < 0) return 0;  // the position stays where the data still is
    const size_t whole = static_cast<size_t>(got) / elementSize;
    if (static_cast<uint64_t>(got) < bytes) f->endFlag = 1;
    f->position += static_cast<uint32_t>(whole * elementSize);
    return whole;
  }
  FileThreadBlock& b = f->block;
  b.read.destination = static_cast<unsigned char*>(buffer);
  b.read.position = f->position;
  b.read.count = bytes;
  b.read.delivered = 0;
  b.read.shortfall = false;
  HandOver(b, kFileThreadRead);
  if (f->async != 0) {
    f->position += bytes;
    return n;
  }
  b.doneEvent.Wait();
  if (b.read.shortfall) {
    b.read.shortfall = false;
    f->endFlag = 1;
    const size_t whole = b.read.delivered / elementSize;
    f->position += static_cast<uint32_t>(whole * elementSize);
    return whole;
  }
  f->position += bytes;
  return n;
}

int PlainFileEof(FileHandle handle) {
  PlainFileObject* f = State().files.Get(handle);
  if (f == nullptr) return 0;
  if (f->threaded && f->block.doneEvent.WaitFor(0)) CollectFinishedRead(*f);
  return f->endFlag != 0 ? -1 : 0;
}

int PlainFileIdleCheck(FileHandle handle) {
  PlainFileObject* f = State().files.Get(handle);
  if (f == nullptr || !f->threaded) return 1;
  if (!f->block.doneEvent.WaitFor(0)) return 0;
  CollectFinishedRead(*f);
  return 1;
}

namespace detail {

FileThreadSettings& FileThreadSettingsBlock() {
  static FileThreadSettings settings;
  return settings;
}

void RunFileThreadsInline(bool inlined) {
  FileThreadSettings& settings = FileThreadSettingsBlock();
  std::lock_guard<std::mutex> lock(settings.lock);
  settings.inlineThreads = inlined;
}

}  // namespace detail

}  // namespace veziv
