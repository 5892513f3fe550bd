// The sound handle table and the operations on memory sounds; stream sounds
// are handed to the stream half (stream_calls.h).
#include "library/sound_movie/sound/sound_handles.h"

#include <cmath>
#include <cstring>

#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/window/pump.h"
#include "library/sound_movie/music/music.h"
#include "library/veziv.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

struct SoundRecordPolicy {
  static SoundHandleData* AllocateRecord() {
    auto* record = static_cast<SoundHandleData*>(AllocLibMemoryZeroed(sizeof(SoundHandleData)));
    if (record == nullptr) WriteLogText("メモリ領域の確保に失敗しました in AllocSoundHandle\n");
    return record;
  }
  static void FreeRecord(SoundHandleData* record) { FreeLibMemory(record); }
  static void OnTableFull() { WriteLogText("サウンドの数が許容量を越えました\n"); }
};

using SoundTable = CountedHandleTable<SoundHandleData, kSoundHandleKind, kSoundHandleSlots, SoundRecordPolicy>;

SoundTable& Table() {
  static SoundTable table;
  return table;
}

int g_create_type = 0;

void FreeMemorySound(SoundHandleData* record) {
  for (SoundBufferWrapper& wrapper : record->buffers) {
    if (wrapper.valid) detail::ReleaseWrappedBuffer(&wrapper);
  }
  FreeLibMemory(record->pcm);
  record->pcm = nullptr;
}

// Fills a buffer with the PCM through its lock.
int TransferPcm(SoundBufferWrapper* wrapper, const uint8_t* pcm, int size) {
  void* first = nullptr;
  void* second = nullptr;
  int first_bytes = 0, second_bytes = 0;
  if (detail::LockWrappedBuffer(wrapper, 0, size, &first, &first_bytes, &second, &second_bytes) != 0) {
    return WriteLogText("サウンドデータの転送に失敗しました_1\n");
  }
  std::memcpy(first, pcm, static_cast<size_t>(first_bytes));
  if (second != nullptr) std::memcpy(second, pcm + first_bytes, static_cast<size_t>(second_bytes));
  if (detail::UnlockWrappedBuffer(wrapper) != 0) return WriteLogText("サウンドデータの転送に失敗しました_2\n");
  return 0;
}

int DecodeImage(const void* image, int size, SoundWaveFormat* format, void** pcm, int* pcm_size) {
  MemoryStreamState* stream = OpenMemoryStream(image, size);
  if (stream == nullptr) return WriteLogText("音声ファイルのＰＣＭへの変換に失敗しました\n");
  SoundDecoderRecord decoder{};
  if (OpenSoundSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream), &decoder) != 0) {
    CloseMemoryStream(stream);
    return WriteLogText("音声ファイルのＰＣＭへの変換に失敗しました\n");
  }
  const int result = DecodeSoundSourceToPcm(&decoder, format, pcm, pcm_size);
  CloseSoundSource(&decoder);
  CloseMemoryStream(stream);
  if (result != 0) return WriteLogText("音声ファイルを格納するメモリ領域の確保に失敗しました\n");
  // Data that decodes to nothing cannot become a buffer.
  if (*pcm_size < format->blockAlign) {
    FreeLibMemory(*pcm);
    *pcm = nullptr;
    return WriteLogText("音声ファイルのＰＣＭへの変換に失敗しました\n");
  }
  return 0;
}

