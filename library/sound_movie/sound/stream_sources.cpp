// The sources of stream sounds: attaching a file, an image or an open
// stream as a source, the ring a first source brings, and letting go of
// everything at deletion (which waits while other streams share the ring).
#include <cstring>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "library/sound_movie/sound/stream_sounds.h"

namespace veziv {
namespace {

bool SameFormat(const SoundWaveFormat& a, const SoundWaveFormat& b) {
  uint8_t left[kWaveFormatBytes], right[kWaveFormatBytes];
  WriteWaveFormat(a, left);
  WriteWaveFormat(b, right);
  return std::memcmp(left, right, kWaveFormatBytes) == 0;
}

// Opens the source's decoder on a memory stream over its own image.
int OpenOverImage(SoundStreamSource* source) {
  MemoryStreamState* stream = OpenMemoryStream(source->memoryImage, source->memoryImageSize);
  if (stream == nullptr) return -1;
  source->functions = *GetMemoryStreamTable();
  source->stream = reinterpret_cast<StreamValue>(stream);
  if (OpenSoundSource(&source->functions, source->stream, &source->decoder) != 0) {
    CloseMemoryStream(stream);
    source->stream = 0;
    return -1;
  }
  return 0;
}

void FreeImage(SoundStreamSource* source) {
  FreeLibMemory(source->memoryImage);
  source->memoryImage = nullptr;
  source->memoryImageSize = 0;
}

// The whole stream decoded to PCM, kept as a WAVE image.
int KeepAsPcm(const StreamFunctionTable* functions, StreamValue stream, SoundStreamSource* source) {
  void* copy = nullptr;
  int size = 0;
  if (ReadStreamToMemory(functions, stream, &copy, &size) != 0) return WriteLogText("音声データの読み込みに失敗しました\n");
  SoundWaveFormat format{};
  void* pcm = nullptr;
  int pcm_size = 0;
  int decoded = -1;
  if (MemoryStreamState* over = OpenMemoryStream(copy, size)) {
    SoundDecoderRecord decoder{};
    if (OpenSoundSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(over), &decoder) == 0) {
      decoded = DecodeSoundSourceToPcm(&decoder, &format, &pcm, &pcm_size);
      CloseSoundSource(&decoder);
    }
    CloseMemoryStream(over);
  }
  FreeLibMemory(copy);
  if (decoded != 0) return WriteLogText("音声データの変換に失敗しました\n");
  const int built = BuildWaveImage(&source->memoryImage, &source->memoryImageSize, &format, kWaveFormatBytes, pcm,
                                   pcm_size);
  FreeLibMemory(pcm);
  if (built != 0) return WriteLogText("音声データの変換に失敗しました\n");
  if (OpenOverImage(source) != 0) {
    FreeImage(source);
    return WriteLogText("音声データのオープンに失敗しました\n");
  }
  return 0;
}

// A copy of the stream's bytes, decoded as it plays.
int KeepCopy(const StreamFunctionTable* functions, StreamValue stream, SoundStreamSource* source) {
  if (ReadStreamToMemory(functions, stream, &source->memoryImage, &source->memoryImageSize) != 0) {
    return WriteLogText("音声データの読み込みに失敗しました\n");
  }
  if (OpenOverImage(source) != 0) {
    FreeImage(source);
    return WriteLogText("音声データのオープンに失敗しました\n");
  }
  return 0;
}

void CloseSource(SoundStreamSource* source, bool library_stream) {
  CloseSoundSource(&source->decoder);
  if (source->memoryImage != nullptr) {
    if (source->stream != 0) CloseMemoryStream(reinterpret_cast<MemoryStreamState*>(source->stream));
    FreeImage(source);
  } else if (library_stream && source->functions.close != nullptr) {
    source->functions.close(source->stream);
  }
  source->stream = 0;
}

// The first source's ring: the owner's when it can be shared, else its own.
void TakeRing(int handle, SoundHandleData* record, int owner) {
  SoundHandleData* holder = owner != handle ? detail::GetSoundRecord(owner) : nullptr;
  record->streamBufferSize = static_cast<int>(record->format.avgBytesPerSec) * 6;
  if (holder != nullptr && holder->kind == kSoundStream && holder->streamBufferOwner == -1 &&
      SameFormat(holder->format, record->format)) {
    record->kind = kSoundStream;
    record->bufferCount = 1;
    detail::StreamList& list = detail::StreamSoundList();
    AddHandleListNode(list.tail.previous, &record->streamNode, handle, record);
    record->streamBufferOwner = owner;
    ++holder->borrowerCount;
  } else {
    CreateSoundBuffers(&record->format, record->streamBufferSize, kSoundStream, 1, handle);
    record->streamBufferOwner = -1;
  }
  record->borrowerCount = 0;
  record->currentUser = -1;
  record->deletePending = 0;
}

int TotalSamples(SoundHandleData* record) {
  int64_t total = 0;
  for (int i = 0; i < record->sourceCount; ++i) {
    SoundDecoderRecord& decoder = record->sources[i].decoder;
    if (decoder.pcmFormat.blockAlign != 0) total += GetSoundSourcePcmSize(&decoder) / decoder.pcmFormat.blockAlign;
  }
  return total > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(total);
}

}  // namespace

