// Draw state: setters and their no-change rule, colour packing, the draw area,
// the draw target with its timer, clearing, the reset and the snapshot.
#include "library/graphics/graphs/draw_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "library/foundation/window/call_sites.h"
#include "library/graphics/graphs/graphics_test_support.h"
#include "library/softrender/blend/blend_tables.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::InactiveWaits;

class DrawStateTest : public GraphicsTest {};

TEST_F(DrawStateTest, BlendModeComparesTheUnclampedParameter) {
  MakeWindowInactive();
  EXPECT_EQ(ChooseBlendMode(1, 300), 0);
  EXPECT_EQ(GetBlendParam(), 255);
  EXPECT_EQ(InactiveWaits(), 1);
  ChooseBlendMode(1, 300);  // 300 is not the stored 255: a change, so it waits again
  EXPECT_EQ(InactiveWaits(), 2);
  ChooseBlendMode(1, 255);
  EXPECT_EQ(InactiveWaits(), 2);
  ChooseBlendMode(2, -4);
  EXPECT_EQ(GetBlendMode(), 2);
  EXPECT_EQ(GetBlendParam(), 0);
  detail::SetDrawingSuppressed(1);
  ChooseBlendMode(4, 9);
  EXPECT_EQ(GetBlendMode(), 2);
}

TEST_F(DrawStateTest, DrawColorWordCarriesBrightnessAndBlendAlpha) {
  SetDrawColorScale(255, 128, 0);
  ChooseBlendMode(0, 0);
  EXPECT_EQ(GetDrawColorWord(), 0xFFFF8000u);
  ChooseBlendMode(1, 64);
  EXPECT_EQ(GetDrawColorWord(), 0x40FF8000u);
  SetDrawColorScale(999, -1, 7);
  EXPECT_EQ(GetDrawColorWord(), 0x40FF0007u);
  SetDrawColorScalePacked(0xAA102030);
  EXPECT_EQ(GetDrawColorWord(), 0x40102030u);
}

TEST_F(DrawStateTest, ScreenColoursPackAndUnpackByTheScreenFormat) {
  struct Case {
    int bits;
    int r, g, b;
    uint32_t packed;
    int ur, ug, ub;
  };
  const Case cases[] = {
      {16, 255, 255, 255, 0xFFFF, 255, 255, 255},
      {16, 255, 128, 8, 0xFC01, 255, 129, 8},
      {32, 255, 255, 255, 0xFFFFFFFF, 255, 255, 255},
      {32, 1, 2, 3, 0xFF010203, 1, 2, 3},
  };
  for (const Case& c : cases) {
    detail::Screen().bits = c.bits;
    EXPECT_EQ(PackColorForScreen(c.r, c.g, c.b), c.packed) << c.bits;
    int r = -1, g = -1, b = -1;
    EXPECT_EQ(UnpackScreenColor(c.packed, &r, &g, &b), 0);
    EXPECT_EQ(r, c.ur);
    EXPECT_EQ(g, c.ug);
    EXPECT_EQ(b, c.ub);
  }
}

TEST_F(DrawStateTest, DrawAreaIsOrderedAndClampedToTheTarget) {
  StartScreen(32, 800, 600);
  struct Case {
    int l, t, r, b;
    DrawRect area;
    int empty;
  };
  const Case cases[] = {
      {700, 500, 100, -20, {100, 0, 700, 500}, 0},
      {-50, -50, 900, 900, {0, 0, 800, 600}, 0},
      {30, 10, 30, 40, {30, 10, 30, 40}, 1},
      {900, 10, 1000, 40, {800, 10, 800, 40}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetClipRegion(c.l, c.t, c.r, c.b), 0);
    int out[4];
    GetClipRegion(out);
    EXPECT_EQ(out[0], c.area.left);
    EXPECT_EQ(out[1], c.area.top);
    EXPECT_EQ(out[2], c.area.right);
    EXPECT_EQ(out[3], c.area.bottom);
    EXPECT_EQ(IsDrawAreaEmpty(), c.empty);
  }
}

