// Sound data through the readers, from MP3 seeds (see sound_reader_fuzz.h).
#include "fuzz/sound_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzSoundReader(data, size); }
