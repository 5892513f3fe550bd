// The battle stage: a stage folder's two scrolling tile layers, its
// background, side panel, caption and music, the objects waiting to enter,
// and the in-battle events read from the folder. At most one stage exists;
// currentStage() reaches it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/battle/motion.h"
#include "game/core/registry_ids.h"

namespace game::battle {

constexpr int kStageColumns = 22;
constexpr int kStageShownRows = 20;
constexpr int kChipPixels = 32;
constexpr int kChipCount = 128;
constexpr int kStageCreatedRows = 160;
constexpr int kStageLineBytes = 512;  // a stage text line: up to 511 bytes
constexpr int kCaptionMs = 3000;
// The side panel's frame sheet of the registry.
constexpr int kSheetInfoFrame = 11;

// Kinds of the in-battle events.
enum StageEventKind : int32_t { kEventStoryInsert = 0, kEventRadio = 1, kEventSwitchBgm = 2 };

struct stageEvent {
  int32_t trigger = 0;  // map y: fires once scroll < trigger
  int32_t kind = 0;
  int32_t line = 0;     // index of the event's own line in eventLines
};

struct battleStage {
  std::deque<std::unique_ptr<enemy>> pendingObjects;  // front = next to enter
  int32_t totalObjects = 99;
  int32_t captionTimeMs = kCaptionMs;
  std::string layer1File, layer2File, bgmFile, bgFile;
  std::vector<std::string> eventLines;
  std::vector<stageEvent> events;
  int32_t eventIndex = -1;
  uint8_t storyEventActive = 0;
  int bgGraph = -1;
  int layer1Chips[kChipCount];
  int layer2Chips[kChipCount];
  std::vector<int32_t> layer1Cells, layer2Cells;
  char folder[256] = {};
  std::string caption;
  int32_t spawnedCount = 0;
  double scroll = 0.0;

  battleStage();
  ~battleStage();
  battleStage(const battleStage&) = delete;
  battleStage& operator=(const battleStage&) = delete;
  int rows() const { return static_cast<int>(layer1Cells.size() / kStageColumns); }
};

// --- The stage files, read from their text (no file access) ---

// The C library's atoi on a piece: leading blanks, a sign, digits; no digits
// give 0; a value beyond i32 stops at the largest.
int32_t atoiPiece(std::string_view piece);
// One chip line: the first byte is skipped, the rest is split at every ","
// and each piece appended as a cell. An empty piece (a trailing ",") gives a
// 0 cell; an empty line gives nothing.
void appendChipLine(std::string_view line, std::vector<int32_t>& cells);
// One "setting.txt" line: the first of the keys bgm:, layer1:, layer2:,
// mess:, BG: found in the line sets its value to the rest of the line.
void readSettingLine(std::string_view line, battleStage& stage);
// Makes the layers safe to draw: a layer 1 cell outside 0..127 becomes 0, a
// layer 2 cell outside -1..127 becomes -1, and layer 2 is cut or filled with
// -1 to layer 1's length. The number of cells mended.
int mendStageCells(std::vector<int32_t>& layer1, std::vector<int32_t>& layer2);
// The scroll a stage of that many layer-1 cells starts at: the top of its
// last 20 rows (negative for a map under 20 rows).
double startScroll(size_t layer1Cells);
// A scroll that a save restores, kept inside the map (at most the start).
double restoredScroll(const battleStage& stage, double scroll);

// The lines of a stage text file (each up to 511 bytes), at most maxLines of
// them (the rest of the file is not read); none when missing.
std::vector<std::string> readStageLines(const std::string& path, size_t maxLines = SIZE_MAX);

// Frees the background and both chip sheets' pieces (a handle the library
// no longer knows is passed over) and marks them not loaded.
void freeStagePictures(battleStage& stage);

// --- The current stage ---

battleStage* currentStage();
// Destroys the current stage if any, then makes a fresh one current.
battleStage& createStage();
// Empties the battle lists and deletes the stage (no-op without one).
void destroyStage();
// Fills the current stage from a folder (as the game passes it, CP932).
void loadStage(const char* folder);
// Deletes and reloads the object images of the enemy list and the pending objects.
void reloadObjectGraphs(battleStage& stage);
// After a graphics reset: the stage's own pictures, the objects' and the events'.
void reloadStageGraphics();
// The spawn rule: true when the front object is due (its y became a screen y).
bool isNextSpawnDue();
void spawnNextStageObject();
// For the slot loader: drops the first spawnedCount pending objects.
void dropSpawnedStageObjects();
void drawStageLayers();
void drawSidePanel();

// The rows a scroll shows: first row, pixel offset within it.
struct StageWindow {
  int firstRow, offset;
};
StageWindow stageWindow(double scroll);

}  // namespace game::battle