// The loop point turns a memory sound into a one-source stream sound under
// the same handle value, keeping its volume and rate.
int ConvertToStreamSound(int handle, SoundHandleData** record) {
  SoundHandleData* old = *record;
  void* image = nullptr;
  int size = 0;
  if (BuildWaveImage(&image, &size, &old->format, kWaveFormatBytes, old->pcm, old->pcmSize) != 0) return -1;
  const int volume = old->volume;
  const int frequency = old->frequency;
  StopSoundHandle(handle);
  DeleteSoundHandle(handle, 0);
  SoundHandleData* fresh = AllocSoundHandle(handle) == handle ? detail::GetSoundRecord(handle) : nullptr;
  if (fresh == nullptr) {
    FreeLibMemory(image);
    return -1;
  }
  fresh->volume = volume;
  fresh->frequency = frequency;
  MemoryStreamState* stream = OpenMemoryStream(image, size);
  int out_flag = 0;
  const auto attach = detail::StreamCalls().attach_source;
  const int attached = stream != nullptr && attach != nullptr
                           ? attach(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream), 0, handle, 0,
                                    &out_flag, -1)
                           : -1;
  if (stream != nullptr) CloseMemoryStream(stream);
  FreeLibMemory(image);
  if (attached != 0) {
    WriteLogText("ストリームサウンドハンドルの作成に失敗しました\n");
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  fresh = detail::GetSoundRecord(handle);
  if (fresh == nullptr) return -1;
  for (SoundBufferWrapper& wrapper : fresh->buffers) {
    if (!wrapper.valid) continue;
    detail::SetWrappedBufferVolume(&wrapper, volume);
    if (frequency != 0) detail::SetWrappedBufferFrequency(&wrapper, frequency);
  }
  *record = fresh;
  return 0;
}

}  // namespace

namespace detail {

SoundHandleData* GetSoundRecord(int handle) {
  if (SoundMixer() == nullptr) return nullptr;
  return Table().Get(handle);
}

int SoundVolumeToHundredths(int volume) {
  if (volume > 255) volume = 255;
  if (volume <= 0) return -10000;
  const int hundredths = static_cast<int>(1000.0 * std::log10(volume / 255.0));
  return hundredths < -10000 ? -10000 : hundredths;
}

int SoundHandleCount() { return Table().Count(); }

int SoundHandleEndIndex() { return Table().EndIndex(); }

}  // namespace detail

int AllocSoundHandle(int handle) {
  if (detail::SoundMixer() == nullptr) return -1;
  const int made = handle == -1 ? Table().Create() : Table().Recreate(handle);
  if (made == -1) return -1;
  Table().Get(made)->check = static_cast<uint32_t>(HandleCheck(made));
  return made;
}

int SetSoundCreateType(int type) {
  if (type < 0 || type > 3) return -1;
  g_create_type = type;
  return 0;
}

int GetSoundCreateType() { return g_create_type; }

int CreateSoundBuffers(const SoundWaveFormat* format, int bytes, int kind, int buffer_count, int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (kind == kSoundMemory) {
    if (buffer_count < 1) {
      record->bufferCount = buffer_count;
    } else {
      if (detail::CreateWrappedBuffer(*format, bytes, &record->buffers[0]) != 0) {
        FatalErrorExit("DirectSoundBuffer の作成に失敗しました");
      }
      if (buffer_count > kMaxSoundBuffers) buffer_count = kMaxSoundBuffers;
      int made = 1;
      while (made < buffer_count && detail::DuplicateWrappedBuffer(&record->buffers[0], &record->buffers[made]) == 0) {
        ++made;
      }
      record->bufferCount = made;
    }
  } else {
    const int ring = static_cast<int>(format->avgBytesPerSec) * 6;
    if (detail::CreateWrappedBuffer(*format, ring, &record->buffers[0]) != 0) {
      FatalErrorExit("ストリーム風サウンドバッファの作成に失敗しました");
    }
    record->bufferCount = 1;
    detail::StreamList& list = detail::StreamSoundList();
    AddHandleListNode(list.tail.previous, &record->streamNode, handle, record);
  }
  record->kind = kind;
  return 0;
}