TEST_F(DrawStateTest, DrawTargetValidatesTheWholeHandle) {
  const int g = MakeGraph(16, 16, 0);
  FreeGraphHandle(g, 0);
  const int other = MakeGraph(16, 16, 0);  // the same slot under a new check
  ASSERT_EQ(HandleSlot(other), HandleSlot(g));
  EXPECT_EQ(SelectDrawTarget(g), -1);
  EXPECT_EQ(GetCurrentDrawTarget(), kTargetAutoPresent);
  EXPECT_EQ(CurrentDrawTargetImage(), &screen_);
  EXPECT_EQ(SelectDrawTarget(other), 0);
  EXPECT_EQ(CurrentDrawTargetImage(), &GetGraphRecord(other)->view);
  detail::Screen().started = 0;
  EXPECT_EQ(SelectDrawTarget(kTargetBackScreen), -1);
}

TEST_F(DrawStateTest, TargetOfAnotherSizeGetsTheFullArea) {
  const int small = MakeGraph(16, 8, 0);
  const int same = MakeGraph(16, 8, 0);
  SetClipRegion(4, 4, 20, 20);
  ASSERT_EQ(SelectDrawTarget(small), 0);
  EXPECT_EQ(GetDrawArea().right, 16);
  EXPECT_EQ(GetDrawArea().bottom, 8);
  SetClipRegion(2, 3, 5, 6);
  ASSERT_EQ(SelectDrawTarget(same), 0);  // same size: the area stays
  EXPECT_EQ(GetDrawArea().left, 2);
  EXPECT_EQ(GetDrawArea().bottom, 6);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  EXPECT_EQ(GetDrawArea().right, kScreenSize);
  EXPECT_EQ(GetDrawCamera().targetWidth, kScreenSize);
}

TEST_F(DrawStateTest, DeletedTargetGraphFallsBackToTheScreenImage) {
  const int g = MakeGraph(8, 8, 0);
  ASSERT_EQ(SelectDrawTarget(g), 0);
  FreeGraphHandle(g, 0);
  EXPECT_EQ(CurrentDrawTargetImage(), &screen_);
  EXPECT_EQ(SetClipRegion(0, 0, 4, 4), -1);
}

TEST_F(DrawStateTest, ChangingTheTargetKeepsTheMaskUseSetting) {
  ASSERT_EQ(SetupMaskScreen(1), 0);
  const int g = MakeGraph(16, 16, 0);
  struct Step {
    int target;
    SOFTSURFACE* ownImage;
  };
  const Step steps[] = {{g, &GetGraphRecord(g)->view}, {kTargetBackScreen, &screen_}, {kTargetAutoPresent, &screen_}};
  for (int use : {1, 0}) {
    ASSERT_EQ(SetMaskScreenUse(use), 0);
    for (const Step& step : steps) {
      ASSERT_EQ(SelectDrawTarget(step.target), 0);
      EXPECT_EQ(GetMaskScreenUse(), use) << step.target;
      EXPECT_EQ(IsMaskedDrawActive(), use) << step.target;
      EXPECT_EQ(CurrentDrawTargetImage(), use ? MaskScreenImage() : step.ownImage) << step.target;
      EXPECT_EQ(DrawTargetOwnImage(), step.ownImage) << step.target;
    }
  }
}

int g_presents = 0;

TEST_F(DrawStateTest, AutoPresentTargetPresentsEvery32MsWhileSelected) {
  g_presents = 0;
  detail::GraphicsCalls().present_back_buffer = [] { ++g_presents; };
  ASSERT_EQ(GetCurrentDrawTarget(), kTargetAutoPresent);
  EXPECT_EQ(IsDrawTargetTimerArmed(), 1);
  platform::os::AdvanceManualClock(31000);
  ServiceDrawTargetTimer();
  EXPECT_EQ(g_presents, 0);
  platform::os::AdvanceManualClock(1000);
  ServiceDrawTargetTimer();
  EXPECT_EQ(g_presents, 1);
  EXPECT_EQ(IsDrawTargetTimerArmed(), 1);  // re-armed
  ServiceDrawTargetTimer();
  EXPECT_EQ(g_presents, 1);
  platform::os::AdvanceManualClock(32000);
  SelectDrawTarget(kTargetBackScreen);
  ServiceDrawTargetTimer();  // the tick finds another target and lapses
  EXPECT_EQ(g_presents, 1);
  EXPECT_EQ(IsDrawTargetTimerArmed(), 0);
  SelectDrawTarget(kTargetAutoPresent);
  EXPECT_EQ(IsDrawTargetTimerArmed(), 1);
}

