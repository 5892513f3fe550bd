// The battle set-up screen (mode 16): a battle of the battle mode for one or
// two players. It lists the open stages with their descriptions and lets the
// players choose the stage, the difficulty, each player's partner and, through
// the equipment screen, each player's weapons and items; the launch writes the
// choices into the player headers and starts the battle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/core/input.h"
#include "game/core/records.h"
#include "game/core/screen.h"
#include "game/core/unlocks.h"

namespace game {

// The stages listed on the screen, in stage order: display name, folder and
// the description's lines, one entry of each list per open stage.
struct stageListData {
  std::vector<std::string> names;
  std::vector<std::string> folders;
  std::vector<std::vector<std::string>> descriptions;
};
inline constexpr int32_t kNoChoice = -1;
inline constexpr int kDifficultyCount = 3;
inline constexpr int kPartnerCount = 6;

// The screen's choices, kept between frames and visits.
struct setupChoices {
  int32_t setupStage = kNoChoice;       // -1 none, else an index into the stage list
  int32_t setupDifficulty = kNoChoice;  // -1 none, else 0, 1 or 2
  int32_t setupPartner[2] = {0, 1};     // per player: -1 none, else 0 to setupPartnerMax
  int32_t setupPartnerMax = 4;          // 4, or 5 once the story is cleared
};

// The rows of the button grid (menuCursor): odd rows decrease, even rows
// increase, row 11 launches.
enum SetupRow : int32_t {
  kRowStageDown = 1,
  kRowStageUp = 2,
  kRowDifficultyDown = 3,
  kRowDifficultyUp = 4,
  kRowEquipP1 = 5,
  kRowEquipP2 = 6,
  kRowPartnerP1Down = 7,
  kRowPartnerP1Up = 8,
  kRowPartnerP2Down = 9,
  kRowPartnerP2Up = 10,
  kRowLaunch = 11,
};

// The description lines the screen has room for, from y 350 down to its
// foot at 20 pixels a line.
inline constexpr size_t kDescriptionLines = 12;

// The list of the stages whose flag is set; a stage's description is the
// first kDescriptionLines lines of its folder's "description.txt" (none when
// the file is missing): a file of any size costs the screen no more.
stageListData stageListFrom(const uint8_t open[kStageCount]);

// The largest partner index the players may choose.
int32_t partnerMaxForStory();
// The choices' start values: no stage, no difficulty, partners 0 and 1.
setupChoices startChoices();

// A choice over count values moved by delta (-1 or +1): below 0 it wraps to
// the last, past the last to 0; from none, +1 gives the first and -1 the
// last. With no values it stays none.
int32_t stepChoice(int32_t value, int delta, int32_t count);
// A partner moved by delta over 0 to max, wrapping both ways.
int32_t stepPartner(int32_t value, int delta, int32_t max);
// The battle's difficulty of a choice: 10, 70 or 100; -1 for none.
int32_t difficultyValue(int32_t choice);

// The keys of one frame, each pressed this frame.
struct setupKeys {
  bool up = false, down = false, leftRight = false;
};
// The row after the keys; with one player rows 6, 9 and 10 are passed over.
int32_t rowAfterKeys(int32_t row, setupKeys keys, int32_t players);
// The button row at a point (inclusive bounds, the first row wins on a
// shared edge); 0 for none. Rows 6, 9 and 10 exist with two players only.
int32_t rowAtPoint(int x, int y, int32_t players);
// The comment shown for a row, by the partner of the row's player; "" for a
// partner of none or a row outside 1 to 11.
const char* setupComment(int32_t row, int32_t partner);
// The partner's short name and portrait image id; "" and -1 for none.
const char* partnerName(int32_t partner);
int partnerPortrait(int32_t partner);
// Whether the launch is refused: no stage, no difficulty, or an active
// player (two with two players) without a partner.
bool launchRefused(const setupChoices& choices, int32_t players);

class EquipmentScreen;

// The battle set-up screen (mode 16); it never ends the program.
class BattleSetupScreen final : public Screen {
 public:
  explicit BattleSetupScreen(EquipmentScreen& equipment);
  bool frame() override;
  // What the player-count select resets before each visit: both partners
  // none, the partner range by the story's state.
  void resetPartners();

  const stageListData& stageList() const { return stageList_; }
  setupChoices& choices() { return choices_; }

 private:
  void update();
  void draw() const;
  void drawButtons(const inputRecord& p1) const;
  void drawPartner(int player, int portraitX, int nameY) const;
  void drawDescriptionAndComment() const;
  void choose(int32_t row);
  void leaveToTitle();
  void openEquipment(int player);
  void launch();

  // The list of the open stages, built on the screen's first frame of the run.
  stageListData stageList_;
  bool listBuilt_ = false;
  setupChoices choices_;
  EquipmentScreen& equipment_;
};

}  // namespace game
