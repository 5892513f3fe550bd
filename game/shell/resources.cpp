// The resource registry's first form.
#include "game/shell/resources.h"

#include <cmath>

#include "game/shell/call_sites.h"
#include "game/shell/settings.h"
#include "game/shell/startup.h"

namespace game {

resourceRegistryRecord resourceRegistry;
std::list<int32_t> voiceList;
int32_t perSoundVolume[kSoundIdCount];
veziv::FontHandle gameFont = -1;
veziv::FontHandle storyTextFont = -1;
veziv::FontHandle storyNameFont = -1;
veziv::FontHandle eventFont = -1;
veziv::FontHandle boxFont = -1;

namespace {

struct IdPath {
  int id;
  const char* path;
};
constexpr IdPath kImageRows[] = {
#define VEZIV_IMAGE(id, path) {id, path},
#include "game/shell/registry_table.inc"
};
constexpr IdPath kSoundRows[] = {
#define VEZIV_SOUND(id, path) {id, path},
#include "game/shell/registry_table.inc"
};

// The title's set: images (an id may stand twice) and sounds.
constexpr int kTitleImages[] = {4, 65, 66, 67, 68, 69, 56, 65, 66, 67, 68, 69, 38, 39};
constexpr int kTitleSounds[] = {kSoundTitleMusic};
constexpr int kShellSounds[] = {0, 1, 5, 20, 18};

const std::string kNoPath;

bool inImages(int id) { return id >= 0 && id < kImageIdCount; }
bool inSounds(int id) { return id >= 0 && id < kSoundIdCount; }
bool loaded(int handle) { return handle != 0 && handle != -1; }

void setStartVolumes() {
  for (int32_t& v : perSoundVolume) v = 100;
  perSoundVolume[1] = 50;
  perSoundVolume[5] = 70;
  perSoundVolume[20] = 10;
  perSoundVolume[21] = 50;
}

[[maybe_unused]] const bool kVolumesSet = (setStartVolumes(), true);

const std::string& lookup(std::map<int32_t, std::string>& paths, int id, bool valid) {
  if (!valid) return kNoPath;
  return paths[id];
}

}  // namespace

const std::string& imagePath(int id) { return lookup(resourceRegistry.imagePaths, id, inImages(id)); }
const std::string& soundPath(int id) { return lookup(resourceRegistry.soundPaths, id, inSounds(id)); }

veziv::GraphHandle graphOf(int id) { return inImages(id) ? resourceRegistry.graphs[id] : -1; }
int soundOf(int id) { return inSounds(id) ? resourceRegistry.sounds[id] : -1; }
bool isGraphLoaded(int id) { return loaded(graphOf(id)); }

void loadGraphById(int id) {
  if (!inImages(id) || isGraphLoaded(id)) return;
  resourceRegistry.graphs[id] = veziv::ImportGraphFile(imagePath(id).c_str(), 0);
}

void freeGraphById(int id) {
  if (!isGraphLoaded(id)) return;
  veziv::FreeGraphHandle(resourceRegistry.graphs[id], 0);
  resourceRegistry.graphs[id] = 0;
}

int soundVolumeFor(int id, int32_t perSound) {
  int32_t setting;
  bool silentAtZero = false;
  if (id <= 19) {
    setting = settingsRecord.seVolume;
    silentAtZero = true;
  } else if (id <= 24) {
    setting = settingsRecord.bgmVolume;
    silentAtZero = true;
  } else if (id <= 84) {
    setting = settingsRecord.voiceVolume;
  } else {
    setting = settingsRecord.radioVolume;
  }
  if (silentAtZero && setting == 0) return 0;
  const double scaled = setting * 2.55;
  return static_cast<int>(std::trunc(perSound * scaled / 100.0));
}

void applySoundVolume(int id) {
  if (!inSounds(id) || resourceRegistry.sounds[id] == 0) return;
  veziv::SetSoundHandleVolume(soundVolumeFor(id, perSoundVolume[id]), resourceRegistry.sounds[id]);
}

void applyAllVolumes() {
  applyStoryVoiceVolume();
  for (int id = 0; id < kSoundIdCount; ++id) applySoundVolume(id);
  if (settingsRecord.bgmVolume != 0) {
    veziv::SetMusicVolume(settingsRecord.bgmVolume + 145);
    if (settingsRecord.midiMode == 0) replayMidiWithNotice();
  } else {
    if (settingsRecord.midiMode == 0) veziv::StopCurrentMusic();
    veziv::SetMusicVolume(0);
  }
}

void ensureSoundLoaded(int id) {
  if (!inSounds(id)) return;
  if (!loaded(resourceRegistry.sounds[id])) {
    resourceRegistry.sounds[id] = veziv::LoadSoundFileToHandle(soundPath(id).c_str(), 3, -1);
  }
  applySoundVolume(id);
}

void registerResources() {
  resourceRegistry.imagePaths.clear();
  resourceRegistry.soundPaths.clear();
  for (const IdPath& row : kImageRows) resourceRegistry.imagePaths.emplace(row.id, row.path);
  for (const IdPath& row : kSoundRows) resourceRegistry.soundPaths.emplace(row.id, row.path);
  voiceList = {0, 1, 5, 2, 3, 4, 6};
  if (settingsRecord.storyCleared != 0) {
    voiceList.push_back(7);
    voiceList.push_back(8);
  }
  voiceList.push_back(9);
  voiceList.push_back(10);
  loadGraphById(kImageCaution);
  loadGraphById(kImageLoadingBar);
  loadGraphById(kImageYesNo);
}

void reloadSoundById() {
  for (int id : kShellSounds) {
    if (loaded(resourceRegistry.sounds[id])) veziv::DeleteSoundHandle(resourceRegistry.sounds[id], 0);
    resourceRegistry.sounds[id] = veziv::LoadSoundFileToHandle(soundPath(id).c_str(), 3, -1);
    applySoundVolume(id);
  }
  veziv::SetSoundHandleLoopPointMs(1000, resourceRegistry.sounds[kSoundJet]);
}

void stopAllSounds() {
  for (int id = 0; id < kSoundIdCount; ++id) {
    const int h = resourceRegistry.sounds[id];
    if (loaded(h) && veziv::IsSoundHandlePlaying(h) == 1) veziv::StopSoundHandle(h);
  }
}

void loadTitleSet() {
  for (int id : kTitleImages) loadGraphById(id);
  for (int id : kTitleImages) {
    if (isGraphLoaded(id)) {
      veziv::QueryGraphDimensions(resourceRegistry.graphs[id], &resourceRegistry.widths[id],
                                  &resourceRegistry.heights[id]);
    }
  }
  for (int id : kTitleSounds) ensureSoundLoaded(id);
}

void unloadTitleSet() {
  for (int id : kTitleImages) freeGraphById(id);
  for (int id : kTitleSounds) {
    if (loaded(resourceRegistry.sounds[id])) veziv::DeleteSoundHandle(resourceRegistry.sounds[id], 0);
    resourceRegistry.sounds[id] = 0;
  }
}

void loadBattleImages() {
  // The picture sheets join with the screens that draw their pieces; their
  // progress steps stand as the loading shows them.
  constexpr int kSheetProgress[] = {2, 6, 10, 15, 17, 19, 20, 30, 40, 50, 60, 70};
  for (int percent : kSheetProgress) showCaution(percent, 1);
  loadTitleSet();
  constexpr int kOverlayImages[] = {32, 33, 218, 219, 220};
  for (int id : kOverlayImages) freeGraphById(id);
  for (int id : kOverlayImages) loadGraphById(id);
  reloadSoundById();
  showCaution(0, 2);
  showCaution(50, 2);
  gameFont = veziv::CreateFontHandle(nullptr, 14, 4, veziv::FontTypeNormal, -1, -1, 0, -1, -1);
  storyTextFont = veziv::CreateFontHandle("ＭＳ 明朝", 24, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  storyNameFont = veziv::CreateFontHandle("ＭＳ 明朝", 20, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  eventFont = veziv::CreateFontHandle("ＭＳ 明朝", 18, 6, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  boxFont = veziv::CreateFontHandle("ＭＳ 明朝", 22, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  showCaution(90, 2);
}

void resetResources() {
  resourceRegistry = resourceRegistryRecord{};
  voiceList.clear();
  setStartVolumes();
  gameFont = storyTextFont = storyNameFont = eventFont = boxFont = -1;
}

}  // namespace game
