// The equipment screen (mode 8): the craft's main weapon, sub weapon and
// two items, chosen from what the player owns through pop-up lists and
// written at once into one of the two players' headers.
#pragma once

#include <cstdint>
#include <vector>

#include "game/core/records.h"
#include "game/core/screen.h"

namespace game {

// What the screen is fitting: the record, each slot's choices (owned
// weapons by id; the items -1 ("<なし>") first, then every item held), the
// slots as fitted and the slot whose list is open (-1 none, 1 main, 2 sub,
// 3 item 1, 4 item 2).
struct equipSelection {
  gameHeader* equipTarget = nullptr;
  std::vector<int32_t> equipMainChoices;
  std::vector<int32_t> equipSubChoices;
  std::vector<int32_t> equipItemChoices;
  int32_t equipMain = 0;
  int32_t equipSub = 0;
  int32_t equipItem1 = kNoItem;
  int32_t equipItem2 = kNoItem;
  int32_t equipOpenList = -1;
};

// The row (0-based) under a pointer at y for an open list whose first row
// is at `top`: the last row whose band holds y; -1 when none does. Only the
// rows that exist have a band.
int32_t equipRowAt(int32_t top, int32_t rowCount, int32_t y);

class EquipmentScreen final : public Screen {
 public:
  // Entered from the story, the first player's items come off and the
  // screen fits the first player; the set-up screen prepares its own record.
  void enter() override;
  bool frame() override;
  // The frame once the mouse is read (tests run it on input of their own).
  void frameAfterMouse();

  // Prepares the screen for a record from the live holdings; in a story game
  // the item slots start empty.
  void prepare(gameHeader& record);
  // Fits a chosen id into a slot (1 to 4). Two item slots never hold the same
  // item: a refusal queues its notice and changes nothing. True when fitted.
  bool fit(int32_t slot, int32_t choice);
  // Asks for the confirmation; on yes writes the record, frees the screen's
  // pictures and sound and leaves. True when the screen was left.
  bool confirm();
  // The rows of an open list (1 to 4).
  const std::vector<int32_t>& choicesOf(int32_t slot) const;
  equipSelection& selection() { return sel_; }

 private:
  void draw() const;
  void drawSlots() const;
  void drawList() const;
  void drawHelp() const;
  // The summary lines of the record's equipment.
  void drawEquipment() const;
  // No list open: the slots and the button. True when the screen was left.
  bool stepSlots();
  // A list open: the pointer and the keys.
  void stepList();
  void openList(int32_t slot);
  void closeList(int32_t slot);

  equipSelection sel_;
};

}  // namespace game
