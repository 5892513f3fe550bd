#include "library/graphics/device/draw_backend.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "library/foundation/window/window_state.h"
#include "library/graphics/device/gpu_test_support.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graphics_test_support.h"
#include "tests/fixtures/image_files_test_support.h"

namespace veziv {
namespace {

using namespace platform::gpu;

// A started 64 x 64 screen with the counting device under the cache, so that
// graphs made get textures and the drawers write vertices.
class DrawBackEnd : public test::GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::AttachGpuDevice(&device_);
    ASSERT_EQ(detail::ProbeDeviceFormats(), 0);
    detail::ChooseDrawers(true);
  }
  void TearDown() override {
    GraphicsTest::TearDown();  // deletes the graphs, their textures with them
    EXPECT_TRUE(device_.live.empty()) << "every texture made is released";
    detail::ChooseDrawers(false);
    detail::AttachGpuDevice(nullptr);
  }

  // Every vertex sent so far (after a flush), of a layout.
  template <typename V>
  std::vector<V> Sent() {
    FlushVertexBatch();
    std::vector<V> out;
    for (const auto& d : device_.draws) {
      const size_t n = d.bytes.size() / sizeof(V);
      for (size_t i = 0; i < n; ++i) {
        V v;
        std::memcpy(&v, d.bytes.data() + i * sizeof(V), sizeof(V));
        out.push_back(v);
      }
    }
    return out;
  }

  test::RecordingDevice device_;
};

