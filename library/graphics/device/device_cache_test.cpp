#include "library/graphics/device/device_cache.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "library/foundation/window/window_state.h"
#include "library/graphics/device/gpu_test_support.h"

namespace veziv {
namespace {

using namespace platform::gpu;

class DeviceCache : public ::testing::Test {
 protected:
  void SetUp() override {
    detail::WindowState() = detail::WindowStateBlock{};  // a destroyed window would leave batches undrawn
    detail::AttachGpuDevice(&device_);
  }
  void TearDown() override { detail::AttachGpuDevice(nullptr); }

  void AppendTriangles(int vertices, int format = kBatchColored) {
    std::vector<uint8_t> bytes(static_cast<size_t>(vertices) * detail::kBatchStride[format], 0);
    ASSERT_EQ(detail::AppendVertices(format, kTriangleList, bytes.data(), vertices), 0);
  }

  test::RecordingDevice device_;
};

TEST_F(DeviceCache, CachedSettersSendAValueOnceAndAgainOnlyUnderTheForceFlag) {
  const DrawMaterial material{{0.8f, 0.8f, 0.8f, 1}, {0.8f, 0.8f, 0.8f, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 20};
  struct Case {
    const char* name;
    const char* call;  // what the device is told; null: the value stays in the cache
    bool flushes;
    std::function<int()> set;
  };
  const Case cases[] = {
      {"Z enable", "SetDepthTest", true, [] { return SetZEnableCached(1); }},
      {"Z write", "SetDepthTest", true, [] { return SetZWriteEnableCached(1); }},
      {"Z function", "SetDepthTest", true, [] { return SetZFuncCached(4); }},
      {"depth bias", "SetDepthTest", true, [] { return SetDepthBiasCached(2); }},
      {"shade mode", "SetSmoothShading", true, [] { return SetShadeModeCached(2); }},
      {"address U of stage 2", "SetSampler", true, [] { return SetTextureAddressUCached(2, kAddressWrap); }},
      {"viewport", "SetClip", true, [] { return ResetViewport(0, 0, 640, 480); }},
      {"lighting", nullptr, false, [] { return SetLightingEnableCached(1); }},
      {"cull mode", nullptr, true, [] { return SetCullModeCached(1); }},
      {"fog colour", nullptr, true, [] { return SetFogColorCached(0x123456); }},
      {"fog density", nullptr, true, [] { return SetFogDensityCached(0.5f); }},
      {"diffuse source", nullptr, true, [] { return SetDiffuseMaterialSourceCached(1); }},
      {"scissor", nullptr, true, [] { return SetScissorRectCached({1, 2, 3, 4}); }},
      {"material", nullptr, true, [&] { return SetMaterialCached(material); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::AttachGpuDevice(&device_);
    device_.Forget();
    AppendTriangles(3);
    EXPECT_EQ(c.set(), 0);
    EXPECT_EQ(device_.Count("Draw"), c.flushes ? 1 : 0) << "a change sends the batch first";
    AppendTriangles(3);
    EXPECT_EQ(c.set(), 0);
    EXPECT_EQ(device_.Count("Draw"), c.flushes ? 1 : 0) << "an equal value sends nothing";
    if (c.call) {
      EXPECT_EQ(device_.Count(c.call), 1);
    }
    detail::DeviceCache().force = 1;
    EXPECT_EQ(c.set(), 0);
    detail::DeviceCache().force = 0;
    if (c.call) {
      EXPECT_EQ(device_.Count(c.call), 2);
    }
    FlushVertexBatch();
  }
}

TEST_F(DeviceCache, AmbientColourLightsAndTransformsAlwaysSendTheBatchAndAreKept) {
  SetAmbientColorCached(0xFF102030);
  AppendTriangles(3);
  SetAmbientColorCached(0xFF102030);
  EXPECT_EQ(device_.Count("Draw"), 1);
  EXPECT_FLOAT_EQ(detail::DeviceCache().ambient[0], 16.0f / 255.0f);
  LightDescription light{};
  light.range = 7.0f;
  AppendTriangles(3);
  SetLightCached(3, light);
  EXPECT_EQ(device_.Count("Draw"), 2);
  EXPECT_FLOAT_EQ(detail::DeviceCache().lights[3].range, 7.0f);
  Matrix moved{};
  for (int i = 0; i < 16; i += 5) moved.m[i] = 1;
  moved.m[12] = 5;
  AppendTriangles(3);
  SetWorldMatrix(moved);
  EXPECT_EQ(device_.Count("Draw"), 3);
  EXPECT_FLOAT_EQ(GetDrawCamera().world.m[12], 5.0f);
  EXPECT_EQ(GetDrawCamera().productValid, 0);
}

TEST_F(DeviceCache, WithoutADeviceSettersChangeNothingAndAnswerAsTabled) {
  detail::AttachGpuDevice(nullptr);
  EXPECT_EQ(FlushVertexBatch(), -1);
  EXPECT_EQ(BindDrawTexture(3), -1);
  EXPECT_EQ(SetZFuncCached(4), -1);
  EXPECT_EQ(SetDepthBiasCached(1), -1);
  EXPECT_EQ(SetTextureFilterCached(1), -1);
  EXPECT_EQ(SetMaxAnisotropyCached(4), -1);
  EXPECT_EQ(SetDeferredDrawStateA(1, 0, 0), -1);
  EXPECT_EQ(ResetViewport(0, 0, 10, 10), -1);
  EXPECT_EQ(SetScissorRectCached({0, 0, 1, 1}), -1);
  EXPECT_EQ(ResetTextureStageStates(), -1);
  EXPECT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), -1);
  EXPECT_EQ(SetCullModeCached(1), 0);
  EXPECT_EQ(SetFogEnableCached(1), 0);
  EXPECT_EQ(SetTextureAddressUCached(0, 1), 0);
  EXPECT_EQ(DrawIndexedTriangles(4, nullptr, 4), 0);
  EXPECT_EQ(ApplyDrawStateNow(nullptr), -1);
  EXPECT_EQ(detail::AppendVertices(kBatchColored, kTriangleList, nullptr, 0), -1);
  EXPECT_TRUE(device_.calls.empty());
}

TEST_F(DeviceCache, TheBatchGoesOutAsOneDraw) {
  AppendTriangles(150);
  AppendTriangles(150);
  EXPECT_EQ(device_.Count("Draw"), 0) << "nothing is sent while the batch only grows";
  EXPECT_EQ(FlushVertexBatch(), 0);
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].vertexCount, 300);
  EXPECT_EQ(device_.draws[0].primitive, Primitive::kTriangles);
  EXPECT_EQ(device_.draws[0].layout, Layout::kColored);
  EXPECT_EQ(detail::PrimitiveCount(kTriangleList, 300), 100);
  EXPECT_EQ(FlushVertexBatch(), 0);
  EXPECT_EQ(device_.draws.size(), 1u) << "an empty batch sends nothing";

