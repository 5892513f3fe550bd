// The equipment screen (mode 8): the craft's main weapon, sub weapon and
// two items, chosen from what the player owns through pop-up lists and
// written at once into one of the two players' headers.
#pragma once

#include <cstdint>
#include <vector>

#include "game/shell/records.h"

namespace game {

// The record being equipped.
extern gameHeader* equipTarget;
// What each slot may take: owned weapons by id; the items -1 ("<なし>")
// first, then every item held.
extern std::vector<int32_t> equipMainChoices;
extern std::vector<int32_t> equipSubChoices;
extern std::vector<int32_t> equipItemChoices;
extern int32_t equipMain;
extern int32_t equipSub;
extern int32_t equipItem1;  // -1 none
extern int32_t equipItem2;  // -1 none
// The slot whose list is open: -1 none, 1 main, 2 sub, 3 item 1, 4 item 2.
extern int32_t equipOpenList;

// Prepares the screen for a record from the live holdings; in a story game
// the item slots start empty.
void buildEquipChoices(gameHeader& record);
// The story's way in: the first player's items taken off, then the choices.
void prepareStoryEquipment();
// One frame of mode 8.
void equipScreen();
// The frame once the mouse is read (tests run it on input of their own).
void equipFrame();
// Asks for the confirmation; on yes writes the record, frees the screen's
// pictures and sound and leaves. True when the screen was left.
bool confirmEquip();
// The summary lines of the record's equipment.
void drawEquipment();

// Fits a chosen id into a slot (1 to 4). Two item slots never hold the same
// item: a refusal queues its notice and changes nothing. True when fitted.
bool fitEquipChoice(int32_t slot, int32_t choice);
// The rows of an open list (1 to 4).
const std::vector<int32_t>& equipChoicesOf(int32_t slot);
// The row (0-based) under a pointer at y for an open list whose first row
// is at `top`: the last row whose band holds y; -1 when none does. Only the
// rows that exist have a band.
int32_t equipRowAt(int32_t top, int32_t rowCount, int32_t y);

}  // namespace game
