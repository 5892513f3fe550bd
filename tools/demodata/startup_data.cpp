// What the start-up, the title and the overlay need besides pictures: the
// data folders, the shell's sounds with the title music, and the
// characters' system voices.
#include <cstdio>
#include <map>
#include <stdexcept>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/people.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"
#include "tools/demodata/speech.h"

namespace demodata {

void makeDataFolders(const Sources&, Outputs& outputs) {
  for (const char* f : {"stages", "story", "voice", "image", "audio"}) outputs.folder(f);
}

Pcm shellSound(int id) {
  switch (id) {
    case 0: return toneBlip(1200, 0.03, 0.35);
    case 1: return chime({880, 1318.5}, 0.075);
    // The player's shot plays every few frames: a soft, short pew.
    case 2: return pew(1800, 700, 0.07, 0.28, 0.35, 2);
    case 3: return noiseBurst(0.2, 0.06, 3);
    case 5: return chime({660, 440}, 0.075);
    case 6: return noiseBurst(1.2, 0.02, 6);
    case 7: return noiseBurst(0.4, 0.15, 7);
    case 8: return noiseBurst(0.15, 0.5, 8);
    case 9: return toneBlip(300, 0.05, 0.3);
    case 10: return chime({523.3, 659.3, 784.0}, 0.1);
    case 11: return chime({784.0, 987.8, 1174.7}, 0.12);
    case 12: return chime({220, 330, 440, 550, 660, 770, 880}, 0.11);
    case 13: return noiseBurst(2.0, 0.3, 13);
    // Every enemy shot plays this: short and soft, so that many of them make
    // a patter rather than a tone.
    case 14: return pew(1300, 520, 0.045, 0.16, 0.5, 14);
    case 15: return chime({1046.5, 1318.5}, 0.08);
    case 16: return chime({523.3, 659.3, 784.0, 1046.5}, 0.4);
    case 17: return chime({659.3, 987.8}, 0.08);
    case 18: return chime({440, 440, 440}, 0.15);
    case 19: return noiseBurst(0.3, 0.7, 19);
    case 20: return engineLoop(2.5, 20);
    default: throw std::out_of_range("no shell sound " + std::to_string(id));
  }
}

void makeShellSounds(const Sources& sources, Outputs& out) {
  for (const auto& [id, path] : registrySounds()) {
    if (id <= 20) out.add(path, encodeVorbis(shellSound(id), 1000 + id));
  }
  const Tune title = parseScore(sources.read("music/title.mml"));
  out.add(soundPathOf(21), encodeVorbis(renderTune(title, 1), 1021));
  // The same score as a General MIDI file, for the music player.
  out.add("audio/title.mid", writeMidiFile(title));
}

void makeSystemVoices(const Sources& sources, Outputs& out) {
  const std::vector<Character> characters = parseCharacters(sources.read("tables/characters.tsv"));
  const std::map<std::string, std::string> lines = parseVoiceLines(sources.read("tables/voice_lines.tsv"));
  const std::string engine = findSpeechEngine();
  if (engine.empty()) std::fprintf(stderr, "demodata: no speech engine (espeak-ng) found; the voices are babbled\n");
  for (const auto& [id, path] : registrySounds()) {
    if (path.rfind("voice/sys/", 0) != 0) continue;
    // "voice/sys/<character>_system<number>.ogg"
    const std::string character = path.substr(10, path.find("_system") - 10);
    // A character's own line first ("velk_100": the sub weapon's shout,
    // short as it plays on every shot), else the line of the number.
    const std::string number = voiceNumber(path);
    auto line = lines.find(character + "_" + number);
    if (line == lines.end()) line = lines.find(number);
    if (line == lines.end()) throw std::runtime_error("no line in voice_lines.tsv for " + path);
    const Character& who = characterOf(characters, character);
    out.add(path, encodeVorbis(sayKana(engine, line->second, who.pitch, who.voice, hashText(path)), 2000 + id));
  }
}

}  // namespace demodata
