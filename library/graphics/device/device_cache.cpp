// The vertex batch, the cached device setters and the draw-state tables of
// the hardware road, and their translation into what the device is told:
// each cached value belongs to one of the device's set-ups (blend, alpha
// test, texture factor, depth test, shading, a stage, a sampler, the clip),
// and a change re-sends that set-up whole. The states the device has no use
// for (fog, lighting, the material, transforms: its vertices come
// pre-transformed and lit) are kept here only, as the shaders' constant
// registers mirror them.
#include "library/graphics/device/device_cache.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/window_state.h"

namespace veziv {
namespace {

struct GpuState {
  gpu::Device* device = nullptr;
  detail::VertexBatch batch;
  detail::DeviceStateCache cache;
  gpu::TextureId (*graphTexture)(int graph) = nullptr;
};

GpuState& G() {
  static GpuState* state = new GpuState;  // lives to the end, like the device's objects
  return *state;
}

detail::DeviceStateCache& C() { return G().cache; }
gpu::Device* D() { return G().device; }

void ForgetCache() {
  detail::DeviceStateCache& c = C();
  c = detail::DeviceStateCache{};
  std::fill(std::begin(c.render), std::end(c.render), detail::kUnknown);
  for (detail::StageCache& s : c.stages) {
    std::fill(std::begin(s.state), std::end(s.state), detail::kUnknown);
    std::fill(std::begin(s.sampler), std::end(s.sampler), detail::kUnknown);
    s.texture = 0xFFFFFFFFu;
    s.transformOn = 0;
  }
  std::memset(c.lights, 0, sizeof c.lights);
  std::memset(c.lightOn, 0, sizeof c.lightOn);
  for (int i = 0; i < 16; ++i) c.projectionB.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
  G().batch.count = 0;
  G().batch.currentFvf = 0;
  G().batch.skipDraw = 0;
}

// ---- From the cache's numbers to the device's set-ups ----

int64_t Known(int64_t value, int64_t otherwise) { return value == detail::kUnknown ? otherwise : value; }

gpu::Factor FactorOf(int64_t number) {
  switch (number) {
    case kBlendZero: return gpu::Factor::kZero;
    case kBlendSrcColor: return gpu::Factor::kSourceColor;
    case kBlendInvSrcColor: return gpu::Factor::kInverseSourceColor;
    case kBlendSrcAlpha: return gpu::Factor::kSourceAlpha;
    case kBlendInvSrcAlpha: return gpu::Factor::kInverseSourceAlpha;
    case kBlendDestAlpha: return gpu::Factor::kTargetAlpha;
    case kBlendInvDestAlpha: return gpu::Factor::kInverseTargetAlpha;
    case kBlendDestColor: return gpu::Factor::kTargetColor;
    case kBlendInvDestColor: return gpu::Factor::kInverseTargetColor;
    default: return gpu::Factor::kOne;
  }
}

gpu::Compare CompareOf(int64_t number) {
  if (number < kCmpNever || number > kCmpAlways) return gpu::Compare::kAlways;
  return static_cast<gpu::Compare>(number - kCmpNever);
}

gpu::Argument ArgumentOf(int64_t number) {
  gpu::Argument a;
  a.complement = (number & kArgComplement) != 0;
  a.alpha = (number & kArgAlphaReplicate) != 0;
  switch (number & 0xF) {
    case kArgDiffuse: a.input = gpu::Input::kDiffuse; break;
    case kArgTexture: a.input = gpu::Input::kTexture; break;
    case kArgTFactor: a.input = gpu::Input::kFactor; break;
    default: a.input = gpu::Input::kCurrent; break;
  }
  return a;
}

// One half of a stage. The library's vertices always carry a white specular
// colour, so an operation that multiplies by it passes its other argument on.
gpu::Combiner CombinerOf(int64_t op, int64_t arg1, int64_t arg2) {
  gpu::Combiner c;
  c.first = ArgumentOf(Known(arg1, kArgTexture));
  c.second = ArgumentOf(Known(arg2, kArgCurrent));
  switch (Known(op, kOpDisable)) {
    case kOpSelectArg1: c.combine = gpu::Combine::kFirst; break;
    case kOpSelectArg2: c.combine = gpu::Combine::kSecond; break;
    case kOpModulate: c.combine = gpu::Combine::kModulate; break;
    case kOpModulate2x: c.combine = gpu::Combine::kModulate2x; break;
    case kOpModulate4x: c.combine = gpu::Combine::kModulate4x; break;
    case kOpAdd: c.combine = gpu::Combine::kAdd; break;
    case kOpSubtract: c.combine = gpu::Combine::kSubtract; break;
    case kOpBlendDiffuseAlpha: c.combine = gpu::Combine::kBlendDiffuseAlpha; break;
    case kOpBlendCurrentAlpha: c.combine = gpu::Combine::kBlendCurrentAlpha; break;
    default: c.combine = gpu::Combine::kDisable; break;
  }
  if (c.combine == gpu::Combine::kModulate && (Known(arg1, 0) & 0xF) == kArgSpecular) c.combine = gpu::Combine::kSecond;
  if (c.combine == gpu::Combine::kModulate && (Known(arg2, 0) & 0xF) == kArgSpecular) c.combine = gpu::Combine::kFirst;
  return c;
}

void SendBlendSetUp() {
  const auto& r = C().render;
  gpu::Blend b;
  b.enabled = Known(r[kRsAlphaBlendEnable], 0) != 0;
  b.source = FactorOf(Known(r[kRsSrcBlend], kBlendOne));
  b.target = FactorOf(Known(r[kRsDestBlend], kBlendZero));
  const int64_t op = Known(r[kRsBlendOp], kBlendOpAdd);
  b.operation = op == kBlendOpRevSubtract ? gpu::BlendOperation::kReverseSubtract
                : op == kBlendOpSubtract  ? gpu::BlendOperation::kSubtract
                                          : gpu::BlendOperation::kAdd;
  D()->SetBlend(b);
}

void SendAlphaTestSetUp() {
  const auto& r = C().render;
  gpu::AlphaTest t;
  t.enabled = Known(r[kRsAlphaTestEnable], 0) != 0;
  t.compare = CompareOf(Known(r[kRsAlphaFunc], kCmpAlways));
  t.reference = static_cast<uint8_t>(Known(r[kRsAlphaRef], 0) & 255);
  D()->SetAlphaTest(t);
}

void SendDepthSetUp() {
  const auto& r = C().render;
  gpu::DepthTest t;
  t.enabled = Known(r[kRsZEnable], 0) == 1;
  t.write = Known(r[kRsZWriteEnable], 1) != 0;
  t.compare = CompareOf(Known(r[kRsZFunc], kCmpLessEqual));
  t.bias = static_cast<float>(Known(r[kRsDepthBias], 0));
  D()->SetDepthTest(t);
}

void SendStageSetUp(int stage) {
  const detail::StageCache& s = C().stages[stage];
  gpu::Stage st;
  st.texture = s.texture == 0xFFFFFFFFu ? 0 : s.texture;
  st.coordinateSet = static_cast<int>(Known(s.state[kTssTexCoordIndex], stage == 0 ? 0 : 1));
  st.color = CombinerOf(s.state[kTssColorOp], s.state[kTssColorArg1], s.state[kTssColorArg2]);
  st.alpha = CombinerOf(s.state[kTssAlphaOp], s.state[kTssAlphaArg1], s.state[kTssAlphaArg2]);
  D()->SetStage(stage, st);
}

gpu::Filter FilterOf(int64_t number) {
  switch (number) {
    case kFilterPoint: return gpu::Filter::kPoint;
    case kFilterLinear: return gpu::Filter::kLinear;
    case kFilterAnisotropic: return gpu::Filter::kAnisotropic;
    default: return gpu::Filter::kNone;
  }
}

gpu::Address AddressOf(int64_t number) {
  return number == kAddressWrap ? gpu::Address::kWrap : number == kAddressMirror ? gpu::Address::kMirror : gpu::Address::kClamp;
}

void SendSamplerSetUp(int stage) {
  const auto& v = C().stages[stage].sampler;
  gpu::Sampler s;
  s.magnify = FilterOf(Known(v[kSampMagFilter], kFilterPoint));
  s.minify = FilterOf(Known(v[kSampMinFilter], kFilterPoint));
  s.mip = FilterOf(Known(v[kSampMipFilter], kFilterNone));
  s.u = AddressOf(Known(v[kSampAddressU], kAddressClamp));
  s.v = AddressOf(Known(v[kSampAddressV], kAddressClamp));
  s.maxAnisotropy = static_cast<int>(Known(v[kSampMaxAnisotropy], 1));
  D()->SetSampler(stage, s);
}

// The device's set-up a render state belongs to, sent again; states the
// device has no use for stop at the cache.
void PassRenderStateOn(int state) {
  switch (state) {
    case kRsAlphaBlendEnable:
    case kRsSrcBlend:
    case kRsDestBlend:
    case kRsBlendOp: SendBlendSetUp(); break;
    case kRsAlphaTestEnable:
    case kRsAlphaFunc:
    case kRsAlphaRef: SendAlphaTestSetUp(); break;
    case kRsTextureFactor: D()->SetTextureFactor(static_cast<uint32_t>(C().render[state])); break;
    case kRsZEnable:
    case kRsZWriteEnable:
    case kRsZFunc:
    case kRsDepthBias: SendDepthSetUp(); break;
    case kRsShadeMode: D()->SetSmoothShading(C().render[state] == 2); break;
    default: break;
  }
}

// The common rule of the cached setters: equal and not forced, nothing;
// else send the batch, then the value.
int SendRenderState(int state, uint32_t value) {
  detail::DeviceStateCache& c = C();
  if (!c.force && c.render[state] == static_cast<int64_t>(value)) return 0;
  FlushVertexBatch();
  c.render[state] = value;
  PassRenderStateOn(state);
  return 0;
}

void SendStageState(int stage, int type, int32_t value) {
  if (value == -1) return;
  int64_t& cached = C().stages[stage].state[type];
  if (!C().force && cached == value) return;
  FlushVertexBatch();
  cached = value;
  SendStageSetUp(stage);
}

void SendSamplerState(int stage, int type, uint32_t value) {
  int64_t& cached = C().stages[stage].sampler[type];
  if (!C().force && cached == static_cast<int64_t>(value)) return;
  FlushVertexBatch();
  cached = value;
  SendSamplerSetUp(stage);
}

void SendTexture(int stage, gpu::TextureId texture) {
  gpu::TextureId& cached = C().stages[stage].texture;
  if (!C().force && cached == texture) return;
  FlushVertexBatch();
  cached = texture;
  SendStageSetUp(stage);
}

uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return bits;
}

void FourFloatsOfColor(uint32_t color, float out[4]) {
  // b, g, r, a as the texture factor's constant register wants them
  out[0] = static_cast<float>(color & 255) / 255.0f;
  out[1] = static_cast<float>(color >> 8 & 255) / 255.0f;
  out[2] = static_cast<float>(color >> 16 & 255) / 255.0f;
  out[3] = static_cast<float>(color >> 24) / 255.0f;
}

// A matrix to constant registers, transposed as the shaders read it.
void SendTransposed(int reg, const Matrix& matrix) {
  float t[16];
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) t[4 * r + k] = matrix.m[4 * k + r];
  D()->SetProgramConstants(0, reg, t, 4);
}

