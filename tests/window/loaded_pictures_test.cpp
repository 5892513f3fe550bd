// Pictures loaded from files in a folder and from the same files in an
// archive (a PNG with alpha and a JPEG), drawn turned and scaled in blend
// modes 0, 1 and 2 and presented in a real window: the display shows exactly
// the software screen image.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/files/archive_test_support.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/images/image_test_support.h"
#include "tests/window/whole_window_test_support.h"

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

bool SamePixels(int a, int b) {
  const SOFTSURFACE& va = GetGraphRecord(a)->view;
  const SOFTSURFACE& vb = GetGraphRecord(b)->view;
  if (va.width != vb.width || va.height != vb.height || va.base->type != vb.base->type) return false;
  const int bytes = va.width * va.base->bytesPerPixel;
  for (int y = 0; y < va.height; ++y) {
    if (std::memcmp(va.pixels + y * va.base->pitch, vb.pixels + y * vb.base->pitch, size_t(bytes)) != 0) return false;
  }
  return true;
}

TEST_F(WindowTest, PicturesFromAFolderAndAnArchiveAreShownAsTheRendererDrewThem) {
  const std::vector<uint8_t> png = SpritePng();
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(kWidth, kHeight, 3, JCS_RGB, 2, 2);
  ASSERT_FALSE(png.empty());
  ASSERT_FALSE(jpeg.empty());
  folder_.MakeFolder("plain");
  WriteFile(folder_ / "plain/sprite.png", png);
  WriteFile(folder_ / "plain/photo.jpg", jpeg);
  WriteFile(folder_ / "packed.VUR",
            veziv::test::MakeArchive({veziv::test::FileNode("sprite.png", std::string(png.begin(), png.end())),
                                         veziv::test::FileNode("photo.jpg", std::string(jpeg.begin(), jpeg.end()))}));

  if (!Start(800, 600, 32)) GTEST_SKIP() << "no display to open a window on";
  const int graphs[4] = {ImportGraphFile("plain\\sprite.png", 0), ImportGraphFile("plain\\photo.jpg", 0),
                         ImportGraphFile("packed\\sprite.png", 0), ImportGraphFile("packed\\photo.jpg", 0)};
  for (int k = 0; k < 4; ++k) ASSERT_GE(graphs[k], 0) << "picture " << k;
  EXPECT_NE(GetGraphRecord(graphs[0])->view.base->alphaFlag, 0);
  EXPECT_TRUE(SamePixels(graphs[0], graphs[2])) << "the PNG read from the archive differs";
  EXPECT_TRUE(SamePixels(graphs[1], graphs[3])) << "the JPEG read from the archive differs";

  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
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
