// The resource registry: image and sound ids mapped to their files
// (registry_table.inc), the handle tables by id, the sets of ids each game
// mode loads and frees, the picture sheets, the voice list, the per-sound
// volumes and their groups, the start-up loading with its progress rows,
// and the game's fonts.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <string>

#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game {

// The picture sheets, cut at start-up, one handle a piece; a sheet is
// named by its place in the table.
enum SheetId : int {
#define VEZIV_SHEET(name, path, pieces, across, down, width, height) name,
#include "game/core/registry_table.inc"
  kSheetCount
};
inline constexpr int kMaxSheetPieces = 33;

// The registry: the files of the ids, their handles and sizes, the sheets'
// pieces, the game's fonts, the characters whose system voices may play and
// the per-sound volumes.
struct resourceRegistryRecord {
  resourceRegistryRecord();
  std::map<int32_t, std::string> imagePaths;
  std::map<int32_t, std::string> soundPaths;
  veziv::GraphHandle graphs[kImageIdCount] = {};
  int32_t widths[kImageIdCount] = {};
  int32_t heights[kImageIdCount] = {};
  int sounds[kSoundIdCount] = {};
  veziv::GraphHandle sheets[kSheetCount][kMaxSheetPieces] = {};
  // The game's fonts, made by loadBattleImages.
  veziv::FontHandle gameFont = -1;
  veziv::FontHandle storyTextFont = -1;
  veziv::FontHandle storyNameFont = -1;
  veziv::FontHandle eventFont = -1;
  veziv::FontHandle boxFont = -1;
  // Characters whose system voices may play at random (indexes 0..10).
  std::list<int32_t> voiceList;
  // Per-sound volumes in percent of their group's setting.
  int32_t perSoundVolume[kSoundIdCount];
  // An id outside a table is told on the screen's log once per table.
  bool imageIdTold = false;
  bool soundIdTold = false;
  // What an id outside the tables reads as: no path.
  std::string noPath;
};

// A sheet's piece by the sheet's place in the table and the piece's index;
// -1 outside either.
veziv::GraphHandle sheetPiece(int sheet, int piece);
int sheetPieceWidth(int sheet);
int sheetPieceHeight(int sheet);

// A path lookup; an id without a path gives "" and is added, as loading
// such an id then fails. Ids outside the tables give "" and add nothing.
const std::string& imagePath(int id);
const std::string& soundPath(int id);
// The handle of an id, -1 for an id outside the table.
veziv::GraphHandle graphOf(int id);
int soundOf(int id);
bool isGraphLoaded(int id);
// Loads an image id when not loaded (-1 stored on failure).
void loadGraphById(int id);
// Caches a loaded image id's size in the width and height tables.
void cacheGraphSize(int id);
// Frees a loaded image id and marks it not loaded.
void freeGraphById(int id);
// A screen-mode change took every graph: every image id reads as not
// loaded, without freeing (the old numbers may name new graphs by now), so
// that a picture loaded on demand loads again when it is next wanted.
void forgetGraphHandles();
// Loads a sound id on first use, then applies its volume.
void ensureSoundLoaded(int id);
// Plays a sound id once from its start, in the background (loaded on first use).
void playMenuSound(int id);
// The library volume of one loaded sound id from its group's setting.
void applySoundVolume(int id);
// The volume a sound id gets: trunc(perSound x (setting x 2.55) / 100), 0
// for an SE or BGM setting of 0.
int soundVolumeFor(int id, int32_t perSound);
// The music's volume for a BGM setting other than 0: 1 % plays at 146.
int musicVolumeFor(int32_t bgm);
// Every sound id's volume and the music's (BGM + 145; at 0 silent, and
// stopped in MIDI mode 0).
void applyAllVolumes();

// Loads the ids of a mode's set that are not loaded, first with a "Now
// Loading..." banner when asked; a mode without a set is logged.
void loadModeResources(int mode, bool banner);
// Frees the loaded ids of a mode's set; a mode without one is logged.
void unloadModeResources(int mode);
// Frees the characters' faces.
void unloadAllGraphs();

// Fills the path maps and the voice list and loads the caution picture,
// the loading bar and the yes/no buttons.
void registerResources();
// The start-up loading: the sheets, the title's set, the overlay pictures,
// the shell sounds and the fonts; progress(percent, row) shows how far it
// came (the caution screen's rows).
void loadBattleImages(void (*progress)(int percent, int row));
// Frees and reloads the shell sounds 0, 1, 5, 20 and 18; sound 20 loops from 1000 ms.
void reloadSoundById();
// Stops every loaded sound that plays.
void stopAllSounds();

}  // namespace game
