#include "game/battle/stage_events.h"

#include <map>
#include <memory>

#include "game/battle/battle_frame.h"
#include "game/battle/effect_layers.h"
#include "game/battle/effects.h"
#include "library/veziv.h"

namespace game::battle {

namespace {

constexpr std::string_view kEventWord = "@event";
std::string_view between(std::string_view line, size_t from, char stop) {
  const size_t end = line.find(stop, from);
  return line.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
}

bool contains(std::string_view line, std::string_view word) { return line.find(word) != std::string_view::npos; }

// Deletes the voices of the events already passed that no longer play.
void releaseEndedVoices(int eventIndex) {
  for (auto it = World().radioVoices.begin(); it != World().radioVoices.end() && it->first < eventIndex;) {
    if (veziv::IsSoundHandlePlaying(it->second) == 1) {
      ++it;
      continue;
    }
    veziv::DeleteSoundHandle(it->second, 0);
    it = World().radioVoices.erase(it);
  }
}

void deleteVoiceOf(int eventNumber) {
  const auto it = World().radioVoices.find(eventNumber);
  if (it == World().radioVoices.end()) return;
  veziv::DeleteSoundHandle(it->second, 0);
  World().radioVoices.erase(it);
}

void playRadio(const battleStage& stage, int eventNumber) {
  RadioLine radio;
  if (!parseRadioLine(stage.eventLines[static_cast<size_t>(stage.events[eventNumber].line)], radio)) return;
  if (eventNumber > 0) deleteVoiceOf(eventNumber - 1);
  const int voice = radioVoiceOf(eventNumber);
  veziv::PlaySoundHandle(voice, 1, 1);
  addAnime(std::make_unique<imageShower>(1, radio.imageId, 752, 82, kModeWhileSound, voice, 0.5));
  const int n = static_cast<int>(radio.message.size());
  if (n + 1 >= kRadioMessageBytes) {
    veziv::PrintfToScreen("%d文字のmessegeは長すぎます。\n", n + 1);
    return;
  }
  const int width = veziv::MeasureTextWithFont(radio.message.c_str(), n, Hooks().fontOf(kFontRadio), 0);
  addAnime(std::make_unique<messege>(704 - width, 0, radio.message.c_str(), Shell().speakerColour(radio.speaker),
                                     false, voice, kFontRadio, kModeWhileSound));
}

}  // namespace

bool parseEventLine(std::string_view line, stageEvent& event) {
  const size_t at = line.find(kEventWord);
  if (at == std::string_view::npos) return false;
  const size_t first = line.find(' ', at);
  if (first == std::string_view::npos) return false;
  const size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos) return false;
  const std::string_view kind = between(line, second + 1, ' ');
  static constexpr std::pair<std::string_view, StageEventKind> kKinds[] = {
      {"STORY_INSERT", kEventStoryInsert}, {"EVENT_RADIO", kEventRadio}, {"SWITCH_BGM", kEventSwitchBgm}};
  for (const auto& [name, value] : kKinds) {
    if (kind != name) continue;
    event.trigger = atoiPiece(line.substr(first + 1, second - first - 1));
    event.kind = value;
    return true;
  }
  return false;
}

bool parseRadioLine(std::string_view line, RadioLine& radio) {
  const size_t at = line.find('@');
  if (at == std::string_view::npos) return false;
  const size_t space = line.find(' ', at);
  const size_t open = space == std::string_view::npos ? space : line.find('(', space);
  if (open == std::string_view::npos) return false;
  const size_t comma1 = line.find(',', open);
  const size_t comma2 = comma1 == std::string_view::npos ? comma1 : line.find(',', comma1 + 1);
  const size_t close = comma2 == std::string_view::npos ? comma2 : line.find(')', comma2 + 1);
  if (close == std::string_view::npos) return false;
  const size_t gap = line.find(' ', close);
  radio.speaker = std::string(line.substr(open + 1, comma1 - open - 1));
  radio.voice = std::string(line.substr(comma1 + 1, comma2 - comma1 - 1));
  radio.imageId = atoiPiece(line.substr(comma2 + 1, close - comma2 - 1));
  radio.message = gap == std::string_view::npos ? std::string() : std::string(line.substr(gap + 1));
  return true;
}

