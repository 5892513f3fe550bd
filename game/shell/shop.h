// The item shop (mode 5): three tabs of the catalogue, a detail panel for
// the selected entry, buying into the live holdings with the player's money,
// and the shopkeeper, who speaks through the story's message window.
#pragma once

#include <cstdint>
#include <string>

namespace game {

// Rows of tab 1 (main weapons), 2 (sub weapons) and 3 (items).
extern int32_t shopRowCounts[3];
// The tab whose list is shown, 1 to 3.
extern int32_t shopTab;
// The entry shown in the detail panels and bought by the buy button.
extern int32_t shopSelectedTab;
extern int32_t shopSelectedRow;

// The cursor's targets besides the tabs 1 to 3; a row r of the shown tab
// is kShopFirstRow + r.
inline constexpr int32_t kShopLeave = 4;
inline constexpr int32_t kShopBuy = 5;
inline constexpr int32_t kShopFirstRow = 6;

// Prepares a visit: the rows, the shop's music, the shopkeeper's picture
// and greeting.
void enterShop();
// One frame of mode 5.
void shopLoop();
// The frame once the mouse buttons are counted (tests run it on input of
// their own).
void shopFrame();
// The target under a pointer at (x, y) for the shown tab; -1 for none.
int32_t shopTargetAt(int32_t x, int32_t y);

// The arrow keys of the shop's cursor.
enum class ShopKey { kUp, kDown, kRight, kLeft };
// Where one arrow key moves the cursor from `cursor`, for the shown tab.
int32_t shopCursorAfterKey(ShopKey key, int32_t cursor);

// What a purchase of the selected entry came to.
enum class ShopPurchase { kOwned, kShortOfMoney, kBought };
// Buys the selected entry with the holdings' money when it can (money never
// falls below 0): the holdings change at once, before anything else runs.
ShopPurchase buySelectedEntry();

void drawShopMainRows();
void drawShopSubRows();
void drawShopItemRows();
void shopSayShortOfMoney();
void shopSayThanks();

// The shopkeeper's lines go to the story's interpreter as single lines; the
// message window is the story's reduced window.
void feedShopLine(const std::string& line);
void runShopMessageWindow();

}  // namespace game