gpu::Primitive PrimitiveOf(int type) {
  switch (type) {
    case kPointList: return gpu::Primitive::kPoints;
    case kLineList: return gpu::Primitive::kLines;
    case kLineStrip: return gpu::Primitive::kLineStrip;
    case kTriangleStrip: return gpu::Primitive::kTriangleStrip;
    case kTriangleFan: return gpu::Primitive::kTriangleFan;
    default: return gpu::Primitive::kTriangles;
  }
}

gpu::Layout LayoutOf(int format) {
  return format == kBatchColored ? gpu::Layout::kColored : format == kBatchTextured ? gpu::Layout::kTextured : gpu::Layout::kTwoTextures;
}

// Runs a draw once for each target texture: a graph laid over several
// textures is drawn into each with its own origin.
template <typename DrawFn>
void DrawOnEveryTarget(DrawFn&& draw) {
  const detail::RenderTargets& t = C().targets;
  if (t.count <= 1) {
    draw();
    return;
  }
  for (int i = 0; i < t.count; ++i) {
    D()->UseTarget(t.texture[i], t.originX[i], t.originY[i]);
    draw();
  }
}

using detail::PrimitiveCount;

// ---- The draw-state tables ----

struct BlendRow {
  int destination, source, stageMode, operation;
};
constexpr BlendRow kBlendTable[13] = {
    {-1, -1, 0, 1}, {6, 5, 0, 1}, {2, 5, 0, 1}, {1, 10, 0, 1}, {3, 1, 0, 1}, {2, 5, 0, 1}, {-1, -1, 0, 1},
    {-1, -1, 0, 1}, {2, 1, 0, 1}, {1, 10, 0, 1}, {6, 5, 2, 1}, {3, 1, 1, 1}, {2, 5, 0, 3},
};

