// The ten save slots: the table of their headers and thumbnails that the
// screens show, the slot file format (game header, JPEG thumbnail, kind, the
// story's section, the battle's section), and the write, header-read and load
// operations. A slot file is read whole and checked before anything of the
// running game changes; a file that fails any check loads as a missing one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/effect_layers.h"
#include "game/battle/motion.h"
#include "game/battle/players.h"
#include "game/battle/record_bytes.h"
#include "game/core/records.h"
#include "game/core/story_section.h"
#include "library/veziv.h"

namespace game {

inline constexpr int kSlotCount = 10;
inline constexpr int kQuickSlot = 9;  // slot 10, the story menu's quick slot
inline constexpr int kPlayerBlockSize = 222;
inline constexpr int kStageFolderSize = 256;
// A thumbnail is a 320 x 240 JPEG of quality 80: a few tens of KB. A size
// beyond this (or beyond the file) marks a damaged slot.
inline constexpr int32_t kMaxThumbnailBytes = 1 << 20;
// The largest slot file read: the thumbnail, the story and the battle
// sections with room to spare.
inline constexpr size_t kMaxSlotFileBytes = 16u << 20;

enum SaveKind : int32_t { kSaveStory = 1, kSaveStoryBattle = 2, kSaveBattle = 3 };

struct slotTableRecord {
  gameHeader headers[kSlotCount];
  veziv::GraphHandle thumbnails[kSlotCount] = {};
  veziv::GraphHandle emptyPicture = -1;    // the shared "EMPTY" picture
  veziv::GraphHandle damagedPicture = -1;  // the shared "DAMAGED" picture
  uint8_t present[kSlotCount] = {};
  // A file is there but its header cannot be read or holds values no game
  // writes: shown as damaged, never loaded, never counted as present.
  uint8_t damaged[kSlotCount] = {};
};

// "save/slot<n>.dat" for slot index n - 1 (0 to 9).
std::string slotFileName(int slot);
// The kind a save gets from the save screen's Back entry: from the pause
// menu (7) or the result menu (2) a battle, story or not; else the story.
int32_t saveKindFor(int32_t saveScreenReturn, bool storyGame);

// A slot's battle section, read and checked but not yet in the game.
struct slotBattle {
  char folder[kStageFolderSize] = {};
  battle::EnemyList enemies;
  battle::BulletList bullets;
  battle::ItemList items;
  int32_t scroll = 0, eventIndex = 0, spawnedCount = 0, playerCount = 1;
  battle::playerRecord players[2];
  battle::AnimeLayer front, back;
};

// A whole slot file, read and checked.
struct slotContents {
  gameHeader header;
  std::vector<uint8_t> thumbnail;
  int32_t kind = kSaveStory;
  storySection story;  // kinds 1 and 2
  slotBattle battle;   // kinds 2 and 3
};

// The player block: the saved part of a player record, 222 bytes.
void writeSubWeaponState(battle::RecordWriter& out, const battle::SubWeaponState& sub);
void readSubWeaponState(battle::RecordReader& in, battle::SubWeaponState& sub);
void writePlayerBlock(battle::RecordWriter& out, const battle::playerRecord& player);
// False for a short block or values the battle cannot use (player number,
// weapon and character ids, hit points, a gauge past its maximum, speeds,
// counters and a score that the battle's sums would overflow); the name
// gets its terminator.
bool readPlayerBlock(battle::RecordReader& in, battle::playerRecord& player);

// The battle section from the given parts, and from the running battle.
void writeBattleSection(std::vector<uint8_t>& out, const slotBattle& section);
void writeRunningBattle(std::vector<uint8_t>& out);
// The bytes of a slot file: header, thumbnail, kind, then the story's section
// and the battle section as the kind asks. A null section is taken from the
// running story or battle.
void encodeSlot(std::vector<uint8_t>& out, const gameHeader& header, const std::vector<uint8_t>& thumbnail,
                int32_t kind, const storySection* storyPart, const slotBattle* section);
// Reads and checks a whole slot file without changing the running game.
// Null on success, else what was wrong; out is then partly filled and must
// not be used.
const char* decodeSlot(const uint8_t* data, size_t size, slotContents& out);

// What the start of a slot file holds for the slot table. Damaged: a file
// that cannot be read, is too short for its header, holds ids no game
// writes, or a thumbnail size beyond the limit or the file.
enum class SlotHead { kAbsent, kPresent, kDamaged };
// Reads the header and the thumbnail's bytes from the start of an open
// slot file (never kAbsent); header is set only when present.
SlotHead readSlotHead(FILE* file, gameHeader& header, std::vector<uint8_t>& thumbnail);
// Whether thumbnail bytes may be decoded: a JPEG whose frame header
// declares at most the 320 x 240 the game writes.
bool thumbnailFits(const std::vector<uint8_t>& jpeg);

// Writes the slot file from slotTable's header and the running game: through
// a temporary file that is flushed and renamed, so a failed or interrupted
// save leaves the old slot whole. False when nothing was written.
bool writeSlot(int slot);
// Rebuilds the "EMPTY" and "DAMAGED" pictures and reads every slot's header
// and thumbnail. A thumbnail that declares more than the 320 x 240 the game
// writes, or that does not decode, is never decoded whole: the slot shows
// the damaged picture.
void readSlotHeaders();
// The headers of the slots whose present flag is set, in slot order.
std::vector<gameHeader> presentSlotHeaders();
// Rebuilds the game from the slot file and changes the mode; a missing or
// damaged file gives the cancel sound, the load-error notice and a re-read.
// True when the slot was loaded.
bool loadSlot(int slot);
// False (and nothing done) for a slot without a file; else the slot's header
// becomes player 1's, the holdings follow it, and the slot is loaded.
bool loadGameFromMenu(int slot);

// Puts a checked battle section into the game: the battle started on its
// folder, the objects, stage words, players and effects, the events run up
// to the scroll. The caller changes the mode.
void restoreBattle(slotBattle& section);

}  // namespace game
