// The body the sound reader targets share: bytes through OpenSoundSource,
// decoded whole, then read again after seeks. Each target has the seeds of
// one kind of data, so its mutations start from that reader's paths.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/foundation/memory_log/memory.h"
#include "library/foundation/files/streams.h"
#include "library/sound_movie/readers/sound_decoder.h"

inline int FuzzSoundReader(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(data, static_cast<int>(size));
  if (stream == nullptr) return 0;
  veziv::SoundDecoderRecord record{};
  if (veziv::OpenSoundSource(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), &record) ==
      0) {
    veziv::SoundWaveFormat format;
    void* pcm = nullptr;
    int bytes = 0;
    if (veziv::DecodeSoundSourceToPcm(&record, &format, &pcm, &bytes) == 0) veziv::FreeLibMemory(pcm);
    uint8_t block[256];
    veziv::SeekSoundSource(&record, 3);
    veziv::ReadSoundSourcePcm(&record, block, sizeof block);
    veziv::SeekSoundSource(&record, 0);
    veziv::ReadSoundSourcePcm(&record, block, sizeof block);
    veziv::CloseSoundSource(&record);
  }
  veziv::CloseMemoryStream(stream);
  return 0;
}