StageRecord Stage(int colorOp, int colorArg1, int colorArg2, int alphaOp, int alphaArg1, int alphaArg2, int coords = 0) {
  StageRecord r{};
  r.texCoordIndex = coords;
  r.colorOp = static_cast<int16_t>(colorOp), r.colorArg1 = static_cast<int16_t>(colorArg1);
  r.colorArg2 = static_cast<int16_t>(colorArg2);
  r.alphaOp = static_cast<int16_t>(alphaOp), r.alphaArg1 = static_cast<int16_t>(alphaArg1);
  r.alphaArg2 = static_cast<int16_t>(alphaArg2);
  return r;
}
const StageRecord kDisabledStage = Stage(kOpDisable, kArgTexture, kArgCurrent, kOpDisable, kArgTexture, kArgCurrent);

// An entry of the stage-set table (rows 0-19, kinds 0-2): the stages and
// their count. The stage after the last is disabled.
int StageSetEntry(int row, int kind, StageRecord out[8]) {
  for (int i = 0; i < 8; ++i) out[i] = kDisabledStage;
  if (row >= 12 && row <= 15) return 0;
  const int alphaMod = row & 1, colorMod = row >> 1 & 1;
  const int tex = kArgTexture, dif = kArgDiffuse, cur = kArgCurrent, tf = kArgTFactor, specular = kArgSpecular;
  // Stage 1 of kind 0 in the blend-graph rows: the graph itself.
  const int graphColorOp = colorMod ? kOpModulate : kOpSelectArg1;
  if (row >= 4 && row <= 7) {
    out[0] = Stage(kOpSelectArg2, tex, dif, kOpAdd, tex, tf, 0);
    if (kind == 0) {
      out[1] = alphaMod ? Stage(graphColorOp, tex, dif, kOpModulate, dif, cur, 1)
                        : Stage(graphColorOp, tex, dif, kOpModulate, cur, dif, 1);
      return 2;
    }
    if (kind == 1) {
      out[1] = Stage(kOpSelectArg1, cur, dif, kOpModulate, specular, cur, 0);
      out[2] = Stage(graphColorOp, tex, dif, kOpModulate, tex, cur, 1);
      if (!alphaMod) return 3;
      out[3] = Stage(kOpSelectArg1, cur, dif, kOpModulate, dif, cur, 0);
      return 4;
    }
    out[1] = Stage(graphColorOp, tex, dif, kOpModulate, tex, cur, 1);
    if (!alphaMod) return 2;
    out[2] = Stage(kOpSelectArg1, cur, dif, kOpModulate, dif, cur, 1);
    return 3;
  }
  const int base = tex | (row >= 16 ? kArgComplement : 0);
  const StageRecord first =
      kind == 0 ? Stage(graphColorOp, base, dif, kOpSelectArg2, tex, dif)
                : Stage(graphColorOp, base, dif, alphaMod ? kOpModulate : kOpSelectArg1, tex, dif);
  out[0] = first;
  if (row >= 8 && row <= 11) {
    out[1] = Stage(kOpBlendCurrentAlpha, cur, tf, kOpSelectArg1, cur, tf, 1);
    return 2;
  }
  return 1;
}

// Untextured stage blocks by stage mode, and the fixed subtract block.
int UntexturedStages(int stageMode, bool subtract, StageRecord out[8]) {
  for (int i = 0; i < 8; ++i) out[i] = kDisabledStage;
  const int dif = kArgDiffuse, tf = kArgTFactor;
  if (subtract)
    out[0] = Stage(kOpSelectArg1, dif, -1, kOpSelectArg2, -1, dif);
  else if (stageMode == 1)
    out[0] = Stage(kOpBlendDiffuseAlpha, dif, tf, kOpSelectArg1, dif, tf);
  else if (stageMode == 2)
    out[0] = Stage(kOpSelectArg1, dif | kArgComplement, dif, kOpSelectArg1, dif, dif);
  else
    out[0] = Stage(kOpSelectArg1, dif, dif, kOpSelectArg1, dif, dif);
  return 1;
}

