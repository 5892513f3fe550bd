// Pictures loaded from files in a folder and from the same files in an
// archive packed by the project's writer (a PNG with alpha and a JPEG), drawn
// turned and scaled in blend modes 0, 1 and 2 and presented in a real window:
// the display shows exactly the software screen image.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "library/veziv.h"
#include "tests/fixtures/image_files_test_support.h"
#include "tests/window/whole_window_test_support.h"
#include "tools/archive_writer.h"

namespace veziv::test {
namespace {

constexpr int kWidth = 64, kHeight = 48;

// Colour running across, alpha falling from opaque at the top to clear at the bottom.
std::vector<uint8_t> SpritePng() {
  test::PngRecipe recipe{kWidth, kHeight, PNG_COLOR_TYPE_RGB_ALPHA, 8, {}};
  for (int y = 0; y < kHeight; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < kWidth; ++x) {
      row.insert(row.end(), {uint8_t(4 * x), uint8_t(255 - 4 * x), uint8_t(5 * y), uint8_t(255 - 255 * y / (kHeight - 1))});
    }
    recipe.rows.push_back(row);
  }
  return test::EncodePng(recipe);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}


TEST_F(WindowTest, PicturesFromAFolderAndAnArchiveAreShownAsTheRendererDrewThem) {
  const std::vector<uint8_t> png = SpritePng();
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(kWidth, kHeight, 3, JCS_RGB, 2, 2);
  ASSERT_FALSE(png.empty());
  ASSERT_FALSE(jpeg.empty());
  folder_.MakeFolder("plain");
  WriteFile(folder_ / "plain/sprite.png", png);
  WriteFile(folder_ / "plain/photo.jpg", jpeg);
  std::string error;
  ASSERT_TRUE(tools::PackFolderToArchive(folder_ / "plain", folder_ / "packed.VUR", {}, &error)) << error;

  if (!Start(800, 600, 32)) GTEST_SKIP() << "no display to open a window on";
  const int graphs[4] = {ImportGraphFile("plain\\sprite.png", 0), ImportGraphFile("plain\\photo.jpg", 0),
                         ImportGraphFile("packed\\sprite.png", 0), ImportGraphFile("packed\\photo.jpg", 0)};
  for (int k = 0; k < 4; ++k) ASSERT_GE(graphs[k], 0) << "picture " << k;

  // Each picture drawn through its alpha (blend mode 1, transparency on) over
  // a grey ground: the archive's copies look like the folder's, and the PNG's
  // alpha lets the ground through where it falls to clear at the bottom.
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  const uint32_t ground = 0x465A50;
  ASSERT_EQ(DrawBoxShape(0, 0, 800, 600, PackColorForScreen(0x46, 0x5A, 0x50), 1), 0);
  ASSERT_EQ(ChooseBlendMode(1, 255), 0);
  for (int k = 0; k < 4; ++k) ASSERT_EQ(RenderGraphAtPoint(100 * k, 0, graphs[k], 1), 0);
  ASSERT_EQ(ChooseBlendMode(0, 0), 0);
  const ScreenShot drawn = CaptureScreen();
  ASSERT_GT(drawn.width, 0);
  for (const int folder : {0, 1}) {
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) differing += drawn.At(100 * folder + x, y) != drawn.At(100 * (folder + 2) + x, y);
    EXPECT_EQ(differing, 0) << (folder == 0 ? "the PNG" : "the JPEG") << " read from the archive differs";
  }
  EXPECT_NE(drawn.At(10, 0), ground);
  EXPECT_EQ(drawn.At(10, kHeight - 1), ground);

  ASSERT_EQ(DrawBoxShape(0, 0, 800, 600, PackColorForScreen(70, 80, 90), 1), 0);
  for (int mode = 0; mode <= 2; ++mode) {
    ASSERT_EQ(ChooseBlendMode(mode, 180), 0);
    for (int k = 0; k < 4; ++k) {
      const float x = 100.0f + 200.0f * float(k), y = 100.0f + 200.0f * float(mode);
      ASSERT_EQ(RenderGraphRotatedAtCentre(x, y, 1.2 + 0.4 * k, 0.35 * (mode + 1) + 0.5 * k, graphs[k], 1, k % 2), 0);
    }
  }
  ASSERT_EQ(ChooseBlendMode(0, 0), 0);
  ExpectWindowShowsTheScreen();
}

}  // namespace
}  // namespace veziv::test
