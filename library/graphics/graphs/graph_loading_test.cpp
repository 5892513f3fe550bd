// Graphs from image files and memory: pixels and alpha companions, mirroring,
// the division into pieces and its failures, the movie fallback, the log
// lines of failed loads, and refilling a graph from memory.
#include "library/graphics/graphs/graph_loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "library/foundation/files/read_budget.h"
#include "library/foundation/memory_log/log.h"
#include "library/graphics/graphs/graphics_test_support.h"
#include "library/graphics/images/image_test_support.h"
#include "library/graphics/images/image_writers.h"
#include "library/graphics/images/raster_image.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::InactiveWaits;
using Colour = std::function<uint32_t(int x, int y)>;  // 0xRRGGBB

// An X8R8G8B8 image painted by a colour function.
struct Picture {
  RasterImage image{};
  Picture(int width, int height, const Colour& colour) {
    EXPECT_EQ(CreateRasterImageBuffer(width, height, &image), 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t c = colour(x, y);
        SetRasterImagePixel(&image, x, y, int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF), 255);
      }
  }
  Picture(const Picture&) = delete;
  ~Picture() { FreeRasterImage(&image); }
};

// Different in every pixel of a small image, so that any shift or mirror shows.
uint32_t Gradient(int x, int y) { return uint32_t(x * 5) << 16 | uint32_t(y * 7) << 8 | uint32_t(200 - x - y); }
// An alpha companion carries its alpha in red.
uint32_t AlphaRamp(int x, int y) { return uint32_t(x * 9 + y) << 16; }
uint32_t AlphaOf(int x, int y) { return AlphaRamp(x, y) >> 16; }