TEST_F(DrawStateTest, PumpRunsTheTimerOnceGraphicsAreConnected) {
  g_presents = 0;
  detail::GraphicsCalls().present_back_buffer = [] { ++g_presents; };
  detail::ConnectGraphicsToPump();
  platform::os::AdvanceManualClock(40000);
  detail::CallSites().run_window_timers();
  EXPECT_EQ(g_presents, 1);
  detail::DisconnectGraphicsFromPump();
  platform::os::AdvanceManualClock(40000);
  detail::CallSites().run_window_timers();
  EXPECT_EQ(g_presents, 1);
}

TEST_F(DrawStateTest, WindowMoveAppliesTheDrawAreaAgainOnceGraphicsAreConnected) {
  ASSERT_EQ(SetupMaskScreen(1), 0);
  ASSERT_EQ(SelectDrawTarget(kTargetFrontScreen), 0);
  // An area beyond the target shows when it is applied again: it is clamped.
  const DrawRect beyond{-8, 3, 200, 40};
  auto same = [](const DrawRect& a, const DrawRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  };
  for (int use : {1, 0}) {
    ASSERT_EQ(SetMaskScreenUse(use), 0);
    SetDrawAreaDirect(beyond);
    detail::CallSites().reapply_draw_area();  // graphics not connected yet
    EXPECT_TRUE(same(GetDrawArea(), beyond)) << use;
    detail::ConnectGraphicsToPump();
    detail::CallSites().reapply_draw_area();
    EXPECT_TRUE(same(GetDrawArea(), DrawRect{0, 3, kScreenSize, 40})) << use;
    // The mask setting is renewed as it was, neither lost nor switched on.
    EXPECT_EQ(GetMaskScreenUse(), use);
    EXPECT_EQ(IsMaskedDrawActive(), use);
    detail::DisconnectGraphicsFromPump();
    SetDrawAreaDirect(beyond);
    detail::CallSites().reapply_draw_area();
    EXPECT_TRUE(same(GetDrawArea(), beyond)) << use;
  }
}

TEST_F(DrawStateTest, ClearingFillsTheTargetWithBlack) {
  SoftSurfaceFillRaw(&screen_, nullptr, 0x12345678);
  SetClipRegion(0, 0, 2, 2);
  EXPECT_EQ(ClearDrawTarget(), 0);
  EXPECT_EQ(ScreenPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(ScreenPixel(63, 63), 0xFF000000u);

  SetNewGraphBitDepth(16);
  const int g = MakeGraph(4, 4, 0xFFFF);
  SelectDrawTarget(g);
  ClearDrawTarget();
  uint16_t pixel = 1;
  std::memcpy(&pixel, GetGraphRecord(g)->view.pixels + GetGraphRecord(g)->view.base->pitch * 3 + 6, 2);
  EXPECT_EQ(pixel, 0);
  EXPECT_EQ(ScreenPixel(0, 0), 0xFF000000u);
}

TEST_F(DrawStateTest, ResetPutsEveryDefaultBack) {
  StartScreen(32, 800, 600);
  const int g = MakeGraph(4, 4, 0);
  ChooseBlendMode(2, 100);
  SetDrawColorScale(1, 2, 3);
  SelectBlendImageGraph(g, 10, 20);
  SetDrawSampleMode(1);
  SetDrawStateA(1);
  SetTransColorUseFlag(0);
  SetNewGraphBitDepth(16);
  SelectDrawTarget(g);
  detail::SetDrawingSuppressed(1);
  EXPECT_EQ(ResetDrawState(), 0);
  EXPECT_EQ(IsDrawingSuppressed(), 0);
  EXPECT_EQ(GetBlendMode(), 0);
  EXPECT_EQ(GetBlendParam(), 0);
  EXPECT_EQ(GetBlendGraph(), -1);
  EXPECT_EQ(GetDrawSampleMode(), 0);
  EXPECT_EQ(GetDrawColorWord(), 0xFFFFFFFFu);
  EXPECT_EQ(GetTransColorUseFlag(), 1);
  EXPECT_EQ(GetNewGraphBitDepth(), 0);
  EXPECT_EQ(detail::FogMode(), 3);
  EXPECT_EQ(detail::FogColor(), 0xFFFFFFFFu);
  EXPECT_EQ(GetCurrentDrawTarget(), kTargetAutoPresent);
  EXPECT_EQ(GetDrawArea().right, 800);
  EXPECT_EQ(GetDrawArea().bottom, 600);
  EXPECT_EQ(IsDrawAreaEmpty(), 0);
  EXPECT_EQ(GetMaskScreenUse(), 1);
  EXPECT_EQ(IsMaskedDrawActive(), 0);

  const LightRecord* light = GetLightRecord(GetCurrentLight());
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->light.type, 3);
  EXPECT_NEAR(light->light.direction.x, 0.57735f, 1e-5);
  EXPECT_NEAR(light->light.direction.y, -0.57735f, 1e-5);
  EXPECT_NEAR(light->light.direction.z, 0.57735f, 1e-5);
  EXPECT_FLOAT_EQ(GetDrawMaterial().power, 20.0f);
  EXPECT_FLOAT_EQ(GetDrawMaterial().diffuse[3], 1.0f);
  EXPECT_FLOAT_EQ(GetDrawMaterial().specular[3], 0.0f);

  // The default 2-D camera of an 800 x 600 target.
  const DrawCamera& camera = GetDrawCamera();
  const float d = 300 * 1.7320509f;
  EXPECT_FLOAT_EQ(camera.nearZ, d * 0.1f);
  EXPECT_FLOAT_EQ(camera.farZ, d + 20000.0f);
  Matrix expected;
  BuildPerspectiveMatrix(&expected, 1.0471976f, d * 0.1f, d + 20000.0f, 0.75f);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(camera.projection.m[i], expected.m[i]) << i;
  // The screen centre at depth 0 maps to the screen centre.
  UpdateTransformMatrices();
  Vector3 centre{400, 300, 0}, out{};
  TransformPoint3(&out, &centre, &camera.product);
  EXPECT_NEAR(out.x, 400.0f, 1e-2);
  EXPECT_NEAR(out.y, 300.0f, 1e-2);
}

