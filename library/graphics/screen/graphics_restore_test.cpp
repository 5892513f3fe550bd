// The built-in reload over files written by the test (one load for a run of
// graphs with the same file and option word, a vanished file, a graph made
// without a file, the alpha companion), the callback selection and the
// recovery after a device loss, with the mask screen it brings back, also
// across the library's start and end.
#include "library/graphics/screen/graphics_restore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/graphs/graphics_test_support.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_test_support.h"
#include "library/graphics/images/image_writers.h"
#include "library/graphics/screen/screen_mode.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::Loaded;

// The colour of pixel (x, y) of the picture numbered `picture`.
uint32_t Colour(int picture, int x, int y) {
  return uint32_t(20 * picture + 10 * x) << 16 | uint32_t(30 * y) << 8 | uint32_t(200 - 40 * picture);
}

uint32_t StorePixel(int graph, int x, int y) {
  const SOFTSURFACE& view = GetGraphRecord(graph)->view;
  uint32_t v = 0;
  std::memcpy(&v, view.pixels + y * view.base->pitch + x * 4, 4);
  return v;
}

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

class GraphicsRestoreTest : public GraphicsTest {
 protected:
  void SetUp() override {
    // The mode first: the screen record it resets is the one the fixture's screen goes into.
    detail::StartScreenModeAfresh();
    GraphicsTest::SetUp();
    detail::GraphicsRestoreState() = detail::GraphicsRestoreRecord{};
    Calls().clear();
    detail::ResetLibrarySubsystems();
    detail::RegisteredSubsystems().terminate_input = [] { Calls().push_back("end input"); };
    detail::GraphicsLifecycleCalls().setup_device = [] {
      Calls().push_back("set up");
      return 0;
    };
    detail::GraphicsCalls().reopen_all_movies = [] { Calls().push_back("movies"); };
  }
  void TearDown() override {
    EndLibrary();
    detail::SetLogFolder("");
    if (!old_folder_.empty()) std::filesystem::current_path(old_folder_);
    detail::ResetLibrarySubsystems();
    detail::StartScreenModeAfresh();
    detail::GraphicsRestoreState() = detail::GraphicsRestoreRecord{};
    GraphicsTest::TearDown();
  }

  // The library running with no steps but the fixture's end of input, as a
  // program runs when its device is lost: a recovery outside a run would meet
  // whatever an earlier end left behind. Its log goes to the fixture's folder.
  void StartLibraryWithoutSteps() {
    detail::LibrarySubsystems& s = detail::RegisteredSubsystems();
    void (*endInput)() = s.terminate_input;
    s = {};
    s.terminate_input = endInput;
    old_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    ASSERT_EQ(detail::StartLibrary(), 0);
  }

  // An 8 x 4 bitmap of the picture; with an alpha value, also its "_a"
  // companion holding that value everywhere.
  std::string WritePicture(const char* name, int picture, int alpha = -1) {
    const std::string path = folder_ / name;
    Loaded image;
    EXPECT_EQ(CreateRasterImageArgb(8, 4, image.get()), 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) {
        const uint32_t c = Colour(picture, x, y);
        SetRasterImagePixel(image.get(), x, y, int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF), 255);
      }
    EXPECT_EQ(SaveRasterImageAsBmp(path.c_str(), image.get()), 0);
    if (alpha >= 0) {
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) SetRasterImagePixel(image.get(), x, y, alpha, alpha, alpha, 255);
      std::string companion = path;
      companion.insert(companion.rfind('.'), "_a");
      EXPECT_EQ(SaveRasterImageAsBmp(companion.c_str(), image.get()), 0);
    }
    return path;
  }

  // A 4 x 4 graph filled from (x, 0) of the file, as the file loader leaves it.
  static int GraphFromFile(const std::string& path, int x, int option, int alphaFlag = 0) {
    Loaded colour, alpha;
    const int loaded = LoadRasterImageWithAlpha(path.c_str(), nullptr, 0, 0, nullptr, 0, 0, colour.get(),
                                                alpha.get(), option);
    EXPECT_GE(loaded, 0);
    const int graph = AllocGraphHandle();
    EXPECT_EQ(CreateGraphSurface(graph, 4, 4, alphaFlag, 0, 0, 0), 0);
    EXPECT_EQ(SetGraphicSourceImage(colour.get(), loaded == 0 ? alpha.get() : nullptr, x, 0, graph, option,
                                    path.c_str()),
              0);
    return graph;
  }

  static void Overwrite(int graph, uint32_t raw) { SoftSurfaceFillRaw(&GetGraphRecord(graph)->view, nullptr, raw); }

  test::TestFolder folder_;
  std::filesystem::path old_folder_;  // set while a test works in another folder
};

