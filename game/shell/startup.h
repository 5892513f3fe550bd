// The program's start-up and shutdown: the data folder check, the screen
// question, the library's start, the settings and the loading under the
// caution screen, the title music and a greeting; at the end an exit voice
// under a darkening veil and the release of everything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/core/nested_loop.h"

namespace game {

inline constexpr const char* kGameTitle = "ペルヴァロ　～ほしの渡り鳥たち～";
inline constexpr const char* kGameVersion = "1.02";
// The archives' key: 12 ASCII letters.
inline constexpr const char* kArchiveKey = "MossyLarkPie";

// The data folders' check over the current directory's entry names: each
// name cut at its first ".", "save", "stages", "story", "voice", "image" and
// "audio" wanted in this order, each match used once.
struct DataFolderCheck {
  bool saveMissing = false;
  std::string missing;  // the first missing data name; empty when all are there
};
DataFolderCheck checkDataFolderNames(const std::vector<std::string>& entries);
// The box text for a missing data name.
std::string missingDataText(const std::string& name);
// Lists the current directory, creates "save" when missing, and shows the
// "ファイルエラー" box for a missing data name.
bool checkDataFolders();

// What one progress row of the caution screen shows.
struct CautionRow {
  enum Kind { kNone, kDone, kPercent, kZero } kind = kNone;
  int barRight = 400;  // the bar's right edge (kDone: 700)
};
CautionRow cautionRow(int row, int percent, int stage);

int initGame();
bool initGameData();
void showCaution(int percent, int stage);
void reloadAfterScreenChange();
void onGraphicsRestored();

// The exit sequence after the frame loop: exit voice, veil, release, end of the library.
void exitGame();
// How many veil frames are drawn: at least one, then one more for each
// pass on which the decision sound or the chosen exit voice still plays.
// playing(): whether one of them still plays; pump(): false once the window is gone.
template <typename Playing, typename Pump, typename Draw>
int runExitVeil(Playing playing, Pump pump, Draw draw) {
  int frames = 0;
  runNestedLoop(
      [&] {
        draw();
        ++frames;
        return playing();
      },
      pump);
  return frames;
}

struct GameSession;

// The program: with the session installed, start-up, the frame loop, the
// exit sequence. 0 after a normal end, -1 when the start-up failed.
int runGame(GameSession& session);

}  // namespace game
