// Feeds bytes to the demo data tool's reader of the speech engine's WAVE
// output: what it gives back is mono, within -1..1, and no longer than the
// bytes could hold at the highest rate it accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/demodata/speech.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const auto pcm = demodata::readWave(bytes);
  if (!pcm) return 0;
  if (pcm->channels != 1) std::abort();
  // At least 8 kHz in, 44.1 kHz out: at most 6 samples out per 2 bytes in.
  if (pcm->samples.size() > size * 3) std::abort();
  for (float s : pcm->samples)
    if (!(s >= -1.0f && s <= 1.0f)) std::abort();
  return 0;
}
