// The catalogue built from its table, the Shift-JIS bytes of its odd
// characters, and its lookups.
#include "game/core/catalogue.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "game/core/records.h"
#include "game/core/session.h"

namespace game {
namespace {

// Shift-JIS bytes back to UTF-8, so that the compiled texts can be held
// against the tables as written (u8 literals stay UTF-8 whatever the
// execution character set).
std::string toUtf8(const std::string& cp932) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(cp932.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(cp932.data());
  size_t inLeft = cp932.size();
  char* o = out.data();
  size_t outLeft = out.size();
  const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  EXPECT_NE(r, static_cast<size_t>(-1)) << "not CP932";
  out.resize(out.size() - outLeft);
  return out;
}

std::string u8s(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override { buildEquipCatalogue(); }
};

enum CatalogueKind { MAIN, SUB, ITEM };
struct Row {
  CatalogueKind catalogue;
  int id;
  const char* name;
  const char* picture;
  const char* statText;
  int reloadTime, price, ammo;
  const char* description;
};
constexpr Row kRows[] = {
#define VEZIV_EQUIP(catalogue, id, name, picture, statText, reloadTime, price, ammo, description) \
  {catalogue, id, name, picture, statText, reloadTime, price, ammo, description},
#include "game/core/catalogue_table.inc"
};

// Every row of the table lands in its own catalogue under its id, its
// picture under "image/weapons/", nothing loaded yet; nothing else is there.
TEST_F(Catalogue, EachRowOfTheTableIsAnEntryOfItsCatalogue) {
  const EquipCatalogues& c = Session().catalogue;
  size_t rows[3] = {};
  for (const Row& row : kRows) {
    const equipCatalogue& catalogue = row.catalogue == MAIN  ? c.mainWeapons
                                      : row.catalogue == SUB ? c.subWeapons
                                                             : c.items;
    ++rows[row.catalogue];
    ASSERT_EQ(catalogue.count(row.id), 1u) << row.id;
    const equipInfo& e = catalogue.at(row.id);
    EXPECT_EQ(e.name, row.name) << row.id;
    EXPECT_EQ(e.imagePath, std::string("image/weapons/") + row.picture + ".png") << row.id;
    EXPECT_EQ(e.statText, row.statText) << row.id;
    EXPECT_EQ(e.description, row.description) << row.id;
    EXPECT_EQ(e.reloadTime, row.reloadTime) << row.id;
    EXPECT_EQ(e.price, row.price) << row.id;
    EXPECT_EQ(e.ammo, row.ammo) << row.id;
    EXPECT_EQ(e.graph, 0) << row.id;
  }
  EXPECT_EQ(c.mainWeapons.size(), rows[MAIN]);
  EXPECT_EQ(c.subWeapons.size(), rows[SUB]);
  EXPECT_EQ(c.items.size(), rows[ITEM]);
  // The holdings and the equipped words index the catalogues by id.
  EXPECT_EQ(rows[MAIN], static_cast<size_t>(kMainWeaponCount));
  EXPECT_EQ(rows[SUB], static_cast<size_t>(kSubWeaponCount));
  EXPECT_EQ(rows[ITEM], static_cast<size_t>(kItemCount));
}

TEST_F(Catalogue, TheOddCharactersAreTheirShiftJisBytes) {
  // The full-width space of sub weapon 3 and the full-width colon of item
  // 3, where the other statistics have an ASCII one.
  EXPECT_NE(getSubWeaponInfo(3)->description.find("\x81\x40"), std::string::npos);
  EXPECT_NE(getItemInfo(3)->statText.find("\x81\x46"), std::string::npos);
  EXPECT_EQ(getItemInfo(3)->statText.find(':'), std::string::npos);
  EXPECT_NE(getItemInfo(0)->statText.find(':'), std::string::npos);
  EXPECT_EQ(getMainWeaponInfo(0)->name, "\x91\x6F\x94\xAD");  // 双発
}

TEST_F(Catalogue, LookupsCopyAndAnUnknownIdFindsNothingAndAddsNothing) {
  EXPECT_EQ(getSubWeaponInfo(5)->ammo, 200);
  EXPECT_EQ(getSubWeaponInfo(5)->reloadTime, 5);
  EXPECT_EQ(toUtf8(getMainWeaponInfo(4)->imagePath), u8s(u8"image/weapons/双発回転.png"));
  std::optional<equipInfo> copy = getItemInfo(2);
  copy->price = 1;
  EXPECT_EQ(getItemInfo(2)->price, 2000);

  for (int id : {-1, 7, 100}) EXPECT_FALSE(getMainWeaponInfo(id)) << id;
  for (int id : {-1, 6}) {
    EXPECT_FALSE(getSubWeaponInfo(id)) << id;
    EXPECT_FALSE(getItemInfo(id)) << id;
    EXPECT_EQ(itemName(id), "");
  }
  EXPECT_EQ(Session().catalogue.mainWeapons.size(), 7u);
  EXPECT_EQ(Session().catalogue.subWeapons.size(), 6u);
  EXPECT_EQ(Session().catalogue.items.size(), 6u);
  EXPECT_EQ(toUtf8(subWeaponName(4)), u8s(u8"Vミサイル"));
}

TEST_F(Catalogue, ARebuildRenewsTheWeaponsAndKeepsTheItems) {
  Session().catalogue.mainWeapons.at(0).price = 1;
  Session().catalogue.items.at(0).price = 1;
  buildEquipCatalogue();
  EXPECT_EQ(getMainWeaponInfo(0)->price, 1000);
  EXPECT_EQ(getItemInfo(0)->price, 1);  // an item already present is left as it is
}

}  // namespace
}  // namespace game
