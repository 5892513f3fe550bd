// Feeds the stage folder's text readers: the bytes are a stage file, cut into
// lines by the file layer's line reader as the stage loader reads it, the
// first byte choosing the chip, setting or events reader. What they accept
// is then made safe, drawn from and run, so that no cell, index or line
// position read from a file reaches outside its table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "game/battle/battle_world.h"
#include "game/battle/stage.h"
#include "game/battle/stage_events.h"

namespace {

using namespace game::battle;

// The bytes as a stage text file, cut into lines by the file layer's own
// line reader, as the stage loader reads it.
std::vector<std::string> linesOf(const uint8_t* data, size_t size) {
  const std::string path = veziv::fuzzing::WriteScratchFile("stage/file.txt", data, size);
  const std::vector<std::string> lines = readStageLines(path);
  for (const std::string& line : lines) {
    if (line.size() >= static_cast<size_t>(kStageLineBytes)) std::abort();
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::vector<std::string> lines = linesOf(data + 1, size - 1);
  battleStage& stage = createStage();
  switch (data[0] % 3) {
    case 0: {
      std::vector<int32_t> layer1, layer2;
      for (size_t i = 0; i < lines.size(); ++i) appendChipLine(lines[i], i % 2 ? layer2 : layer1);
      mendStageCells(layer1, layer2);
      for (int32_t c : layer1) if (c < 0 || c >= kChipCount) std::abort();
      for (int32_t c : layer2) if (c < -1 || c >= kChipCount) std::abort();
      stage.layer1Cells = layer1;
      stage.layer2Cells = layer2;
      stage.scroll = restoredScroll(stage, static_cast<double>(layer1.size()) * 3);
      drawStageLayers();
      break;
    }
    case 1:
      for (const std::string& line : lines) readSettingLine(line, stage);
      drawSidePanel();
      break;
    default:
      readStageEvents(stage, lines);
      for (const stageEvent& e : stage.events) {
        if (e.line < 0 || static_cast<size_t>(e.line) >= lines.size()) std::abort();
        storyInsertLines(stage.eventLines, e.line);
      }
      stage.scroll = -1e9;
      runStageEvent(stage, (size & 1) != 0);
      break;
  }
  destroyStage();
  return 0;
}
