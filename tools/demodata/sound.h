// Sounds made by code: a few oscillators, noise and envelopes into 16-bit
// PCM, a tiny score language for tunes, and Ogg Vorbis and Standard MIDI
// File encodings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demodata {

inline constexpr int kSampleRate = 44100;

// Mono or stereo samples in -1..1 at kSampleRate.
struct Pcm {
  int channels = 1;
  std::vector<float> samples;  // interleaved
  size_t frames() const { return samples.size() / static_cast<size_t>(channels); }
};

// Ogg Vorbis (VBR quality 0.3) with a fixed stream serial, so the same
// samples always give the same bytes.
std::vector<uint8_t> encodeVorbis(const Pcm& pcm, int serial);

// A note of a tune: start and length in beats, MIDI key, velocity 1..127.
struct Note {
  double start;
  double length;
  int key;
  int velocity;
};
struct Track {
  int program = 0;  // General MIDI program 0..127
  int channel = 0;  // 0..15; 9 is the drum channel
  std::vector<Note> notes;
  double length = 0;  // the beats its line covers, a closing rest included
};
struct Tune {
  double tempo = 120;  // beats a minute
  std::vector<Track> tracks;
  double beats() const;
};

// The score language, one track a line: "tempo N" sets the tempo; a track
// line reads "track PROGRAM CHANNEL: notes" with notes like o4 l8 c d e- g4
// r8 > c < b (o octave, l default length, + and - sharps and flats, a length
// after a note, r rest, > and < octave up and down, . dots, v velocity,
// | a bar line for the reader). "phrase NAME: notes" names notes that a
// track (or a later phrase) plays as $NAME; [ notes ]N plays notes N times.
// A line that starts with a blank continues the line before it; lines
// starting with # are comments. Throws std::runtime_error with the line on
// a fault.
Tune parseScore(const std::string& text);

// Format 1, 480 ticks a beat: a tempo track, then one track per Track, each
// ending on the tune's last whole bar, so that the player loops in step.
std::vector<uint8_t> writeMidiFile(const Tune& tune);

// Renders the tune with the tool's own instruments (by General MIDI family;
// drums by key on channel 9) into stereo PCM, `loops` passes of it; notes
// that ring past the end wrap round to the start, so the passes join
// without a seam.
Pcm renderTune(const Tune& tune, int loops);

// Short cues.
Pcm toneBlip(double hz, double seconds, double volume);            // a square blip
Pcm chime(const std::vector<double>& hz, double noteSeconds);      // notes one after the other
Pcm noiseBurst(double seconds, double lowpass, uint32_t seed);     // a filtered noise thump
Pcm engineLoop(double seconds, uint32_t seed);                     // a steady jet hum
// A short shot: a tone gliding from startHz to endHz with a breath of noise,
// a quick attack and a fade to silence within `seconds`.
Pcm pew(double startHz, double endHz, double seconds, double volume, double noise, uint32_t seed);
// The shell's cue of a registry sound id 0..20 (the menus' blips and
// chimes, shots, blasts, the engine); throws std::out_of_range for an id
// without one.
Pcm shellSound(int id);
// A voice-like babble: formant-filtered pulses, one syllable per step.
Pcm babble(int syllables, double pitchHz, uint32_t seed);

}  // namespace demodata
