// What the start-up, the caution screen, the title and the overlay need:
// the data folders, their pictures, the shell's sounds with the title
// music, and the characters' system voices.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"
#include "tools/demodata/speech.h"

namespace demodata {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};

void addPng(Outputs& out, int id, const Canvas& c) { out.add(imagePathOf(id), c.png(true)); }
void addJpeg(Outputs& out, int id, const Canvas& c) { out.add(imagePathOf(id), c.jpeg(85)); }

// A sky of two colours with clouds seeded by the picture's path.
Canvas sky(int id, Rgba top, Rgba bottom, double density) {
  Canvas c(800, 600);
  c.verticalGradient(top, bottom);
  c.clouds(hashText(imagePathOf(id)), 140, density, {255, 255, 255, 200});
  return c;
}

// Puffs of cloud inside w x h, denser towards the side `towards` (-1 left, 1 right, 0 centre).
Canvas cloudBank(int id, int w, int h, int towards) {
  Canvas c(w, h);
  Random r(hashText(imagePathOf(id)));
  for (int k = 0; k < 40; ++k) {
    double x = r.unit();
    if (towards != 0) x = towards < 0 ? x * x : 1 - x * x;
    const double rx = 40 + r.unit() * 90;
    const double ry = rx * (0.55 + r.unit() * 0.3);
    const double cx = rx + x * (w - 2 * rx);
    const double cy = ry + (0.3 + r.unit() * 0.7) * (h - 2 * ry);
    const uint8_t shade = static_cast<uint8_t>(225 + r.next() % 30);
    c.fillEllipse(cx, cy, rx, ry, {shade, shade, 255, 235});
  }
  return c;
}

// Syllables to babble for a reading: its kana (three UTF-8 bytes each),
// the small ya, yu, yo and tsu not counted; blanks are single bytes.
int kanaCount(const std::string& kana) {
  int n = 0;
  for (size_t i = 0; i < kana.size();) {
    const unsigned char c = static_cast<unsigned char>(kana[i]);
    if (c < 0xE0 || c > 0xEF) {
      ++i;
      continue;
    }
    const std::string k = kana.substr(i, 3);
    if (k != "ゃ" && k != "ゅ" && k != "ょ" && k != "っ") ++n;
    i += 3;
  }
  return std::max(n, 2);
}

Canvas button(int w, int h, const char* label, bool pushed) {
  Canvas c(w, h);
  const Rgba body = pushed ? Rgba{255, 214, 120, 255} : Rgba{120, 160, 220, 255};
  c.fillEllipse(h / 2.0, h / 2.0, h / 2.0 - 1, h / 2.0 - 1, body);
  c.fillEllipse(w - h / 2.0, h / 2.0, h / 2.0 - 1, h / 2.0 - 1, body);
  c.fillRect(h / 2, 1, w - h, h - 2, body);
  const int tw = c.textWidth(label, h / 2);
  c.text((w - tw) / 2, h / 4, label, h / 2, kWhite, {30, 40, 80, 255});
  return c;
}

Canvas muteIcon(bool music) {
  Canvas c(24, 24);
  c.fillEllipse(12, 12, 11, 11, {40, 40, 60, 220});
  if (music) {
    c.fillEllipse(9, 16, 3.5, 2.5, kWhite);
    c.fillRect(11, 5, 2, 11, kWhite);
    c.fillRect(11, 5, 6, 2, kWhite);
  } else {
    c.fillRect(6, 9, 4, 6, kWhite);
    for (int k = 0; k < 6; ++k) c.fillRect(10 + k, 9 - k / 2, 1, 6 + k, kWhite);
  }
  for (int k = 2; k < 22; ++k) {
    c.blend(k, k, {230, 40, 40, 255});
    c.blend(k + 1, k, {230, 40, 40, 255});
  }
  return c;
}

Canvas missionPlate(const char* words, Rgba colour) {
  Canvas c(300, 100);
  c.fillRect(0, 30, 300, 40, {0, 0, 0, 140});
  const int tw = c.textWidth(words, 26);
  c.text((300 - tw) / 2, 36, words, 26, colour, {20, 20, 20, 255});
  return c;
}

}  // namespace

void makeDataFolders(const Sources&, Outputs& outputs) {
  for (const char* f : {"stages", "story", "voice", "image", "audio"}) outputs.folder(f);
}

