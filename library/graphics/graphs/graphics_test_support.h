// Test support for the graph and drawing code: a fixture that sets up a
// software screen image of 64 x 64 pixels and fresh graph, draw and mask
// state, and a recording renderer that notes each renderer call with its
// arguments and the draw area it was given.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "library/foundation/core/helpers.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/graphs/soft_renderer_calls.h"
#include "library/graphics/screen/fresh_graphics_test_support.h"
#include "library/graphics/screen/graphics_context.h"
#include "platform/os/clock.h"

namespace veziv::test {

struct RecordedCall {
  std::string name;
  const SOFTSURFACE* target = nullptr;
  const SOFTSURFACE* source = nullptr;
  std::vector<int> args;
  DrawRect area{};
  const SOFTSURFACE* blendImage = nullptr;
};

inline std::vector<RecordedCall>& Recorded() {
  static std::vector<RecordedCall> calls;
  return calls;
}

inline void Note(const char* name, const SOFTSURFACE* target, const SOFTSURFACE* source, std::vector<int> args,
                 const SoftDrawSnapshot& draw, const SOFTSURFACE* blend = nullptr) {
  Recorded().push_back(RecordedCall{name, target, source, std::move(args), draw.drawArea, blend});
}

inline SoftRendererHooks RecordingRenderer() {
  SoftRendererHooks c{};
  c.blit = [](SOFTSURFACE* t, const SOFTSURFACE* s, int32_t x, int32_t y, int32_t tr, const SOFTSURFACE* b,
              const SoftDrawSnapshot& d) { Note("blit", t, s, {x, y, tr}, d, b); };
  c.blitScaled = [](SOFTSURFACE* t, const SOFTSURFACE* s, const int32_t r[4], int32_t tr, const SOFTSURFACE* b,
                    const SoftDrawSnapshot& d) { Note("blitScaled", t, s, {r[0], r[1], r[2], r[3], tr}, d, b); };
  c.blitRotated = [](SOFTSURFACE* t, const SOFTSURFACE* s, int32_t cx, int32_t cy, float angle, float scale,
                     int32_t tr, int32_t turn, const SOFTSURFACE* b, const SoftDrawSnapshot& d) {
    Note("blitRotated", t, s,
         {cx, cy, TruncateFloatToInt(angle * 1000.0f), TruncateFloatToInt(scale * 1000.0f), tr, turn}, d, b);
  };
  c.fillTriangle = [](SOFTSURFACE* t, const SOFTSURFACE* s, const softrender::TriangleVertex* v, int32_t tr,
                      const SOFTSURFACE* b, uint32_t colour, const SoftDrawSnapshot& d) {
    std::vector<int> a;
    for (int i = 0; i < 3; ++i) a.insert(a.end(), {v[i].x, v[i].y, v[i].u, v[i].v});
    a.push_back(tr);
    a.push_back(static_cast<int>(colour));
    Note("triangle", t, s, a, d, b);
  };
  c.fillBox = [](SOFTSURFACE* t, const DrawRect* r, uint32_t colour, const SoftDrawSnapshot& d) {
    Note("box", t, nullptr, {r->left, r->top, r->right, r->bottom, static_cast<int>(colour)}, d);
  };
  c.line = [](SOFTSURFACE* t, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
              const SoftDrawSnapshot& d) { Note("line", t, nullptr, {x1, y1, x2, y2, static_cast<int>(colour)}, d); };
  c.lineList = [](SOFTSURFACE* t, const int32_t* records, int32_t count, const SoftDrawSnapshot& d) {
    Note("lineList", t, nullptr, std::vector<int>(records, records + 6 * count), d);
  };
  c.circle = [](SOFTSURFACE* t, int32_t x, int32_t y, int32_t r, uint32_t colour, int32_t fill,
                const SoftDrawSnapshot& d) { Note("circle", t, nullptr, {x, y, r, static_cast<int>(colour), fill}, d); };
  return c;
}

inline int& InactiveWaits() {
  static int count = 0;
  return count;
}

// A started software screen of 64 x 64 (32-bit unless a test changes it),
// fresh tables and the draw state reset as graphics start leaves it.
class GraphicsTest : public ::testing::Test {
 protected:
  static constexpr int kScreenSize = 64;

  void SetUp() override {
    platform::os::UseManualClock();
    Fresh();
    StartScreen(32);
  }
  void TearDown() override {
    Fresh();
    platform::os::UseRealClock();
  }

  void Fresh() {
    detail::StartMaskScreenAfresh();
    detail::StartGraphTableAfresh();
    detail::StartDrawStateAfresh();
    detail::StartLightsAfresh();
    SoftSurfaceRelease(&screen_);
    detail::StartGraphicsContextAfresh();
    // No window in these tests: it counts as active, and a wait is only counted.
    detail::GraphicsCalls().window_is_active = [] { return 1; };
    detail::GraphicsCalls().wait_while_window_inactive = [] { ++InactiveWaits(); };
    SoftRenderer() = RealSoftRenderer();
    Recorded().clear();
    InactiveWaits() = 0;
  }

  void StartScreen(int bits, int width = kScreenSize, int height = kScreenSize) {
    SoftSurfaceRelease(&screen_);
    ASSERT_EQ(SoftSurfaceCreateForScreen(&screen_, width, height, bits == 16 ? 0 : 1), 0);
    SoftSurfaceFillRaw(&screen_, nullptr, 0);
    detail::GraphicsScreen& s = detail::Screen();
    s.started = 1;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.image = &screen_;
    ResetDrawState();
  }

  void Record() {
    SoftRenderer() = RecordingRenderer();
    Recorded().clear();
  }

  // The window reported inactive; each wait is counted.
  void MakeWindowInactive() {
    detail::GraphicsCalls().window_is_active = [] { return 0; };
    InactiveWaits() = 0;
  }

  uint32_t ScreenPixel(int x, int y) const {
    uint32_t v = 0;
    std::memcpy(&v, screen_.pixels + y * screen_.base->pitch + x * 4, 4);
    return v;
  }

  // A graph of the given size filled with one raw value.
  int MakeGraph(int width, int height, uint32_t raw) {
    const int g = CreateEmptyGraph(width, height, 0);
    EXPECT_GE(g, 0);
    if (g >= 0) SoftSurfaceFillRaw(&GetGraphRecord(g)->view, nullptr, raw);
    return g;
  }

  SOFTSURFACE screen_{};
};

}  // namespace veziv::test