class GraphLoading : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-graphs-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    detail::SetLogFolder(folder_.c_str());
    CreateLogFile();
    detail::MovieLoaderCalls() = detail::NoMoviePlayerCalls();
  }
  void TearDown() override {
    detail::MovieLoaderCalls() = detail::NoMoviePlayerCalls();
    GraphicsTest::TearDown();
    detail::SetLogFolder("");
    std::filesystem::remove_all(folder_);
  }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  std::string WritePng(const std::string& name, int width, int height, const Colour& colour) const {
    Picture picture(width, height, colour);
    EXPECT_EQ(WritePngFile(Path(name).c_str(), &picture.image, 6), 0);
    return Path(name);
  }
  std::string WriteBmp(const std::string& name, int width, int height, const Colour& colour) const {
    Picture picture(width, height, colour);
    EXPECT_EQ(SaveRasterImageAsBmp(Path(name).c_str(), &picture.image), 0);
    return Path(name);
  }
  std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      std::streamsize(bytes.size()));
    return Path(name);
  }
  std::vector<uint8_t> PngBytes(int width, int height, const Colour& colour) const {
    const std::string path = WritePng("memory.png", width, height, colour);
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::string Log() const {
    std::ifstream in(folder_ + "/Log.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // The log ends its lines with CR LF.
  bool Logged(std::string line) const {
    for (size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at + 2)) line.insert(at, "\r");
    return Log().find(line) != std::string::npos;
  }

  static uint32_t RawPixel(GraphHandle graph, int x, int y) {
    const SOFTSURFACE& v = GetGraphRecord(graph)->view;
    uint32_t p = 0;
    std::memcpy(&p, v.pixels + y * v.base->pitch + x * 4, 4);
    return p;
  }
  // The first pixel of the graph whose colour differs from expected, or "".
  static std::string ColourMismatch(GraphHandle graph, const Colour& expected) {
    const GraphRecord* r = GetGraphRecord(graph);
    if (!r) return "no graph";
    for (int y = 0; y < r->height; ++y)
      for (int x = 0; x < r->width; ++x)
        if ((RawPixel(graph, x, y) & 0xFFFFFF) != expected(x, y))
          return "at " + std::to_string(x) + "," + std::to_string(y);
    return "";
  }
  static std::string AlphaMismatch(GraphHandle graph, const std::function<uint32_t(int, int)>& expected) {
    const GraphRecord* r = GetGraphRecord(graph);
    if (!r) return "no graph";
    for (int y = 0; y < r->height; ++y)
      for (int x = 0; x < r->width; ++x)
        if (RawPixel(graph, x, y) >> 24 != expected(x, y)) return "at " + std::to_string(x) + "," + std::to_string(y);
    return "";
  }

  std::string folder_;
};

constexpr int kW = 24, kH = 16;

TEST_F(GraphLoading, FileBecomesAGraphByItsContentWhateverItsName) {
  struct Case {
    const char* name;
    bool png;
  };
  for (const Case& c : {Case{"picture.png", true}, Case{"picture.bmp", false}, Case{"png-inside.bmp", true}}) {
    SCOPED_TRACE(c.name);
    const std::string path = c.png ? WritePng(c.name, kW, kH, Gradient) : WriteBmp(c.name, kW, kH, Gradient);
    InactiveWaits() = 0;
    const GraphHandle g = ImportGraphFile(path.c_str(), 0);
    ASSERT_GE(g, 0);
    EXPECT_GT(InactiveWaits(), 0);
    int w = 0, h = 0;
    QueryGraphDimensions(g, &w, &h);
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    EXPECT_EQ(ColourMismatch(g, Gradient), "");
    const GraphRecord* r = GetGraphRecord(g);
    EXPECT_EQ(r->drawInfo->request.alpha, 0);
    EXPECT_EQ(r->movie, -1);
    ASSERT_NE(r->sourceFile, nullptr);
    EXPECT_TRUE(std::string(r->sourceFile->path).ends_with(c.name));
  }
}

TEST_F(GraphLoading, AlphaCompanionMustMatchTheColourImage) {
  const std::string path = WritePng("ship.png", kW, kH, Gradient);
  WritePng("ship_a.png", kW, kH, AlphaRamp);
  const GraphHandle g = ImportGraphFile(path.c_str(), 0);
  ASSERT_GE(g, 0);
  EXPECT_EQ(GetGraphRecord(g)->drawInfo->request.alpha, 1);
  EXPECT_EQ(ColourMismatch(g, Gradient), "");
  EXPECT_EQ(AlphaMismatch(g, AlphaOf), "");

  const int before = detail::GraphCount();
  const std::string odd = WritePng("odd.png", kW, kH, Gradient);
  WritePng("odd_a.png", kW, kH + 1, AlphaRamp);
  EXPECT_EQ(ImportGraphFile(odd.c_str(), 0), -1);
  EXPECT_EQ(detail::GraphCount(), before);
}

TEST_F(GraphLoading, ReverseMirrorsColourAndCompanion) {
  const std::string path = WritePng("turn.png", kW, kH, Gradient);
  WritePng("turn_a.png", kW, kH, AlphaRamp);
  const GraphHandle g = ImportGraphFileToHandle(path.c_str(), 0, 1, 0);
  ASSERT_GE(g, 0);
  EXPECT_EQ(ColourMismatch(g, [](int x, int y) { return Gradient(kW - 1 - x, y); }), "");
  EXPECT_EQ(AlphaMismatch(g, [](int x, int y) { return AlphaOf(kW - 1 - x, y); }), "");
}

TEST_F(GraphLoading, BuildMirrorsOnlyWhenAskedToAndGivesTheImagesBack) {
  struct Case {
    int reverse, mirrorHere;
    bool mirrored;
  };
  for (const Case& c : {Case{1, 1, true}, Case{1, 0, false}, Case{0, 1, false}}) {
    SCOPED_TRACE(testing::Message() << c.reverse << "," << c.mirrorHere);
    Picture colour(kW, kH, Gradient);
    Picture alpha(kW, kH, AlphaRamp);
    const GraphHandle g = BuildGraphFromRasterEx(&colour.image, &alpha.image, 0, c.reverse, c.mirrorHere);
    ASSERT_GE(g, 0);
    const auto column = [&](int x) { return c.mirrored ? kW - 1 - x : x; };
    EXPECT_EQ(ColourMismatch(g, [&](int x, int y) { return Gradient(column(x), y); }), "");
    EXPECT_EQ(AlphaMismatch(g, [&](int x, int y) { return AlphaOf(column(x), y); }), "");
    EXPECT_EQ(GetRasterImagePixelArgb(&colour.image, 0, 0) & 0xFFFFFF, Gradient(0, 0));
    EXPECT_EQ(GetRasterImagePixelArgb(&alpha.image, 0, 0) & 0xFFFFFF, AlphaRamp(0, 0));
  }
}

TEST_F(GraphLoading, MissingAndUnreadableFilesAreToldApartInTheLog) {
  const std::string missing = Path("nowhere.png");
  EXPECT_EQ(ImportGraphFile(missing.c_str(), 0), -1);
  EXPECT_TRUE(Logged("グラフィックファイル " + missing + " がありません\n"));

  const std::string junk = WriteBytes("junk.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  EXPECT_EQ(ImportGraphFile(junk.c_str(), 0), -1);
  EXPECT_TRUE(Logged("右記のグラフィックファイルのロードに失敗しました：" + junk + " \n"));
  EXPECT_FALSE(Logged("グラフィックファイル " + junk + " がありません"));

  GraphHandle pieces[2] = {7, 7};
  EXPECT_EQ(ImportGraphFileAsPieces(missing.c_str(), 2, 2, 1, 8, 8, pieces, 0), -1);
  EXPECT_TRUE(Logged("右記のグラフィックファイルのロードに失敗しました：" + missing + "\n"));
  EXPECT_EQ(detail::GraphCount(), 0);
}

struct FakeMovies {
  static FakeMovies& Get() {
    static FakeMovies f;
    return f;
  }
  int width = 20, height = 10, alpha = 1;
  std::string name;
  int option = 0;
  std::vector<std::pair<int, int>> callbacks;
  std::vector<int> closed;
  int bitsSeen = 0;

  static void Install() {
    Get() = FakeMovies{};
    detail::MovieLoaderCalls().create_movie_from_file = [](const char* name, int* w, int* h, int option) {
      Get().name = name;
      Get().option = option;
      *w = Get().width;
      *h = Get().height;
      return 5;
    };
    detail::MovieLoaderCalls().movie_has_alpha = [](int) { return Get().alpha; };
    detail::MovieLoaderCalls().set_movie_frame_callback = [](int movie, GraphHandle graph) {
      Get().callbacks.emplace_back(movie, graph);
    };
    detail::GraphicsCalls().close_movie = [](int movie) {
      if (movie != -1) Get().closed.push_back(movie);
    };
  }
};

// Settings a caller had before loading a movie; they must come back.
void SetCallersSettings() {
  SetNewGraphBitDepth(16);
  SetGraphCreateOptionWord(3);
  SetNewGraphDefaultPoolFlag(0);
  SetTransColorUseFlag(1);
  SetNewGraphMovieSurfaceMode(0);
}
void ExpectCallersSettings() {
  EXPECT_EQ(GetNewGraphBitDepth(), 16);
  EXPECT_EQ(GetGraphCreateOptionWord(), 3);
  EXPECT_EQ(GetNewGraphDefaultPoolFlag(), 0);
  EXPECT_EQ(GetTransColorUseFlag(), 1);
  EXPECT_EQ(GetNewGraphMovieSurfaceMode(), 0);
}

TEST_F(GraphLoading, FileNoReaderAcceptsOpensAsAMovieGraph) {
  FakeMovies::Install();
  SetCallersSettings();
  const std::string path = WriteBytes("clip.mpg", std::vector<uint8_t>(64, 0x47));
  const GraphHandle g = ImportGraphFileToHandle(path.c_str(), 0, 0, 9);
  ASSERT_GE(g, 0);
  EXPECT_EQ(FakeMovies::Get().name, path);
  EXPECT_EQ(FakeMovies::Get().option, 9);
  const GraphRecord* r = GetGraphRecord(g);
  EXPECT_EQ(r->width, 20);
  EXPECT_EQ(r->height, 10);
  EXPECT_EQ(r->movie, 5);
  EXPECT_EQ(r->sourceFile, nullptr);
  // Made in the screen's depth as a movie surface (which has no alpha), not
  // with the caller's settings.
  EXPECT_EQ(r->drawInfo->request.colorBits, 32);
  EXPECT_EQ(r->drawInfo->request.alpha, 0);
  EXPECT_EQ(FakeMovies::Get().callbacks, (std::vector<std::pair<int, int>>{{5, g}}));
  ExpectCallersSettings();
}

TEST_F(GraphLoading, MovieGraphWithoutStorageClosesTheMovie) {
  FakeMovies::Install();
  FakeMovies::Get().width = -4;
  SetCallersSettings();
  const std::string path = WriteBytes("broken.mpg", std::vector<uint8_t>(64, 0x47));
  EXPECT_EQ(ImportGraphFileToHandle(path.c_str(), 0, 0, 0), -1);
  EXPECT_TRUE(Logged("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：" + path + "\n"));
  EXPECT_EQ(FakeMovies::Get().closed, std::vector<int>{5});
  EXPECT_TRUE(FakeMovies::Get().callbacks.empty());
  EXPECT_EQ(detail::GraphCount(), 0);
  ExpectCallersSettings();
}

TEST_F(GraphLoading, NothingLoadsBeforeGraphicsStart) {
  const std::string path = WritePng("early.png", kW, kH, Gradient);
  const std::vector<uint8_t> bytes = PngBytes(kW, kH, Gradient);
  Picture picture(kW, kH, Gradient);
  detail::Screen().started = 0;
  GraphHandle pieces[2] = {};
  EXPECT_EQ(ImportGraphFile(path.c_str(), 0), -1);
  EXPECT_EQ(BuildGraphFromRaster(&picture.image, nullptr), -1);
  EXPECT_EQ(DecodeGraphFromBuffer(bytes.data(), int(bytes.size()), nullptr, 0, 0, 0), -1);
  EXPECT_EQ(ImportGraphFileAsPieces(path.c_str(), 2, 2, 1, 8, 8, pieces, 0), -1);
  EXPECT_EQ(pieces[0], -1);
  EXPECT_EQ(detail::GraphCount(), 0);
}

// A sheet of 32 x 32 cells: the cell number in red, the place in the cell in
// green and blue.
uint32_t Sheet(int x, int y) {
  const int cell = x / 32 + 3 * (y / 32);
  return uint32_t(40 * (cell + 1)) << 16 | uint32_t(x % 32 * 8) << 8 | uint32_t(y % 32 * 8);
}

TEST_F(GraphLoading, PiecesAreCutRowByRow) {
  const std::string path = WritePng("sheet.png", 96, 64, Sheet);
  GraphHandle pieces[6] = {};
  ASSERT_EQ(ImportGraphFileAsPieces(path.c_str(), 6, 3, 2, 32, 32, pieces, 0), 0);
  EXPECT_EQ(detail::GraphCount(), 6);  // the whole graph is gone, its pieces keep the pixels
  const int at[6][2] = {{0, 0}, {32, 0}, {64, 0}, {0, 32}, {32, 32}, {64, 32}};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    const GraphRecord* r = GetGraphRecord(pieces[k]);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 32);
    EXPECT_EQ(r->height, 32);
    EXPECT_EQ(ColourMismatch(pieces[k], [&](int x, int y) { return Sheet(at[k][0] + x, at[k][1] + y); }), "");
    ASSERT_NE(r->sourceFile, nullptr);
    EXPECT_TRUE(std::string(r->sourceFile->path).ends_with("sheet.png"));
  }
}