// The blend set-up worked out from the deferred state: blending on or off and
// its factors from the blend mode, the texture stages from the textures bound
// (none, one, or a picture with a blend image) and their modulation, the alpha
// test, and the vertex format the batch must hold (a batch of another format
// is flushed first).
DeviceStateBlock BuildDrawStateBlock(bool* sendFactor) {
  *sendFactor = true;
  detail::DeviceStateCache& c = C();
  DeviceStateBlock b{};
  const int mode = std::clamp(c.blendMode, 0, 12);
  const BlendRow& row = kBlendTable[mode];
  b.blendEnable = (mode != 0 && mode != 6) ? 1 : 0;
  b.destBlend = row.destination, b.srcBlend = row.source, b.blendOp = row.operation;
  if (mode == 3 && c.blendOpCapable) b.destBlend = kBlendOne, b.srcBlend = kBlendSrcAlpha, b.blendOp = kBlendOpRevSubtract;
  b.alphaRef = -1, b.alphaFunc = -1, b.alphaTestEnable = 0;
  b.textureFactor = 0xFFFFFFFFu;
  int format = kBatchColored;
  detail::VertexBatch& batch = G().batch;
  if (c.texture == 0) {
    batch.skipDraw = 0;
    b.stageCount = UntexturedStages(row.stageMode, mode == 3, b.stages);
    if (row.stageMode != 1) *sendFactor = false;  // stays as set
    for (int i = 0; i < 8; ++i) b.stages[i].texture = 0;
  } else if (c.blendTexture == 0) {
    const int kind = c.alphaChannel ? 1 : c.alphaTest ? 2 : 0;
    b.stageCount = StageSetEntry(c.alphaModulate + 2 * c.colorModulate + 8 * row.stageMode, kind, b.stages);
    format = kBatchTextured;
    const bool zOn = c.render[kRsZEnable] == 1;
    if (c.alphaTest) {
      b.alphaTestEnable = 1, b.alphaRef = 16, b.alphaFunc = kCmpGreater;
    } else if (zOn) {
      b.alphaTestEnable = 1, b.alphaRef = 0, b.alphaFunc = kCmpGreater;
    }
    if (!c.alphaTest && c.alphaChannel && !b.blendEnable) b.destBlend = kBlendInvSrcAlpha, b.srcBlend = kBlendSrcAlpha;
    if (c.alphaChannel) b.blendEnable = 1;
    // A multiply weighs the source by its alpha, as the software road's
    // multiply does: the colour is taken times the texture's own alpha.
    if (mode == 4 && c.alphaChannel) {
      // Its wholly transparent pixels are left out, not multiplied by 0.
      if (!b.alphaTestEnable) b.alphaTestEnable = 1, b.alphaRef = 0, b.alphaFunc = kCmpGreater;
      b.stages[0].colorOp = kOpModulate, b.stages[0].colorArg1 = kArgTexture;
      b.stages[0].colorArg2 = kArgTexture | kArgAlphaReplicate;
      if (c.colorModulate) {
        for (int i = 7; i > 1; --i) b.stages[i] = b.stages[i - 1];
        b.stages[1] = Stage(kOpModulate, kArgCurrent, kArgDiffuse, kOpSelectArg1, kArgCurrent, kArgDiffuse);
        ++b.stageCount;
      }
    }
    for (int i = 0; i < 8; ++i) b.stages[i].texture = i == 0 ? c.texture : 0;
  } else {
    const int kind = c.alphaChannel ? 1 : c.alphaTest ? 2 : 0;
    b.stageCount = StageSetEntry(4 + c.alphaModulate + 2 * c.colorModulate, kind, b.stages);
    if (!b.blendEnable) b.destBlend = kBlendInvSrcAlpha, b.srcBlend = kBlendSrcAlpha;
    batch.skipDraw = c.borderParam == 255 ? 1 : 0;
    format = kBatchTwoTextures;
    for (int i = 0; i < 8; ++i) b.stages[i].texture = 0;
    b.stages[0].texture = c.blendTexture;
    b.stages[c.alphaChannel ? 2 : 1].texture = c.texture;
    if (c.borderRange < 2) {
      b.alphaTestEnable = 1;
      b.alphaRef = (c.borderParam == 0 && (c.alphaChannel || c.alphaTest)) ? 1 : c.borderParam;
      b.alphaFunc = kCmpGreaterEqual;
      b.blendEnable = 0;
      b.textureFactor = 0x00FFFFFF;
    } else {
      b.blendEnable = 1;
      int scale, base, threshold, shift, op;
      if (c.borderRange <= 64)
        scale = 4, base = 1280, threshold = 1024, shift = 10, op = kOpModulate4x;
      else if (c.borderRange <= 128)
        scale = 2, base = 768, threshold = 512, shift = 9, op = kOpModulate2x;
      else
        scale = 1, base = 512, threshold = 256, shift = 8, op = kOpModulate;
      b.stages[1].alphaOp = static_cast<int16_t>(op);
      const int v = base - (c.borderParam * base) / 255;
      uint32_t alpha;
      if (v < threshold) {
        alpha = static_cast<uint8_t>(255 - ((v * 255) >> shift));
        b.stages[0].alphaOp = kOpSubtract;
      } else {
        const int mul = scale == 4 ? 64 : scale == 2 ? 128 : 255;
        alpha = static_cast<uint32_t>(((v - threshold) * mul) / 256) & 255;
        b.stages[0].alphaOp = kOpAdd;
      }
      b.textureFactor = alpha << 24 | 0xFFFFFF;
    }
  }
  if (batch.format != format && batch.count > 0) FlushVertexBatch();
  batch.format = format;
  return b;
}

