// The contact sheets: every picture of a folder on a sheet of its folder,
// an unreadable picture reported and shown as such.
#include "tools/demodata/gallery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace demodata {
namespace {

namespace fs = std::filesystem;

TEST(DemoGallery, EachFolderOnItsOwnSheetsWithTheUnreadableNamed) {
  const fs::path root = fs::temp_directory_path() / ("demodata_gallery_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(root);
  fs::create_directories(root / "run/image/a");
  fs::create_directories(root / "run/image/b");
  auto put = [&](const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  };
  Canvas small(8, 8, {255, 0, 0, 128}), wide(900, 100, {0, 0, 255, 255});
  for (int k = 0; k < 45; ++k) put(root / "run/image/a" / ("p" + std::to_string(k) + ".png"), small.png(true));
  put(root / "run/image/b/wide.jpg", wide.jpeg(80));
  put(root / "run/image/b/frame.bmp", small.bmp());
  put(root / "run/image/b/broken.png", {0x89, 'P', 'N', 'G'});
  put(root / "run/notes.txt", {'h', 'i'});
  const GalleryResult r = writeGallery(root / "run", root / "sheets");
  EXPECT_EQ(r.pictures, 48);
  ASSERT_EQ(r.sheets.size(), 3u);  // image/a fills two sheets, image/b one
  ASSERT_EQ(r.unreadable.size(), 1u);
  EXPECT_EQ(r.unreadable[0], "image/b/broken.png");
  for (const std::string& sheet : r.sheets) {
    std::ifstream in(sheet, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto c = Canvas::decode(bytes);
    ASSERT_TRUE(c) << sheet;
    EXPECT_GT(c->width(), 1000);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace demodata
