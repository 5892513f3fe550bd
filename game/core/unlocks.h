// What the story has opened for the battle mode: the five stages
// ("save/openStages.dat", one byte a stage) and the weapons and item counts
// ("save/battleMode.dat", 37 bytes), each opening announced by a notice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/core/records.h"

namespace game {

inline constexpr int kStageCount = 5;
inline constexpr int kOpenStagesSize = kStageCount;
inline constexpr int kBattleModeSize = kMainWeaponCount + kSubWeaponCount + 4 * kItemCount;  // 37
inline constexpr const char* kOpenStagesFile = "save/openStages.dat";
inline constexpr const char* kBattleModeFile = "save/battleMode.dat";
// The battle mode's count of an item found in any save slot when the file is rebuilt.
inline constexpr int32_t kRebuiltItemCount = 10;

inline constexpr const char* stageNames[kStageCount] = {"チュートリアル", "ステージ1", "ステージ2", "ステージ3",
                                                        "ステージ4"};

// A flag byte as the unlock files hold it: 0 or 1.
uint8_t unlockFlag(uint8_t byte);
// The flags the bytes hold, each 0 or 1; a flag past a short file's end is 0.
void decodeOpenStages(const uint8_t* bytes, size_t size, uint8_t flags[kStageCount]);
// Reads the file into openStages; a missing file, or one that opens no stage,
// is written with only the tutorial open (the second with a notice). A file
// that is there but cannot be read gives the tutorial alone and a notice,
// and is never written over: the unlock that follows tells that it was not
// saved instead. A failed write is told too.
void loadOpenStages();
// The caller has set the newly opened stage's flag. Not silent: the stages
// open in memory but not in the file are announced; a stage open in the file
// stays open. Then the flags are written, the tutorial forced open.
void unlockStage(bool silent);

// The battle-mode holdings the bytes hold (money untouched): owned flags
// made 0 or 1, counts below 0 made 0, a field past a short file's end 0;
// main weapon 0 and sub weapon 0 owned.
void decodeBattleModeItems(const uint8_t* bytes, size_t size, holdingsData& into);
void encodeBattleModeItems(const holdingsData& from, uint8_t out[kBattleModeSize]);
// The battle-mode holdings from the headers of the present save slots: a
// weapon owned in any is owned, an item seen in any gets the count 10;
// main weapon 0 and sub weapon 0 owned. Money untouched.
void rebuildBattleModeItems(const std::vector<gameHeader>& presentSlots, holdingsData& into);
// Reads the file into holdings; a missing file is rebuilt from the save
// slots and written. A file that cannot be read is rebuilt alike but kept as
// it is, with a notice, as loadOpenStages keeps its file.
void loadBattleModeItems();
// Not silent (the holdings are the story player's possessions): what they
// own and the file does not is announced, one notice each for main weapons,
// sub weapons and items. Then the holdings, unchanged, are written.
void unlockBattleModeItems(bool silent);

// The notices (title, names, "OK") of what is wanted and not in the file;
// the name functions give an entry's name by id. Empty when nothing is new.
std::vector<std::string> stageNotice(const uint8_t inFile[kStageCount], const uint8_t wanted[kStageCount]);
std::vector<std::vector<std::string>> battleModeNotices(const holdingsData& inFile, const holdingsData& wanted,
                                                        std::string (*mainName)(int), std::string (*subName)(int),
                                                        std::string (*itemName)(int));

}  // namespace game
