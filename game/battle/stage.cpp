#include "game/battle/stage.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/battle/battle_frame.h"
#include "game/battle/effect_layers.h"
#include "game/battle/effects.h"
#include "game/battle/object_files.h"
#include "game/battle/stage_events.h"
#include "library/veziv.h"

namespace game::battle {

namespace {

std::string folderFile(const char* folder, const char* separator, const char* name) {
  return std::string(folder) + separator + name;
}

}  // namespace

battleStage::battleStage() : layer1Cells(kStageCreatedRows * kStageColumns, 0),
                             layer2Cells(kStageCreatedRows * kStageColumns, 0) {
  std::fill(std::begin(layer1Chips), std::end(layer1Chips), -1);
  std::fill(std::begin(layer2Chips), std::end(layer2Chips), -1);
}

// The stage's pictures go with it, so that any number of battles can be
// loaded one after another without filling the library's graph table.
battleStage::~battleStage() { freeStagePictures(*this); }

int32_t atoiPiece(std::string_view piece) {
  size_t i = 0;
  while (i < piece.size() && (piece[i] == ' ' || (piece[i] >= '\t' && piece[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
  int64_t value = 0;
  for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (piece[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void appendChipLine(std::string_view line, std::vector<int32_t>& cells) {
  if (line.empty()) return;
  std::string_view rest = line.substr(1);
  for (;;) {
    const size_t comma = rest.find(',');
    cells.push_back(atoiPiece(rest.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
}

void readSettingLine(std::string_view line, battleStage& stage) {
  struct Key {
    const char* key;
    std::string battleStage::*value;
  };
  static const Key kKeys[] = {{"bgm:", &battleStage::bgmFile},       {"layer1:", &battleStage::layer1File},
                              {"layer2:", &battleStage::layer2File}, {"mess:", &battleStage::caption},
                              {"BG:", &battleStage::bgFile}};
  for (const Key& k : kKeys) {
    const size_t at = line.find(k.key);
    if (at == std::string_view::npos) continue;
    stage.*k.value = std::string(line.substr(at + std::strlen(k.key)));
    return;
  }
}

int mendStageCells(std::vector<int32_t>& layer1, std::vector<int32_t>& layer2) {
  int mended = 0;
  for (int32_t& cell : layer1) {
    if (cell < 0 || cell >= kChipCount) cell = 0, ++mended;
  }
  if (layer2.size() != layer1.size()) {
    mended += static_cast<int>(layer2.size() > layer1.size() ? layer2.size() - layer1.size()
                                                             : layer1.size() - layer2.size());
    layer2.resize(layer1.size(), -1);
  }
  for (int32_t& cell : layer2) {
    if (cell < -1 || cell >= kChipCount) cell = -1, ++mended;
  }
  return mended;
}

double startScroll(size_t layer1Cells) {
  return (static_cast<int>(layer1Cells / kStageColumns) - kStageShownRows) * kChipPixels;
}

double restoredScroll(const battleStage& stage, double scroll) {
  const double top = startScroll(stage.layer1Cells.size());
  if (!std::isfinite(scroll)) return top;
  return std::min(scroll, top);
}

StageWindow stageWindow(double scroll) {
  const int s = static_cast<int>(scroll);
  return {s / kChipPixels, s % kChipPixels};
}

void freeStagePictures(battleStage& stage) {
  auto release = [](int& graph) {
    if (graph != -1) veziv::FreeGraphHandle(graph, 0);
    graph = -1;
  };
  release(stage.bgGraph);
  for (int& graph : stage.layer1Chips) release(graph);
  for (int& graph : stage.layer2Chips) release(graph);
}

battleStage* currentStage() { return World().stage.get(); }

battleStage& createStage() {
  destroyStage();
  World().stage = std::make_unique<battleStage>();
  return *World().stage;
}

void destroyStage() {
  if (World().stage == nullptr) return;
  clearBattleObjects();
  releaseRadioVoices();
  World().stage.reset();
}

std::vector<std::string> readStageLines(const std::string& path, size_t maxLines) {
  std::vector<std::string> lines;
  const veziv::FileHandle file = veziv::OpenFileForRead(path.c_str(), 0);
  if (file == 0) return lines;
  char buffer[kStageLineBytes];
  while (lines.size() < maxLines && veziv::ReadFileLine(buffer, sizeof buffer, file) >= 0) lines.emplace_back(buffer);
  veziv::FileStreamClose(file);
  return lines;
}

namespace {

std::vector<uint8_t> readBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  const veziv::FileHandle file = veziv::OpenFileForRead(path.c_str(), 0);
  if (file == 0) return bytes;
  uint8_t chunk[4096];
  for (;;) {
    const size_t got = std::min(veziv::FileStreamRead(chunk, 1, sizeof chunk, file), sizeof chunk);
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  veziv::FileStreamClose(file);
  return bytes;
}

void reloadObjectGraph(const enemy& object) {
  BattleHooks& hooks = Hooks();
  hooks.reloadImage(object.imageId);
  if (object.imageId == kImageTank) hooks.ensureImageLoaded(kImageTankWreck);
  if (object.getTypeId() == kDualImageEnemyTypeId) {
    hooks.ensureImageLoaded(static_cast<const enemy_dualImage&>(object).secondImage());
  }
}

void loadStagePictures(battleStage& stage) {
  // A reload (after a screen change) replaces the pictures it had.
  freeStagePictures(stage);
  stage.bgGraph = veziv::ImportGraphFile(stage.bgFile.c_str(), 1);
  veziv::ImportGraphFileAsPieces(stage.layer1File.c_str(), kChipCount, 8, 16, kChipPixels, kChipPixels,
                                 stage.layer1Chips, 1);
  veziv::ImportGraphFileAsPieces(stage.layer2File.c_str(), kChipCount, 8, 16, kChipPixels, kChipPixels,
                                 stage.layer2Chips, 1);
}

}  // namespace

void loadStage(const char* folder) {
  battleStage& stage = *currentStage();
  std::snprintf(stage.folder, sizeof stage.folder, "%s", folder);
  drawLoadingBar(16);
  const std::vector<std::string> chip1 = readStageLines(folderFile(folder, "/", "chip.txt"));
  drawLoadingBar(19);
  const std::vector<std::string> chip2 = readStageLines(folderFile(folder, "/", "chip2.txt"));
  drawLoadingBar(24);
  stage.layer1Cells.clear();
  stage.layer2Cells.clear();
  for (const std::string& line : chip1) appendChipLine(line, stage.layer1Cells);
  for (const std::string& line : chip2) appendChipLine(line, stage.layer2Cells);
  for (size_t n = kStageColumns; n <= stage.layer1Cells.size(); n += kStageColumns) veziv::PrintfToScreen("\n");
  if (const int mended = mendStageCells(stage.layer1Cells, stage.layer2Cells); mended > 0) {
    veziv::PrintfToScreen("%s: %d chip cells out of range or unmatched\n", folder, mended);
  }
  drawLoadingBar(28);
  stage.scroll = startScroll(stage.layer1Cells.size());

  stage.pendingObjects.clear();
  const std::vector<uint8_t> bytes = readBytes(folderFile(folder, "/", "enemy.dat"));
  EnemyList objects;
  if (!bytes.empty()) {
    if (const char* fault = readEnemyFile(bytes.data(), bytes.size(), objects)) {
      veziv::PrintfToScreen("%s/enemy.dat: %s\n", folder, fault);
    }
  }
  for (auto& object : objects) stage.pendingObjects.push_back(std::move(object));
  drawLoadingBar(30);
  reloadObjectGraphs(stage);
  loadStageEvents(stage);
  stage.eventIndex = 0;
  drawLoadingBar(35);
  for (const std::string& line : readStageLines(folderFile(folder, "//", "setting.txt"))) readSettingLine(line, stage);
  loadStagePictures(stage);
  drawLoadingBar(39);
  stage.totalObjects = static_cast<int32_t>(stage.pendingObjects.size());
}

void reloadObjectGraphs(battleStage& stage) {
  for (const auto& object : World().enemies) reloadObjectGraph(*object);
  for (const auto& object : stage.pendingObjects) reloadObjectGraph(*object);
}

void reloadStageGraphics() {
  battleStage* stage = currentStage();
  if (stage == nullptr) return;
  loadStagePictures(*stage);
  reloadObjectGraphs(*stage);
  loadStageEvents(*stage);
}

bool isNextSpawnDue() {
  battleStage* stage = currentStage();
  if (stage == nullptr || stage->spawnedCount >= stage->totalObjects || stage->pendingObjects.empty()) return false;
  enemy& front = *stage->pendingObjects.front();
  const double d = front.y - static_cast<int>(stage->scroll);
  if (!(d > -100.0)) return false;
  front.y = d;
  return true;
}

void spawnNextStageObject() {
  battleStage* stage = currentStage();
  if (stage == nullptr || stage->pendingObjects.empty()) return;
  std::unique_ptr<enemy> object = std::move(stage->pendingObjects.front());
  stage->pendingObjects.pop_front();
  addAnime(std::make_unique<imageShower>(1, kImageSpawnMarker, static_cast<int>(object->x),
                                         Hooks().imageHeight(kImageSpawnMarker) / 2, kModeTimed, 200, 1.0));
  World().enemies.push_back(std::move(object));
  ++stage->spawnedCount;
}

void dropSpawnedStageObjects() {
  battleStage* stage = currentStage();
  if (stage == nullptr) return;
  for (int i = 0; i < stage->spawnedCount && !stage->pendingObjects.empty(); ++i) stage->pendingObjects.pop_front();
}

void drawStageLayers() {
  battleStage* stage = currentStage();
  if (stage == nullptr) return;
  const int dx = static_cast<int>(5.0 * std::sin(World().screenShake * M_PI / 180.0));
  const int rows = stage->rows();
  if (stage->scroll > 0) {
    const StageWindow window = stageWindow(stage->scroll);
    for (int r = window.firstRow; r < window.firstRow + kStageShownRows && r < rows; ++r) {
      for (int c = 0; c < kStageColumns; ++c) {
        const size_t cell = static_cast<size_t>(r) * kStageColumns + c;
        const int x = c * kChipPixels + dx, y = (r - window.firstRow) * kChipPixels - window.offset;
        veziv::RenderGraphAtPoint(x, y, stage->layer1Chips[stage->layer1Cells[cell]], 1);
        if (stage->layer2Cells[cell] != -1) veziv::RenderGraphAtPoint(x, y, stage->layer2Chips[stage->layer2Cells[cell]], 1);
      }
    }
  }
  if (stage->scroll > 64) return;
  const bool fading = stage->scroll != 0;
  if (fading) {
    const double alpha = (1.0 - stage->scroll / 64.0) * 255.0;
    veziv::ChooseBlendMode(1, static_cast<int>(std::min(alpha, 255.0)));
  }
  const int shift = static_cast<int>(stage->scroll) % 256;
  for (int x = 0; x <= 768; x += 256) {
    for (int y = -256; y <= 768; y += 256) veziv::RenderGraphAtPoint(x + dx, y - shift, stage->bgGraph, 0);
  }
  if (fading) veziv::ChooseBlendMode(0, 0);
}

void drawSidePanel() {
  battleStage* stage = currentStage();
  BattleHooks& hooks = Hooks();
  for (int y = 32; y <= 544; y += 32) {
    for (int k = 0; k < 3; ++k) veziv::RenderGraphAtPoint(704 + 32 * k, y, hooks.sheetGraph(kSheetInfoFrame, 3 + k), 0);
  }
  for (int k = 0; k < 3; ++k) {
    veziv::RenderGraphAtPoint(704 + 32 * k, 0, hooks.sheetGraph(kSheetInfoFrame, k), 0);
    veziv::RenderGraphAtPoint(704 + 32 * k, 568, hooks.sheetGraph(kSheetInfoFrame, 6 + k), 0);
  }
  veziv::RenderGraphAtPoint(720, 50, hooks.graphOf(kImageNoSignal), 1);
  if (stage == nullptr || stage->captionTimeMs <= 0) return;
  stage->captionTimeMs -= World().frameMs;
  const int width = veziv::MeasureTextDefaultFont(stage->caption.c_str(), static_cast<int>(stage->caption.size()), 0);
  veziv::DrawTextDefaultFont(400 - width / 2, 200, stage->caption.c_str(), veziv::PackColorForScreen(255, 255, 255), 0);
}

}  // namespace game::battle
