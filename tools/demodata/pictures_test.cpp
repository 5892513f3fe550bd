// The pictures as the game opens them: every picture of the game's table
// and every sheet made once, at the size the game takes hit areas, pivots
// and pieces from, in the format its name says; every face of the face
// table drawn; each enemy its own sprite; the partners' standing pictures
// clear of the labels the battle set-up writes beside them.
#include <gtest/gtest.h>

#include <set>

#include "tools/demodata/canvas.h"
#include "tools/demodata/check.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"

namespace demodata {
namespace {

// Every picture generator's files, once (a path made twice stops the run);
// the sound, voice and movie generators are left out for time.
const Outputs& allFiles() {
  static Outputs* out = [] {
    auto* o = new Outputs;
    const std::set<std::string> sounds = {"makeShellSounds", "makeSystemVoices", "makeOpeningMovie", "makeStoryVoices", "makeStoryMusic"};
    for (const Generator& g : allGenerators())
      if (!sounds.count(g.name)) g.run(Sources(DEMODATA_SOURCE_FOLDER), *o);
    return o;
  }();
  return *out;
}

Canvas picture(const std::string& path) {
  const auto& files = allFiles().files();
  const auto it = files.find(path);
  if (it == files.end()) throw std::runtime_error("not made: " + path);
  auto c = Canvas::decode(it->second);
  if (!c) throw std::runtime_error("unreadable: " + path);
  return *c;
}

// One test, so that the picture generators run once.
TEST(DemoPictures, EveryPictureAsTheGameOpensIt) {
  SCOPED_TRACE("every registry picture and sheet at its size and format");
  const auto& files = allFiles().files();
  for (const auto& [id, path] : registryImages()) {
    SCOPED_TRACE(path);
    ASSERT_EQ(files.count(path), 1u);
    EXPECT_EQ(checkFileBytes(path, files.at(path)), "");
    const Canvas c = picture(path);
    const PictureSize want = registryPictureSize(id);
    EXPECT_EQ(c.width(), want.w);
    EXPECT_EQ(c.height(), want.h);
  }
  for (const SheetRow& s : registrySheets()) {
    SCOPED_TRACE(s.path);
    ASSERT_EQ(files.count(s.path), 1u);
    EXPECT_EQ(checkFileBytes(s.path, files.at(s.path)), "");
    const Canvas c = picture(s.path);
    EXPECT_EQ(c.width(), s.across * s.width);
    EXPECT_EQ(c.height(), s.down * s.height);
  }
  EXPECT_THROW(registryPictureSize(1), std::out_of_range);

  // Every face drawn, and every enemy its own sprite.
  std::set<std::vector<uint8_t>> faces;
#define VEZIV_FACE(face, id) faces.insert(allFiles().files().at(imagePathOf(id)));
#include "game/story/face_table.inc"
  EXPECT_EQ(faces.size(), 70u) << "two faces look the same";
  std::set<std::vector<uint8_t>> enemies;
  int count = 0;
  for (const auto& [id, path] : registryImages()) {
    if (path.rfind("image/enemy/", 0) != 0 && id != 13 && id != 47 && id != 48) continue;
    enemies.insert(allFiles().files().at(path));
    ++count;
  }
  EXPECT_EQ(static_cast<int>(enemies.size()), count) << "two enemies share a sprite";

  // The set-up screen draws the second partner at x 50 and writes its labels
  // from x 230: a figure must keep left of x 180 in its picture.
  for (int id = 240; id <= 245; ++id) {
    const Canvas c = picture(imagePathOf(id));
    int rightmost = 0, opaque = 0;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x)
        if (c.at(x, y).a > 16) {
          rightmost = std::max(rightmost, x);
          ++opaque;
        }
    EXPECT_LT(rightmost, 180) << imagePathOf(id);
    EXPECT_GT(opaque, 20000) << imagePathOf(id) << " shows hardly anyone";
  }
  const Canvas shopkeeper = picture("image/stands/temu.png");
  EXPECT_EQ(shopkeeper.width(), 300);
  EXPECT_EQ(shopkeeper.height(), 460);
}

}  // namespace
}  // namespace demodata
