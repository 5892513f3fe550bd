// Test support: sound up without an output device on the manual clock, so
// that the mixer moves only when a test renders it (or moves the clock), with
// the small General MIDI font, and sound files written or made in memory.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/window/window_state.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "platform/audio/mixer.h"
#include "platform/midi/midi_file_test_support.h"

namespace veziv::test {

class SoundTest : public veziv::test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    // A library an earlier test started and ended leaves its window marked
    // gone, and the waiting plays would stop at once.
    detail::WindowState() = detail::WindowStateBlock{};
    detail::SetSoundDeviceAllowed(false);
    // The small font: a test that plays MIDI does not load the full one.
    detail::SetSoundFontFinder([] { return std::string(platform::midi::test::kTestSoundFont); });
    ASSERT_EQ(StartSoundSystem(), 0);
  }
  void TearDown() override {
    EndSoundSystem();
    SetSoundInitMode(0);
    detail::SetSoundDeviceAllowed(true);
    detail::SetSoundFontFinder(nullptr);
    detail::ResetStreamCalls();
    LogFolderTest::TearDown();
  }

  // The next frames of the output, interleaved stereo.
  static std::vector<int16_t> Render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    detail::SoundMixer()->Render(out.data(), frames);
    return out;
  }
  // The next frames as the pump would play them: a refill of every stream
  // sound before each step of the mixer (a sixtieth of a second by default).
  static std::vector<int16_t> Pump(int frames, int step = 735) {
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * 2);
    for (int done = 0; done < frames; done += step) {
      RefillAllStreamSounds();
      const std::vector<int16_t> part = Render(std::min(step, frames - done));
      out.insert(out.end(), part.begin(), part.end());
    }
    return out;
  }
  static std::vector<int16_t> Left(const std::vector<int16_t>& stereo) {
    std::vector<int16_t> left;
    for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
    return left;
  }
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // A mono 16-bit WAVE of the samples at the rate, loaded into a memory sound.
  static int LoadSamples(const std::vector<int16_t>& samples, int buffers = 1, uint32_t rate = 44100) {
    WaveRecipe spec;
    spec.channels = 1;
    spec.rate = rate;
    spec.pcm = Pcm16(samples);
    const std::vector<uint8_t> wave = MakeWave(spec);
    return LoadSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), buffers, -1);
  }
  bool Logged(const std::string& text) const { return ReadLog().find(text) != std::string::npos; }
};

}  // namespace veziv::test
