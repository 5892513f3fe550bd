// Graph table, records, software stores, sub-graphs, kept names, deletion and
// the new-graph settings.
#include "library/graphics/graphs/graph_handles.h"

#include <gtest/gtest.h>

#include <cstring>

#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::Recorded;

class GraphHandles : public GraphicsTest {};

TEST_F(GraphHandles, HandlesComposeCheckAndSlot) {
  EXPECT_EQ(AllocGraphHandle(), 0x08000000);
  EXPECT_EQ(AllocGraphHandle(), 0x08010001);
  const GraphRecord* record = GetGraphRecord(0x08010001);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->check, 1);
  EXPECT_EQ(record->handle, 0x08010001);
  EXPECT_EQ(record->movie, -1);
  EXPECT_EQ(IsGraphHandleValid(0x08000001), 0);  // slot 1 under slot 0's check
  EXPECT_EQ(IsGraphHandleValid(-1), 0);
  EXPECT_EQ(IsGraphHandleValid(0x10000000), 0);  // another kind
}

TEST_F(GraphHandles, EndMarkDropsPastFreeSlotsAndAReusedSlotGetsANewCheck) {
  const int a = AllocGraphHandle(), b = AllocGraphHandle(), c = AllocGraphHandle();
  EXPECT_EQ(detail::GraphEndMark(), 3);
  EXPECT_EQ(FreeGraphHandle(b, 0), 0);
  EXPECT_EQ(detail::GraphEndMark(), 3);
  EXPECT_EQ(FreeGraphHandle(c, 0), 0);
  EXPECT_EQ(detail::GraphEndMark(), 1);  // past the free slot 1
  EXPECT_EQ(FreeGraphHandle(a, 0), 0);
  EXPECT_EQ(detail::GraphEndMark(), 0);
  EXPECT_EQ(detail::GraphCount(), 0);
  const int again = AllocGraphHandle();
  EXPECT_EQ(HandleSlot(again), 0);
  EXPECT_NE(again, a);
  EXPECT_EQ(IsGraphHandleValid(a), 0);
  EXPECT_EQ(FreeGraphHandle(a, 0), -1);
}

TEST_F(GraphHandles, FullEndMarkReusesTheLowestFreeSlot) {
  std::vector<int> handles;
  for (int i = 0; i < kGraphHandleSlots; ++i) handles.push_back(AllocGraphHandle());
  EXPECT_EQ(detail::GraphEndMark(), kGraphHandleSlots);
  FreeGraphHandle(handles[9], 0);
  FreeGraphHandle(handles[5], 0);
  EXPECT_EQ(HandleSlot(AllocGraphHandle()), 5);
  EXPECT_EQ(HandleSlot(AllocGraphHandle()), 9);
  EXPECT_EXIT(AllocGraphHandle(), ::testing::ExitedWithCode(255), "");
}

TEST_F(GraphHandles, EmptyGraphHasItsOwnSoftwareStore) {
  SetTransparentColorRGB(255, 0, 255);
  const int g = CreateEmptyGraph(20, 10, 0);
  ASSERT_GE(g, 0);
  int w = 0, h = 0;
  EXPECT_EQ(QueryGraphDimensions(g, &w, &h), 0);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  const GraphRecord* r = GetGraphRecord(g);
  ASSERT_NE(r->drawInfo, nullptr);
  EXPECT_EQ(r->drawInfo->references, 1);
  EXPECT_EQ(r->drawInfo->pixelType, 17);
  EXPECT_EQ(r->drawInfo->request.renderTarget, 1);
  EXPECT_EQ(r->drawInfo->request.systemMemory, 1);
  EXPECT_EQ(r->drawInfo->request.colorBits, 32);
  EXPECT_EQ(r->drawInfo->transparentColor, 0xFF00FFu);
  const SoftSurfaceShared* b = r->drawInfo->surface.base;
  EXPECT_EQ(b->type, kSoftType32);
  EXPECT_EQ(b->transparentValue, 0xFFFF00FFu);
  EXPECT_NE(b->runTable, nullptr);  // a loaded image can build its run table
  EXPECT_EQ(r->view.base, b);
  EXPECT_EQ(r->view.width, 20);

  SetNewGraphBitDepth(16);
  SetBlankGraphAlphaFlag(1);
  const GraphRecord* r16 = GetGraphRecord(CreateEmptyGraph(4, 4, 0));
  ASSERT_NE(r16, nullptr);
  EXPECT_EQ(r16->drawInfo->pixelType, 16);
  EXPECT_EQ(r16->drawInfo->surface.base->type, kSoftType16);
  EXPECT_EQ(r16->drawInfo->surface.base->alphaFlag, 1);
  EXPECT_NE(r16->drawInfo->surface.base->alphaPlane, nullptr);

  EXPECT_EQ(CreateEmptyGraph(-1, 4, 0), -1);
  EXPECT_EQ(detail::GraphCount(), 2);  // the failed graph left nothing behind
}