int LoadSoundFromFileImage(const void* image, int size, int buffer_count, int owner) {
  if (buffer_count > kMaxSoundBuffers) return -1;
  const int handle = AllocSoundHandle(-1);
  if (handle == -1) return -1;
  if (g_create_type != 0) {
    const auto load = detail::StreamCalls().load_image;
    if (load != nullptr && load(image, size, 0, handle, g_create_type, owner) == 0) {
      if (detail::StreamCalls().prefill != nullptr) detail::StreamCalls().prefill(handle);
      return handle;
    }
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  SoundWaveFormat format{};
  void* pcm = nullptr;
  int pcm_size = 0;
  if (DecodeImage(image, size, &format, &pcm, &pcm_size) != 0) {
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  CreateSoundBuffers(&format, pcm_size, kSoundMemory, buffer_count, handle);
  SoundHandleData* record = detail::GetSoundRecord(handle);
  record->format = format;
  record->pcm = pcm;
  record->pcmSize = pcm_size;
  for (int i = 0; i < record->bufferCount; ++i) {
    if (TransferPcm(&record->buffers[i], static_cast<const uint8_t*>(pcm), pcm_size) != 0) {
      DeleteSoundHandle(handle, 0);
      return -1;
    }
  }
  return handle;
}

int LoadSoundFileToHandle(const char* file_name, int buffer_count, int owner) {
  if (detail::SoundMixer() == nullptr) return -1;
  if (g_create_type != 0) {
    const int handle = AllocSoundHandle(-1);
    if (handle == -1) return -1;
    const auto load = detail::StreamCalls().load_file;
    if (load != nullptr && load(file_name, 0, handle, g_create_type, owner) == 0) {
      if (detail::StreamCalls().prefill != nullptr) detail::StreamCalls().prefill(handle);
      return handle;
    }
    DeleteSoundHandle(handle, 0);
    return -1;
  }
  void* image = nullptr;
  int size = 0;
  if (LoadFileToMemory(file_name, &image, &size) != 0) {
    return WriteLogFormat("右記の音声ファイルのロードに失敗しました_1：%s", file_name);
  }
  const int handle = LoadSoundFromFileImage(image, size, buffer_count < kMaxSoundBuffers ? buffer_count : kMaxSoundBuffers, owner);
  FreeLibMemory(image);
  if (handle == -1) return WriteLogFormat("右記の音声ファイルのロードに失敗しました_2：%s", file_name);
  return handle;
}

int PlaySoundHandle(int handle, int play_type, int top) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) {
    const auto play = detail::StreamCalls().play;
    return play != nullptr ? play(handle, play_type, top) : -1;
  }
  int cursor = 0;
  if (record->lastBufferIndex < kMaxSoundBuffers && record->buffers[record->lastBufferIndex].valid) {
    detail::GetWrappedBufferPosition(&record->buffers[record->lastBufferIndex], &cursor);
  }
  // At or past the count goes back to 0, so that no count can walk the index out of the buffers.
  int index = record->lastBufferIndex + 1;
  if (index >= record->bufferCount || index >= kMaxSoundBuffers) index = 0;
  record->lastBufferIndex = index;
  SoundBufferWrapper* buffer = &record->buffers[index];
  uint32_t status = 0;
  if (detail::GetWrappedBufferStatus(buffer, &status) != 0) return -1;
  if (status & 1) {
    if (top == 0) return 0;
    detail::StopWrappedBuffer(buffer);
  }
  detail::SetWrappedBufferPosition(buffer, top == 1 ? 0 : cursor);
  if (detail::PlayWrappedBuffer(buffer, play_type == SoundPlayLoop) != 0) return -1;
  record->startTime = static_cast<uint32_t>(GetMillisecondCount(0));
  if (play_type != SoundPlayWait) return 0;
  if (PumpMessagesUnlocked() != 0) return 0;
  while (IsSoundHandlePlaying(handle) == 1) {
    platform::os::Sleep(1);
    if (PumpMessagesUnlocked() != 0) break;
  }
  return 0;
}

int StopSoundHandle(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) {
    const auto stop = detail::StreamCalls().stop;
    return stop != nullptr ? stop(handle) : -1;
  }
  for (int i = 0; i < record->bufferCount && i < kMaxSoundBuffers; ++i) {
    uint32_t status = 0;
    if (detail::GetWrappedBufferStatus(&record->buffers[i], &status) != 0) return -1;
    if (status & 1) detail::StopWrappedBuffer(&record->buffers[i]);
  }
  return 0;
}