TEST_F(GraphLoading, FailedDivisionLeavesNoPieceBehind) {
  struct Case {
    const char* what;
    int count, across, down;
  };
  const std::string path = WritePng("sheet.png", 96, 64, Sheet);
  // A graph of the caller's whose handle also fills the array beforehand: a
  // failed division must not delete it.
  const GraphHandle mine = MakeGraph(4, 4, 0);
  for (const Case& c : {Case{"more pieces than the image holds", 7, 3, 2},
                        Case{"a piece outside the image", 6, 4, 2}}) {
    SCOPED_TRACE(c.what);
    GraphHandle pieces[8];
    std::fill(std::begin(pieces), std::end(pieces), mine);
    const int before = detail::GraphCount();
    EXPECT_EQ(ImportGraphFileAsPieces(path.c_str(), c.count, c.across, c.down, 32, 32, pieces, 0), -1);
    for (int k = 0; k < c.count; ++k) EXPECT_EQ(pieces[k], -1) << k;
    EXPECT_EQ(pieces[c.count], mine);
    EXPECT_EQ(detail::GraphCount(), before);
    EXPECT_EQ(IsGraphHandleValid(mine), 1);
    EXPECT_TRUE(Logged("グラフィックの分割に失敗しました in SplitRasterIntoGraphs\n"));
  }
}