TEST_F(GraphHandles, SubGraphsClipToTheSourceAndRefuseOriginsOutsideIt) {
  const int source = MakeGraph(16, 8, 0);
  struct Case {
    int x, y, w, h;
    int width, height;  // -1: refused
  };
  const Case cases[] = {
      {2, 3, 4, 4, 4, 4},   {10, 0, 10, 8, 6, 8}, {0, 5, 16, 9, 16, 3}, {15, 7, 1, 1, 1, 1},
      {16, 0, 1, 1, -1, 0}, {0, 8, 1, 1, -1, 0},  {-1, 0, 2, 2, -1, 0}, {0, -1, 2, 2, -1, 0},
  };
  for (const Case& c : cases) {
    const int sub = MakeSubGraph(c.x, c.y, c.w, c.h, source);
    if (c.width < 0) {
      EXPECT_EQ(sub, -1) << c.x << "," << c.y;
      continue;
    }
    int w = 0, h = 0;
    ASSERT_EQ(QueryGraphDimensions(sub, &w, &h), 0);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    const GraphRecord* r = GetGraphRecord(sub);
    EXPECT_EQ(r->offsetX, c.x);
    EXPECT_EQ(r->offsetY, c.y);
    EXPECT_EQ(r->view.pixels, GetGraphRecord(source)->view.pixels + c.y * r->view.base->pitch + c.x * 4);
  }
  EXPECT_EQ(MakeSubGraph(0, 0, 1, 1, 0x08000000 | 0x7FFF), -1);

  // A sub-graph of a sub-graph counts from the source's own offset.
  const int inner = MakeSubGraph(1, 1, 4, 4, MakeSubGraph(2, 3, 8, 4, source));
  EXPECT_EQ(GetGraphRecord(inner)->offsetX, 3);
  EXPECT_EQ(GetGraphRecord(inner)->offsetY, 4);
  EXPECT_EQ(GetGraphRecord(inner)->height, 3);
}

TEST_F(GraphHandles, SubGraphIsRefusedWithMinusOneWhileDrawingIsSuppressed) {
  const int source = MakeGraph(8, 8, 0);
  detail::SetDrawingSuppressed(1);
  EXPECT_EQ(MakeSubGraph(0, 0, 4, 4, source), -1);
  detail::SetDrawingSuppressed(0);
  EXPECT_GE(MakeSubGraph(0, 0, 4, 4, source), 0);
}

TEST_F(GraphHandles, PixelsLiveUntilTheLastGraphOfTheStoreIsDeleted) {
  const int parent = MakeGraph(8, 8, 0x11223344);
  const int sub = MakeSubGraph(2, 2, 4, 4, parent);
  GraphDrawInfo* info = GetGraphRecord(parent)->drawInfo;
  EXPECT_EQ(info->references, 2);
  EXPECT_EQ(GetGraphRecord(sub)->drawInfo, info);
  EXPECT_EQ(FreeGraphHandle(parent, 0), 0);
  EXPECT_EQ(info->references, 1);
  uint32_t pixel = 0;
  std::memcpy(&pixel, GetGraphRecord(sub)->view.pixels, 4);  // still owned: ASan would object otherwise
  EXPECT_EQ(pixel, 0x11223344u);
  EXPECT_EQ(FreeGraphHandle(sub, 0), 0);
}

TEST_F(GraphHandles, KeptNameIsSharedByReferenceAndDroppedWithTheLastGraph) {
  const int parent = MakeGraph(8, 8, 0);
  EXPECT_EQ(RegisterGraphSourceFile(parent, "image\\pic.png", -1), 0);
  KeptGraphName* name = GetGraphRecord(parent)->sourceFile;
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->references, 1);
  EXPECT_NE(std::strstr(name->path, "image\\pic.png"), nullptr);
  const int sub = MakeSubGraph(1, 1, 2, 2, parent);
  EXPECT_EQ(GetGraphRecord(sub)->sourceFile, name);
  EXPECT_EQ(name->references, 2);
  FreeGraphHandle(parent, 0);
  EXPECT_EQ(name->references, 1);
  EXPECT_EQ(RegisterGraphSourceFile(sub, nullptr, -1), 0);
  EXPECT_EQ(GetGraphRecord(sub)->sourceFile, nullptr);
  EXPECT_EQ(RegisterGraphSourceFile(sub, nullptr, 0x08000000 | 0x7000), -1);
  EXPECT_EQ(RegisterGraphSourceFile(0x08000000 | 0x7000, "x", -1), -1);
}