  // A line strip of one vertex is no whole primitive: the draw has no vertex.
  const ColoredVertex one{};
  detail::AppendVertices(kBatchColored, kLineStrip, &one, 1);
  FlushVertexBatch();
  ASSERT_EQ(device_.draws.size(), 2u);
  EXPECT_EQ(device_.draws[1].vertexCount, 0);
  EXPECT_EQ(detail::PrimitiveCount(kLineStrip, 1), 0);
}

TEST_F(DeviceCache, AnotherFormatTypeOrAFullBatchSendsWhatIsHeldFirst) {
  AppendTriangles(6);
  AppendTriangles(6, kBatchTextured);
  EXPECT_EQ(device_.draws.size(), 1u);
  const TexturedVertex line[2]{};
  detail::AppendVertices(kBatchTextured, kLineList, line, 2);
  EXPECT_EQ(device_.draws.size(), 2u);
  FlushVertexBatch();
  device_.Forget();
  const int capacity = detail::kBatchBytes[kBatchTwoTextures] / detail::kBatchStride[kBatchTwoTextures];
  EXPECT_EQ(capacity, 1638);
  AppendTriangles(1632, kBatchTwoTextures);
  AppendTriangles(6, kBatchTwoTextures);
  EXPECT_EQ(device_.draws.size(), 0u) << "exactly full still fits";
  AppendTriangles(6, kBatchTwoTextures);
  ASSERT_EQ(device_.draws.size(), 1u);
  EXPECT_EQ(device_.draws[0].vertexCount, 1638);
  EXPECT_EQ(device_.draws[0].layout, Layout::kTwoTextures);
}

TEST_F(DeviceCache, AChangedStateSendsTheBatchBeforeItselfAndAnEqualOneDoesNot) {
  SetZFuncCached(4);
  AppendTriangles(3);
  device_.Forget();
  SetZFuncCached(4);
  EXPECT_TRUE(device_.order.empty());
  SetZFuncCached(5);
  const std::vector<std::string> want = {"Draw", "SetDepthTest"};
  EXPECT_EQ(device_.order, want);
  EXPECT_EQ(device_.depthTest.compare, Compare::kGreater) << "the cache's numbers become the device's";
}

TEST_F(DeviceCache, AGraphLaidOverSeveralTexturesIsDrawnIntoEachWithItsOrigin) {
  detail::RenderTargets targets;
  targets.count = 2;
  targets.texture[0] = 5, targets.originX[0] = 0;
  targets.texture[1] = 6, targets.originX[1] = 512;
  detail::UseRenderTargets(targets);
  AppendTriangles(6);
  FlushVertexBatch();
  ASSERT_EQ(device_.draws.size(), 2u);
  EXPECT_EQ(device_.draws[0].target, 5u);
  EXPECT_EQ(device_.draws[1].target, 6u);
  EXPECT_EQ(device_.originX, 512);
}

TEST_F(DeviceCache, FilterAndAnisotropyGoToEveryStageInUse) {
  detail::DeviceCache().stagesInUse = 2;
  EXPECT_EQ(SetTextureFilterCached(2), 0);
  EXPECT_EQ(device_.samplers[1].minify, Filter::kAnisotropic);
  EXPECT_EQ(device_.samplers[1].mip, Filter::kLinear);
  EXPECT_EQ(device_.Count("SetSampler"), 6);
  EXPECT_EQ(SetTextureFilterCached(3), -1);
  EXPECT_EQ(SetMaxAnisotropyCached(0), 0);
  EXPECT_EQ(device_.samplers[0].maxAnisotropy, 1) << "at least 1";
  device_.Forget();
  EXPECT_EQ(SetTextureAddressVCached(-1, kAddressClamp), 0);
  EXPECT_EQ(device_.Count("SetSampler"), 8);
  EXPECT_EQ(SetTextureAddressVCached(-1, kAddressClamp), 0);
  EXPECT_EQ(device_.Count("SetSampler"), 8) << "all eight hold it already";
  EXPECT_EQ(SetTextureAddressVCached(8, kAddressClamp), -1);
}

TEST_F(DeviceCache, ARefusedViewportKeepsTheCache) {
  EXPECT_EQ(ResetViewport(10, 0, 0, 10), -1) << "a viewport of negative width";
  EXPECT_EQ(device_.Count("SetClip"), 0);
  EXPECT_EQ(ResetViewport(0, 0, 10, 10), 0);
  EXPECT_EQ(device_.Count("SetClip"), 1);
  EXPECT_EQ(device_.clip.right, 10);
}

TEST_F(DeviceCache, LightEnablesKeepTheHighestEnabledIndex) {
  EnableLightCached(3, 1);
  EnableLightCached(7, 1);
  EXPECT_EQ(detail::DeviceCache().highestLight, 7);
  EnableLightCached(7, 0);
  EXPECT_EQ(detail::DeviceCache().highestLight, 3);
  EnableLightCached(3, 0);
  EXPECT_EQ(detail::DeviceCache().highestLight, 0);
  EXPECT_EQ(EnableLightCached(-1, 1), -1);
}

// ---- The draw-state tables ----

class DrawStateTables : public DeviceCache {
 protected:
  // The state a draw of a texture (or none) in a blend mode leaves on the device.
  void Apply(gpu::TextureId texture, int mode, int alphaTest, int alphaChannel) {
    BindDrawTexture(texture);
    SetDeferredDrawStateA(mode, alphaTest, alphaChannel);
    ASSERT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), 0);
  }
  // What the cache holds as sent, in its own numbers.
  uint32_t Rs(int state) { return static_cast<uint32_t>(detail::DeviceCache().render[state]); }
  int32_t Tss(int stage, int type) { return static_cast<int32_t>(detail::DeviceCache().stages[stage].state[type]); }
  gpu::TextureId Texture(int stage) { return detail::DeviceCache().stages[stage].texture; }
};