TEST_F(GraphLoading, ReverseDivisionRunsColumnsRightToLeft) {
  Picture sheet(96, 32, Sheet);
  GraphHandle pieces[3] = {};
  ASSERT_EQ(SplitRasterIntoGraphs(&sheet.image, nullptr, 3, 3, 1, 32, 32, pieces, 0, 1, 0), 0);
  const int x[3] = {64, 32, 0};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(GetGraphRecord(pieces[k])->offsetX, x[k]);
    EXPECT_EQ(ColourMismatch(pieces[k], [&](int px, int py) { return Sheet(x[k] + px, py); }), "");
  }

  const int before = detail::GraphCount();
  EXPECT_EQ(SplitRasterIntoGraphs(&sheet.image, nullptr, 0, 3, 1, 32, 32, pieces, 0, 0, 0), 0);
  EXPECT_EQ(detail::GraphCount(), before);
}

TEST_F(GraphLoading, DecodesFromMemoryWithoutKeepingAName) {
  const std::vector<uint8_t> colour = PngBytes(kW, kH, Gradient);
  const std::vector<uint8_t> alpha = PngBytes(kW, kH, AlphaRamp);
  const GraphHandle g = DecodeGraphFromBuffer(colour.data(), int(colour.size()), alpha.data(), int(alpha.size()), 0, 0);
  ASSERT_GE(g, 0);
  EXPECT_EQ(ColourMismatch(g, Gradient), "");
  EXPECT_EQ(AlphaMismatch(g, AlphaOf), "");
  EXPECT_EQ(GetGraphRecord(g)->sourceFile, nullptr);

  const GraphHandle turned = DecodeGraphFromBuffer(colour.data(), int(colour.size()), nullptr, 0, 0, 1);
  ASSERT_GE(turned, 0);
  EXPECT_EQ(ColourMismatch(turned, [](int x, int y) { return Gradient(kW - 1 - x, y); }), "");

  const int before = detail::GraphCount();
  const std::vector<uint8_t> junk(40, 0x11);
  EXPECT_EQ(DecodeGraphFromBuffer(junk.data(), int(junk.size()), nullptr, 0, 0, 0), -1);
  const std::vector<uint8_t> small = PngBytes(kW - 1, kH, AlphaRamp);
  EXPECT_EQ(DecodeGraphFromBuffer(colour.data(), int(colour.size()), small.data(), int(small.size()), 0, 0), -1);
  EXPECT_EQ(detail::GraphCount(), before);
}