int IsSoundHandlePlaying(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) {
    const auto is_playing = detail::StreamCalls().is_playing;
    return is_playing != nullptr ? is_playing(handle) : -1;
  }
  for (int i = 0; i < record->bufferCount && i < kMaxSoundBuffers; ++i) {
    uint32_t status = 0;
    if (detail::GetWrappedBufferStatus(&record->buffers[i], &status) == 0 && (status & 1)) return 1;
  }
  return 0;
}

int DeleteSoundHandle(int handle, int) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) {
    const auto delete_stream = detail::StreamCalls().delete_stream;
    if (delete_stream == nullptr) RemoveHandleListNode(&record->streamNode);
    else if (delete_stream(handle) == 1) return 0;  // waits for the streams that share its ring
  } else {
    StopSoundHandle(handle);
  }
  FreeMemorySound(record);
  Table().Delete(handle);
  return 0;
}

int DeleteSoundHandleAll(int unused) {
  if (detail::SoundMixer() == nullptr) return -1;
  Table().DeleteAll([unused](int handle) { DeleteSoundHandle(handle, unused); });
  detail::ForgetSoundFilePlayer();
  return 0;
}

int SetSoundHandleVolume(int volume, int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  const int hundredths = detail::SoundVolumeToHundredths(volume);
  record->volume = hundredths;
  for (SoundBufferWrapper& wrapper : record->buffers) {
    if (wrapper.valid) detail::SetWrappedBufferVolume(&wrapper, hundredths);
  }
  return 0;
}

int SetSoundHandleFrequency(int frequency, int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  int result = 0;
  for (SoundBufferWrapper& wrapper : record->buffers) {
    if (wrapper.valid && detail::SetWrappedBufferFrequency(&wrapper, frequency) != 0) result = -1;
  }
  if (result == 0) record->frequency = frequency == -1 ? 0 : frequency;
  return result;
}

int GetSoundHandleTotalSamples(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) return record->progress.totalSamples;
  return record->format.blockAlign == 0 ? 0 : record->pcmSize / record->format.blockAlign;
}

int GetSoundHandleTotalMs(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr || record->format.samplesPerSec == 0) return -1;
  return static_cast<int>(int64_t{GetSoundHandleTotalSamples(handle)} * 1000 / record->format.samplesPerSec);
}

int GetSoundHandlePlayPosMs(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind == kSoundStream) {
    const auto play_pos = detail::StreamCalls().play_pos_ms;
    return play_pos != nullptr ? play_pos(handle) : -1;
  }
  int cursor = 0;
  if (record->lastBufferIndex >= kMaxSoundBuffers ||
      detail::GetWrappedBufferPosition(&record->buffers[record->lastBufferIndex], &cursor) != 0) {
    return -1;
  }
  const int64_t block_rate = int64_t{record->format.blockAlign} * record->format.samplesPerSec;
  return block_rate == 0 ? 0 : static_cast<int>(int64_t{cursor} * 1000 / block_rate);
}

int SetSoundHandleLoopPointMs(int ms, int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  const int samples = static_cast<int>(record->format.samplesPerSec * static_cast<double>(ms) * 0.001);
  SetSoundHandleLoopPointSamples(samples, handle);
  return 0;
}

int SetSoundHandleLoopPointSamples(int samples, int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (samples < 0 || samples >= GetSoundHandleTotalSamples(handle)) return -1;
  if (record->kind == kSoundMemory && ConvertToStreamSound(handle, &record) != 0) return -1;
  if (record->sourceCount >= 2) {
    return WriteLogText(
        "二つ以上の音声ファイルから作成されたサウンドハンドルにループポイントを指定する事は出来ません\n");
  }
  SoundStreamSource& source = record->sources[0];
  source.loopPosition = samples;
  record->progress.loopStartBytes = samples * source.decoder.pcmFormat.blockAlign;
  source.playCount = 255;
  return 0;
}

}  // namespace veziv