void makeStartupPictures(const Sources&, Outputs& out) {
  // The caution screen's background is drawn with black as the transparent
  // colour: it must hold no pure black.
  Canvas caution = sky(52, {40, 52, 110, 255}, {235, 150, 110, 255}, 0.45);
  caution.avoidPureBlack();
  addJpeg(out, 52, caution);
  addJpeg(out, 4, sky(4, {70, 130, 220, 255}, {190, 225, 250, 255}, 0.5));

  Canvas bar(32, 8);
  bar.verticalGradient({255, 255, 255, 255}, {120, 190, 255, 255});
  addPng(out, 2, bar);

  Canvas yesNo(32, 26);  // three slices: left cap 0-10, body 11-21, right cap 21-31
  yesNo.fillEllipse(11, 13, 10, 12, {250, 250, 250, 230});
  yesNo.fillEllipse(21, 13, 10, 12, {250, 250, 250, 230});
  yesNo.fillRect(11, 1, 10, 24, {250, 250, 250, 230});
  addPng(out, 218, yesNo);

  Canvas logo(540, 160);
  logo.text(40, 10, "ペルヴァロ", 96, {255, 250, 235, 255}, {40, 60, 120, 255}, true);
  logo.text(120, 118, "～ほしの渡り鳥たち～", 30, {255, 240, 200, 255}, {40, 60, 120, 255}, true);
  addPng(out, 65, logo);
  addPng(out, 66, cloudBank(66, 760, 362, -1));
  addPng(out, 67, cloudBank(67, 726, 450, 1));
  addPng(out, 69, cloudBank(69, 700, 250, 0));

  Canvas streak(230, 8);
  for (int x = 0; x < 230; ++x)
    for (int y = 0; y < 8; ++y) {
      const double a = (x / 229.0) * std::sin(3.14159 * (y + 0.5) / 8);
      streak.set(x, y, {255, 255, 255, static_cast<uint8_t>(std::lround(220 * a))});
    }
  addPng(out, 68, streak);

  Canvas rowBack(211, 56);
  rowBack.fillEllipse(28, 28, 27, 27, {20, 40, 90, 170});
  rowBack.fillEllipse(183, 28, 27, 27, {20, 40, 90, 170});
  rowBack.fillRect(28, 1, 155, 54, {20, 40, 90, 170});
  addPng(out, 56, rowBack);

  addPng(out, 38, button(90, 45, "戻る", false));
  addPng(out, 39, button(90, 45, "戻る", true));
  addPng(out, 32, muteIcon(true));
  addPng(out, 33, muteIcon(false));

  Canvas gradient(16, 16), gradientEnd(16, 16);
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 16; ++y) {
      gradient.set(x, y, {255, 255, 255, static_cast<uint8_t>(255 - x * 6)});
      const double d = std::hypot(x + 0.5, y - 7.5) / 8.0;
      gradientEnd.set(x, y, {255, 255, 255, static_cast<uint8_t>(d < 1 ? std::lround(165 * (1 - d) + 0) : 0)});
    }
  addPng(out, 219, gradient);
  addPng(out, 220, gradientEnd);

  addPng(out, 50, missionPlate("MISSION FAILED", {255, 120, 110, 255}));
  addPng(out, 192, missionPlate("MISSION ACCOMPLISHED", {255, 230, 120, 255}));
}

void makeShellSounds(const Sources& sources, Outputs& out) {
  auto add = [&](int id, const Pcm& pcm) { out.add(soundPathOf(id), encodeVorbis(pcm, 1000 + id)); };
  add(0, toneBlip(1200, 0.03, 0.35));
  add(1, chime({880, 1318.5}, 0.075));
  add(2, noiseBurst(0.08, 0.4, 2));
  add(3, noiseBurst(0.2, 0.06, 3));
  add(5, chime({660, 440}, 0.075));
  add(6, noiseBurst(1.2, 0.02, 6));
  add(7, noiseBurst(0.4, 0.15, 7));
  add(8, noiseBurst(0.15, 0.5, 8));
  add(9, toneBlip(300, 0.05, 0.3));
  add(10, chime({523.3, 659.3, 784.0}, 0.1));
  add(11, chime({784.0, 987.8, 1174.7}, 0.12));
  add(12, chime({220, 330, 440, 550, 660, 770, 880}, 0.11));
  add(13, noiseBurst(2.0, 0.3, 13));
  add(14, toneBlip(1600, 0.06, 0.25));
  add(15, chime({1046.5, 1318.5}, 0.08));
  add(16, chime({523.3, 659.3, 784.0, 1046.5}, 0.4));
  add(17, chime({659.3, 987.8}, 0.08));
  add(18, chime({440, 440, 440}, 0.15));
  add(19, noiseBurst(0.3, 0.7, 19));
  add(20, engineLoop(2.5, 20));
  const Tune title = parseScore(sources.read("music/title.mml"));
  add(21, renderTune(title, 1));
  // The same score as a General MIDI file, for the music player.
  out.add("audio/title.mid", writeMidiFile(title));
}

void makeSystemVoices(const Sources& sources, Outputs& out) {
  // Voice pitch by the character word in the file name.
  const std::pair<const char*, double> kPitch[] = {
      {"velk", 150},   {"oruna", 260}, {"tirun", 300},  {"saffo", 230}, {"dolu", 240},   {"pesa", 280},
      {"hobe", 250},   {"taisyo", 105}, {"zemm", 115},  {"ryotyo", 210}, {"temu", 220},
  };
  const std::map<std::string, std::string> lines = parseVoiceLines(sources.read("tables/voice_lines.tsv"));
  const std::string engine = findSpeechEngine();
  if (engine.empty()) std::fprintf(stderr, "demodata: no speech engine (espeak-ng) found; the voices are babbled\n");
  for (const auto& [id, path] : registrySounds()) {
    if (path.rfind("voice/sys/", 0) != 0) continue;
    double pitch = 200;
    std::string character;
    for (const auto& [word, hz] : kPitch)
      if (path.find(word) != std::string::npos) {
        pitch = hz;
        character = word;
        break;
      }
    // A character's own line first ("velk_100": the sub weapon's shout,
    // short as it plays on every shot), else the line of the number.
    const std::string number = voiceNumber(path);
    auto line = lines.find(character + "_" + number);
    if (line == lines.end()) line = lines.find(number);
    if (line == lines.end()) throw std::runtime_error("no line in voice_lines.tsv for " + path);
    std::optional<Pcm> voice;
    if (!engine.empty()) voice = speak(engine, line->second, std::clamp(static_cast<int>((pitch - 100) / 2.2), 0, 99));
    if (!voice) voice = babble(kanaCount(line->second), pitch, hashText(path));
    out.add(path, encodeVorbis(*voice, 2000 + id));
  }
}

}  // namespace demodata