// A picture the readers may decode within the budget but whose 32-bit store
// would not fit it: refused before the store is made or the pixels converted.
TEST_F(GraphLoading, PictureTheStoreCannotHoldWithinTheBudgetIsRefused) {
  struct Budget {
    ~Budget() { detail::SetMaxReadBytes(0); }
  } restore;
  // A grey JPEG whose frame header was patched from 16 x 16 to 90 x 90: the
  // reader fills the missing data in, as for any file cut short.
  std::vector<uint8_t> jpeg = test::EncodeJpeg(16, 16, 1, JCS_GRAYSCALE, 1, 1);
  const uint8_t frameMarker[] = {0xFF, 0xC0};
  const auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(frameMarker), std::end(frameMarker));
  ASSERT_NE(frame, jpeg.end());
  frame[6] = 90;
  frame[8] = 90;
  Picture picture(90, 90, Gradient);
  const std::string bmpPath = Path("wide.bmp");
  ASSERT_EQ(SaveRasterImageAsBmp(bmpPath.c_str(), &picture.image), 0);
  std::ifstream in(bmpPath, std::ios::binary);
  const std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  const int before = detail::GraphCount();
  for (const std::vector<uint8_t>* bytes : std::initializer_list<const std::vector<uint8_t>*>{&jpeg, &bmp}) {
    detail::SetMaxReadBytes(90 * 272);  // the bitmap's rows are 272 bytes
    RasterImage decoded{};
    ASSERT_EQ(LoadRasterImage(nullptr, bytes->data(), int(bytes->size()), 1, &decoded, 0), 0);
    FreeRasterImage(&decoded);
    EXPECT_EQ(DecodeGraphFromBuffer(bytes->data(), int(bytes->size()), nullptr, 0, 0, 0), -1);
    EXPECT_EQ(detail::GraphCount(), before);
    detail::SetMaxReadBytes(90 * 90 * 4);
    const GraphHandle g = DecodeGraphFromBuffer(bytes->data(), int(bytes->size()), nullptr, 0, 0, 0);
    EXPECT_GE(g, 0);
    FreeGraphHandle(g, 0);
  }
}