TEST_F(GraphicsRestoreTest, ReloadRefillsGraphsFromTheirFiles) {
  const std::string sheet = WritePicture("sheet.bmp", 1);
  const std::string other = WritePicture("other.bmp", 2);
  const std::string gone = WritePicture("gone.bmp", 3);
  struct Graph {
    const char* name;
    int handle;
    int picture;  // 0: keeps what was drawn into it
    int fileX;    // the file column its column 0 shows
    int step;     // +1, or -1 for a mirrored file
  };
  std::vector<Graph> graphs = {
      {"left of the sheet", GraphFromFile(sheet, 0, 0), 1, 0, 1},
      {"right of the sheet (same load)", GraphFromFile(sheet, 4, 0), 1, 4, 1},
      {"file gone", GraphFromFile(gone, 0, 0), 0, 0, 1},
      {"made without a file", MakeGraph(4, 4, 0x00ABCDEF), 0, 0, 1},
      {"other file", GraphFromFile(other, 2, 0), 2, 2, 1},
      {"sheet mirrored (option word differs)", GraphFromFile(sheet, 0, 1), 1, 7, -1},
      {"sheet again after the mirrored one", GraphFromFile(sheet, 2, 0), 1, 2, 1},
      {"sheet through the file loader (same load)", ImportGraphFile(sheet.c_str(), 0), 1, 0, 1},
  };
  std::filesystem::remove(gone);
  for (const Graph& g : graphs) Overwrite(g.handle, 0x00112233);

  EXPECT_EQ(ReloadGraphsFromFiles(), 0);

  EXPECT_EQ(detail::GraphicsRestoreState().reloadedFiles, 5) << "sheet, gone, other, sheet mirrored, sheet";
  for (const Graph& g : graphs) {
    SCOPED_TRACE(g.name);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const uint32_t want = g.picture ? Colour(g.picture, g.fileX + g.step * x, y) : 0x112233;
        ASSERT_EQ(StorePixel(g.handle, x, y) & 0xFFFFFF, want) << x << ", " << y;
      }
  }
}

TEST_F(GraphicsRestoreTest, ReloadBringsBackTheAlphaCompanion) {
  const std::string path = WritePicture("glass.bmp", 1, 0x40);
  const int left = GraphFromFile(path, 0, 0, 1);
  const int right = GraphFromFile(path, 4, 0, 1);
  Overwrite(left, 0xFF000000);
  Overwrite(right, 0xFF000000);

  ReloadGraphsFromFiles();

  EXPECT_EQ(detail::GraphicsRestoreState().reloadedFiles, 1);
  for (int graph : {left, right})
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(StorePixel(graph, x, y) >> 24, 0x40u) << graph << ": " << x << ", " << y;
  EXPECT_EQ(StorePixel(right, 1, 2) & 0xFFFFFF, Colour(1, 5, 2));
}

TEST_F(GraphicsRestoreTest, ReloadDecodesABlockCompressedFile) {
  // 8 x 4 pixels of two DXT1 blocks: red, then blue.
  test::Bytes dds;
  dds.raw(test::DdsHeader({8, 4, 4, "DXT1"}));
  for (int block = 0; block < 2; ++block) dds.u16(0xF800).u16(0x001F).u32(block == 0 ? 0x00000000 : 0x55555555);
  const std::string path = folder_ / "blocks.dds";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(dds.data.data()), std::streamsize(dds.data.size()));
  }
  const int graph = ImportGraphFile(path.c_str(), 0);
  ASSERT_GE(graph, 0);
  Overwrite(graph, 0x00112233);

  ReloadGraphsFromFiles();

  for (int x = 0; x < 8; ++x) ASSERT_EQ(StorePixel(graph, x, 1) & 0xFFFFFF, x < 4 ? 0xFF0000u : 0x0000FFu) << x;
}

int g_callbackRuns = 0;
void ProgramCallback() {
  ++g_callbackRuns;
  Calls().push_back("callback");
}

TEST_F(GraphicsRestoreTest, RecoveryRunsTheProgramsCallbackAfterTheDeviceIsSetUp) {
  struct Case {
    const char* name;
    bool choose;
    GraphicsRestoreCallback callback;
    bool started;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"program's callback", true, ProgramCallback, true, {"end input", "set up", "callback", "movies"}},
      {"built-in selected: the graphs are intact", true, nullptr, true, {"end input", "set up", "movies"}},
      {"nothing chosen", false, nullptr, true, {"end input", "set up", "movies"}},
      {"graphics not started: no device", true, ProgramCallback, false, {"end input"}},
  };
  const std::string path = WritePicture("kept.bmp", 1);
  StartLibraryWithoutSteps();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::GraphicsRestoreState() = detail::GraphicsRestoreRecord{};
    if (c.choose) SetGraphicsRestoreCallback(c.callback);
    EXPECT_EQ(IsGraphicsRestoreCallbackSet(), c.choose ? 1 : 0);
    const int graph = GraphFromFile(path, 0, 0);
    Overwrite(graph, 0x00777777);
    detail::Screen().started = c.started ? 1 : 0;
    Calls().clear();

    EXPECT_EQ(RecoverLostDevice(), 0);

    EXPECT_EQ(Calls(), c.calls);
    EXPECT_EQ(StorePixel(graph, 0, 0) & 0xFFFFFF, 0x777777u) << "what was drawn stays";
    detail::Screen().started = 1;
    FreeGraphHandle(graph, 0);
  }
}

