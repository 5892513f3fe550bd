#include "tools/demodata/registry.h"

namespace demodata {

const std::map<int, std::string>& registryImages() {
  static const std::map<int, std::string> table = {
#define VEZIV_IMAGE(id, path) {id, path},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::map<int, std::string>& registrySounds() {
  static const std::map<int, std::string> table = {
#define VEZIV_SOUND(id, path) {id, path},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::vector<SheetRow>& registrySheets() {
  static const std::vector<SheetRow> table = {
#define VEZIV_SHEET(name, path, pieces, across, down, width, height) \
  {#name, path, pieces, across, down, width, height},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::string& imagePathOf(int id) { return registryImages().at(id); }
const std::string& soundPathOf(int id) { return registrySounds().at(id); }

}  // namespace demodata