TEST_F(GraphHandles, LossFlagIsClearedOnAttachAndSetOnDeletion) {
  const int g = MakeGraph(2, 2, 0);
  int lost = 7;
  EXPECT_EQ(AttachGraphLossFlag(g, &lost), 0);
  EXPECT_EQ(lost, 0);
  FreeGraphHandle(g, 0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(AttachGraphLossFlag(g, &lost), -1);
}

TEST_F(GraphHandles, ScreenTargetsReportTheScreenSize) {
  int w = 0, h = 0;
  EXPECT_EQ(QueryGraphDimensions(-4, &w, &h), 0);
  EXPECT_EQ(w, kScreenSize);
  EXPECT_EQ(h, kScreenSize);
  EXPECT_EQ(QueryGraphDimensions(-2, nullptr, &h), 0);
  EXPECT_EQ(QueryGraphDimensions(-3, &w, &h), -1);
  EXPECT_EQ(QueryGraphDimensions(-5, &w, &h), -1);
}

TEST_F(GraphHandles, FreeAllDeletesEveryGraphOnceGraphicsAreUp) {
  for (int i = 0; i < 5; ++i) MakeGraph(4, 4, 0);
  MakeSubGraph(0, 0, 2, 2, 0x08000000);
  detail::Screen().started = 0;
  EXPECT_EQ(FreeAllGraphHandles(0), 0);
  EXPECT_EQ(detail::GraphCount(), 6);
  detail::Screen().started = 1;
  EXPECT_EQ(FreeAllGraphHandles(0), 0);
  EXPECT_EQ(detail::GraphCount(), 0);
  EXPECT_EQ(detail::GraphEndMark(), 0);
}

TEST_F(GraphHandles, ClearingFillsTheWholeGraphWhateverTheDrawArea) {
  const int g = MakeGraph(40, 30, 0);
  SetClipRegion(0, 0, 5, 5);
  Record();
  EXPECT_EQ(ClearGraphToColor(g, 300, -5, 128, 9), 0);
  ASSERT_EQ(Recorded().size(), 1u);
  const auto& call = Recorded()[0];
  EXPECT_EQ(call.name, "box");
  EXPECT_EQ(call.target, &GetGraphRecord(g)->view);
  EXPECT_EQ(call.args, (std::vector<int>{0, 0, 40, 30, static_cast<int>(PackColorForScreen(255, 0, 128))}));
  EXPECT_EQ(call.area.right, 40);
  EXPECT_EQ(call.area.bottom, 30);
  EXPECT_EQ(ClearGraphToColor(0x08000000 | 0x7000, 0, 0, 0, 0), -1);
}

TEST_F(GraphHandles, SettingsKeepTheirValues) {
  int r = 0, g = 0, b = 0;
  EXPECT_EQ(GetTransparentColorRGB(&r, &g, &b), 0);
  EXPECT_EQ(r + g + b, 0);
  SetTransparentColorRGB(1, 2, 3);
  EXPECT_EQ(GetTransparentColorRGB(&r, &g, &b), 0);
  EXPECT_EQ(r * 100 + g * 10 + b, 123);
  detail::Screen().bits = 8;
  EXPECT_EQ(SetTransparentColorRGB(9, 9, 9), 0);
  EXPECT_EQ(GetTransparentColorRGB(&r, &g, &b), -1);
  detail::Screen().bits = 32;
  EXPECT_EQ(GetTransparentColorRGB(&r, &g, &b), 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(GetTransColorUseFlag(), 1);
  SetGraphCreateOptionWord(5);
  SetNewGraphMovieSurfaceMode(1);
  SetNewGraphDefaultPoolFlag(1);
  EXPECT_EQ(GetGraphCreateOptionWord(), 5);
  EXPECT_EQ(GetNewGraphMovieSurfaceMode(), 1);
  EXPECT_EQ(GetNewGraphDefaultPoolFlag(), 1);
}

}  // namespace
}  // namespace veziv
