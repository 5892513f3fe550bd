// The shell on the headless library with the made data folder: the mode
// sets and the catalogue's pictures loaded and freed by their handles, and
// the opening movie played by the game's movie loop to its end on the
// clock, while a file that cannot be loaded ends the loop at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/music_voices.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/started_library_test_support.h"
#include "library/veziv.h"

namespace game {
namespace {

// The started library with the registry's paths in place, and the
// milliseconds of the clock a movie took.
class HeadlessLibrary : public test::StartedLibrary {
 protected:
  static int64_t play(const std::string& file) {
    const int64_t start = veziv::GetMicrosecondCount(0);
    playMovie(file, false);
    return (veziv::GetMicrosecondCount(0) - start) / 1000;
  }
};

TEST_F(HeadlessLibrary, TheOpeningMovieRunsToItsEndAndAMissingOneEndsAtOnce) {
  const std::string movie = std::string(DEMODATA_RUN_FOLDER) + "/image/movie/opening.ogv";
  ASSERT_TRUE(std::filesystem::exists(movie));
  const int64_t ms = play(movie);
  EXPECT_GE(ms, 5900);  // 90 frames at 15 a second
  EXPECT_LT(ms, 6500);
  EXPECT_EQ(play("image/movie/none.ogv"), 0);
  EXPECT_EQ(play(""), 0);
}

TEST_F(HeadlessLibrary, ModeSetsLoadOnceAndSharedIdsComeBackAfterTheOtherSetIsFreed) {
  // Relative paths start from the run folder, as the game's own do.
  Session().settings = settingsRecordData{};
  registerResources();
  for (int id : {kImageCaution, kImageBar, kImageYesNo}) EXPECT_TRUE(isGraphLoaded(id)) << id;
  const int title[] = {4, 65, 66, 67, 68, 69, 56, 38, 39};
  loadModeResources(kModeTitle, false);
  for (int id : title) EXPECT_TRUE(isGraphLoaded(id)) << id;
  EXPECT_EQ(Session().registry.widths[4], 800);  // the title caches sizes
  EXPECT_EQ(Session().registry.heights[56], 56);
  EXPECT_NE(soundOf(kSoundTitleMusic), 0);
  const resourceRegistryRecord first = Session().registry;
  loadModeResources(kModeTitle, true);  // loaded already: nothing changes
  for (int id : title) EXPECT_EQ(graphOf(id), first.graphs[id]) << id;
  EXPECT_EQ(soundOf(kSoundTitleMusic), first.sounds[kSoundTitleMusic]);

  loadModeResources(3, false);
  EXPECT_TRUE(isGraphLoaded(34));
  unloadModeResources(3);  // frees 38 and 39 of the title as well
  for (int id : {0, 34, 37, 72, 8, 38, 39}) EXPECT_EQ(graphOf(id), 0) << id;
  EXPECT_TRUE(isGraphLoaded(4));
  loadModeResources(kModeTitle, false);
  EXPECT_TRUE(isGraphLoaded(38));
  EXPECT_TRUE(isGraphLoaded(39));
  EXPECT_EQ(graphOf(4), first.graphs[4]);

  // Modes without a set change nothing.
  const resourceRegistryRecord before = Session().registry;
  for (int mode : {7, 12, 13}) {
    loadModeResources(mode, false);
    unloadModeResources(mode);
  }
  for (int id = 0; id < kImageIdCount; ++id) EXPECT_EQ(graphOf(id), before.graphs[id]) << id;

  // A loaded sound keeps its handle; an id without a path fails and stays unloaded.
  ensureSoundLoaded(kSoundTitleMusic);
  EXPECT_EQ(soundOf(kSoundTitleMusic), before.sounds[kSoundTitleMusic]);
  loadGraphById(1);
  EXPECT_EQ(graphOf(1), -1);
  EXPECT_FALSE(isGraphLoaded(1));

  unloadModeResources(kModeTitle);
  for (int id : title) EXPECT_EQ(graphOf(id), 0) << id;
  EXPECT_EQ(soundOf(kSoundTitleMusic), 0);
}

TEST_F(HeadlessLibrary, CataloguePicturesLoadOnceAFailureWaitsForTheUnloadAndARebuildFreesTheWeapons) {
  buildEquipCatalogue();
  EquipCatalogues& c = Session().catalogue;
  c.mainWeapons.at(1).imagePath = "image/weapons/none.png";
  unloadCatalogueImages();  // nothing loaded: nothing to free
  for (const equipCatalogue* catalogue : {&c.mainWeapons, &c.subWeapons, &c.items}) {
    for (const auto& [id, e] : *catalogue) EXPECT_EQ(e.graph, 0) << id;
  }

  loadCatalogueImages();
  EXPECT_EQ(c.mainWeapons.at(1).graph, -1);
  const veziv::GraphHandle weapon = c.mainWeapons.at(0).graph;
  const veziv::GraphHandle item = c.items.at(5).graph;
  EXPECT_TRUE(graphExists(weapon));
  EXPECT_TRUE(graphExists(item));
  loadCatalogueImages();  // a second call loads nothing, not even the failure
  EXPECT_EQ(c.mainWeapons.at(0).graph, weapon);
  EXPECT_EQ(c.mainWeapons.at(1).graph, -1);

  unloadCatalogueImages();
  EXPECT_FALSE(graphExists(weapon));
  for (const equipCatalogue* catalogue : {&c.mainWeapons, &c.subWeapons, &c.items}) {
    for (const auto& [id, e] : *catalogue) EXPECT_EQ(e.graph, 0) << id;
  }

  // A rebuild frees the weapons' pictures with their entries and keeps the items'.
  loadCatalogueImages();
  const veziv::GraphHandle rebuiltWeapon = c.subWeapons.at(2).graph;
  const veziv::GraphHandle keptItem = c.items.at(0).graph;
  buildEquipCatalogue();
  EXPECT_FALSE(graphExists(rebuiltWeapon));
  EXPECT_EQ(c.subWeapons.at(2).graph, 0);
  EXPECT_EQ(c.items.at(0).graph, keptItem);
  EXPECT_TRUE(graphExists(keptItem));
  unloadCatalogueImages();
}

}  // namespace
}  // namespace game