std::string switchedMusic(std::string_view line) {
  const size_t at = line.find("SWITCH_BGM");
  if (at == std::string_view::npos) return {};
  const size_t space = line.find(' ', at);
  return space == std::string_view::npos ? std::string() : std::string(line.substr(space + 1));
}

std::vector<std::string> storyInsertLines(const std::vector<std::string>& lines, int eventLine) {
  std::vector<std::string> body;
  for (size_t i = static_cast<size_t>(eventLine) + 1; i < lines.size(); ++i) {
    body.push_back(lines[i]);
    if (contains(lines[i], "@endEvent")) break;
  }
  return body;
}

void readStageEvents(battleStage& stage, const std::vector<std::string>& lines) {
  stage.eventLines = lines;
  stage.storyEventActive = 0;
  stage.events.clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    stageEvent event;
    if (!parseEventLine(lines[i], event)) continue;
    RadioLine radio;
    if (event.kind == kEventRadio && !parseRadioLine(lines[i], radio)) {
      veziv::PrintfToScreen("events.txt %d: no (speaker,voice,image) group\n", static_cast<int>(i) + 1);
      continue;
    }
    event.line = static_cast<int32_t>(i);
    stage.events.push_back(event);
  }
  stage.eventIndex = stage.events.empty() ? -1 : 0;
}

namespace {

// Loads the radio voices of the events from the given number on.
void loadRadioVoices(const battleStage& stage, size_t from) {
  const int volume = static_cast<int>(Shell().radioVolume() * 2.55);
  for (size_t n = from; n < stage.events.size(); ++n) {
    if (stage.events[n].kind != kEventRadio) continue;
    RadioLine radio;
    parseRadioLine(stage.eventLines[static_cast<size_t>(stage.events[n].line)], radio);
    const int voice = veziv::LoadSoundFileToHandle(("voice/story/" + radio.voice).c_str(), 3, 0);
    veziv::SetSoundHandleVolume(volume, voice);
    World().radioVoices[static_cast<int>(n)] = voice;
    Hooks().reloadImage(radio.imageId);
  }
}

}  // namespace

void loadStageEvents(battleStage& stage) {
  const std::vector<std::string> lines = readStageLines(std::string(stage.folder) + "/events.txt");
  releaseRadioVoices();
  readStageEvents(stage, lines);
  loadRadioVoices(stage, 0);
  if (stage.events.empty()) stage.eventIndex = -1;
}

void reloadRadioVoicesAfterSoundRestart(const battleStage& stage) {
  World().radioVoices.clear();
  if (stage.eventIndex >= 0) loadRadioVoices(stage, static_cast<size_t>(stage.eventIndex));
}

void releaseRadioVoices() {
  for (const auto& [event, voice] : World().radioVoices) veziv::DeleteSoundHandle(voice, 0);
  World().radioVoices.clear();
}

int radioVoiceOf(int eventNumber) {
  const auto it = World().radioVoices.find(eventNumber);
  return it == World().radioVoices.end() ? -1 : it->second;
}

void runStageEvent(battleStage& stage, bool fastForward, bool storyAllowed) {
  releaseEndedVoices(stage.eventIndex);
  ShellHooks& shell = Shell();
  while (stage.eventIndex >= 0 && stage.eventIndex < static_cast<int>(stage.events.size()) &&
         stage.scroll < stage.events[static_cast<size_t>(stage.eventIndex)].trigger) {
    const int number = stage.eventIndex++;
    const stageEvent& event = stage.events[static_cast<size_t>(number)];
    const std::string& line = stage.eventLines[static_cast<size_t>(event.line)];
    switch (event.kind) {
      case kEventStoryInsert: {
        if (fastForward || !storyAllowed) break;
        const bool run = Hooks().battleEventsOn() || contains(line, "FORCE");
        shell.insertStoryLines(storyInsertLines(stage.eventLines, event.line), !run);
        if (run) {
          stage.storyEventActive = 1;
          shell.startStoryInsert();
        }
        break;
      }
      case kEventRadio:
        if (!fastForward && Hooks().battleEventsOn()) playRadio(stage, number);
        break;
      case kEventSwitchBgm:
        shell.playMusic(switchedMusic(line));
        break;
    }
  }
}

}  // namespace game::battle