// Sends a worked-out block to the device: the alpha test, the blending and the
// texture factor, then each stage's texture and operations, each value only
// when it differs from what the device holds (or when everything is forced).
void SendDrawStateBlock(const DeviceStateBlock& b, int stagesToApply, int blockFlag, bool sendFactor) {
  detail::DeviceStateCache& c = C();
  if (b.alphaFunc != -1) SendRenderState(kRsAlphaFunc, static_cast<uint32_t>(b.alphaFunc));
  if (b.alphaRef != -1) SendRenderState(kRsAlphaRef, static_cast<uint32_t>(b.alphaRef));
  SendRenderState(kRsAlphaTestEnable, static_cast<uint32_t>(b.alphaTestEnable));
  SendRenderState(kRsAlphaBlendEnable, static_cast<uint32_t>(b.blendEnable));
  if (sendFactor && (c.force || c.render[kRsTextureFactor] != static_cast<int64_t>(b.textureFactor))) {
    SendRenderState(kRsTextureFactor, b.textureFactor);
    if (c.shadersInUse) {
      float f[4];
      FourFloatsOfColor(b.textureFactor, f);
      D()->SetProgramConstants(1, 5, f, 1);
    }
  }
  const int32_t blends[3][2] = {{kRsSrcBlend, b.srcBlend}, {kRsDestBlend, b.destBlend}, {kRsBlendOp, b.blendOp}};
  for (const auto& [state, value] : blends) {
    if (value != -1)
      SendRenderState(state, static_cast<uint32_t>(value));
    else if (c.force && c.render[state] > 1)
      SendRenderState(state, static_cast<uint32_t>(c.render[state]));
  }
  for (int s = 0; s < stagesToApply && s < 8; ++s) {
    const StageRecord& r = b.stages[s];
    if (s >= 2 && !blockFlag && b.stages[s - 1].alphaOp == kOpDisable) break;
    SendTexture(s, r.texture);
    SendStageState(s, kTssTexCoordIndex, r.texCoordIndex);
    if (blockFlag) continue;
    SendStageState(s, kTssAlphaOp, r.alphaOp);
    SendStageState(s, kTssAlphaArg1, r.alphaArg1);
    SendStageState(s, kTssAlphaArg2, r.alphaArg2);
    SendStageState(s, kTssColorOp, r.colorOp);
    SendStageState(s, kTssColorArg1, r.colorArg1);
    SendStageState(s, kTssColorArg2, r.colorArg2);
  }
}

int StageAddress(int stage, int mode, int type) {
  if (D() == nullptr) return 0;
  if (stage == -1) {
    bool all = !C().force;
    for (int s = 0; s < 8 && all; ++s) all = C().stages[s].sampler[type] == mode;
    if (all) return 0;
    const int old = C().force;
    C().force = 1;
    for (int s = 0; s < 8; ++s) SendSamplerState(s, type, static_cast<uint32_t>(mode));
    C().force = old;
    return 0;
  }
  if (stage < 0 || stage > 7) return -1;
  SendSamplerState(stage, type, static_cast<uint32_t>(mode));
  return 0;
}

void MaterialOf(const DrawMaterial& m, MaterialWords* out) {
  std::memcpy(out->diffuse, m.diffuse, sizeof out->diffuse);
  std::memcpy(out->ambient, m.ambient, sizeof out->ambient);
  std::memcpy(out->specular, m.specular, sizeof out->specular);
  std::memcpy(out->emissive, m.emissive, sizeof out->emissive);
  out->power = m.power;
}

}  // namespace

int FlushVertexBatch() {
  gpu::Device* device = D();
  if (device == nullptr) return -1;
  detail::VertexBatch& batch = G().batch;
  if (batch.count > 0 && !IsWindowEnded()) {
    BeginSceneOnce();
    if (!batch.skipDraw) {
      batch.currentFvf = detail::kBatchFvf[batch.format];
      const gpu::Primitive primitive = PrimitiveOf(batch.primitiveType);
      const gpu::Layout layout = LayoutOf(batch.format);
      // Whole primitives only: a line strip of one vertex draws nothing.
      const int count = batch.primitiveType == kLineStrip && batch.count < 2 ? 0 : batch.count;
      DrawOnEveryTarget([&] { device->Draw(primitive, layout, batch.buffer[batch.format], count); });
    }
  }
  batch.count = 0;
  return 0;
}

void BeginSceneOnce() {
  if (D() == nullptr || C().sceneOpen) return;
  C().sceneOpen = 1;
}

void EndSceneIfOpen() {
  if (D() == nullptr || !C().sceneOpen) return;
  D()->Finish();
  C().sceneOpen = 0;
}

int BindDrawTexture(gpu::TextureId texture) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (c.texture == texture && !c.force) return 0;
  FlushVertexBatch();
  if ((c.texture == 0) != (texture == 0)) c.drawStateDirty = 1;
  c.texture = texture;
  c.textureChanged = 1;
  return 0;
}

int SetDeferredDrawStateA(int blendMode, int alphaTest, int alphaChannel) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (!c.force && c.blendMode == blendMode && c.alphaTest == alphaTest && c.alphaChannel == alphaChannel) return 0;
  FlushVertexBatch();
  c.blendMode = blendMode, c.alphaTest = alphaTest, c.alphaChannel = alphaChannel;
  c.drawStateDirty = 1;
  return 0;
}

int SetDeferredDrawStateC(gpu::TextureId blendTexture, int borderParam, int borderRange) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  const int param = borderParam == -1 ? c.borderParam : borderParam;
  const int range = borderRange == -1 ? c.borderRange : borderRange;
  if (!c.force && c.blendTexture == blendTexture && c.borderParam == param && c.borderRange == range) return 0;
  FlushVertexBatch();
  c.blendTexture = blendTexture, c.borderParam = param, c.borderRange = range;
  c.drawStateDirty = 1;
  return 0;
}

int SetDeferredModulation(int colorModulate, int alphaModulate) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (c.colorModulate == colorModulate && c.alphaModulate == alphaModulate) return 0;
  FlushVertexBatch();
  c.colorModulate = colorModulate, c.alphaModulate = alphaModulate;
  c.drawStateDirty = 1;
  return 0;
}

