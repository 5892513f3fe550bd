// The catalogue's constant tables and the loading of their pictures.
#include "game/core/catalogue.h"

#include <array>

#include "game/core/session.h"

namespace game {

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
#include "game/core/catalogue_table.inc"
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

// The three catalogues, main weapons first.
std::array<equipCatalogue*, 3> all() {
  EquipCatalogues& c = Session().catalogue;
  return {&c.mainWeapons, &c.subWeapons, &c.items};
}

}  // namespace

void buildEquipCatalogue() {
  // Emptying frees no picture: a weapon entry's loaded graph would be lost,
  // so it is freed first.
  for (equipCatalogue* c : {&Session().catalogue.mainWeapons, &Session().catalogue.subWeapons}) {
    for (auto& [id, e] : *c) {
      if (e.graph != 0) veziv::FreeGraphHandle(e.graph, 0);
    }
    c->clear();
  }
  fill(Session().catalogue.mainWeapons, MAIN);
  fill(Session().catalogue.subWeapons, SUB);
  fill(Session().catalogue.items, ITEM);
}

std::optional<equipInfo> getMainWeaponInfo(int32_t id) { return find(Session().catalogue.mainWeapons, id); }
std::optional<equipInfo> getSubWeaponInfo(int32_t id) { return find(Session().catalogue.subWeapons, id); }
std::optional<equipInfo> getItemInfo(int32_t id) { return find(Session().catalogue.items, id); }

std::string mainWeaponName(int id) { return nameIn(Session().catalogue.mainWeapons, id); }
std::string subWeaponName(int id) { return nameIn(Session().catalogue.subWeapons, id); }
std::string itemName(int id) { return nameIn(Session().catalogue.items, id); }

void loadCatalogueImages() {
  for (equipCatalogue* c : all()) {
    for (auto& [id, e] : *c) {
      if (e.graph == 0) e.graph = veziv::ImportGraphFile(e.imagePath.c_str(), 0);
    }
  }
}

void unloadCatalogueImages() {
  for (equipCatalogue* c : all()) {
    for (auto& [id, e] : *c) {
      if (e.graph == 0) continue;
      veziv::FreeGraphHandle(e.graph, 0);
      e.graph = 0;
    }
  }
}

}  // namespace game
