// What the story screen plays beyond the registry, in two generators: the
// voices the story scripts and the stages' story events name
// (voice/story/), spoken from their readings in data/tables/story_voices.tsv,
// and the music
// the scripts play (audio/, each from data/music/<name>.mml: a MIDI file, or
// rendered to Ogg Vorbis for a ".ogg" name).
#include <map>
#include <regex>
#include <set>
#include <stdexcept>

#include "game/battle/stage_folders.h"
#include "tools/demodata/battle_stages.h"
#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/people.h"
#include "tools/demodata/sound.h"
#include "tools/demodata/speech.h"

namespace demodata {

namespace {

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

void makeStoryMusic(const Sources& sources, Outputs& out) {
  std::set<std::string> music;
  for (const char* script : {"script.txt", "part2.txt"}) collectMusic(sources.read(std::string("text/story/") + script), music);
  int musicSerial = 4900;
  for (const std::string& file : music) {
    const std::string stem = file.substr(6, file.size() - 10);  // between "audio/" and the extension
    const Tune tune = parseScore(sources.read("music/" + stem + ".mml"));
    out.add(file, file.compare(file.size() - 4, 4, ".mid") == 0 ? writeMidiFile(tune)
                                                                 : encodeVorbis(renderTune(tune, 1), musicSerial++));
  }
}

void makeStoryVoices(const Sources& sources, Outputs& out) {
  std::set<std::string> names;
  for (const char* script : {"script.txt", "part2.txt"}) collectVoices(sources.read(std::string("text/story/") + script), names);
  for (int stage = 0; stage < game::battle::kStageFolderCount; ++stage) collectVoices(StageEventsText(stage), names);
  // Each voice says its line of story_voices.tsv in its character's voice
  // (the narration's and the crowd's in a middle one).
  const std::map<std::string, std::string> readings = parseVoiceLines(sources.read("tables/story_voices.tsv"));
  const std::vector<Character> characters = parseCharacters(sources.read("tables/characters.tsv"));
  const std::string engine = findSpeechEngine();
  int serial = 5000;
  for (const std::string& name : names) {
    const std::string stem = name.substr(0, name.size() - 4);
    const auto reading = readings.find(stem);
    if (reading == readings.end()) throw std::runtime_error("no reading in story_voices.tsv for " + name);
    const std::string character = stem.substr(0, stem.find('_'));
    double pitch = 190;
    std::string variant;
    for (const Character& c : characters) {
      if (c.id != character) continue;
      pitch = c.pitch;
      variant = c.voice;
    }
    out.add("voice/story/" + name, encodeVorbis(sayKana(engine, reading->second, pitch, variant, hashText(name)), serial++));
  }
}

}  // namespace demodata