int ApplyDeviceDrawState(const DeviceStateBlock* block, int handlesFlag, int blockFlag) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (block != nullptr || c.storedBlockActive) {
    DeviceStateBlock b = block ? *block : c.storedBlock;
    const int flag = block ? blockFlag : c.storedBlockFlag;
    if (handlesFlag)
      for (StageRecord& s : b.stages) s.texture = G().graphTexture ? G().graphTexture(static_cast<int>(s.texture)) : 0;
    c.drawStateDirty = c.textureChanged = 0;
    SendDrawStateBlock(b, std::min(b.stageCount + 1, 8), flag, true);
    return 0;
  }
  if (!c.force && !c.drawStateDirty) {
    if (!c.textureChanged) return -1;
    const int stage = c.blendTexture == 0 ? 0 : (c.alphaChannel ? 2 : 1);
    SendTexture(stage, c.texture);
    c.textureChanged = 0;
    return 0;
  }
  c.drawStateDirty = c.textureChanged = 0;
  bool sendFactor = true;
  DeviceStateBlock b = BuildDrawStateBlock(&sendFactor);
  if (b.stageCount != c.stagesInUse) {
    c.stagesInUse = b.stageCount;
    const int old = c.force;
    c.force = 1;
    SetTextureFilterCached(c.filterMode);
    SetMaxAnisotropyCached(c.maxAnisotropy);
    c.force = old;
  }
  SendDrawStateBlock(b, std::min(b.stageCount + 1, 8), 0, sendFactor);
  return 0;
}

int ApplyDrawStateNow(const DeviceStateBlock* block) {
  if (D() == nullptr || block == nullptr) return -1;
  FlushVertexBatch();
  ApplyDeviceDrawState(block, 0, 0);
  detail::DeviceStateCache& c = C();
  c.texture = 0xFFFFFFFFu;
  c.drawStateDirty = c.textureChanged = 1;
  return 0;
}

int SetZEnableCached(int on) { return D() ? SendRenderState(kRsZEnable, on == 1 ? 1 : 0) : -1; }
int SetZWriteEnableCached(int on) { return D() ? SendRenderState(kRsZWriteEnable, static_cast<uint32_t>(on)) : -1; }
int SetZFuncCached(int func) { return D() ? SendRenderState(kRsZFunc, static_cast<uint32_t>(func)) : -1; }
int SetDepthBiasCached(int bias) { return D() ? SendRenderState(kRsDepthBias, static_cast<uint32_t>(bias)) : -1; }

int SetLightingEnableCached(int on) {
  if (D() == nullptr) return 0;
  // The lighting switch changes nothing of pre-transformed vertices: no flush.
  if (!C().force && C().render[kRsLighting] == on) return 0;
  C().render[kRsLighting] = on;
  return 0;
}
int SetLightingEnable(int on) { return SetLightingEnableCached(on); }

int SetCullModeCached(int on) { return D() ? SendRenderState(kRsCullMode, on ? 3 : 1) : 0; }
int SetDiffuseMaterialSourceCached(int v) { return D() ? SendRenderState(kRsDiffuseMaterialSource, v ? 1 : 0) : 0; }
int SetSpecularMaterialSourceCached(int v) { return D() ? SendRenderState(kRsSpecularMaterialSource, v ? 1 : 0) : 0; }

int SetAmbientColorCached(uint32_t color) {
  if (D() == nullptr) return 0;
  FlushVertexBatch();
  C().render[kRsAmbient] = color;
  const float a[4] = {static_cast<float>(color >> 16 & 255) / 255.0f, static_cast<float>(color >> 8 & 255) / 255.0f,
                      static_cast<float>(color & 255) / 255.0f, static_cast<float>(color >> 24) / 255.0f};
  std::memcpy(C().ambient, a, sizeof a);
  return 0;
}

int SetFogEnableCached(int on) { return D() ? SendRenderState(kRsFogEnable, static_cast<uint32_t>(on)) : 0; }
int SetFogVertexModeCached(int mode) {
  if (D() == nullptr) return 0;
  SendRenderState(kRsFogVertexMode, static_cast<uint32_t>(mode));
  if (C().shadersInUse) {
    const int b[4] = {mode == 3, mode == 1, mode == 2, mode != 0};
    D()->SetProgramFlags(0, b, 4);
  }
  return 0;
}
int SetFogColorCached(uint32_t color) { return D() ? SendRenderState(kRsFogColor, color) : 0; }
int SetFogStartEndCached(float start, float end) {
  if (D() == nullptr) return 0;
  SendRenderState(kRsFogStart, FloatBits(start));
  SendRenderState(kRsFogEnd, FloatBits(end));
  if (C().shadersInUse) {
    float density;
    const uint32_t bits = static_cast<uint32_t>(Known(C().render[kRsFogDensity], 0));
    std::memcpy(&density, &bits, 4);
    const float fog[4] = {start, end, end - start != 0.0f ? 1.0f / (end - start) : 0.0f, density};
    D()->SetProgramConstants(0, 10, fog, 1);
  }
  return 0;
}
int SetFogDensityCached(float density) { return D() ? SendRenderState(kRsFogDensity, FloatBits(density)) : 0; }
int SetShadeModeCached(int mode) { return D() ? SendRenderState(kRsShadeMode, static_cast<uint32_t>(mode)) : 0; }
int SetSpecularEnableCached(int on) { return D() ? SendRenderState(kRsSpecularEnable, static_cast<uint32_t>(on)) : 0; }

int SetTextureFilterCached(int mode) {
  if (D() == nullptr) return -1;
  int mag, min, mip;
  switch (mode) {
    case 0: mag = kFilterPoint, min = kFilterPoint, mip = kFilterNone; break;
    case 1: mag = kFilterLinear, min = kFilterLinear, mip = kFilterNone; break;
    case 2: mag = kFilterLinear, min = kFilterAnisotropic, mip = kFilterLinear; break;
    default: return -1;
  }
  C().filterMode = mode;
  for (int s = 0; s < C().stagesInUse; ++s) {
    SendSamplerState(s, kSampMagFilter, static_cast<uint32_t>(mag));
    SendSamplerState(s, kSampMinFilter, static_cast<uint32_t>(min));
    SendSamplerState(s, kSampMipFilter, static_cast<uint32_t>(mip));
  }
  return 0;
}

