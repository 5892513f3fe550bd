// The catalogue's constant tables and the loading of their pictures.
#include "game/shell/catalogue.h"

#include <initializer_list>

namespace game {

equipCatalogue mainWeaponCatalogue;
equipCatalogue subWeaponCatalogue;
equipCatalogue itemCatalogue;
cataloguePictureCalls cataloguePictures = {veziv::ImportGraphFile, veziv::FreeGraphHandle};

namespace {

enum CatalogueKind { MAIN, SUB, ITEM };

struct CatalogueRow {
  CatalogueKind catalogue;
  int32_t id;
  const char* name;
  const char* picture;  // the file name under image/weapons/, without ".png"
  const char* statText;
  int32_t reloadTime;
  int32_t price;
  int32_t ammo;
  const char* description;
};

constexpr CatalogueRow kRows[] = {
#define VEZIV_EQUIP(catalogue, id, name, picture, statText, reloadTime, price, ammo, description) \
  {catalogue, id, name, picture, statText, reloadTime, price, ammo, description},
#include "game/shell/catalogue_table.inc"
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

// Inserts the rows of one catalogue in id order; an id already present keeps its entry.
void fill(equipCatalogue& catalogue, CatalogueKind kind) {
  for (const CatalogueRow& row : kRows) {
    if (row.catalogue == kind) catalogue.emplace(row.id, entryOf(row));
  }
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
  fill(mainWeaponCatalogue, MAIN);
  fill(subWeaponCatalogue, SUB);
  fill(itemCatalogue, ITEM);
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
