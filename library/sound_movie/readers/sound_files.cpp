// Whole files and streams into memory, and WAVE images of PCM.
#include <cstring>

#include "library/foundation/files/archive_format.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/readers/sound_decoder.h"

namespace veziv {
namespace {

// Measures from the end, reads from the start. The read stops at what the
// stream holds, whatever was measured.
int ReadWhole(const StreamFunctionTable& functions, StreamValue stream, const char* name, void** image,
              int* size) {
  if (functions.seek(stream, 0, 2) != 0) return -1;
  const int length = functions.tell(stream);
  if (length < 0 || functions.seek(stream, 0, 0) != 0) return -1;
  void* block = AllocLibMemory(static_cast<size_t>(length > 0 ? length : 1));
  if (block == nullptr) {
    if (name != nullptr) WriteLogFormat("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", name);
    else WriteLogText("ストリームの読み込みに必要なメモリの確保に失敗しました\n");
    return -1;
  }
  const size_t got = length > 0 ? functions.read(block, 1, static_cast<size_t>(length), stream) : 0;
  *image = block;
  *size = static_cast<int>(got);
  return 0;
}

}  // namespace

int BuildWaveImage(void** image, int* size, const SoundWaveFormat* format, int formatSize, const void* pcm,
                   int pcmSize) {
  if (formatSize < 0 || pcmSize < 0) return -1;
  const int64_t total = int64_t{pcmSize} + formatSize + 28;
  if (total > 0x7FFFFFFF) return -1;
  auto* bytes = static_cast<uint8_t*>(AllocLibMemoryZeroed(static_cast<size_t>(total)));
  if (bytes == nullptr) return -1;
  uint8_t stored[kWaveFormatBytes];
  WriteWaveFormat(*format, stored);
  std::memcpy(bytes, "RIFF", 4);
  StoreLe32(bytes + 4, static_cast<uint32_t>(total - 8));
  std::memcpy(bytes + 8, "WAVEfmt ", 8);
  StoreLe32(bytes + 16, static_cast<uint32_t>(formatSize));
  std::memcpy(bytes + 20, stored, static_cast<size_t>(formatSize < kWaveFormatBytes ? formatSize : kWaveFormatBytes));
  uint8_t* data = bytes + 20 + formatSize;
  std::memcpy(data, "data", 4);
  StoreLe32(data + 4, static_cast<uint32_t>(pcmSize));
  if (pcmSize > 0) std::memcpy(data + 8, pcm, static_cast<size_t>(pcmSize));
  *image = bytes;
  *size = static_cast<int>(total);
  return 0;
}

int LoadFileToMemory(const char* name, void** image, int* size) {
  const FileHandle file = FileStreamOpen(name, 0, 1, 0);
  if (file == 0) return WriteLogFormat("右記のファイルのオープンに失敗しました：%s", name);
  const int result = ReadWhole(*GetFileStreamTable(), static_cast<StreamValue>(file), name, image, size);
  FileStreamClose(file);
  return result;
}

int ReadStreamToMemory(const StreamFunctionTable* functions, StreamValue stream, void** image, int* size) {
  return ReadWhole(*functions, stream, nullptr, image, size);
}

}  // namespace veziv