TEST_F(DrawStateTables, BlendModesChooseTheirFactorsAndStages) {
  struct Case {
    const char* name;
    gpu::TextureId texture;
    int mode, alphaTest, alphaChannel;
    uint32_t blend, src, dest, op;
    int32_t colorOp, colorArg1, alphaOp, alphaArg1;
    int format;
  };
  const Case cases[] = {
      {"plain texture", 5, 0, 0, 0, 0, 0, 0, 0, kOpSelectArg1, kArgTexture, kOpSelectArg2, kArgTexture, kBatchTextured},
      {"alpha channel without a mode", 5, 0, 0, 1, 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kBlendOpAdd, kOpSelectArg1,
       kArgTexture, kOpSelectArg1, kArgTexture, kBatchTextured},
      {"alpha blend", 5, 1, 0, 0, 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kBlendOpAdd, kOpSelectArg1, kArgTexture,
       kOpSelectArg2, kArgTexture, kBatchTextured},
      {"add", 5, 2, 0, 0, 1, kBlendSrcAlpha, kBlendOne, kBlendOpAdd, kOpSelectArg1, kArgTexture, kOpSelectArg2,
       kArgTexture, kBatchTextured},
      {"subtract by reverse subtraction", 0, 3, 0, 0, 1, kBlendSrcAlpha, kBlendOne, kBlendOpRevSubtract,
       kOpSelectArg1, kArgDiffuse, kOpSelectArg2, -1, kBatchColored},
      {"multiply shape", 0, 4, 0, 0, 1, kBlendZero, kBlendSrcColor, kBlendOpAdd, kOpSelectArg1, kArgDiffuse,
       kOpSelectArg1, kArgDiffuse, kBatchColored},
      {"inverted-source shape", 0, 10, 0, 0, 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kBlendOpAdd, kOpSelectArg1,
       kArgDiffuse | kArgComplement, kOpSelectArg1, kArgDiffuse, kBatchColored},
      {"inverted-source texture", 5, 10, 0, 1, 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kBlendOpAdd, kOpSelectArg1,
       kArgTexture | kArgComplement, kOpSelectArg1, kArgTexture, kBatchTextured},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::AttachGpuDevice(&device_);
    Apply(c.texture, c.mode, c.alphaTest, c.alphaChannel);
    EXPECT_EQ(device_.blend.enabled, c.blend != 0) << "the device is told the same";
    EXPECT_EQ(Rs(kRsAlphaBlendEnable), c.blend);
    if (c.blend) {
      EXPECT_EQ(Rs(kRsSrcBlend), c.src);
      EXPECT_EQ(Rs(kRsDestBlend), c.dest);
      EXPECT_EQ(Rs(kRsBlendOp), c.op);
    }
    EXPECT_EQ(Tss(0, kTssColorOp), c.colorOp);
    EXPECT_EQ(Tss(0, kTssColorArg1), c.colorArg1);
    EXPECT_EQ(Tss(0, kTssAlphaOp), c.alphaOp);
    if (c.alphaArg1 != -1) {
      EXPECT_EQ(Tss(0, kTssAlphaArg1), c.alphaArg1);
    }
    EXPECT_EQ(Tss(1, kTssColorOp), kOpDisable) << "the stage after the last is disabled";
    EXPECT_EQ(detail::Batch().format, c.format);
    EXPECT_EQ(Texture(0), c.texture);
    EXPECT_EQ(device_.stages[0].texture, c.texture);
  }
}

