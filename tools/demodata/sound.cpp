// The synthesiser, the score reader and the two encoders.
#include "tools/demodata/sound.h"


#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
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
  for (const Track& t : tracks) {
    end = std::max(end, t.length);
    for (const Note& n : t.notes) end = std::max(end, n.start + n.length);
  }
  // Whole bars; a hair's rounding of a length in sixteenths is not a bar.
  return std::ceil(end / 4 - 1e-9) * 4;
}

namespace {

// A score's lines joined: a line that starts with a blank continues the
// line before it.
struct ScoreLine {
  int number;
  std::string text;
};

std::vector<ScoreLine> joinedLines(const std::string& text) {
  std::vector<ScoreLine> lines;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if ((line[0] == ' ' || line[0] == '\t') && !lines.empty()) {
      lines.back().text += " " + line;
    } else {
      lines.push_back({number, line});
    }
  }
  return lines;
}

// The notes with every "$name" replaced by its phrase and every "[ ... ]N"
// written out N times (innermost first).
std::string expandNotes(std::string body, const std::map<std::string, std::string>& phrases,
                        const std::function<void(const std::string&)>& fail) {
  for (int depth = 0;; ++depth) {
    const size_t at = body.find('$');
    if (at == std::string::npos) break;
    if (depth > 1000) fail("phrases nest too deep");
    size_t end = at + 1;
    while (end < body.size() && (std::isalnum(static_cast<unsigned char>(body[end])) || body[end] == '_')) ++end;
    const auto it = phrases.find(body.substr(at + 1, end - at - 1));
    if (it == phrases.end()) fail("unknown phrase " + body.substr(at, end - at));
    body.replace(at, end - at, " " + it->second + " ");
  }
  for (;;) {
    const size_t close = body.find(']');
    if (close == std::string::npos) break;
    const size_t open = body.rfind('[', close);
    if (open == std::string::npos) fail("a ] without its [");
    size_t end = close + 1;
    int times = 0;
    while (end < body.size() && std::isdigit(static_cast<unsigned char>(body[end]))) times = times * 10 + (body[end++] - '0');
    if (times < 1 || times > 64) fail("a repeat needs a count of 1 to 64");
    std::string inner = body.substr(open + 1, close - open - 1), copies;
    for (int k = 0; k < times; ++k) copies += " " + inner + " ";
    body.replace(open, end - open, copies);
    if (body.size() > 1000000) fail("the repeats grow too long");
  }
  if (body.find('[') != std::string::npos) fail("a [ without its ]");
  return body;
}

}  // namespace

Tune parseScore(const std::string& text) {
  Tune tune;
  std::map<std::string, std::string> phrases;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    throw std::runtime_error("score line " + std::to_string(lineNo) + ": " + what);
  };
  for (const ScoreLine& scoreLine : joinedLines(text)) {
    lineNo = scoreLine.number;
    std::istringstream in(scoreLine.text);
    std::string word;
    in >> word;
    if (word == "tempo") {
      if (!(in >> tune.tempo) || tune.tempo <= 0) fail("bad tempo");
      continue;
    }
    if (word == "phrase") {
      std::string name;
      if (!(in >> name) || name.size() < 2 || name.back() != ':') fail("bad phrase head");
      name.pop_back();
      std::string body;
      std::getline(in, body);
      phrases[name] = body;
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
    body = expandNotes(body, phrases, fail);
    int octave = 4;
    int velocity = 100;
    double defaultLength = 0.5;  // l8
    double beat = 0;
    size_t i = 0;
    auto number = [&](int fallback) {
      if (i >= body.size() || !std::isdigit(static_cast<unsigned char>(body[i]))) return fallback;
      int v = 0;
      while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i])) && v < 100000) v = v * 10 + (body[i++] - '0');
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
      if (c == ' ' || c == '\t' || c == '|') continue;
      if (c == 'o') {
        octave = number(4);
      } else if (c == 'l') {
        const int n = number(8);
        if (n <= 0) fail("bad length");
        defaultLength = 4.0 / n;
      } else if (c == 'v') {
        velocity = number(100);
        if (velocity < 1 || velocity > 127) fail("velocity out of range");
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
        track.notes.push_back({beat, len, key, velocity});
        beat += len;
      } else {
        fail(std::string("unknown note ") + c);
      }
    }
    track.length = beat;
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
    const uint32_t end = std::max(last, static_cast<uint32_t>(std::lround(tune.beats() * kTicks)));
    putVarLen(body, end - last);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    putChunk(out, "MTrk", body);
  }
  return out;
}

