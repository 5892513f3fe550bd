// The characters' voices spoken by a speech engine when one is installed
// (espeak-ng reading kana), else babbled by the tool's own synthesiser.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/demodata/sound.h"

namespace demodata {

// The speech engine's program found on PATH, "" when there is none.
std::string findSpeechEngine();
// A RIFF WAVE of 16-bit PCM, mono or stereo, resampled to kSampleRate mono;
// nothing when the bytes are not such a file.
std::optional<Pcm> readWave(const std::vector<uint8_t>& bytes);
// Kana spoken by the engine at a pitch (0..99); nothing when it fails.
std::optional<Pcm> speak(const std::string& engine, const std::string& kana, int pitch);
// The readings of voice_lines.tsv: number (as in the file name) to kana.
std::map<std::string, std::string> parseVoiceLines(const std::string& text);
// The number of a system voice's file name: "voice/sys/dolu_system100_1.ogg" gives "100_1".
std::string voiceNumber(const std::string& path);

}  // namespace demodata
