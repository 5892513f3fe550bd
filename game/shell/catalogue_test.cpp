// The catalogue's tables byte for byte, its lookups, and the loading and
// freeing of its pictures.
#include "game/shell/catalogue.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

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

struct EntryCase {
  int id;
  const char8_t* name;
  const char8_t* picture;
  const char8_t* stat;
  int reload, price, ammo;
  const char8_t* description;
};

void expectCatalogue(const equipCatalogue& catalogue, const std::vector<EntryCase>& cases) {
  ASSERT_EQ(catalogue.size(), cases.size());
  for (const EntryCase& c : cases) {
    ASSERT_EQ(catalogue.count(c.id), 1u) << c.id;
    const equipInfo& e = catalogue.at(c.id);
    EXPECT_EQ(toUtf8(e.name), u8s(c.name)) << c.id;
    EXPECT_EQ(toUtf8(e.imagePath), u8s(c.picture)) << c.id;
    EXPECT_EQ(toUtf8(e.statText), u8s(c.stat)) << c.id;
    EXPECT_EQ(toUtf8(e.description), u8s(c.description)) << c.id;
    EXPECT_EQ(e.reloadTime, c.reload) << c.id;
    EXPECT_EQ(e.price, c.price) << c.id;
    EXPECT_EQ(e.ammo, c.ammo) << c.id;
    EXPECT_EQ(e.graph, 0) << c.id;
  }
}

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    mainWeaponCatalogue.clear();
    subWeaponCatalogue.clear();
    itemCatalogue.clear();
    buildEquipCatalogue();
  }
  void TearDown() override {
    cataloguePictures = {veziv::ImportGraphFile, veziv::FreeGraphHandle};
    mainWeaponCatalogue.clear();
    subWeaponCatalogue.clear();
    itemCatalogue.clear();
  }
};

TEST_F(Catalogue, MainWeaponsAsTheTableHasThem) {
  expectCatalogue(mainWeaponCatalogue,
                  {
                      {0, u8"双発", u8"image/weapons/双発.png", u8"装填時間:10", 10, 1000, 0,
                       u8"攻撃力25で、1度に二発同時にうてる。標準武装。"},
                      {1, u8"レーザー", u8"image/weapons/レーザー.png", u8"装填時間:20", 20, 4000, 0,
                       u8"実弾と違いレーザーは、突き抜ける事ができる。敵へのダメージがアップする。"},
                      {2, u8"高速双発", u8"image/weapons/高速双発.png", u8"装填時間:7", 7, 7000, 0,
                       u8"標準武装の双発を技術開発し、装填速度を3削減することに成功した。"},
                      {3, u8"双発レーザー", u8"image/weapons/双発レーザー.png", u8"装填時間:20", 20, 9000, 0,
                       u8"レーザーが双発で発射できるようになる。"},
                      {4, u8"双発大口径", u8"image/weapons/双発回転.png", u8"装填時間:10", 10, 10000, 0,
                       u8"口径を広げ双発を強力化したものです。攻撃力がなんと50になるそうだとか！"},
                      {5, u8"三方向", u8"image/weapons/三方向.png", u8"装填時間:14", 14, 8000, 0,
                       u8"前方、左右の3方向に同時に攻撃できる。"},
                      {6, u8"中心二発三方向", u8"image/weapons/双発三方向.png", u8"装填時間:6", 6, 20000, 0,
                       u8"高度な技術で、高速双発と3方向の合体に実現したもの。装填速度も脅威。"},
                  });
}

TEST_F(Catalogue, SubWeaponsAsTheTableHasThem) {
  expectCatalogue(subWeaponCatalogue,
                  {
                      {0, u8"空中機雷", u8"image/weapons/空中機雷.png", u8"装填時間:100", 100, 1000, 10,
                       u8"敵にじわじわ近づきあたった瞬間、周辺に弾が拡散する。"},
                      {1, u8"拡散ミサイル", u8"image/weapons/拡散ミサイル.png", u8"装填時間:150", 150, 5000, 10,
                       u8"敵に接近すると進行方向に弾が拡散する。"},
                      {2, u8"追跡ミサイル", u8"image/weapons/追跡ミサイル.png", u8"装填時間:250", 250, 5000, 10,
                       u8"最も近い敵を見つけそれを追尾するミサイル。"},
                      {3, u8"炸裂ミサイル", u8"image/weapons/炸裂ミサイル.png", u8"装填時間:300", 300, 8000, 10,
                       u8"当たった瞬間、ドカーン\u3000だとか。"},
                      {4, u8"Vミサイル", u8"image/weapons/Vミサイル.png", u8"装填時間:100", 100, 4000, 10,
                       u8"左右に発射するミサイル。"},
                      {5, u8"ガトリングガン", u8"image/weapons/ガトリング.png", u8"装填時間:5", 5, 10000, 200,
                       u8"サブ武器で唯一短い装填時間を持つ武器。大量の銃弾を敵に降り注ぐ。"},
                  });
}