namespace {

// One drum hit at time t seconds after its start, by General MIDI key.
double drumSample(int key, double t, Random& noise) {
  const double n = noise.unit() * 2 - 1;
  switch (key) {
    case 35:
    case 36: {  // kick: a falling sine thump
      const double f = 48 + 90 * std::exp(-t * 30);
      return std::sin(2 * kPi * f * t - 3 * std::exp(-t * 30)) * std::exp(-t * 9) * 1.1;
    }
    case 38:
    case 40:  // snare: a tone and a burst of noise
      return (std::sin(2 * kPi * 190 * t) * 0.5 * std::exp(-t * 25) + n * 0.7 * std::exp(-t * 16)) * 0.8;
    case 39:  // clap
      return n * std::exp(-std::fmod(t, 0.012) * 120) * std::exp(-t * 14) * 0.7;
    case 42:
    case 44:  // closed hat
      return n * std::exp(-t * 70) * 0.35;
    case 46:  // open hat
      return n * std::exp(-t * 9) * 0.28;
    case 49:
    case 57:  // crash
      return n * std::exp(-t * 2.2) * 0.35;
    case 41:
    case 43:
    case 45:
    case 47:
    case 48:
    case 50: {  // toms
      const double f = 80 + (key - 41) * 18;
      return std::sin(2 * kPi * f * t) * std::exp(-t * 10) * 0.8;
    }
    default:
      return n * std::exp(-t * 30) * 0.3;
  }
}

// The tool's own instruments by General MIDI family: t seconds into a note
// of `len` seconds at hz.
double voiceSample(int program, double hz, double t, double len) {
  const double phase = t * hz;
  const double p = phase - std::floor(phase);
  const double release = t > len ? std::max(0.0, 1 - (t - len) / 0.12) : 1.0;
  auto attack = [&](double a) { return std::min(1.0, t / a); };
  switch (program / 8) {
    case 0:  // piano: bright strike that fades
      return (std::sin(2 * kPi * phase) + 0.4 * std::sin(4 * kPi * phase) + 0.15 * std::sin(6 * kPi * phase)) *
             attack(0.004) * std::exp(-t * 2.2) * release * 0.6;
    case 1:  // chromatic percussion: bells and music boxes
      return (std::sin(2 * kPi * phase) + 0.3 * std::sin(2 * kPi * phase * 3.01)) * attack(0.002) * std::exp(-t * 3.5) *
             release * 0.55;
    case 3:  // guitar: a plucked string
      return (2 * p - 1) * std::exp(-t * 4) * (0.6 + 0.4 * std::exp(-t * 20)) * attack(0.003) * release * 0.4;
    case 4: {  // bass: round, with a little edge
      const double tri = 1 - 4 * std::abs(p - 0.5);
      return (tri * 0.8 + std::sin(2 * kPi * phase) * 0.5) * attack(0.005) * (0.7 + 0.3 * std::exp(-t * 6)) * release * 0.7;
    }
    case 6:
    case 11:  // strings and pads: soft saws that swell
      return ((2 * p - 1) * 0.5 + std::sin(2 * kPi * phase * 1.004) * 0.5) * attack(0.12) * release * 0.32;
    case 7:  // brass
      return (2 * p - 1) * attack(0.03) * (0.8 + 0.2 * std::exp(-t * 8)) * release * 0.35;
    case 9:  // flutes: breathy sine
      return std::sin(2 * kPi * phase + 0.2 * std::sin(2 * kPi * 5 * t)) * attack(0.05) * release * 0.5;
    case 10:  // leads: a square with vibrato
      {
        const double v = phase + 0.012 * hz * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.3) / hz;
        const double q = v - std::floor(v);
        return (q < 0.5 ? 0.5 : -0.5) * attack(0.01) * release * 0.45;
      }
    default:
      return (p < 0.5 ? 0.5 : -0.5) * attack(0.01) * std::exp(-t * 1.5) * release * 0.4;
  }
}

}  // namespace