uint32_t Other(int x, int y) { return Gradient(y, x) ^ 0x00FF00; }
uint32_t OtherAlpha(int x, int y) { return uint32_t(250 - x * 3 - y) << 16; }

TEST_F(GraphLoading, RedecodeRefillsColourAndAlpha) {
  const std::vector<uint8_t> colour = PngBytes(kW, kH, Gradient);
  const std::vector<uint8_t> alpha = PngBytes(kW, kH, AlphaRamp);
  const GraphHandle g = DecodeGraphFromBuffer(colour.data(), int(colour.size()), alpha.data(), int(alpha.size()), 0, 0);
  ASSERT_GE(g, 0);

  const std::vector<uint8_t> colour2 = PngBytes(kW, kH, Other);
  const std::vector<uint8_t> alpha2 = PngBytes(kW, kH, OtherAlpha);
  ASSERT_EQ(RedecodeGraphFromBuffer(colour2.data(), int(colour2.size()), g, alpha2.data(), int(alpha2.size()), 0, 0),
            0);
  EXPECT_EQ(ColourMismatch(g, Other), "");
  EXPECT_EQ(AlphaMismatch(g, [](int x, int y) { return OtherAlpha(x, y) >> 16; }), "");

  ASSERT_EQ(RedecodeGraphFromBuffer(colour.data(), int(colour.size()), g, alpha.data(), int(alpha.size()), 0, 1), 0);
  EXPECT_EQ(ColourMismatch(g, [](int x, int y) { return Gradient(kW - 1 - x, y); }), "");
  EXPECT_EQ(AlphaMismatch(g, [](int x, int y) { return AlphaOf(kW - 1 - x, y); }), "");

  // Images of another size, or no graph: nothing changes.
  const std::vector<uint8_t> wide = PngBytes(kW + 1, kH, Other);
  EXPECT_EQ(RedecodeGraphFromBuffer(wide.data(), int(wide.size()), g, nullptr, 0, 0, 0), -1);
  const std::vector<uint8_t> tallAlpha = PngBytes(kW, kH + 1, OtherAlpha);
  EXPECT_EQ(RedecodeGraphFromBuffer(colour2.data(), int(colour2.size()), g, tallAlpha.data(), int(tallAlpha.size()),
                                    0, 0),
            -1);
  EXPECT_EQ(ColourMismatch(g, [](int x, int y) { return Gradient(kW - 1 - x, y); }), "");
  const GraphHandle gone = MakeGraph(kW, kH, 0);
  FreeGraphHandle(gone, 0);
  EXPECT_EQ(RedecodeGraphFromBuffer(colour.data(), int(colour.size()), gone, nullptr, 0, 0, 0), -1);
}

// 16 x 4 pixels of four DXT1 blocks: two red, then two blue.
std::vector<uint8_t> Dxt1RedThenBlue() {
  using test::Bytes;
  using test::DdsHeader;
  Bytes b;
  b.raw(DdsHeader({16, 4, 4, "DXT1"}));
  for (int block = 0; block < 4; ++block) b.u16(0xF800).u16(0x001F).u32(block < 2 ? 0x00000000 : 0x55555555);
  return b.data;
}

TEST_F(GraphLoading, BlockCompressedImageIsDecodedBeforeTheTransfer) {
  const std::vector<uint8_t> dds = Dxt1RedThenBlue();
  for (int reverse : {0, 1}) {
    SCOPED_TRACE(reverse);
    const GraphHandle g = DecodeGraphFromBuffer(dds.data(), int(dds.size()), nullptr, 0, 0, reverse);
    ASSERT_GE(g, 0);
    EXPECT_EQ(ColourMismatch(g, [&](int x, int) { return (x < 8) != (reverse == 1) ? 0xFF0000u : 0x0000FFu; }), "");
  }
}

}  // namespace
}  // namespace veziv