TEST_F(DrawBackEnd, GraphsGetATextureATileAndPiecesWithTheirOwnCoordinates) {
  const int graph = CreateEmptyGraph(300, 20, 0);
  ASSERT_GE(graph, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  const GraphDrawInfo* store = record->drawInfo;
  ASSERT_NE(store->tiles, nullptr);
  ASSERT_GE(store->tileCount, 2);
  EXPECT_EQ(static_cast<int>(device_.live.size()), store->tileCount);
  const int seam = store->tiles[0].width;

  // Cut across the seam: two pieces, each placed and mapped within its tile.
  const int across = MakeSubGraph(seam - 10, 2, 30, 8, graph);
  ASSERT_GE(across, 0);
  const GraphRecord* cut = GetGraphRecord(across);
  ASSERT_EQ(cut->pieceCount, 2);
  const GraphTilePiece& a = cut->pieces[0];
  const GraphTilePiece& b = cut->pieces[1];
  EXPECT_EQ(a.destX, 0);
  EXPECT_EQ(a.srcX, seam - 10);
  EXPECT_EQ(a.width, 10);
  EXPECT_EQ(a.srcY, 2);
  EXPECT_EQ(b.destX, 10);
  EXPECT_EQ(b.srcX, 0);
  EXPECT_EQ(b.width, 20);
  EXPECT_NE(a.tile, b.tile);
  EXPECT_FLOAT_EQ(a.corners[1].u, static_cast<float>(seam) / static_cast<float>(a.tile->textureWidth));
  EXPECT_FLOAT_EQ(b.corners[0].u, 0.0f);
  EXPECT_FLOAT_EQ(b.corners[3].x, 30.0f);
  EXPECT_FLOAT_EQ(b.corners[3].v, 10.0f / static_cast<float>(b.tile->textureHeight));
  EXPECT_EQ(a.upperLeft[0], 1);
  EXPECT_EQ(b.upperLeft[3], 0);

  // Inside one tile: one piece.
  const int inside = MakeSubGraph(4, 4, 8, 8, graph);
  EXPECT_EQ(GetGraphRecord(inside)->pieceCount, 1);
  // The store is shared: deleting the first graphs keeps the textures.
  FreeGraphHandle(graph, 0);
  FreeGraphHandle(across, 0);
  EXPECT_EQ(static_cast<int>(device_.live.size()), store->tileCount);
}

TEST_F(DrawBackEnd, ChangedPixelsReachTheTexturesBeforeTheNextDrawOnly) {
  const int graph = CreateEmptyGraph(16, 16, 0);
  ASSERT_GE(graph, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  EXPECT_EQ(DeviceDrawGraph(record, 0, 0, 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(device_.Count("WriteTexture"), 1) << "a new graph is filled once";
  EXPECT_EQ(DeviceDrawGraph(record, 0, 0, 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(device_.Count("WriteTexture"), 1);
  ASSERT_EQ(ClearGraphToColor(graph, 10, 20, 30, 255), 0);
  EXPECT_EQ(DeviceDrawGraph(record, 0, 0, 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(device_.Count("WriteTexture"), 2);
  // Drawn into as a target: the draw goes into the texture itself.
  ASSERT_EQ(SelectDrawTarget(graph), 0);
  device_.Forget();
  ASSERT_EQ(DrawBoxShape(0, 0, 4, 4, PackColorForScreen(255, 0, 0), 1), 0);
  FlushVertexBatch();
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].target, record->pieces[0].tile->texture);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  EXPECT_EQ(DeviceDrawGraph(record, 0, 0, 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(device_.Count("WriteTexture"), 0) << "nothing is written over what was drawn";
}

TEST_F(DrawBackEnd, AGraphOverSeveralTexturesIsDrawnIntoEachOfThem) {
  const int graph = CreateEmptyGraph(700, 20, 0);
  ASSERT_GE(graph, 0);
  const GraphDrawInfo* store = GetGraphRecord(graph)->drawInfo;
  ASSERT_GE(store->tileCount, 2);
  ASSERT_EQ(SelectDrawTarget(graph), 0);
  device_.Forget();
  ASSERT_EQ(DrawBoxShape(0, 0, 700, 20, PackColorForScreen(0, 255, 0), 1), 0);
  FlushVertexBatch();
  ASSERT_EQ(static_cast<int>(device_.draws.size()), store->tileCount);
  std::set<gpu::TextureId> targets;
  for (const auto& d : device_.draws) targets.insert(d.target);
  for (int i = 0; i < store->tileCount; ++i) EXPECT_EQ(targets.count(store->tiles[i].texture), 1u);
  EXPECT_EQ(device_.originX, store->tiles[store->tileCount - 1].x) << "each with its own origin";
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
}

TEST_F(DrawBackEnd, AGraphHalfOutsideTheDrawAreaKeepsItsTexelsInPlace) {
  const int graph = CreateEmptyGraph(16, 16, 0);
  const GraphRecord* record = GetGraphRecord(graph);
  ASSERT_EQ(DeviceDrawGraph(record, 10, 20, 10.0f, 20.0f, 0), 0);
  auto inside = Sent<TexturedVertex>();
  ASSERT_EQ(inside.size(), 6u);
  EXPECT_FLOAT_EQ(inside[0].x, 9.5f);
  EXPECT_FLOAT_EQ(inside[0].y, 19.5f);
  EXPECT_FLOAT_EQ(inside[3].x, 25.5f);
  EXPECT_FLOAT_EQ(inside[3].u, 1.0f);
  const float texture = static_cast<float>(record->pieces[0].tile->textureWidth);

  device_.Forget();
  ASSERT_EQ(DeviceDrawGraph(record, -6, 56, -6.0f, 56.0f, 0), 0);  // left and bottom outside
  auto cut = Sent<TexturedVertex>();
  ASSERT_EQ(cut.size(), 6u);
  EXPECT_FLOAT_EQ(cut[0].x, -0.5f);
  EXPECT_FLOAT_EQ(cut[0].u, 6.0f / texture) << "u moves with the clamped edge";
  EXPECT_FLOAT_EQ(cut[3].y, 63.5f);
  EXPECT_FLOAT_EQ(cut[3].v, 8.0f / texture);

  device_.Forget();
  ASSERT_EQ(DeviceDrawGraph(record, 64, 0, 64.0f, 0.0f, 0), 0);
  EXPECT_TRUE(Sent<TexturedVertex>().empty()) << "wholly outside: nothing";

  EXPECT_EQ(DeviceDrawGraphStretched(5, 5, 5, 20, record, 0), -1);
  device_.Forget();
  ASSERT_EQ(DeviceDrawGraphStretched(40, 0, 8, 16, record, 0), 0);
  auto mirrored = Sent<TexturedVertex>();
  ASSERT_EQ(mirrored.size(), 6u);
  // Twice the size, mirrored: the quad covers pixels 8 to 39, its edges
  // between pixel centres; the graph's last texel column on the left.
  EXPECT_FLOAT_EQ(mirrored[0].x, 7.5f);
  EXPECT_FLOAT_EQ(mirrored[1].x, 39.5f);
  // Half a texel a pixel: the edge half a pixel left of pixel 8 is a quarter
  // texel past the graph's far end, mirrored.
  const float texels = static_cast<float>(record->pieces[0].tile->textureWidth);
  EXPECT_NEAR(mirrored[0].u * texels, 16.25f, 0.01f) << "x2 < x1 mirrors";
  EXPECT_NEAR(mirrored[1].u * texels, 0.25f, 0.01f);
}

TEST_F(DrawBackEnd, ShapesClipBoxesButNotFramesAndSkipEmptyLines) {
  const uint32_t red = PackColorForScreen(255, 0, 0);
  EXPECT_EQ(DeviceFillBox(70, 70, 90, 90, red), 0);
  EXPECT_TRUE(Sent<ColoredVertex>().empty());
  EXPECT_EQ(DeviceFillBox(50, 60, 70, 40, red), 0);
  auto box = Sent<ColoredVertex>();
  ASSERT_EQ(box.size(), 6u);
  // Edges half a pixel before the pixel centres.
  EXPECT_FLOAT_EQ(box[0].x, 49.5f);
  EXPECT_FLOAT_EQ(box[0].y, 39.5f);
  EXPECT_FLOAT_EQ(box[3].x, 63.5f) << "clipped to the draw area";
  EXPECT_EQ(box[0].diffuse, 0xFFFF0000u);

  device_.Forget();
  ASSERT_EQ(SetDrawColorScale(128, 255, 255), 0);
  EXPECT_EQ(DeviceDrawBoxFrame(60, 0, 100, 10, red), 0);
  auto frame = Sent<ColoredVertex>();
  // The outline of [60, 100) x [0, 10) cut at the area's right edge 64:
  // four pixels of the top row, four of the bottom row, the left column.
  std::set<std::pair<int, int>> pixels;
  for (const auto& v : frame) pixels.insert({static_cast<int>(v.x), static_cast<int>(v.y)});
  EXPECT_EQ(pixels.size(), frame.size()) << "no pixel twice";
  EXPECT_EQ(pixels.size(), 4u + 4u + 8u);
  EXPECT_EQ(pixels.count({63, 0}), 1u);
  EXPECT_EQ(pixels.count({60, 5}), 1u);
  EXPECT_EQ(pixels.count({61, 5}), 0u);
  EXPECT_EQ(frame[0].diffuse, 0xFF800000u) << "the brightness scales the colour";

  device_.Forget();
  EXPECT_EQ(DeviceDrawLine(5, 5, 5, 5, red), 0);
  EXPECT_TRUE(Sent<ColoredVertex>().empty());
  EXPECT_EQ(DeviceDrawLine(5, 5, 5, 20, red), 0);
  auto line = Sent<ColoredVertex>();
  ASSERT_EQ(line.size(), 15u) << "one point a pixel, the end left out";
  EXPECT_FLOAT_EQ(line[0].y, 5.0f);
  EXPECT_FLOAT_EQ(line[14].y, 19.0f);
  EXPECT_FLOAT_EQ(line[14].x, 5.0f);
}

TEST_F(DrawBackEnd, AFilledCircleDrawsEachRowOnceAndNothingBelowTheArea) {
  EXPECT_EQ(DeviceDrawCircle(32, 50, 30, PackColorForScreen(0, 0, 255), 1), 0);
  const auto spans = Sent<ColoredVertex>();
  ASSERT_EQ(spans.size() % 6, 0u) << "one box of six vertices a row";
  std::multiset<float> rows;
  for (size_t i = 0; i < spans.size(); i += 6) {
    EXPECT_FLOAT_EQ(spans[i + 3].y - spans[i].y, 1.0f) << "one row high";
    rows.insert(spans[i].y + 0.5f);
  }
  ASSERT_FALSE(rows.empty());
  for (float row : rows) {
    EXPECT_EQ(rows.count(row), 1u) << row;
    EXPECT_LT(row, 64.0f);
  }
  EXPECT_EQ(rows.size(), 64u - 20u) << "rows 20 to 63";
}

// Radii up to the largest a caller can pass finish at once (a walk over every
// step would take minutes) and draw the arc across the area: the top of such
// a circle is row 32 there, straight across.
TEST_F(DrawBackEnd, AnyRadiusDrawsOnlyTheArcAcrossTheArea) {
  const uint32_t blue = PackColorForScreen(0, 0, 255);
  struct Case {
    const char* name;
    int x, y, radius;
    size_t outlinePoints, firstRow;
  } cases[] = {
      {"top at row 32", 32, INT32_MAX, INT32_MAX - 32, 64, 32},
      {"centred on the area", 32, 32, INT32_MAX, 0, 0},
  };
  for (const Case& c : cases) {
    device_.Forget();
    EXPECT_EQ(DeviceDrawCircle(c.x, c.y, c.radius, blue, 0), 0);
    const auto points = Sent<ColoredVertex>();
    std::set<float> columns;
    for (const ColoredVertex& v : points) {
      EXPECT_FLOAT_EQ(v.y, 32.0f) << c.name;
      columns.insert(v.x);
    }
    EXPECT_EQ(points.size(), c.outlinePoints) << c.name;
    EXPECT_EQ(columns.size(), c.outlinePoints) << c.name << ": no pixel twice";

    device_.Forget();
    EXPECT_EQ(DeviceDrawCircle(c.x, c.y, c.radius, blue, 1), 0);
    const auto spans = Sent<ColoredVertex>();
    ASSERT_EQ(spans.size() % 6, 0u) << c.name;
    std::set<float> rows;
    for (size_t i = 0; i < spans.size(); i += 6) {
      EXPECT_FLOAT_EQ(spans[i].x, -0.5f) << c.name << ": each row across the whole area";
      EXPECT_FLOAT_EQ(spans[i + 1].x, 63.5f) << c.name;
      rows.insert(spans[i].y + 0.5f);
    }
    EXPECT_EQ(rows.size(), spans.size() / 6) << c.name << ": each row once";
    EXPECT_EQ(rows.size(), 64u - c.firstRow) << c.name;
    if (!rows.empty()) {
      EXPECT_FLOAT_EQ(*rows.begin(), static_cast<float>(c.firstRow)) << c.name;
    }
  }
}

// A picture file in memory made into a graph.
int GraphFromBytes(const std::vector<uint8_t>& bytes, int reverse = 0) {
  return DecodeGraphFromBuffer(bytes.data(), static_cast<int>(bytes.size()), nullptr, 0, 1, reverse);
}

std::vector<uint8_t> OpaquePng(int side, bool alpha) {
  test::PngRecipe png{side, side, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, 8, {}};
  for (int y = 0; y < side; ++y) png.rows.push_back(std::vector<uint8_t>(static_cast<size_t>(side) * (alpha ? 4 : 3), 90));
  return test::EncodePng(png);
}

// A block-compressed picture: blocks of the named format for each level.
std::vector<uint8_t> CompressedDds(const char* fourCc, uint32_t side, uint32_t mips) {
  const size_t blockBytes = std::string(fourCc) == "DXT1" ? 8 : 16;
  size_t total = 0;
  for (uint32_t k = 0, w = side; k < std::max(1u, mips); ++k, w = std::max(1u, w / 2))
    total += std::max<size_t>(1, (w + 3) / 4) * std::max<size_t>(1, (w + 3) / 4) * blockBytes;
  return test::WithData(test::DdsHeader({side, side, 0x4, fourCc, 0, 0, 0, 0, 0, 0, mips}), total, 0x6B);
}

TEST_F(DrawBackEnd, TexturesTakeTheFormatOfTheGraphsTypeNumber) {
  struct Case {
    const char* name;
    int newGraphBits;  // 0: the screen's, or 32 for a picture with alpha
    bool alpha;
    bool keyColour;  // the transparent colour kept out, by the texture's alpha
    int bytesPerPixel;
    bool formatHasAlpha;
  } cases[] = {
      {"a plain picture at the screen's depth", 0, false, false, 4, false},
      {"a plain picture with its key colour", 0, false, true, 4, true},
      {"a picture with alpha", 0, true, false, 4, true},
      {"a plain picture asked in 16 bits", 16, false, false, 2, false},
      {"a picture with its key colour asked in 16 bits", 16, false, true, 2, true},
      {"a picture with alpha asked in 16 bits", 16, true, false, 2, true},
  };
  auto hasAlpha = [](Format f) { return f == Format::kA8R8G8B8 || f == Format::kA1R5G5B5 || f == Format::kA4R4G4B4; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetNewGraphBitDepth(c.newGraphBits);
    SetTransColorUseFlag(c.keyColour ? 1 : 0);
    device_.Forget();
    const int graph = GraphFromBytes(OpaquePng(16, c.alpha));
    ASSERT_GE(graph, 0);
    ASSERT_EQ(device_.made.size(), 1u);
    EXPECT_EQ(BytesPerPixel(device_.made[0].format), c.bytesPerPixel);
    EXPECT_EQ(hasAlpha(device_.made[0].format), c.formatHasAlpha);
    EXPECT_EQ(DeviceDrawGraph(GetGraphRecord(graph), 0, 0, 0.0f, 0.0f, 1), 0);
    EXPECT_EQ(device_.Count("WriteTexture"), 1) << "the picture reaches its texture in that format";
    FreeGraphHandle(graph, 0);
  }
  SetTransColorUseFlag(1);
  SetNewGraphBitDepth(0);
}

TEST_F(DrawBackEnd, AMipChainIsMadeByHalvingAndWrittenLevelByLevel) {
  // 32-bit pixels with three levels stored.
  const std::vector<uint8_t> file =
      test::WithData(test::DdsHeader({32, 32, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 3}),
                     (32 * 32 + 16 * 16 + 8 * 8) * 4, 0x40);
  const int graph = GraphFromBytes(file);
  ASSERT_GE(graph, 0);
  ASSERT_EQ(device_.made.size(), 1u);
  EXPECT_EQ(device_.made[0].levels, 3);
  EXPECT_EQ(DeviceDrawGraph(GetGraphRecord(graph), 0, 0, 0.0f, 0.0f, 0), 0);
  EXPECT_EQ(device_.writtenLevels, (std::vector<int>{0, 1, 2}));
}

TEST_F(DrawBackEnd, ACompressedPictureTheDeviceTakesReachesItsTextureAsBlocks) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int reverse;
    std::vector<std::pair<int, int>> blockWrites;  // level and bytes; none: the plain pixels go instead
  } cases[] = {
      {"DXT1, one level", CompressedDds("DXT1", 64, 0), 0, {{0, 2048}}},
      {"DXT5 with its mip levels", CompressedDds("DXT5", 32, 3), 0, {{0, 1024}, {1, 256}, {2, 64}}},
      {"a format the device refuses", CompressedDds("DXT2", 32, 0), 0, {}},
      {"sides that are no power of two", test::WithData(test::DdsHeader({20, 12, 0x4, "DXT1"}), 5 * 3 * 8), 0, {}},
      {"mirrored on loading", CompressedDds("DXT1", 64, 0), 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_.Forget();
    const int graph = GraphFromBytes(c.file, c.reverse);
    ASSERT_GE(graph, 0);
    EXPECT_EQ(device_.compressedWrites, c.blockWrites);
    ASSERT_EQ(device_.made.size(), 1u);
    EXPECT_EQ(IsCompressed(device_.made[0].format), !c.blockWrites.empty());
    EXPECT_EQ(DeviceDrawGraph(GetGraphRecord(graph), 0, 0, 0.0f, 0.0f, 0), 0);
    EXPECT_EQ(device_.Count("WriteTexture") > 0, c.blockWrites.empty())
        << "plain pixels are written exactly when no blocks were";
    FreeGraphHandle(graph, 0);
  }
}

TEST_F(DrawBackEnd, ALostDeviceDropsEveryTextureAndTheRestoreMakesThemAgainToBeRefilled) {
  const int first = CreateEmptyGraph(16, 16, 0);
  const int second = CreateEmptyGraph(300, 8, 0);
  ASSERT_GE(second, 0);
  const size_t made = device_.live.size();
  GraphDrawInfo* store = GetGraphRecord(first)->drawInfo;
  store->staleRect = DrawRect{};
  EXPECT_EQ(ReleaseAllGraphTextures(), 0);
  EXPECT_TRUE(device_.live.empty());
  EXPECT_EQ(store->tiles[0].texture, 0u);
  EXPECT_EQ(RecreateAllGraphTextures(), 0);
  EXPECT_EQ(device_.live.size(), made);
  EXPECT_EQ(store->staleRect.right, 16) << "made again to be refilled whole";
  device_.failTextures = true;
  EXPECT_EQ(ReleaseGraphTextures(store), 0);
  EXPECT_EQ(CreateGraphTextures(store), -1);
  device_.failTextures = false;
  EXPECT_EQ(CreateGraphTextures(store), 0);
  EXPECT_EQ(TransferImageToTexture(first, 0, 0, 0, 4), 0) << "an empty rectangle";
  EXPECT_EQ(TransferImageToTexture(-1, 0, 0, 4, 4), -1);
}

}  // namespace
}  // namespace veziv