int AttachStreamSource(const StreamFunctionTable* functions, StreamValue stream, int play_count, int handle,
                       int keep_mode, int* out_flag, int owner) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr || functions == nullptr) return -1;
  // A memory sound with data of its own cannot turn into a stream either.
  const bool memory_sound = record->kind != kSoundStream && (record->bufferCount > 0 || record->pcm != nullptr);
  if (record->sourceCount > 0 || memory_sound) {
    if (record->kind != kSoundStream) {
      return WriteLogText("ストリーム風サウンドではないサウンドデータが渡されました in AttachStreamSource\n");
    }
    uint32_t status = 0;
    SoundBufferWrapper* ring = detail::StreamRing(record);
    if (ring != nullptr && detail::GetWrappedBufferStatus(ring, &status) == 0 && (status & 1) != 0) {
      return WriteLogText("既に再生中のストリームサウンドデータにデータを追加しようとしました\n");
    }
    if (record->sourceCount >= kMaxStreamSources) return WriteLogText("ストリーム風サウンドの制御データ領域がいっぱいです\n");
  }
  const int index = record->sourceCount;
  SoundStreamSource& source = record->sources[index];
  source = SoundStreamSource{};
  source.keepMode = keep_mode;
  functions->seek(stream, 0, 0);
  int opened = 0;
  int flag = 1;
  switch (keep_mode) {
    case 0: opened = KeepAsPcm(functions, stream, &source); break;
    case 2: opened = KeepCopy(functions, stream, &source); break;
    default:
      // Keep mode 1 reads the caller's stream, as 3 does.
      source.functions = *functions;
      source.stream = stream;
      opened = OpenSoundSource(functions, stream, &source.decoder) == 0
                   ? 0
                   : WriteLogText("音声データのオープンに失敗しました\n");
      flag = 0;
      break;
  }
  if (opened != 0) {
    source = SoundStreamSource{};
    return -1;
  }
  if (index > 0) {
    if (!SameFormat(source.decoder.pcmFormat, record->format)) {
      CloseSource(&source, false);
      source = SoundStreamSource{};
      return WriteLogText("フォーマットの違う音声データは同時に使うことは出来ません\n");
    }
  } else {
    record->format = source.decoder.pcmFormat;
    TakeRing(handle, record, owner);
  }
  source.playCount = static_cast<uint8_t>(play_count < 0 ? 0 : play_count > 255 ? 255 : play_count);
  record->sourceFlags[index] = 0;
  ++record->sourceCount;
  record->progress.totalSamples = TotalSamples(record);
  if (out_flag != nullptr) *out_flag = flag;
  return 0;
}

int LoadStreamSoundFileToHandle(const char* file_name, int play_count, int handle, int keep_mode, int owner) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  const FileHandle file = FileStreamOpen(file_name, 0, 1, 0);
  if (file == 0) return WriteLogFormat("右記のＷＡＶファイルのロードに失敗しました：%s", file_name);
  const int index = record->sourceCount;
  int out_flag = 0;
  if (AttachStreamSource(GetFileStreamTable(), static_cast<StreamValue>(file), play_count, handle, keep_mode, &out_flag,
                         owner) != 0) {
    FileStreamClose(file);
    return WriteLogFormat("右記のＷＡＶファイルのセットアップに失敗しました：%s", file_name);
  }
  if (out_flag == 1) FileStreamClose(file);
  record->sourceFlags[index] = 1;
  return 0;
}

int LoadStreamSoundFromFileImage(const void* image, int size, int play_count, int handle, int keep_mode, int owner) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  // The image stays the caller's: the library keeps a copy of it.
  if (keep_mode == 1 || keep_mode == 3) keep_mode = 2;
  MemoryStreamState* stream = OpenMemoryStream(image, size);
  if (stream == nullptr) return WriteLogText("ＷＡＶファイルのストリームイメージハンドルの作成に失敗しました\n");
  const int index = record->sourceCount;
  int out_flag = 0;
  if (AttachStreamSource(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream), play_count, handle, keep_mode,
                         &out_flag, owner) != 0) {
    CloseMemoryStream(stream);
    return WriteLogText("ＷＡＶファイルのストリームイメージのセットアップに失敗しました\n");
  }
  if (out_flag == 1) CloseMemoryStream(stream);
  record->sourceFlags[index] = 1;
  return 0;
}

namespace detail {

int DeleteStreamSound(int handle) {
  SoundHandleData* record = GetSoundRecord(handle);
  if (record == nullptr) return -1;
  StopStreamSoundHandle(handle);
  int pending_owner = -1;
  if (record->streamBufferOwner != -1) {
    const int owner = record->streamBufferOwner;
    record->streamBufferOwner = -1;
    if (SoundHandleData* holder = GetSoundRecord(owner)) {
      --holder->borrowerCount;
      if (holder->currentUser == handle) holder->currentUser = -1;
      if (holder->deletePending && owner != handle) pending_owner = owner;
    }
  } else if (record->borrowerCount > 0) {
    record->deletePending = 1;
    return 1;
  } else if (record->buffers[0].valid) {
    ReleaseWrappedBuffer(&record->buffers[0]);
  }
  RemoveHandleListNode(&record->streamNode);
  record->streamNode = HandleListNode{};
  for (int i = 0; i < record->sourceCount; ++i) CloseSource(&record->sources[i], record->sourceFlags[i] != 0);
  record->sourceCount = 0;
  if (pending_owner != -1) DeleteSoundHandle(pending_owner, 0);
  return 0;
}

}  // namespace detail
}  // namespace veziv