int SetMaxAnisotropyCached(int n) {
  if (D() == nullptr) return -1;
  C().maxAnisotropy = std::max(1, n);
  for (int s = 0; s < C().stagesInUse; ++s) SendSamplerState(s, kSampMaxAnisotropy, static_cast<uint32_t>(C().maxAnisotropy));
  return 0;
}

int SetTextureAddressUCached(int stage, int mode) { return StageAddress(stage, mode, kSampAddressU); }
int SetTextureAddressVCached(int stage, int mode) { return StageAddress(stage, mode, kSampAddressV); }

int SetTextureTransformCached(int stage, int on, const Matrix* matrix) {
  if (D() == nullptr) return 0;
  const int first = stage == -1 ? 0 : stage, last = stage == -1 ? 3 : stage;
  if (first < 0 || last > 7) return -1;
  for (int s = first; s <= last; ++s) {
    detail::StageCache& sc = C().stages[s];
    if (on) {
      FlushVertexBatch();
      sc.state[kTssTextureTransformFlags] = 3;
      if (matrix) sc.transform = *matrix;
      sc.transformOn = 1;
    } else if (sc.transformOn || stage == -1) {
      FlushVertexBatch();
      sc.state[kTssTextureTransformFlags] = 0;
      sc.transformOn = 0;
    }
  }
  return 0;
}

int SetLightCached(int index, const LightDescription& light) {
  if (D() == nullptr) return 0;
  FlushVertexBatch();
  if (index >= 0 && index < 256) C().lights[index] = light;
  if (C().shadersInUse && index >= 0 && index < 4) {
    const int b[2] = {light.type == 1 || light.type == 2, light.type == 2};
    D()->SetProgramFlags(5 + 3 * index, b, 2);
  }
  return 0;
}

int EnableLightCached(int index, int on) {
  if (D() == nullptr) return 0;
  if (index < 0) return -1;
  FlushVertexBatch();
  detail::DeviceStateCache& c = C();
  if (index < 256) {
    c.lightOn[index] = on ? 1 : 0;
    if (on && index > c.highestLight) c.highestLight = index;
    if (!on && index == c.highestLight) {
      int h = index;
      while (h > 0 && !c.lightOn[h]) --h;
      c.highestLight = c.lightOn[h] ? h : 0;
    }
  }
  if (c.shadersInUse && index < 4) {
    const int b = on ? 1 : 0;
    D()->SetProgramFlags(4 + 3 * index, &b, 1);
  }
  return 0;
}

int SetMaterialCached(const DrawMaterial& material) {
  if (D() == nullptr) return 0;
  MaterialWords words{};
  MaterialOf(material, &words);
  detail::DeviceStateCache& c = C();
  if (!c.force && c.materialKnown && std::memcmp(&c.material, &words, sizeof words) == 0) return 0;
  FlushVertexBatch();
  c.material = words;
  c.materialKnown = 1;
  if (c.shadersInUse) {
    const float* colours[3] = {words.diffuse, words.ambient, words.specular};
    for (int i = 0; i < 3; ++i) {
      D()->SetProgramConstants(0, 11 + i, colours[i], 1);
      D()->SetProgramConstants(1, 2 + i, colours[i], 1);
    }
  }
  return 0;
}

int SetViewportRect(const DeviceViewport& viewport) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (!c.force && c.viewportKnown && c.viewport.x == viewport.x && c.viewport.y == viewport.y &&
      c.viewport.width == viewport.width && c.viewport.height == viewport.height)
    return 0;
  FlushVertexBatch();
  EndSceneIfOpen();
  if (viewport.width < 0 || viewport.height < 0) {
    WriteLogFormat("ビューポートのセットに失敗しました ErrorCode %x", 0x8876086C);
    return -1;
  }
  D()->SetClip({viewport.x, viewport.y, viewport.x + viewport.width, viewport.y + viewport.height});
  c.viewport = viewport;
  c.viewportKnown = 1;
  return 0;
}

int ResetViewport(int left, int top, int right, int bottom) {
  return SetViewportRect({left, top, right - left, bottom - top, 0.0f, 1.0f});
}

// Drawing is clipped by the viewport; the scissor rectangle is kept for the
// state restore only.
int SetScissorRectCached(const DrawRect& rect) {
  if (D() == nullptr) return -1;
  detail::DeviceStateCache& c = C();
  if (!c.force && c.scissorKnown && std::memcmp(&c.scissor, &rect, sizeof rect) == 0) return 0;
  FlushVertexBatch();
  EndSceneIfOpen();
  c.scissor = rect;
  c.scissorKnown = 1;
  return 0;
}

int SetWorldMatrix(const Matrix& matrix) {
  detail::SetCameraWorldMatrix(matrix);
  FlushVertexBatch();
  return 0;
}

int SetViewMatrix(const Matrix& matrix) {
  detail::SetCameraViewMatrix(matrix);
  if (D() == nullptr) return 0;
  FlushVertexBatch();
  if (C().shadersInUse) SendTransposed(6, matrix);
  return 0;
}

namespace {
int SendProjection() {
  if (D() == nullptr) return 0;
  FlushVertexBatch();
  Matrix sent;
  MultiplyMatrix(&sent, &GetDrawCamera().projection, &C().projectionB);
  if (C().shadersInUse) SendTransposed(2, sent);
  return 0;
}
}  // namespace

int SetProjectionMatrixA(const Matrix& matrix) {
  detail::SetCameraProjectionMatrix(matrix);
  return SendProjection();
}

int SetProjectionMatrixB(const Matrix& matrix) {
  C().projectionB = matrix;
  detail::SetCameraProjectionMatrix(GetDrawCamera().projection);
  return SendProjection();
}

