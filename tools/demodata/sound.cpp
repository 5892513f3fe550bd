// The synthesiser, the score reader and the two encoders.
#include "tools/demodata/sound.h"


#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "tools/demodata/canvas.h"
#include "tools/media/vorbis_pages.h"

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

std::vector<uint8_t> encodeVorbis(const Pcm& pcm, int serial) {
  const size_t channels = static_cast<size_t>(pcm.channels);
  std::vector<uint8_t> out = veziv::tools::EncodeVorbisFile(
      pcm.channels, kSampleRate, pcm.frames(), serial,
      [&](size_t frame, int channel) { return pcm.samples[frame * channels + static_cast<size_t>(channel)]; });
  if (out.empty()) throw std::runtime_error("Vorbis encoder set-up failed");
  return out;
}

double Tune::beats() const {
  double end = 0;
  for (const Track& t : tracks)
    for (const Note& n : t.notes) end = std::max(end, n.start + n.length);
  return std::ceil(end / 4) * 4;  // whole bars
}

Tune parseScore(const std::string& text) {
  Tune tune;
  std::istringstream lines(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    throw std::runtime_error("score line " + std::to_string(lineNo) + ": " + what);
  };
  while (std::getline(lines, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "tempo") {
      if (!(in >> tune.tempo) || tune.tempo <= 0) fail("bad tempo");
      continue;
    }
    if (word != "track") fail("unknown word " + word);
    Track track;
    std::string channel;
    if (!(in >> track.program >> channel) || channel.empty() || channel.back() != ':') fail("bad track head");
    track.channel = std::stoi(channel);
    if (track.program < 0 || track.program > 127 || track.channel < 0 || track.channel > 15) fail("out of range");
    std::string body;
    std::getline(in, body);
    int octave = 4;
    double defaultLength = 0.5;  // l8
    double beat = 0;
    size_t i = 0;
    auto number = [&](int fallback) {
      if (i >= body.size() || !std::isdigit(static_cast<unsigned char>(body[i]))) return fallback;
      int v = 0;
      while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) v = v * 10 + (body[i++] - '0');
      return v;
    };
    auto length = [&]() {
      const int n = number(0);
      double len = n > 0 ? 4.0 / n : defaultLength;
      double add = len / 2;
      while (i < body.size() && body[i] == '.') {
        len += add;
        add /= 2;
        ++i;
      }
      return len;
    };
    while (i < body.size()) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(body[i++])));
      if (c == ' ') continue;
      if (c == 'o') {
        octave = number(4);
      } else if (c == 'l') {
        const int n = number(8);
        if (n <= 0) fail("bad length");
        defaultLength = 4.0 / n;
      } else if (c == '>') {
        ++octave;
      } else if (c == '<') {
        --octave;
      } else if (c == 'r') {
        beat += length();
      } else if (c >= 'a' && c <= 'g') {
        static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};
        int key = (octave + 1) * 12 + kSemitone[c - 'a'];
        while (i < body.size() && (body[i] == '+' || body[i] == '-')) key += body[i++] == '+' ? 1 : -1;
        const double len = length();
        if (key < 0 || key > 127) fail("key out of range");
        track.notes.push_back({beat, len, key, 100});
        beat += len;
      } else {
        fail(std::string("unknown note ") + c);
      }
    }
    tune.tracks.push_back(track);
  }
  return tune;
}

namespace {

void putVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t bytes[5];
  int n = 0;
  bytes[n++] = v & 0x7F;
  while (v >>= 7) bytes[n++] = static_cast<uint8_t>((v & 0x7F) | 0x80);
  while (n > 0) out.push_back(bytes[--n]);
}

void putBE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int b = bytes - 1; b >= 0; --b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
}

void putChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  putBE(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

std::vector<uint8_t> writeMidiFile(const Tune& tune) {
  constexpr int kTicks = 480;
  std::vector<uint8_t> out;
  std::vector<uint8_t> head;
  putBE(head, 1, 2);
  putBE(head, static_cast<uint32_t>(tune.tracks.size() + 1), 2);
  putBE(head, kTicks, 2);
  putChunk(out, "MThd", head);
  std::vector<uint8_t> tempo = {0x00, 0xFF, 0x51, 0x03};
  putBE(tempo, static_cast<uint32_t>(std::lround(60000000.0 / tune.tempo)), 3);
  tempo.insert(tempo.end(), {0x00, 0xFF, 0x2F, 0x00});
  putChunk(out, "MTrk", tempo);
  for (const Track& t : tune.tracks) {
    struct Event {
      uint32_t tick;
      int order;  // note-offs before note-ons at one tick
      uint8_t status, a, b;
    };
    std::vector<Event> events;
    for (const Note& n : t.notes) {
      const uint32_t on = static_cast<uint32_t>(std::lround(n.start * kTicks));
      const uint32_t off = static_cast<uint32_t>(std::lround((n.start + n.length) * kTicks));
      events.push_back({on, 1, static_cast<uint8_t>(0x90 | t.channel), static_cast<uint8_t>(n.key),
                        static_cast<uint8_t>(n.velocity)});
      events.push_back({off, 0, static_cast<uint8_t>(0x80 | t.channel), static_cast<uint8_t>(n.key), 0});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& x, const Event& y) { return x.tick != y.tick ? x.tick < y.tick : x.order < y.order; });
    std::vector<uint8_t> body = {0x00, static_cast<uint8_t>(0xC0 | t.channel), static_cast<uint8_t>(t.program)};
    uint32_t last = 0;
    for (const Event& e : events) {
      putVarLen(body, e.tick - last);
      last = e.tick;
      body.insert(body.end(), {e.status, e.a, e.b});
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    putChunk(out, "MTrk", body);
  }
  return out;
}

Pcm renderTune(const Tune& tune, int loops) {
  const double secondsPerBeat = 60.0 / tune.tempo;
  const double loopSeconds = tune.beats() * secondsPerBeat;
  Pcm pcm;
  pcm.channels = 2;
  const size_t frames = static_cast<size_t>(loopSeconds * loops * kSampleRate);
  pcm.samples.assign(frames * 2, 0.0f);
  Random noise(7);
  for (int loop = 0; loop < loops; ++loop) {
    for (size_t ti = 0; ti < tune.tracks.size(); ++ti) {
      const Track& t = tune.tracks[ti];
      const double pan = tune.tracks.size() > 1 ? double(ti) / double(tune.tracks.size() - 1) : 0.5;
      for (const Note& n : t.notes) {
        const double start = (loop * tune.beats() + n.start) * secondsPerBeat;
        const double len = n.length * secondsPerBeat;
        const double hz = 440.0 * std::pow(2.0, (n.key - 69) / 12.0);
        const size_t s0 = static_cast<size_t>(start * kSampleRate);
        const size_t count = static_cast<size_t>((len + 0.05) * kSampleRate);
        for (size_t k = 0; k < count && s0 + k < frames; ++k) {
          const double tt = double(k) / kSampleRate;
          const double env = std::min(1.0, tt / 0.005) * std::exp(-tt * (t.channel == 9 ? 25.0 : 2.5)) *
                             (tt > len ? std::max(0.0, 1 - (tt - len) / 0.05) : 1.0);
          double v;
          if (t.channel == 9) {
            v = (noise.unit() * 2 - 1) * (n.key < 40 ? 0.5 : 0.25);
          } else {
            const double phase = std::fmod(tt * hz, 1.0);
            switch (t.program / 8) {
              case 10:  // brass: saw
                v = (2 * phase - 1) * 0.5;
                break;
              case 0:  // piano: a sine with a little second harmonic
                v = std::sin(2 * kPi * phase) * 0.8 + std::sin(4 * kPi * phase) * 0.2;
                break;
              default:  // a soft square
                v = (phase < 0.5 ? 0.5 : -0.5) * 0.7;
            }
          }
          const float s = static_cast<float>(v * env * n.velocity / 127.0 * 0.22);
          pcm.samples[(s0 + k) * 2] += s * static_cast<float>(1 - pan * 0.6);
          pcm.samples[(s0 + k) * 2 + 1] += s * static_cast<float>(0.4 + pan * 0.6);
        }
      }
    }
  }
  for (float& s : pcm.samples) s = std::clamp(s, -1.0f, 1.0f);
  return pcm;
}

Pcm toneBlip(double hz, double seconds, double volume) {
  Pcm pcm;
  const size_t n = static_cast<size_t>(seconds * kSampleRate);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    const double env = std::min(1.0, t / 0.002) * std::max(0.0, 1 - t / seconds);
    pcm.samples.push_back(static_cast<float>((std::fmod(t * hz, 1.0) < 0.5 ? 1 : -1) * env * volume));
  }
  return pcm;
}

