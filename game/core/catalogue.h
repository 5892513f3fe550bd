// The equipment catalogue: the fixed lists of main weapons, sub weapons and
// items that a craft can carry, with the texts the shop and the equipment
// screen show, the picture of each entry, and the numbers the battle and the
// shop use. Ids index the holdings and the equipped words of gameHeader.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "library/veziv.h"

namespace game {

struct equipInfo {
  std::string name;              // Shift-JIS
  std::string imagePath;         // under "image/weapons/"
  std::string statText;          // one line under the name
  std::string description;       // one sentence
  veziv::GraphHandle graph = 0;  // 0 not loaded, -1 a load that failed
  int32_t reloadTime = 0;        // weapons only
  int32_t price = 0;
  int32_t ammo = 0;  // sub weapons only: the rounds a battle starts with
};

using equipCatalogue = std::map<int32_t, equipInfo>;

// Fills the three catalogues. The weapon catalogues are rebuilt; an item
// already in the item catalogue keeps its entry (its picture included).
void buildEquipCatalogue();

// A copy of an entry; nothing for an id the catalogue lacks (and no entry
// is added for it).
std::optional<equipInfo> getMainWeaponInfo(int32_t id);
std::optional<equipInfo> getSubWeaponInfo(int32_t id);
std::optional<equipInfo> getItemInfo(int32_t id);

// An entry's name, "" for an id the catalogue lacks.
std::string mainWeaponName(int id);
std::string subWeaponName(int id);
std::string itemName(int id);

// Loads the picture of every entry whose graph is 0 (a failed load keeps
// -1 and is not tried again until unloaded); frees every graph that is not
// 0 and sets it to 0. Main weapons, then sub weapons, then items, by id.
void loadCatalogueImages();
void unloadCatalogueImages();

// The three catalogues.
struct EquipCatalogues {
  equipCatalogue mainWeapons;
  equipCatalogue subWeapons;
  equipCatalogue items;
};

}  // namespace game