int ResetTextureStageStates() {
  if (D() == nullptr) return -1;
  FlushVertexBatch();
  detail::DeviceStateCache& c = C();
  const int coords[4] = {0, 1, 1, 0};
  for (int s = 0; s < 4; ++s) {
    SendSamplerState(s, kSampAddressU, static_cast<uint32_t>(c.addressSettingU));
    SendSamplerState(s, kSampAddressV, static_cast<uint32_t>(c.addressSettingV));
    SendStageState(s, kTssTexCoordIndex, coords[s]);
  }
  SendRenderState(kRsShadeMode, static_cast<uint32_t>(c.shadeSetting));
  SendRenderState(kRsLighting, static_cast<uint32_t>(c.lightingSetting));
  SendRenderState(kRsCullMode, 1);
  SendRenderState(kRsDitherEnable, 0);
  if (c.shadersInUse) {
    const float v0[4] = {0.0f, 1.0f, 0.0f, 0.0f}, p0[4] = {0.0f, 0.5f, 1.0f, 2.0f};
    D()->SetProgramConstants(0, 0, v0, 1);
    D()->SetProgramConstants(1, 0, p0, 1);
  }
  G().batch.currentFvf = 0;
  return 0;
}

int DrawIndexedTriangles(int w, const TexturedVertex* vertices, int h) {
  gpu::Device* device = D();
  if (device == nullptr) return 0;
  if (w < 2 || h < 2) return -1;
  FlushVertexBatch();
  constexpr int kMaxIndices = 1000;
  // A row pair takes 2w indices plus two for the joins; wider grids are drawn
  // in bands of columns that share their edge column, so the list never overflows.
  const int bandWidth = std::min(w, kMaxIndices / 2 - 1);
  uint16_t indices[kMaxIndices];
  auto send = [&](int count, const TexturedVertex* base, int vertexCount) {
    if (count < 3) return;
    G().batch.currentFvf = kFvfTextured;
    DrawOnEveryTarget([&] {
      device->DrawIndexed(gpu::Primitive::kTriangleStrip, gpu::Layout::kTextured, base, vertexCount, indices, count);
    });
  };
  for (int left = 0; left + 1 < w; left += bandWidth - 1) {
    const int cols = std::min(bandWidth, w - left);
    // With bands, the band's vertices are gathered so 16-bit indices stay in range.
    const TexturedVertex* base = vertices;
    std::vector<TexturedVertex> band;
    int stride = w;
    if (cols != w) {
      band.resize(static_cast<size_t>(cols) * static_cast<size_t>(h));
      for (int r = 0; r < h; ++r)
        std::memcpy(&band[static_cast<size_t>(r) * cols], vertices + static_cast<ptrdiff_t>(r) * w + left,
                    sizeof(TexturedVertex) * static_cast<size_t>(cols));
      base = band.data();
      stride = cols;
    }
    // Each row pair is joined to the next by repeating its last index and
    // the next pair's first one (degenerate triangles).
    int n = 0;
    for (int r = 0; r + 1 < h; ++r) {
      const int need = (n > 0 ? 1 : 0) + 2 * cols + (r + 2 < h ? 1 : 0);
      if (n > 0 && n + need > kMaxIndices) {
        send(n, base, stride * h);
        n = 0;
      }
      if (n > 0) indices[n++] = static_cast<uint16_t>((r + 1) * stride);
      for (int col = 0; col < cols; ++col) {
        indices[n++] = static_cast<uint16_t>((r + 1) * stride + col);
        indices[n++] = static_cast<uint16_t>(r * stride + col);
      }
      if (r + 2 < h) {
        indices[n] = indices[n - 1];
        ++n;
      }
    }
    send(n, base, stride * h);
    if (cols == w) break;
  }
  return 0;
}

void* CreateVertexBufferObject(int, int, uint32_t, int) { return nullptr; }
void* CreateIndexBufferObject(int, int, int, int) { return nullptr; }

namespace detail {

int PrimitiveCount(int type, int count) {
  switch (type) {
    case kPointList: return count;
    case kLineList: return count / 2;
    case kLineStrip: return count - 1;
    case kTriangleList: return count / 3;
    default: return count - 2;  // strips and fans
  }
}

VertexBatch& Batch() { return G().batch; }
DeviceStateCache& DeviceCache() { return G().cache; }
gpu::Device* GpuDevice() { return G().device; }

void AttachGpuDevice(gpu::Device* device) {
  G().device = device;
  ForgetCache();
}

int AppendVertices(int format, int primitiveType, const void* vertices, int count) {
  if (D() == nullptr) return -1;
  VertexBatch& batch = G().batch;
  const int stride = kBatchStride[format];
  const int capacity = kBatchBytes[format] / stride;
  if (count > capacity) return -1;
  if (batch.count > 0 &&
      (batch.format != format || batch.primitiveType != primitiveType || batch.count + count > capacity))
    FlushVertexBatch();
  batch.format = format;
  batch.primitiveType = primitiveType;
  std::memcpy(batch.buffer[format] + static_cast<size_t>(batch.count) * stride, vertices,
              static_cast<size_t>(count) * stride);
  batch.count += count;
  return 0;
}

int SendVerticesNow(int format, int primitiveType, const void* vertices, int count) {
  if (D() == nullptr) return -1;
  FlushVertexBatch();
  BeginSceneOnce();
  if (count <= 0 || G().batch.skipDraw) return 0;
  G().batch.currentFvf = kBatchFvf[format];
  const int drawn = primitiveType == kLineStrip && count < 2 ? 0 : count;
  DrawOnEveryTarget([&] { D()->Draw(PrimitiveOf(primitiveType), LayoutOf(format), vertices, drawn); });
  return 0;
}

void UseRenderTargets(const RenderTargets& targets) {
  if (D() == nullptr) return;
  FlushVertexBatch();
  C().targets = targets;
  D()->UseTarget(targets.texture[0], targets.originX[0], targets.originY[0]);
}

void SetGraphTextureLookup(gpu::TextureId (*lookup)(int graph)) { G().graphTexture = lookup; }

}  // namespace detail
}  // namespace veziv