TEST_F(Catalogue, ItemsAsTheTableHasThem) {
  expectCatalogue(itemCatalogue,
                  {
                      {0, u8"高火力弾", u8"image/weapons/高火力弾.png", u8"メイン攻撃力:20%↑", 0, 1000, 0,
                       u8"隣の世界の火薬を応用した高性能な爆薬。メイン攻撃力が20あがる。"},
                      {1, u8"装甲強化剤", u8"image/weapons/装甲強化剤.png", u8"耐久力:20%↑", 0, 1000, 0,
                       u8"隣の世界の魔法を利用して練磨した素材を使い装甲を硬くする。"},
                      {2, u8"補助魔力タンク", u8"image/weapons/補助魔力タンク.png", u8"魔力チャージ時間:30%↓", 0,
                       2000, 0, u8"最新の魔力圧縮技術を用いて、小型タンクに魔力を溜め込んだ。"},
                      {3, u8"油さし", u8"image/weapons/アンティーク油さし.png", u8"メイン装填時間：20%↓", 0, 1000, 0,
                       u8"最強のアンティークな油さしを使う事で、装填速度があがる！？らしい。"},
                      {4, u8"ロケットブースター", u8"image/weapons/ロケットブースター.png", u8"移動速度↑", 0, 1000, 0,
                       u8"長時間持つブースターで機体の移動を速やかにこなせる。"},
                      {5, u8"追加弾薬", u8"image/weapons/追加弾薬.png", u8"弾薬↑", 0, 1500, 0,
                       u8"サブ武器の弾数が2倍になる。"},
                  });
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
  EXPECT_EQ(mainWeaponCatalogue.size(), 7u);
  EXPECT_EQ(subWeaponCatalogue.size(), 6u);
  EXPECT_EQ(itemCatalogue.size(), 6u);
  EXPECT_EQ(toUtf8(subWeaponName(4)), u8s(u8"Vミサイル"));
}

// Counting picture calls: a path with "レーザー" fails (-1), the others get
// fresh handles.
struct PictureLog {
  static inline std::vector<std::string> loads;
  static inline std::vector<int> frees;
  static inline int next = 100;
  static veziv::GraphHandle load(const char* path, int) {
    loads.emplace_back(path);
    return toUtf8(path).find(u8s(u8"レーザー")) != std::string::npos ? -1 : next++;
  }
  static int free(veziv::GraphHandle graph, int) {
    frees.push_back(graph);
    return graph == -1 ? -1 : 0;
  }
  static void reset() {
    loads.clear();
    frees.clear();
    next = 100;
    cataloguePictures = {load, free};
  }
};

TEST_F(Catalogue, PicturesLoadOnceFailuresWaitForTheUnloadAndUnloadingIsIdempotent) {
  PictureLog::reset();
  unloadCatalogueImages();  // nothing loaded: no call
  EXPECT_TRUE(PictureLog::frees.empty());

  loadCatalogueImages();
  ASSERT_EQ(PictureLog::loads.size(), 19u);
  EXPECT_EQ(PictureLog::loads.front(), mainWeaponCatalogue.at(0).imagePath);  // mains, subs, items by id
  EXPECT_EQ(PictureLog::loads[7], subWeaponCatalogue.at(0).imagePath);
  EXPECT_EQ(PictureLog::loads.back(), itemCatalogue.at(5).imagePath);
  EXPECT_EQ(mainWeaponCatalogue.at(1).graph, -1);
  EXPECT_EQ(mainWeaponCatalogue.at(3).graph, -1);
  EXPECT_EQ(mainWeaponCatalogue.at(0).graph, 100);

  loadCatalogueImages();  // a second call loads nothing, not even the failures
  EXPECT_EQ(PictureLog::loads.size(), 19u);

  unloadCatalogueImages();
  EXPECT_EQ(PictureLog::frees.size(), 19u);  // the failed ones are handed over too, and refused
  for (const equipCatalogue* c : {&mainWeaponCatalogue, &subWeaponCatalogue, &itemCatalogue}) {
    for (const auto& [id, e] : *c) EXPECT_EQ(e.graph, 0) << id;
  }
  unloadCatalogueImages();
  EXPECT_EQ(PictureLog::frees.size(), 19u);

  loadCatalogueImages();  // after the unload the failures are tried again
  EXPECT_EQ(PictureLog::loads.size(), 38u);
  unloadCatalogueImages();
}

TEST_F(Catalogue, ARebuildRenewsTheWeaponsAndKeepsTheItems) {
  PictureLog::reset();
  loadCatalogueImages();
  mainWeaponCatalogue.at(0).price = 1;
  itemCatalogue.at(0).price = 1;
  const veziv::GraphHandle itemGraph = itemCatalogue.at(0).graph;
  buildEquipCatalogue();
  EXPECT_EQ(mainWeaponCatalogue.at(0).price, 1000);
  EXPECT_EQ(mainWeaponCatalogue.at(0).graph, 0);
  EXPECT_EQ(itemCatalogue.at(0).price, 1);  // an item already present is left as it is
  EXPECT_EQ(itemCatalogue.at(0).graph, itemGraph);
  EXPECT_EQ(PictureLog::frees.size(), 13u);  // the weapons' pictures are not lost
  unloadCatalogueImages();
}

}  // namespace
}  // namespace game
