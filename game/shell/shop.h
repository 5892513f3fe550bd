// The item shop (mode 5): three tabs of the catalogue, a detail panel for
// the selected entry, buying into the live holdings with the player's money,
// and the shopkeeper, who speaks through the story's message window: her
// lines go to the story's interpreter as single lines.
#pragma once

#include <cstdint>
#include <string>

#include "game/core/screen.h"

namespace game {

// The cursor's targets besides the tabs 1 to 3; a row r of the shown tab
// is kShopFirstRow + r.
inline constexpr int32_t kShopLeave = 4;
inline constexpr int32_t kShopBuy = 5;
inline constexpr int32_t kShopFirstRow = 6;

// The arrow keys of the shop's cursor.
enum class ShopKey { kUp, kDown, kRight, kLeft };

// What a purchase of the selected entry came to.
enum class ShopPurchase { kOwned, kShortOfMoney, kBought };

// The shop's state: the rows of tab 1 (main weapons), 2 (sub weapons) and
// 3 (items), the tab whose list is shown, and the entry shown in the detail
// panels and bought by the buy button.
struct shopState {
  int32_t shopRowCounts[3] = {7, 6, 6};
  int32_t shopTab = 1;
  int32_t shopSelectedTab = 1;
  int32_t shopSelectedRow = 0;
};

class ShopScreen final : public Screen {
 public:
  // A visit starts: the rows, the shop's music, the shopkeeper's picture
  // and greeting.
  void enter() override;
  bool frame() override;
  // The frame once the mouse buttons are counted (tests run it on input of
  // their own).
  void frameAfterMouse();

  // The target under a pointer at (x, y) for the shown tab; -1 for none.
  int32_t targetAt(int32_t x, int32_t y) const;
  // Where one arrow key moves the cursor from `cursor`, for the shown tab.
  int32_t cursorAfterKey(ShopKey key, int32_t cursor) const;
  // Buys the selected entry with the holdings' money when it can (money never
  // falls below 0): the holdings change at once, before anything else runs.
  ShopPurchase buySelectedEntry();
  shopState& state() { return state_; }

 private:
  void draw() const;
  void drawDetails() const;
  void drawFocus() const;
  void drawListWindow() const;
  void drawWeaponRows(int32_t tab) const;
  void drawItemRows() const;
  void drawPointerPicture() const;
  void drawButtons() const;
  void moveByKeys();
  void activate();
  void leaveShop();
  int32_t rowCount(int32_t tab) const;
  int32_t lastRow() const;
  bool isRow(int32_t cursor) const;

  shopState state_;
};

}  // namespace game