Pcm renderTune(const Tune& tune, int loops) {
  const double secondsPerBeat = 60.0 / tune.tempo;
  const double loopSeconds = tune.beats() * secondsPerBeat;
  const size_t loopFrames = static_cast<size_t>(loopSeconds * kSampleRate);
  // One pass is rendered; what rings past its end wraps round to its start,
  // so that the passes join without a seam.
  std::vector<float> left(loopFrames, 0.0f), right(loopFrames, 0.0f);
  Random noise(7);
  for (size_t ti = 0; ti < tune.tracks.size(); ++ti) {
    const Track& t = tune.tracks[ti];
    const bool drums = t.channel == 9;
    const double pan = drums ? 0.5 : tune.tracks.size() > 1 ? 0.2 + 0.6 * double(ti) / double(tune.tracks.size() - 1) : 0.5;
    for (const Note& n : t.notes) {
      const double len = n.length * secondsPerBeat;
      const double hz = 440.0 * std::pow(2.0, (n.key - 69) / 12.0);
      const size_t s0 = static_cast<size_t>(n.start * secondsPerBeat * kSampleRate);
      const double ring = drums ? (n.key == 49 || n.key == 57 ? 1.5 : 0.5) : len + 0.12;
      const size_t count = static_cast<size_t>(ring * kSampleRate);
      const double gain = n.velocity / 127.0 * 0.2;
      for (size_t k = 0; k < count; ++k) {
        const double tt = double(k) / kSampleRate;
        const double v = drums ? drumSample(n.key, tt, noise) : voiceSample(t.program, hz, tt, len);
        const size_t at = (s0 + k) % loopFrames;
        left[at] += static_cast<float>(v * gain * (1 - pan) * 1.4);
        right[at] += static_cast<float>(v * gain * pan * 1.4);
      }
    }
  }
  // A soft echo between the sides, also wrapped.
  const size_t delay = static_cast<size_t>(0.21 * kSampleRate) % std::max<size_t>(loopFrames, 1);
  std::vector<float> wetL(loopFrames, 0.0f), wetR(loopFrames, 0.0f);
  for (int pass = 0; pass < 3; ++pass)
    for (size_t k = 0; k < loopFrames; ++k) {
      const size_t from = (k + loopFrames - delay) % loopFrames;
      wetL[k] = 0.3f * (right[from] + wetR[from]);
      wetR[k] = 0.3f * (left[from] + wetL[from]);
    }
  Pcm pcm;
  pcm.channels = 2;
  pcm.samples.reserve(loopFrames * 2 * static_cast<size_t>(std::max(loops, 1)));
  for (int loop = 0; loop < std::max(loops, 1); ++loop)
    for (size_t k = 0; k < loopFrames; ++k) {
      // A gentle limiter keeps the peaks round.
      pcm.samples.push_back(static_cast<float>(std::tanh((left[k] + wetL[k]) * 1.1)));
      pcm.samples.push_back(static_cast<float>(std::tanh((right[k] + wetR[k]) * 1.1)));
    }
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

Pcm pew(double startHz, double endHz, double seconds, double volume, double noise, uint32_t seed) {
  Pcm pcm;
  Random r(seed);
  const size_t n = static_cast<size_t>(seconds * kSampleRate);
  double phase = 0, y = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kSampleRate, u = t / seconds;
    phase += (startHz * std::pow(endHz / startHz, u)) / kSampleRate;
    y += 0.25 * ((r.unit() * 2 - 1) - y);
    // Up in 2 ms, down along a curve that reaches silence at the end.
    const double env = std::min(1.0, t / 0.002) * std::pow(1 - u, 2.2);
    pcm.samples.push_back(static_cast<float>((std::sin(2 * kPi * phase) * (1 - noise) + y * noise * 1.6) * env * volume));
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