// What the program's callback saw of the mask screen.
struct MaskSeen {
  int active = -1;
  bool image = false;
};
MaskSeen g_maskAtCallback;

TEST_F(GraphicsRestoreTest, TheMaskScreenComesBackBeforeTheCallback) {
  struct Case {
    const char* name;
    bool made, use, lossTakesTheMask;
    int activeAfter, useAfter;
    bool imageAfter;
    // Column 5 of the drawn block: held back by the mask bytes set before the loss.
    bool column5HeldBack;
  };
  const Case cases[] = {
      {"mask screen in use, lost with the device", true, true, true, 1, 1, true, false},
      {"mask screen in use, kept by the device", true, true, false, 1, 1, true, true},
      {"mask screen made, use off", true, false, true, 0, 0, true, false},
      {"no mask screen", false, true, true, 0, 1, false, false},
  };
  StartLibraryWithoutSteps();
  SetGraphicsRestoreCallback([] { g_maskAtCallback = {IsMaskedDrawActive(), MaskScreenImage() != nullptr}; });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::StartMaskScreenAfresh();
    ResetDrawState();
    SoftSurfaceFillRaw(&screen_, nullptr, 0xFF000000);
    if (c.made) {
      ASSERT_EQ(SetupMaskScreen(1), 0);
      ASSERT_EQ(SetMaskScreenUse(c.use ? 1 : 0), 0);
      int pitch = 0;
      uint8_t* mask = detail::MaskBytes(&pitch);
      for (int y = 0; y < 4; ++y) mask[y * pitch + 5] = 1;
    }
    detail::GraphicsLifecycleCalls().setup_device =
        c.lossTakesTheMask ? +[] { return FreeMaskScreen(); } : +[] { return 0; };
    g_maskAtCallback = {};

    EXPECT_EQ(RecoverLostDevice(), 0);

    EXPECT_EQ(g_maskAtCallback.active, c.activeAfter);
    EXPECT_EQ(g_maskAtCallback.image, c.imageAfter);
    EXPECT_EQ(IsMaskedDrawActive(), c.activeAfter);
    EXPECT_EQ(GetMaskScreenUse(), c.useAfter);
    EXPECT_EQ(detail::MaskBytes(nullptr) != nullptr, c.imageAfter);
    EXPECT_EQ(CurrentDrawTargetImage(), c.activeAfter ? MaskScreenImage() : &screen_);
    const int g = MakeGraph(8, 4, 0xFF445566);
    ASSERT_EQ(RenderGraphAtPoint(0, 0, g, 0), 0);
    EXPECT_EQ(ScreenPixel(4, 1), 0xFF445566u);
    EXPECT_EQ(ScreenPixel(5, 1), c.column5HeldBack ? 0xFF000000u : 0xFF445566u);
    FreeGraphHandle(g, 0);
  }
}

TEST_F(GraphicsRestoreTest, TheWindowReachesTheRecoveryOnceGraphicsAreUp) {
  StartLibraryWithoutSteps();
  SetGraphicsRestoreCallback(ProgramCallback);
  detail::CallSites().recover_lost_device();
  EXPECT_TRUE(Calls().empty()) << "nothing installed yet";
  detail::InstallScreenModeHooks();
  detail::CallSites().recover_lost_device();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"end input", "set up", "callback", "movies"}));
}

TEST_F(GraphicsRestoreTest, LibraryStartKeepsTheChosenCallbackAndTheEndRecoversNothing) {
  struct Case {
    const char* name;
    bool chosenBeforeStart;
    int runsAfterRecovery;
  };
  const Case cases[] = {{"chosen before the start", true, 1}, {"none chosen", false, 0}};
  old_folder_ = std::filesystem::current_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TestFolder home;
    std::filesystem::current_path(home.path());
    detail::GraphicsRestoreState() = detail::GraphicsRestoreRecord{};
    g_callbackRuns = 0;
    detail::LibrarySubsystems& s = detail::RegisteredSubsystems();
    s.clear_graphics_restore_callback = detail::ClearGraphicsRestoreCallback;
    s.end_graphics_system = [] { RecoverLostDevice(); };
    if (c.chosenBeforeStart) SetGraphicsRestoreCallback(ProgramCallback);

    ASSERT_EQ(detail::StartLibrary(), 0);
    EXPECT_EQ(IsGraphicsRestoreCallbackSet(), 1);
    RecoverLostDevice();
    EXPECT_EQ(g_callbackRuns, c.runsAfterRecovery);
    Calls().clear();
    EndLibrary();
    EXPECT_EQ(g_callbackRuns, c.runsAfterRecovery) << "no restore while the library ends";
    EXPECT_EQ(Calls(), (std::vector<std::string>{"end input", "end input"})) << "recovery, then the end's own step";
    std::filesystem::current_path(old_folder_);
  }
}

}  // namespace
}  // namespace veziv
