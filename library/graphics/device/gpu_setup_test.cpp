#include "library/graphics/device/gpu_setup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_test_support.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

using namespace platform::gpu;

// A started software screen with the recording device under the cache and
// the log in a folder of its own.
class DeviceSetUp : public test::GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    log_.SetUp();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::AttachGpuDevice(&device_);
  }
  void TearDown() override {
    GraphicsTest::TearDown();
    detail::ChooseDrawers(false);
    detail::ReleaseGpuDevice();
    log_.TearDown();
  }
  bool Logged(const std::string& line) const { return log_.Read().find(line) != std::string::npos; }

  struct Log : test::LogFolderTest {
    void TestBody() override {}
    using test::LogFolderTest::SetUp;
    using test::LogFolderTest::TearDown;
    std::string Read() const { return ReadLog(); }
  } log_;
  test::RecordingDevice device_;
};

TEST_F(DeviceSetUp, TheFormatTableTakesWhatTheDeviceAcceptsAndLogsEachKind) {
  struct Case {
    const char* name;
    Format backBuffer;
    std::vector<Format> refused;
    std::vector<DepthFormat> refusedDepths;
    int result;
    std::vector<std::string> lines;
    std::vector<std::pair<int, int>> kinds;  // kind and the format it must hold
  } cases[] = {
      {"every format taken", Format::kX8R8G8B8, {}, {}, 0,
       {"画面のフォーマットは D3DFMT_X8R8G8B8 です", "Ｚバッファのフォーマットは D3DFMT_D16 です",
        "16bit カラーフォーマットは L_D3DFMT_R5G6B5 です", "アルファ付き 16bit カラーフォーマットは L_D3DFMT_A4R4G4B4 です",
        "ＤＸＴ１テクスチャフォーマットは L_D3DFMT_DXT1 です", "描画用 16bit カラーフォーマットは L_D3DFMT_R5G5B5 です"},
       {{kKind16, kFmtR5G6B5}, {kKind32Alpha, kFmtA8R8G8B8}, {kKindDxt1, kFmtDxt1}, {kKindTarget16, kFmtX1R5G5B5}}},
      {"a 16-bit screen", Format::kR5G6B5, {}, {}, 0,
       {"画面のフォーマットは D3DFMT_R5G6B5 です", "描画用 16bit カラーフォーマットは D3DFMT_R5G6B5 です"},
       {{kKindTarget16, kFmtR5G6B5}}},
      {"no block formats, no 4-bit alpha, no 16-bit depth", Format::kX8R8G8B8,
       {Format::kDxt1, Format::kDxt5, Format::kA4R4G4B4}, {DepthFormat::kD16}, 0,
       {"Ｚバッファのフォーマットは D3DFMT_D24X8 です", "ＤＸＴ１テクスチャフォーマットは使えません",
        "ＤＸＴ５テクスチャフォーマットは使えません", "アルファ付き 16bit カラーフォーマットは L_D3DFMT_A8R8G8B8 です"},
       {{kKindDxt1, kFmtA1R5G5B5}, {kKindDxt1 + 4, kFmtA8R8G8B8}, {kKind16Alpha, kFmtA8R8G8B8}}},
      {"no 16-bit colour format at all", Format::kX8R8G8B8, {Format::kR5G6B5, Format::kX1R5G5B5}, {}, -1,
       {"使用できる 16bit カラーフォーマットが見つかりませんでした"}, {}},
      {"no depth format at all", Format::kX8R8G8B8, {}, {DepthFormat::kD16, DepthFormat::kD24X8, DepthFormat::kD32},
       -1, {"使用できる Zバッファフォーマットが見つかりませんでした"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CreateLogFile();
    device_.facts.backBuffer = c.backBuffer;
    device_.refused = c.refused;
    device_.refusedDepths = c.refusedDepths;
    EXPECT_EQ(detail::ProbeDeviceFormats(), c.result);
    for (const std::string& line : c.lines) EXPECT_TRUE(Logged(line)) << line << "\n" << log_.Read();
    for (const auto& [kind, format] : c.kinds) EXPECT_EQ(detail::FormatTable().kinds[kind], format) << kind;
  }
}

TEST_F(DeviceSetUp, TheZBufferCoversTheScreenInPowersOfTwo) {
  StartScreen(32, 100, 60);
  device_.width = 100, device_.height = 60;
  ASSERT_EQ(detail::ProbeDeviceFormats(), 0);
  ASSERT_EQ(CreateZBuffer(), 0);
  EXPECT_EQ(device_.depthWidth, 128);
  EXPECT_EQ(device_.depthHeight, 64);
  EXPECT_EQ(device_.Count("ClearDepth"), 1);
  EXPECT_TRUE(Logged("Ｚバッファを作成します.... 成功"));
  detail::AttachGpuDevice(nullptr);
  EXPECT_EQ(CreateZBuffer(), -1) << "nothing to make it on";
}

TEST_F(DeviceSetUp, TheSubBackBufferIsMadeOnceWithTheScreenAndTakesTheDraws) {
  ASSERT_EQ(detail::ProbeDeviceFormats(), 0);
  detail::ChooseDrawers(true);
  device_.Forget();
  ASSERT_EQ(UseSubBackBuffer(), 0);
  ASSERT_EQ(device_.made.size(), 1u);
  EXPECT_EQ(device_.made[0].width, device_.width);
  EXPECT_EQ(device_.made[0].height, device_.height);
  EXPECT_EQ(device_.made[0].format, Format::kX8R8G8B8);
  EXPECT_TRUE(device_.made[0].renderTarget);
  EXPECT_EQ(device_.Count("CopyTargetRect"), 1) << "it starts with what the back buffer holds";
  EXPECT_EQ(detail::SubBackBuffer(), device_.live.back());
  ASSERT_EQ(UseSubBackBuffer(), 0);
  EXPECT_EQ(device_.made.size(), 1u);
  ASSERT_EQ(DrawBoxShape(0, 0, 8, 8, PackColorForScreen(255, 0, 0), 1), 0);
  FlushVertexBatch();
  ASSERT_FALSE(device_.draws.empty());
  EXPECT_EQ(device_.draws.back().target, detail::SubBackBuffer());
}

TEST_F(DeviceSetUp, TimedFramesInFullScreenAreDrawnInTheSubBackBuffer) {
  ASSERT_EQ(detail::ProbeDeviceFormats(), 0);
  detail::ChooseDrawers(true);
  static int presented;
  presented = 0;
  detail::GraphicsCalls().present_back_buffer = [] { ++presented; };
  for (const int windowed : {1, 0}) {
    SCOPED_TRACE(windowed ? "windowed" : "full screen");
    detail::WindowState().windowed = windowed;
    ASSERT_EQ(SelectDrawTarget(kTargetAutoPresent), 0);
    platform::os::AdvanceManualClock(40000);
    ServiceDrawTargetTimer();
    EXPECT_EQ(detail::SubBackBuffer() != 0, windowed == 0);
  }
  EXPECT_EQ(presented, 2);
  ASSERT_EQ(DrawBoxShape(0, 0, 8, 8, PackColorForScreen(255, 0, 0), 1), 0);
  FlushVertexBatch();
  ASSERT_FALSE(device_.draws.empty());
  EXPECT_EQ(device_.draws.back().target, detail::SubBackBuffer());
}

TEST_F(DeviceSetUp, LightingFollowsTheDrawStatesWord) {
  int first = -1, second = -1;
  EXPECT_EQ(GetDrawStatePair(&first, &second), 0);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(GetDrawStatePair(nullptr, nullptr), 0);
  for (const int word : {1, 0}) {
    detail::SetLightingOffWord(word);
    ASSERT_EQ(ApplyLights(), 0);
    EXPECT_EQ(detail::DeviceCache().render[kRsLighting], word == 0 ? 1u : 0u) << word;
  }
}

}  // namespace
}  // namespace veziv