Pcm chime(const std::vector<double>& hz, double noteSeconds) {
  Pcm pcm;
  const size_t per = static_cast<size_t>(noteSeconds * kSampleRate);
  pcm.samples.assign(per * (hz.size() + 1), 0.0f);
  for (size_t k = 0; k < hz.size(); ++k) {
    for (size_t i = 0; i < per * 2 && k * per + i < pcm.samples.size(); ++i) {
      const double t = double(i) / kSampleRate;
      const double env = std::min(1.0, t / 0.003) * std::exp(-t * 9);
      pcm.samples[k * per + i] += static_cast<float>(std::sin(2 * kPi * hz[k] * t) * env * 0.5);
    }
  }
  return pcm;
}

Pcm noiseBurst(double seconds, double lowpass, uint32_t seed) {
  Pcm pcm;
  Random r(seed);
  const size_t n = static_cast<size_t>(seconds * kSampleRate);
  double y = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    y += lowpass * ((r.unit() * 2 - 1) - y);
    pcm.samples.push_back(static_cast<float>(y * std::exp(-t * 6 / seconds) * 0.9));
  }
  return pcm;
}

Pcm engineLoop(double seconds, uint32_t seed) {
  Pcm pcm;
  Random r(seed);
  const size_t n = static_cast<size_t>(seconds * kSampleRate);
  double y = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate;
    y += 0.05 * ((r.unit() * 2 - 1) - y);
    // A whole number of hum cycles over the loop, so the ends meet.
    const double hum = std::sin(2 * kPi * std::round(110 * seconds) / seconds * t) * 0.15;
    pcm.samples.push_back(static_cast<float>(y * 0.6 + hum));
  }
  return pcm;
}

Pcm babble(int syllables, double pitchHz, uint32_t seed) {
  Pcm pcm;
  Random r(seed);
  constexpr double kSyllable = 0.14;
  // Two formants per vowel: a, i, u, e, o.
  static const double kFormants[5][2] = {{800, 1200}, {300, 2300}, {350, 1300}, {500, 1900}, {500, 900}};
  for (int s = 0; s < syllables; ++s) {
    const double* f = kFormants[r.next() % 5];
    const double pitch = pitchHz * (1.0 + 0.15 * std::sin(s * 1.3)) * (s + 1 == syllables ? 0.85 : 1.0);
    const size_t n = static_cast<size_t>(kSyllable * kSampleRate);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
      const double t = double(i) / kSampleRate;
      phase += pitch / kSampleRate;
      const double cycle = std::fmod(phase, 1.0) / pitch;  // time since the last glottal pulse
      double v = 0;
      for (int k = 0; k < 2; ++k) v += std::exp(-cycle * 600) * std::sin(2 * kPi * f[k] * cycle) * (k ? 0.5 : 1.0);
      const double env = std::sin(kPi * std::min(1.0, t / kSyllable));
      pcm.samples.push_back(static_cast<float>(v * env * 0.45));
    }
  }
  return pcm;
}

}  // namespace demodata
