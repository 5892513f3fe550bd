// The game's id-to-file table, read from the same source the game compiles.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace demodata {

const std::map<int, std::string>& registryImages();
const std::map<int, std::string>& registrySounds();
// The path of an id; throws std::out_of_range for an id the table lacks.
const std::string& imagePathOf(int id);
const std::string& soundPathOf(int id);

// The size of a registry picture: the size the game's screens draw it at,
// and for sprites the size the game takes their hit areas and pivots from.
struct PictureSize {
  int w, h;
};
PictureSize registryPictureSize(int id);

// The movie the story plays first.
inline constexpr const char* kOpeningMoviePath = "image/movie/opening.ogv";

// A picture sheet cut into equal pieces by the game at start-up.
struct SheetRow {
  const char* name;
  const char* path;
  int pieces, across, down, width, height;
};
const std::vector<SheetRow>& registrySheets();

// The registry pictures and the sheet that the battle set-up screen's
// generator draws; the other generators leave them alone.
bool drawnBySetupScreen(int imageId);
bool drawnBySetupScreen(const SheetRow& sheet);
// The registry pictures that the shop's and the equipment screen's
// generator draws; the other generators leave them alone.
bool drawnByOutfitScreens(int imageId);

}  // namespace demodata
