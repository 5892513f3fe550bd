// What the story screen plays and shows beyond the registry: the voices the
// story scripts and the stages' story events name (voice/story/), the music
// the scripts play (audio/, each from data/music/<name>.mml: a MIDI file, or
// rendered to Ogg Vorbis for a ".ogg" name), and the story's backgrounds
// (image/story/).
#include <regex>
#include <set>

#include "game/battle/stage_folders.h"
#include "tools/demodata/battle_stages.h"
#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/sound.h"

namespace demodata {

namespace {

// Voice pitch by the character id a voice's name begins with.
struct StoryVoice {
  const char* id;
  double pitch;
};
constexpr StoryVoice kStoryVoices[] = {
    {"velk", 150}, {"oruna", 260}, {"tirun", 300}, {"saffo", 230}, {"dolu", 240},  {"pesa", 280},  {"hobe", 250},
    {"taisyo", 105}, {"zemm", 115}, {"ryotyo", 210}, {"temu", 220}, {"kuro", 320}, {"bad", 130}, {"all", 190},
};

// The story's backgrounds: a sky of two colours with clouds.
struct Background {
  const char* name;
  Rgba top, bottom;
  double clouds;
};
constexpr Background kBackgrounds[] = {
    {"dorm", {120, 170, 230, 255}, {236, 226, 205, 255}, 0.45},
    {"hangar", {70, 80, 95, 255}, {150, 145, 135, 255}, 0.2},
    {"brief", {40, 60, 90, 255}, {110, 130, 150, 255}, 0.15},
    {"dusk", {90, 60, 120, 255}, {245, 150, 90, 255}, 0.5},
    {"night", {8, 12, 40, 255}, {40, 50, 100, 255}, 0.25},
    {"dawn", {120, 140, 200, 255}, {250, 200, 170, 255}, 0.4},
};

// Every voice file named as "(SPEAKER,name.ogg" in a text.
void collectVoices(const std::string& text, std::set<std::string>& names) {
  static const std::regex voice(R"(\([^,()\n]+,([A-Za-z0-9_]+\.ogg))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), voice); it != std::sregex_iterator(); ++it) {
    names.insert((*it)[1]);
  }
}

// Every file a "@playNewMusic FILE LOOP" line of a text plays.
void collectMusic(const std::string& text, std::set<std::string>& files) {
  static const std::regex music(R"(@playNewMusic (audio/[A-Za-z0-9_]+\.(mid|ogg)))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), music); it != std::sregex_iterator(); ++it) {
    files.insert((*it)[1]);
  }
}

}  // namespace

void makeStoryMedia(const Sources& sources, Outputs& out) {
  std::set<std::string> names, music;
  for (const char* script : {"script.txt", "part2.txt"}) {
    const std::string text = sources.read(std::string("text/story/") + script);
    collectVoices(text, names);
    collectMusic(text, music);
  }
  int musicSerial = 4900;
  for (const std::string& file : music) {
    const std::string stem = file.substr(6, file.size() - 10);  // between "audio/" and the extension
    const Tune tune = parseScore(sources.read("music/" + stem + ".mml"));
    out.add(file, file.compare(file.size() - 4, 4, ".mid") == 0 ? writeMidiFile(tune)
                                                                 : encodeVorbis(renderTune(tune, 2), musicSerial++));
  }
  for (int stage = 0; stage < game::battle::kStageFolderCount; ++stage) collectVoices(StageEventsText(stage), names);
  int serial = 5000;
  for (const std::string& name : names) {
    double pitch = 200;
    for (const StoryVoice& v : kStoryVoices) {
      if (name.rfind(v.id, 0) == 0) {
        pitch = v.pitch;
        break;
      }
    }
    const uint32_t seed = hashText(name);
    out.add("voice/story/" + name, encodeVorbis(babble(4 + static_cast<int>(seed % 5), pitch, seed), serial++));
  }
  for (const Background& b : kBackgrounds) {
    Canvas c(800, 600);
    c.verticalGradient(b.top, b.bottom);
    c.clouds(hashText(b.name), 160, b.clouds, {255, 255, 255, 180});
    out.add(std::string("image/story/bg_") + b.name + ".jpg", c.jpeg(85));
  }
}

}  // namespace demodata