TEST_F(DrawStateTest, BlendGraphMustBeValidAndLargeEnough) {
  const int big = MakeGraph(8, 8, 0), small = MakeGraph(4, 8, 0);
  EXPECT_EQ(SelectBlendImageGraph(0x08000000 | 0x7000, 0, 0), -1);
  EXPECT_EQ(GetBlendGraph(), -1);
  EXPECT_EQ(SelectBlendImageGraph(small, 0, 255), 0);
  EXPECT_EQ(CheckBlendGraphFits(GetGraphRecord(big)), -1);
  EXPECT_EQ(CheckBlendGraphFits(GetGraphRecord(small)), 0);
  SelectBlendImageGraph(big, 300, 255);
  EXPECT_EQ(CheckBlendGraphFits(GetGraphRecord(small)), 0);
  EXPECT_EQ(CurrentBlendImage(), &GetGraphRecord(big)->view);
  FreeGraphHandle(big, 0);
  EXPECT_EQ(CheckBlendGraphFits(GetGraphRecord(small)), -1);
  EXPECT_EQ(CurrentBlendImage(), nullptr);
}

TEST_F(DrawStateTest, SnapshotCarriesWhatTheRendererReads) {
  const int g = MakeGraph(8, 8, 0);
  ChooseBlendMode(1, 77);
  SetDrawColorScale(10, 20, 30);
  SetClipRegion(1, 2, 30, 40);
  SelectBlendImageGraph(g, 255, 255);
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  EXPECT_EQ(draw.blendMode, 1);
  EXPECT_EQ(draw.blendParam, 77);
  EXPECT_EQ(draw.drawBrightness, 0x0A141Eu);
  EXPECT_EQ(draw.drawArea.left, 1);
  EXPECT_EQ(draw.drawArea.bottom, 40);
  EXPECT_EQ(draw.tables, &GetBlendTables());
  uint8_t expected[256];
  BuildBlendAlphaTable(expected, 255, 255);
  EXPECT_EQ(std::memcmp(draw.blendAlphaTable, expected, 256), 0);
  EXPECT_EQ(draw.blendAlphaTable[0], 0);
  EXPECT_EQ(draw.blendAlphaTable[255], 1);
}

TEST_F(DrawStateTest, HardwareWishIsFixedOnceGraphicsAreUp) {
  EXPECT_EQ(SetHardwareRenderingWanted(0), -1);
  detail::Screen().started = 0;
  EXPECT_EQ(SetHardwareRenderingWanted(0), 0);
  EXPECT_EQ(GetHardwareRenderingWanted(), 0);
  int rect[4];
  EXPECT_EQ(MakeRect(rect, 1, 2, 3, 4), rect);
  EXPECT_EQ(rect[3], 4);
}

}  // namespace
}  // namespace veziv
