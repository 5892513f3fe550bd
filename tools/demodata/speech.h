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
// Kana spoken by the engine at a pitch (0..99) in a voice variant ("" for
// the language's own voice); nothing when it fails.
std::optional<Pcm> speak(const std::string& engine, const std::string& kana, int pitch, const std::string& variant = "");
// A character's voice saying kana at a pitch (Hz) in a voice variant: the
// engine's when there is one and it speaks, else the babble with a syllable
// a kana.
Pcm sayKana(const std::string& engine, const std::string& kana, double pitchHz, const std::string& variant, uint32_t seed);
// The syllables the babble says for kana (small ya, yu, yo and tsu join the
// kana before them); at least two.
int kanaCount(const std::string& kana);
// The readings of voice_lines.tsv: number (as in the file name) to kana.
// (story_voices.tsv has the same layout: a voice's name to kana.)
std::map<std::string, std::string> parseVoiceLines(const std::string& text);
// The number of a system voice's file name: "voice/sys/dolu_system100_1.ogg" gives "100_1".
std::string voiceNumber(const std::string& path);

}  // namespace demodata
