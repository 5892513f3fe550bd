// The resource registry and the mode sets.
#include "game/core/resources.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "game/core/frame_loop.h"
#include "game/core/music_voices.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/widgets.h"

namespace game {

namespace {

struct IdPath {
  int id;
  const char* path;
};
constexpr IdPath kImageRows[] = {
#define VEZIV_IMAGE(id, path) {id, path},
#include "game/core/registry_table.inc"
};
constexpr IdPath kSoundRows[] = {
#define VEZIV_SOUND(id, path) {id, path},
#include "game/core/registry_table.inc"
};

struct SheetRow {
  const char* path;
  int count, across, down, width, height;
};
constexpr SheetRow kSheets[] = {
#define VEZIV_SHEET(name, path, pieces, across, down, width, height) {path, pieces, across, down, width, height},
#include "game/core/registry_table.inc"
};
static_assert(std::size(kSheets) == kSheetCount);
constexpr bool piecesFit() {
  for (const SheetRow& s : kSheets) {
    if (s.count > kMaxSheetPieces) return false;
  }
  return true;
}
static_assert(piecesFit());

// The mode sets: images (an id may stand twice, the second finds it loaded)
// and sounds.
constexpr int kTitleImages[] = {4, 65, 66, 67, 68, 69, 56, 65, 66, 67, 68, 69, 38, 39};
constexpr int kTitleSounds[] = {kSoundTitleMusic};
constexpr int kBattleImages[] = {2,   14,  16,  29,  31,  40,  44,  45,  49,  50,  192, 51,  53,  54,  55,  57,
                                 58,  60,  61,  194, 306, 70,  73,  74,  75,  76,  77,  78,  79,  84,  107, 108,
                                 109, 190, 191, 230, 231, 232, 233, 234, 235, 280, 261, 262, 263, 266, 264, 265,
                                 267, 268, 42,  59,  43,  41,  115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                                 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140,
                                 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 215, 216, 217, 367, 368, 312};
constexpr int kBattleSounds[] = {2,  3,  6,  9,  10, 11, 12, 13, 14, 16, 7,  8,   19,  85,  86,
                                 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 100, 102, 103, 104};
constexpr int kSettingsImages[] = {0, 34, 0, 37, 38, 39, 72, 8};
constexpr int kShopImages[] = {27, 110, 111, 112, 113};
constexpr int kShopSounds[] = {15, 81, 82, 83, 84};
constexpr int kEquipmentImages[] = {7, 369, 370, 371, 372, 373};
constexpr int kEquipmentSounds[] = {17};
constexpr int kStoryImages[] = {35, 36, 81, 82, 83, 86, 87, 260, 221};
constexpr int kBattleSetupImages[] = {9, 11, 12, 80, 240, 241, 242, 243, 244, 245};
constexpr int kSaveLoadImages[] = {15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 85};
// The faces the story frees when it ends.
constexpr int kFaceImages[] = {261, 307, 308, 309, 310, 311, 312, 262, 313, 314, 315, 316, 317, 318, 319, 263, 320,
                               321, 322, 323, 324, 264, 325, 326, 327, 328, 329, 330, 331, 265, 332, 333, 334, 335,
                               336, 337, 266, 338, 339, 340, 341, 342, 343, 267, 346, 347, 348, 349, 350, 351, 268,
                               352, 353, 354, 269, 355, 356, 357, 358, 270, 359, 360, 361, 271, 362, 363, 364};

struct ModeSet {
  std::span<const int> images;
  std::span<const int> sounds;
  bool cacheSizes;
  bool catalogue;
};

// The set of a mode; false for a mode without one.
bool modeSet(int mode, ModeSet& set) {
  switch (mode) {
    case 0: set = {kTitleImages, kTitleSounds, true, false}; return true;
    case 1:
    case 2: set = {kBattleImages, kBattleSounds, true, false}; return true;
    case 3: set = {kSettingsImages, {}, true, false}; return true;
    case 5: set = {kShopImages, kShopSounds, false, true}; return true;
    case 8: set = {kEquipmentImages, kEquipmentSounds, false, true}; return true;
    case 15: set = {kStoryImages, {}, false, false}; return true;
    case 16: set = {kBattleSetupImages, {}, false, false}; return true;
    case 18: set = {kSaveLoadImages, {}, false, false}; return true;
    default: return false;
  }
}

constexpr int kShellSounds[] = {0, 1, 5, 20, 18};

bool inImages(int id) { return id >= 0 && id < kImageIdCount; }
bool inSounds(int id) { return id >= 0 && id < kSoundIdCount; }
bool loaded(int handle) { return handle != 0 && handle != -1; }

// An id outside a table is a fault of the data that named it: no path,
// told once per table.
const std::string& lookup(std::map<int32_t, std::string>& paths, int id, bool valid, bool& told, const char* what) {
  if (!valid) {
    if (!told) veziv::PrintfToScreen("unknown %s id %d\n", what, id);
    told = true;
    return Session().registry.noPath;
  }
  return paths[id];
}

void freeSound(int id) {
  resourceRegistryRecord& r = Session().registry;
  if (loaded(r.sounds[id])) veziv::DeleteSoundHandle(r.sounds[id], 0);
  r.sounds[id] = 0;
}

}  // namespace

resourceRegistryRecord::resourceRegistryRecord() {
  for (int32_t& v : perSoundVolume) v = 100;
  perSoundVolume[1] = 50;
  perSoundVolume[5] = 70;
  perSoundVolume[20] = 10;
  perSoundVolume[21] = 50;
}

const std::string& imagePath(int id) {
  resourceRegistryRecord& r = Session().registry;
  return lookup(r.imagePaths, id, inImages(id), r.imageIdTold, "image");
}
const std::string& soundPath(int id) {
  resourceRegistryRecord& r = Session().registry;
  return lookup(r.soundPaths, id, inSounds(id), r.soundIdTold, "sound");
}

veziv::GraphHandle sheetPiece(int sheet, int piece) {
  if (sheet < 0 || sheet >= kSheetCount || piece < 0 || piece >= kSheets[sheet].count) return -1;
  return Session().registry.sheets[sheet][piece];
}
int sheetPieceWidth(int sheet) { return sheet >= 0 && sheet < kSheetCount ? kSheets[sheet].width : 0; }
int sheetPieceHeight(int sheet) { return sheet >= 0 && sheet < kSheetCount ? kSheets[sheet].height : 0; }

veziv::GraphHandle graphOf(int id) { return inImages(id) ? Session().registry.graphs[id] : -1; }
int soundOf(int id) { return inSounds(id) ? Session().registry.sounds[id] : -1; }
bool isGraphLoaded(int id) { return loaded(graphOf(id)); }

void loadGraphById(int id) {
  if (!inImages(id)) {
    imagePath(id);
    return;
  }
  if (isGraphLoaded(id)) return;
  Session().registry.graphs[id] = veziv::ImportGraphFile(imagePath(id).c_str(), 0);
}

void cacheGraphSize(int id) {
  if (!isGraphLoaded(id)) return;
  veziv::QueryGraphDimensions(Session().registry.graphs[id], &Session().registry.widths[id],
                              &Session().registry.heights[id]);
}

void freeGraphById(int id) {
  if (!isGraphLoaded(id)) return;
  veziv::FreeGraphHandle(Session().registry.graphs[id], 0);
  Session().registry.graphs[id] = 0;
}

void forgetGraphHandles() {
  resourceRegistryRecord& r = Session().registry;
  std::fill(std::begin(r.graphs), std::end(r.graphs), 0);
}

int soundVolumeFor(int id, int32_t perSound) {
  int32_t setting;
  bool silentAtZero = false;
  if (id <= 19) {
    setting = Session().settings.seVolume;
    silentAtZero = true;
  } else if (id <= 24) {
    setting = Session().settings.bgmVolume;
    silentAtZero = true;
  } else if (id <= 84) {
    setting = Session().settings.voiceVolume;
  } else {
    setting = Session().settings.radioVolume;
  }
  if (silentAtZero && setting == 0) return 0;
  const double scaled = setting * 2.55;
  return static_cast<int>(std::trunc(perSound * scaled / 100.0));
}

int musicVolumeFor(int32_t bgm) { return bgm + 145; }

void applySoundVolume(int id) {
  if (!inSounds(id) || Session().registry.sounds[id] == 0) return;
  veziv::SetSoundHandleVolume(soundVolumeFor(id, Session().registry.perSoundVolume[id]), Session().registry.sounds[id]);
}

void applyAllVolumes() {
  Session().storyMode().applyVoiceVolume();
  for (int id = 0; id < kSoundIdCount; ++id) applySoundVolume(id);
  if (Session().settings.bgmVolume != 0) {
    veziv::SetMusicVolume(musicVolumeFor(Session().settings.bgmVolume));
    if (Session().settings.midiMode == 0) replayMidiWithNotice();
  } else {
    if (Session().settings.midiMode == 0) veziv::StopCurrentMusic();
    veziv::SetMusicVolume(0);
  }
}

void ensureSoundLoaded(int id) {
  if (!inSounds(id)) {
    soundPath(id);
    return;
  }
  if (!loaded(Session().registry.sounds[id])) {
    Session().registry.sounds[id] = veziv::LoadSoundFileToHandle(soundPath(id).c_str(), 3, -1);
  }
  applySoundVolume(id);
}

void playMenuSound(int id) {
  ensureSoundLoaded(id);
  veziv::PlaySoundHandle(soundOf(id), veziv::SoundPlayBack, 1);
}

void registerResources() {
  Session().registry.imagePaths.clear();
  Session().registry.soundPaths.clear();
  for (const IdPath& row : kImageRows) Session().registry.imagePaths.emplace(row.id, row.path);
  for (const IdPath& row : kSoundRows) Session().registry.soundPaths.emplace(row.id, row.path);
  Session().registry.voiceList = {0, 1, 5, 2, 3, 4, 6};
  if (Session().settings.storyCleared != 0) {
    Session().registry.voiceList.push_back(7);
    Session().registry.voiceList.push_back(8);
  }
  Session().registry.voiceList.push_back(9);
  Session().registry.voiceList.push_back(10);
  loadGraphById(kImageCaution);
  loadGraphById(kImageBar);
  loadGraphById(kImageYesNo);
}

void reloadSoundById() {
  for (int id : kShellSounds) {
    freeSound(id);
    Session().registry.sounds[id] = veziv::LoadSoundFileToHandle(soundPath(id).c_str(), 3, -1);
    applySoundVolume(id);
  }
  veziv::SetSoundHandleLoopPointMs(1000, Session().registry.sounds[kSoundJet]);
}

void stopAllSounds() {
  for (int id = 0; id < kSoundIdCount; ++id) {
    const int h = Session().registry.sounds[id];
    if (loaded(h) && veziv::IsSoundHandlePlaying(h) == 1) veziv::StopSoundHandle(h);
  }
}

void loadModeResources(int mode, bool banner) {
  if (banner) {
    showNowLoading("Now Loading...");
    veziv::PresentBackBuffer();
  }
  if (mode == 7) return;
  ModeSet set;
  if (!modeSet(mode, set)) {
    veziv::PrintfToScreen("InvalidLoad %d\n", mode);
    return;
  }
  if (set.catalogue) loadCatalogueImages();
  for (int id : set.images) loadGraphById(id);
  if (set.cacheSizes) {
    for (int id : set.images) cacheGraphSize(id);
  }
  for (int id : set.sounds) ensureSoundLoaded(id);
}

void unloadModeResources(int mode) {
  ModeSet set;
  if (!modeSet(mode, set)) {
    veziv::PrintfToScreen("InvalidDelete %d\n", mode);
    return;
  }
  if (set.catalogue) unloadCatalogueImages();
  for (int id : set.images) freeGraphById(id);
  for (int id : set.sounds) freeSound(id);
}

void unloadAllGraphs() {
  for (int id : kFaceImages) freeGraphById(id);
}

void loadBattleImages(void (*progress)(int percent, int row)) {
  constexpr int kSheetProgress[] = {2, 6, 10, 15, 17, 19, 20, 30, 40, 50, 60, 70};
  for (int k = 0; k < kSheetCount; ++k) {
    const SheetRow& s = kSheets[k];
    veziv::ImportGraphFileAsPieces(s.path, s.count, s.across, s.down, s.width, s.height, Session().registry.sheets[k],
                                   0);
    progress(kSheetProgress[k], 1);
  }
  loadModeResources(kModeTitle, false);
  constexpr int kOverlayImages[] = {32, 33, 218, 219, 220};
  for (int id : kOverlayImages) freeGraphById(id);
  for (int id : kOverlayImages) loadGraphById(id);
  reloadSoundById();
  progress(0, 2);
  progress(50, 2);
  Session().registry.gameFont = veziv::CreateFontHandle(nullptr, 14, 4, veziv::FontTypeNormal, -1, -1, 0, -1, -1);
  Session().registry.storyTextFont =
      veziv::CreateFontHandle("ＭＳ 明朝", 24, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  Session().registry.storyNameFont =
      veziv::CreateFontHandle("ＭＳ 明朝", 20, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  Session().registry.eventFont =
      veziv::CreateFontHandle("ＭＳ 明朝", 18, 6, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  Session().registry.boxFont =
      veziv::CreateFontHandle("ＭＳ 明朝", 22, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  progress(90, 2);
}

}  // namespace game
