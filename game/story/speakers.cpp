// The speaker table, the page voices and the story pictures.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {

struct SpeakerRow {
  const char* name;
  int red, green, blue, plate, impression;
};
constexpr SpeakerRow kSpeakers[] = {
#define VEZIV_SPEAKER(name, character, red, green, blue, plate, impression) \
  {name, red, green, blue, plate, impression},
#include "game/story/speaker_table.inc"
};
static_assert(std::size(kSpeakers) == kSpeakerCount);

// Character ids in voice paths, searched in this order; the first found decides.
struct VoiceSwitch {
  const char* id;
  int index;
};
constexpr VoiceSwitch kVoiceSwitches[] = {
    {"velk", 0}, {"oruna", 1}, {"pesa", 2}, {"dolu", 3}, {"saffo", 4}, {"tirun", 5}, {"taisyo", 6},
    {"ryotyo", 6}, {"temu", 6}, {"zemm", 6}, {"hobe", 6}, {"kuro", 6}, {"bad", 6}, {"all", 6},
};

// Page voices are loaded again for the newest pages only; older pages load
// theirs when the log plays them.
constexpr size_t kReloadedVoices = 30;

}  // namespace

void buildSpeakerTable() {
  for (const SpeakerRow& row : kSpeakers) {
    if (State().speakerTable.count(row.name) != 0) continue;
    speakerEntry entry;
    entry.name = row.name;
    entry.colour = veziv::PackColorForScreen(row.red, row.green, row.blue);
    entry.plate = row.plate;
    entry.impression = row.impression;
    State().speakerTable.emplace(row.name, entry);
  }
}

const speakerEntry* findSpeaker(const std::string& name) {
  auto it = State().speakerTable.find(name);
  return it == State().speakerTable.end() ? nullptr : &it->second;
}

uint32_t getSpeakerColor(const std::string& name) {
  const speakerEntry* entry = findSpeaker(name);
  return entry != nullptr ? entry->colour : 0;
}

int voiceSwitchIndex(const std::string& voicePath) {
  for (const VoiceSwitch& s : kVoiceSwitches) {
    if (voicePath.find(s.id) != std::string::npos) return s.index;
  }
  return -1;
}

void stopPageVoices() {
  for (messagePage& page : State().scene.pages) {
    if (page.voiceHandle != -1) veziv::StopSoundHandle(page.voiceHandle);
  }
}

bool playPageVoice(messagePage& page) {
  const int index = voiceSwitchIndex(page.voice);
  if (index < 0 || Session().settings.voiceEnabled[index] == 0) return false;
  if (page.voiceHandle == -1) {
    page.voiceHandle = veziv::LoadSoundFileToHandle(page.voice, 3, -1);
    // The voice setting (0..100) is the library volume as it stands.
    if (page.voiceHandle != -1) veziv::SetSoundHandleVolume(Session().settings.voiceVolume, page.voiceHandle);
  }
  if (page.voiceHandle == -1) return false;
  stopPageVoices();
  veziv::PlaySoundHandle(page.voiceHandle, veziv::SoundPlayBack, 1);
  return true;
}

void reloadStoryVoices() {
  size_t place = 0;
  for (messagePage& page : State().scene.pages) {
    if (page.voiceHandle != -1 && veziv::IsSoundHandlePlaying(page.voiceHandle) != 1) {
      veziv::DeleteSoundHandle(page.voiceHandle, 0);
      page.voiceHandle = -1;
    }
    // A voice still playing keeps its handle; a page without a voice file
    // loads nothing.
    if (page.voiceHandle == -1 && place < kReloadedVoices && std::strcmp(page.voice, "NONE") != 0) {
      page.voiceHandle = veziv::LoadSoundFileToHandle(page.voice, 3, -1);
    }
    ++place;
  }
}

void applyStoryVoiceVolume() {
  for (messagePage& page : State().scene.pages) {
    if (page.voiceHandle != -1) veziv::SetSoundHandleVolume(Session().settings.voiceVolume, page.voiceHandle);
  }
}

void updateStoryGraph(storyGraph& picture, bool skip) {
  if (picture.moveFrames > 0) {
    if (skip) {
      picture.x += picture.stepX * picture.moveFrames;
      picture.y += picture.stepY * picture.moveFrames;
      picture.moveFrames = 0;
    } else {
      picture.x += picture.stepX;
      picture.y += picture.stepY;
      picture.moveFrames -= 1;
    }
  }
  // Moves add up without a bound (a script may move a picture as often and
  // as far as it likes): the drawn point is held to what an int can take.
  const int x = static_cast<int>(std::trunc(std::clamp(picture.x, -kLargestSlotReal, kLargestSlotReal)));
  const int y = static_cast<int>(std::trunc(std::clamp(picture.y, -kLargestSlotReal, kLargestSlotReal)));
  if (picture.fadeState == -1) {
    veziv::RenderGraphAtPoint(x, y, picture.graphHandle, 1);
  } else {
    // Under the screen's own fade-in the picture's alpha is scaled by it.
    veziv::ChooseBlendMode(1, picture.alpha * storyScreenAlpha() / 255);
    veziv::RenderGraphAtPoint(x, y, picture.graphHandle, 1);
    restoreStoryBlend();
  }
  switch (picture.fadeState) {
    case 2:
      picture.alpha += 4;
      if (picture.alpha >= 255 || skip) {
        picture.fadeState = -1;
        picture.alpha = 255;
      }
      break;
    case 1:
    case 3:
      picture.alpha -= 4;
      if (picture.alpha <= 0 || skip) picture.alpha = 0;
      break;
    default:
      break;
  }
}

void drawStoryGraphs(bool skip) {
  for (auto it = State().storyGraphTable.begin(); it != State().storyGraphTable.end();) {
    updateStoryGraph(it->second, skip);
    if (it->second.fadeState == 3 && it->second.alpha <= 0) {
      releaseStoryGraph(it->second);
      it = State().storyGraphTable.erase(it);
    } else {
      ++it;
    }
  }
}

void reloadStoryGraphs() {
  for (auto& entry : State().storyGraphTable) {
    entry.second.graphHandle = veziv::ImportGraphFile(entry.second.fileName.c_str(), 0);
  }
  // The faces the window shows and fades from are pictures on demand too.
  for (const int face : {State().scene.faceImage, State().scene.previousFaceImage}) {
    if (!isGraphLoaded(face)) loadGraphById(face);
  }
}

}  // namespace game::story