TEST_F(DrawStateTables, TheInvertingSubtractStaysWithoutReverseSubtraction) {
  detail::DeviceCache().blendOpCapable = 0;
  Apply(0, 3, 0, 0);
  EXPECT_EQ(Rs(kRsSrcBlend), static_cast<uint32_t>(kBlendInvDestColor));
  EXPECT_EQ(Rs(kRsDestBlend), static_cast<uint32_t>(kBlendZero));
  EXPECT_EQ(Rs(kRsBlendOp), static_cast<uint32_t>(kBlendOpAdd));
}

TEST_F(DrawStateTables, KeyAlphaIsAlphaTestedAndModulationFollowsTheWishes) {
  SetDeferredModulation(1, 1);
  Apply(5, 1, 1, 0);
  EXPECT_EQ(Rs(kRsAlphaTestEnable), 1u);
  EXPECT_EQ(Rs(kRsAlphaRef), 16u);
  EXPECT_EQ(Rs(kRsAlphaFunc), static_cast<uint32_t>(kCmpGreater));
  EXPECT_EQ(Tss(0, kTssColorOp), kOpModulate);
  EXPECT_EQ(Tss(0, kTssAlphaOp), kOpModulate);
  EXPECT_EQ(Tss(0, kTssColorArg2), kArgDiffuse);
}

TEST_F(DrawStateTables, NothingDirtySendsNothingAndATextureAloneSendsOnlyTheTexture) {
  Apply(5, 1, 0, 0);
  device_.Forget();
  EXPECT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), -1);
  EXPECT_TRUE(device_.order.empty());
  BindDrawTexture(6);
  EXPECT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), 0);
  const std::vector<std::string> want = {"SetStage"};
  EXPECT_EQ(device_.order, want);
  EXPECT_EQ(device_.stages[0].texture, 6u);
}

