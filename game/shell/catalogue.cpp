// The catalogue's constant tables and the loading of their pictures.
#include "game/shell/catalogue.h"

#include <initializer_list>

namespace game {

equipCatalogue mainWeaponCatalogue;
equipCatalogue subWeaponCatalogue;
equipCatalogue itemCatalogue;
cataloguePictureCalls cataloguePictures = {veziv::ImportGraphFile, veziv::FreeGraphHandle};

namespace {

struct CatalogueRow {
  int32_t id;
  const char* name;
  const char* picture;  // the file name under image/weapons/, without ".png"
  const char* statText;
  int32_t reloadTime;
  int32_t price;
  int32_t ammo;
  const char* description;
};

// Four pictures are not named after their entry: main weapons 4 and 6, sub
// weapon 5 and item 3. Sub weapon 3's description holds a full-width space,
// and item 3's statistic a full-width colon.
constexpr CatalogueRow kMainWeapons[] = {
    {0, "双発", "双発", "装填時間:10", 10, 1000, 0, "攻撃力25で、1度に二発同時にうてる。標準武装。"},
    {1, "レーザー", "レーザー", "装填時間:20", 20, 4000, 0,
     "実弾と違いレーザーは、突き抜ける事ができる。敵へのダメージがアップする。"},
    {2, "高速双発", "高速双発", "装填時間:7", 7, 7000, 0,
     "標準武装の双発を技術開発し、装填速度を3削減することに成功した。"},
    {3, "双発レーザー", "双発レーザー", "装填時間:20", 20, 9000, 0, "レーザーが双発で発射できるようになる。"},
    {4, "双発大口径", "双発回転", "装填時間:10", 10, 10000, 0,
     "口径を広げ双発を強力化したものです。攻撃力がなんと50になるそうだとか！"},
    {5, "三方向", "三方向", "装填時間:14", 14, 8000, 0, "前方、左右の3方向に同時に攻撃できる。"},
    {6, "中心二発三方向", "双発三方向", "装填時間:6", 6, 20000, 0,
     "高度な技術で、高速双発と3方向の合体に実現したもの。装填速度も脅威。"},
};

constexpr CatalogueRow kSubWeapons[] = {
    {0, "空中機雷", "空中機雷", "装填時間:100", 100, 1000, 10, "敵にじわじわ近づきあたった瞬間、周辺に弾が拡散する。"},
    {1, "拡散ミサイル", "拡散ミサイル", "装填時間:150", 150, 5000, 10, "敵に接近すると進行方向に弾が拡散する。"},
    {2, "追跡ミサイル", "追跡ミサイル", "装填時間:250", 250, 5000, 10, "最も近い敵を見つけそれを追尾するミサイル。"},
    {3, "炸裂ミサイル", "炸裂ミサイル", "装填時間:300", 300, 8000, 10, "当たった瞬間、ドカーン\u3000だとか。"},
    {4, "Vミサイル", "Vミサイル", "装填時間:100", 100, 4000, 10, "左右に発射するミサイル。"},
    {5, "ガトリングガン", "ガトリング", "装填時間:5", 5, 10000, 200,
     "サブ武器で唯一短い装填時間を持つ武器。大量の銃弾を敵に降り注ぐ。"},
};

constexpr CatalogueRow kItems[] = {
    {0, "高火力弾", "高火力弾", "メイン攻撃力:20%↑", 0, 1000, 0,
     "隣の世界の火薬を応用した高性能な爆薬。メイン攻撃力が20あがる。"},
    {1, "装甲強化剤", "装甲強化剤", "耐久力:20%↑", 0, 1000, 0,
     "隣の世界の魔法を利用して練磨した素材を使い装甲を硬くする。"},
    {2, "補助魔力タンク", "補助魔力タンク", "魔力チャージ時間:30%↓", 0, 2000, 0,
     "最新の魔力圧縮技術を用いて、小型タンクに魔力を溜め込んだ。"},
    {3, "油さし", "アンティーク油さし", "メイン装填時間：20%↓", 0, 1000, 0,
     "最強のアンティークな油さしを使う事で、装填速度があがる！？らしい。"},
    {4, "ロケットブースター", "ロケットブースター", "移動速度↑", 0, 1000, 0,
     "長時間持つブースターで機体の移動を速やかにこなせる。"},
    {5, "追加弾薬", "追加弾薬", "弾薬↑", 0, 1500, 0, "サブ武器の弾数が2倍になる。"},
};

equipInfo entryOf(const CatalogueRow& row) {
  equipInfo e;
  e.name = row.name;
  e.imagePath = std::string("image/weapons/") + row.picture + ".png";
  e.statText = row.statText;
  e.description = row.description;
  e.reloadTime = row.reloadTime;
  e.price = row.price;
  e.ammo = row.ammo;
  return e;
}

template <size_t N>
void fill(equipCatalogue& catalogue, const CatalogueRow (&rows)[N]) {
  for (const CatalogueRow& row : rows) catalogue.emplace(row.id, entryOf(row));
}

std::optional<equipInfo> find(const equipCatalogue& catalogue, int32_t id) {
  const auto it = catalogue.find(id);
  if (it == catalogue.end()) return std::nullopt;
  return it->second;
}

std::string nameIn(const equipCatalogue& catalogue, int32_t id) {
  const auto it = catalogue.find(id);
  return it == catalogue.end() ? std::string() : it->second.name;
}

const std::initializer_list<equipCatalogue*> kAll = {&mainWeaponCatalogue, &subWeaponCatalogue, &itemCatalogue};

}  // namespace

void buildEquipCatalogue() {
  // Emptying frees no picture: a weapon entry's loaded graph would be lost,
  // so it is freed first.
  for (equipCatalogue* c : {&mainWeaponCatalogue, &subWeaponCatalogue}) {
    for (auto& [id, e] : *c) {
      if (e.graph != 0) cataloguePictures.free(e.graph, 0);
    }
    c->clear();
  }
  fill(mainWeaponCatalogue, kMainWeapons);
  fill(subWeaponCatalogue, kSubWeapons);
  fill(itemCatalogue, kItems);
}

std::optional<equipInfo> getMainWeaponInfo(int32_t id) { return find(mainWeaponCatalogue, id); }
std::optional<equipInfo> getSubWeaponInfo(int32_t id) { return find(subWeaponCatalogue, id); }
std::optional<equipInfo> getItemInfo(int32_t id) { return find(itemCatalogue, id); }

std::string mainWeaponName(int id) { return nameIn(mainWeaponCatalogue, id); }
std::string subWeaponName(int id) { return nameIn(subWeaponCatalogue, id); }
std::string itemName(int id) { return nameIn(itemCatalogue, id); }

void loadCatalogueImages() {
  for (equipCatalogue* c : kAll) {
    for (auto& [id, e] : *c) {
      if (e.graph == 0) e.graph = cataloguePictures.load(e.imagePath.c_str(), 0);
    }
  }
}

void unloadCatalogueImages() {
  for (equipCatalogue* c : kAll) {
    for (auto& [id, e] : *c) {
      if (e.graph == 0) continue;
      cataloguePictures.free(e.graph, 0);
      e.graph = 0;
    }
  }
}

}  // namespace game