TEST_F(DrawStateTables, BlendGraphBordersSetTheAlphaTestOrTheTextureFactor) {
  // Border range 1, parameter 0, an alpha-channel texture: alpha reference 1.
  SetDeferredDrawStateC(9, 0, 1);
  Apply(5, 0, 0, 1);
  EXPECT_EQ(Rs(kRsAlphaTestEnable), 1u);
  EXPECT_EQ(Rs(kRsAlphaRef), 1u);
  EXPECT_EQ(Rs(kRsAlphaFunc), static_cast<uint32_t>(kCmpGreaterEqual));
  EXPECT_EQ(Rs(kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(Rs(kRsTextureFactor), 0x00FFFFFFu);
  EXPECT_EQ(Texture(0), 9u) << "the blend graph samples on stage 0";
  EXPECT_EQ(Texture(2), 5u) << "an alpha-channel graph on stage 2";
  EXPECT_EQ(detail::Batch().format, kBatchTwoTextures);

  // A wide range: parameter 128 of range 255 halves through the factor.
  SetDeferredDrawStateC(9, 128, 255);
  ASSERT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), 0);
  const int v = 512 - (128 * 512) / 255;  // 255, below the threshold 256
  EXPECT_EQ(Rs(kRsTextureFactor) >> 24, static_cast<uint32_t>(255 - ((v * 255) >> 8)) & 255);
  EXPECT_EQ(Tss(0, kTssAlphaOp), kOpSubtract);
  EXPECT_EQ(Rs(kRsAlphaBlendEnable), 1u);

  // Parameter 255 leaves the batch undrawn.
  SetDeferredDrawStateC(9, 255, 255);
  ASSERT_EQ(ApplyDeviceDrawState(nullptr, 0, 0), 0);
  device_.Forget();
  AppendTriangles(6, kBatchTwoTextures);
  FlushVertexBatch();
  EXPECT_EQ(device_.Count("Draw"), 0);
  EXPECT_EQ(detail::Batch().count, 0) << "the vertices are dropped";
}

TEST_F(DrawStateTables, AHandedBlockIsSentAsItStandsWithGraphHandlesLookedUp) {
  DeviceStateBlock block{};
  block.alphaTestEnable = 1, block.alphaRef = 7, block.alphaFunc = kCmpLess, block.blendEnable = 1;
  block.textureFactor = 0x80FFFFFF, block.srcBlend = kBlendOne, block.destBlend = kBlendOne, block.blendOp = -1;
  block.stageCount = 1;
  block.stages[0] = {42, 0, kArgTexture, kArgDiffuse, kOpModulate, kArgTexture, kArgDiffuse, kOpModulate};
  block.stages[1] = {0, -1, -1, -1, kOpDisable, -1, -1, kOpDisable};
  detail::SetGraphTextureLookup([](int graph) -> gpu::TextureId { return graph == 42 ? 77 : 0; });
  EXPECT_EQ(ApplyDeviceDrawState(&block, 1, 0), 0);
  detail::SetGraphTextureLookup(nullptr);
  EXPECT_EQ(Texture(0), 77u);
  EXPECT_EQ(Rs(kRsAlphaRef), 7u);
  EXPECT_EQ(Rs(kRsTextureFactor), 0x80FFFFFFu);
  EXPECT_EQ(device_.textureFactor, 0x80FFFFFFu);
  EXPECT_EQ(detail::DeviceCache().render[kRsBlendOp], detail::kUnknown) << "-1 is not sent";
  EXPECT_EQ(Tss(0, kTssColorOp), kOpModulate);
}

TEST_F(DeviceCache, IndexedGridsAreCutWhereTheIndexListWouldOverflow) {
  struct Case {
    int w, h;
    std::vector<std::pair<int, int>> draws;  // indices, triangles
  };
  const Case cases[] = {
      {300, 3, {{601, 599}, {600, 598}}},
      {4, 3, {{8 + 1 + 1 + 8, 16}}},
      {600, 2, {{998, 996}, {204, 202}}},  // wider than a list holds: two bands sharing a column
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    device_.Forget();
    std::vector<TexturedVertex> grid(static_cast<size_t>(c.w) * c.h);
    EXPECT_EQ(DrawIndexedTriangles(c.w, grid.data(), c.h), 0);
    ASSERT_EQ(device_.draws.size(), c.draws.size());
    for (size_t i = 0; i < c.draws.size(); ++i) {
      EXPECT_EQ(device_.draws[i].indices.size(), static_cast<size_t>(c.draws[i].first));
      EXPECT_EQ(static_cast<int>(device_.draws[i].indices.size()) - 2, c.draws[i].second);
      for (uint16_t index : device_.draws[i].indices) EXPECT_LT(index, device_.draws[i].vertexCount);
    }
  }
  EXPECT_EQ(DrawIndexedTriangles(1, nullptr, 5), -1);
}

}  // namespace
}  // namespace veziv
