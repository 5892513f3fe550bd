// The hardware road's vertex batch and device state cache. Draws append
// pre-transformed vertices to the batch; the batch goes to the device in one
// call only when something that changes how its vertices look is about to
// change. Every device state is set through a cached setter that skips the
// device when the value is already set (unless the force flag is up) and
// sends the batch before it passes a change on. ApplyDeviceDrawState turns
// the library's draw state into blend states and texture stages from fixed
// tables. The tables and the cache are written in the state numbers below;
// what the device is told is translated from them. With no device attached
// every setter does nothing.
#pragma once

#include <cstdint>

#include "library/graphics/graphs/lights_camera.h"
#include "library/veziv.h"
#include "platform/gpu/device.h"

namespace veziv {

namespace gpu = platform::gpu;

// The numbers the device state is kept in: render states, stage states and
// sampler states, stage operations and arguments, blend factors and
// operations, comparisons, filters, address modes and primitive types.
enum RenderState : int {
  kRsZEnable = 7,
  kRsShadeMode = 9,
  kRsZWriteEnable = 14,
  kRsAlphaTestEnable = 15,
  kRsSrcBlend = 19,
  kRsDestBlend = 20,
  kRsCullMode = 22,
  kRsZFunc = 23,
  kRsAlphaRef = 24,
  kRsAlphaFunc = 25,
  kRsDitherEnable = 26,
  kRsAlphaBlendEnable = 27,
  kRsFogEnable = 28,
  kRsSpecularEnable = 29,
  kRsFogColor = 34,
  kRsFogStart = 36,  // float bits
  kRsFogEnd = 37,    // float bits
  kRsFogDensity = 38,
  kRsTextureFactor = 60,
  kRsLighting = 137,
  kRsAmbient = 139,
  kRsFogVertexMode = 140,
  kRsDiffuseMaterialSource = 145,
  kRsSpecularMaterialSource = 146,
  kRsBlendOp = 171,
  kRsDepthBias = 195,
  kRenderStateCount = 256,
};
enum StageState : int {
  kTssColorOp = 1,
  kTssColorArg1 = 2,
  kTssColorArg2 = 3,
  kTssAlphaOp = 4,
  kTssAlphaArg1 = 5,
  kTssAlphaArg2 = 6,
  kTssTexCoordIndex = 11,
  kTssTextureTransformFlags = 24,
};
enum SamplerState : int {
  kSampAddressU = 1,
  kSampAddressV = 2,
  kSampMagFilter = 5,
  kSampMinFilter = 6,
  kSampMipFilter = 7,
  kSampMaxAnisotropy = 10,
};
enum StageOp : int {
  kOpDisable = 1,
  kOpSelectArg1 = 2,
  kOpSelectArg2 = 3,
  kOpModulate = 4,
  kOpModulate2x = 5,
  kOpModulate4x = 6,
  kOpAdd = 7,
  kOpSubtract = 10,
  kOpBlendDiffuseAlpha = 12,
  kOpBlendCurrentAlpha = 16,
};
enum StageArg : int {
  kArgDiffuse = 0,
  kArgCurrent = 1,
  kArgTexture = 2,
  kArgTFactor = 3,
  kArgSpecular = 4,
  kArgComplement = 0x10,
  kArgAlphaReplicate = 0x20,  // the input's alpha in every channel
};
enum BlendFactor : int {
  kBlendZero = 1,
  kBlendOne = 2,
  kBlendSrcColor = 3,
  kBlendInvSrcColor = 4,
  kBlendSrcAlpha = 5,
  kBlendInvSrcAlpha = 6,
  kBlendDestAlpha = 7,
  kBlendInvDestAlpha = 8,
  kBlendDestColor = 9,
  kBlendInvDestColor = 10,
};
enum BlendOperation : int { kBlendOpAdd = 1, kBlendOpSubtract = 2, kBlendOpRevSubtract = 3 };
enum CompareFunc : int { kCmpNever = 1, kCmpLess, kCmpEqual, kCmpLessEqual, kCmpGreater, kCmpNotEqual, kCmpGreaterEqual, kCmpAlways };
enum TextureFilter : int { kFilterNone = 0, kFilterPoint = 1, kFilterLinear = 2, kFilterAnisotropic = 3 };
enum TextureAddress : int { kAddressWrap = 1, kAddressMirror = 2, kAddressClamp = 3 };
enum PrimitiveType : int { kPointList = 1, kLineList = 2, kLineStrip = 3, kTriangleList = 4, kTriangleStrip = 5, kTriangleFan = 6 };

// The vertex format words of the batch's three layouts.
inline constexpr uint32_t kFvfColored = 0x44;        // x y z rhw, diffuse: 20 bytes
inline constexpr uint32_t kFvfTextured = 0x144;      // + u v: 28 bytes
inline constexpr uint32_t kFvfTwoTextures = 0x2C4;   // x y z rhw diffuse specular u0 v0 u1 v1: 40 bytes

// One texture stage as the tables and state blocks hold it; -1 leaves a value.
struct StageRecord {
  uint32_t texture;  // in a table's record 0: the stage count
  int32_t texCoordIndex;
  int16_t alphaArg1, alphaArg2, alphaOp, colorArg1, colorArg2, colorOp;
};

// A whole blend set-up in 49 words (the mask screen hands one over).
struct DeviceStateBlock {
  int32_t alphaTestEnable, alphaRef, alphaFunc, blendEnable;
  uint32_t textureFactor;
  int32_t srcBlend, destBlend, blendOp, stageCount;
  StageRecord stages[8];
};
static_assert(sizeof(DeviceStateBlock) == 49 * 4);

// The three vertex layouts of the batch.
struct ColoredVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};
struct TexturedVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
struct TwoTextureVertex {
  float x, y, z, rhw;
  uint32_t diffuse, specular;
  float u0, v0, u1, v1;
};

struct DeviceViewport {
  int x, y, width, height;
  float minZ, maxZ;
};

// Seventeen words: diffuse, ambient, specular and emissive colours, power.
struct MaterialWords {
  float diffuse[4], ambient[4], specular[4], emissive[4];
  float power;
};

enum BatchFormat : int { kBatchColored = 0, kBatchTextured = 1, kBatchTwoTextures = 2 };

int FlushVertexBatch();
int BindDrawTexture(gpu::TextureId texture);
// -1 when nothing was dirty or there is no device.
int ApplyDeviceDrawState(const DeviceStateBlock* block, int handlesFlag, int blockFlag);
// A state block applied at once for a draw of its own (the mask screen's
// copy): the batch is sent, the block applied, and the cached texture and
// state marked changed so that the next ordinary draw sets its own again.
int ApplyDrawStateNow(const DeviceStateBlock* block);
int SetDeferredDrawStateA(int blendMode, int alphaTest, int alphaChannel);
// A parameter or range of -1 keeps the one set.
int SetDeferredDrawStateC(gpu::TextureId blendTexture, int borderParam, int borderRange);
// The colour-modulate and alpha-modulate wishes of the next draws.
int SetDeferredModulation(int colorModulate, int alphaModulate);

int SetZEnableCached(int on);
int SetZWriteEnableCached(int on);
int SetZFuncCached(int func);
int SetDepthBiasCached(int bias);
int SetLightingEnableCached(int on);
int SetLightingEnable(int on);
int SetCullModeCached(int on);
int SetDiffuseMaterialSourceCached(int fromVertex);
int SetSpecularMaterialSourceCached(int fromVertex);
int SetAmbientColorCached(uint32_t color);
int SetFogEnableCached(int on);
int SetFogVertexModeCached(int mode);
int SetFogColorCached(uint32_t color);
int SetFogStartEndCached(float start, float end);
int SetFogDensityCached(float density);
int SetShadeModeCached(int mode);
int SetSpecularEnableCached(int on);
// 0 point, 1 linear, 2 anisotropic; -1 for another mode.
int SetTextureFilterCached(int mode);
int SetMaxAnisotropyCached(int n);
// stage -1: all eight stages.
int SetTextureAddressUCached(int stage, int mode);
int SetTextureAddressVCached(int stage, int mode);
// stage -1: stages 0 to 3.
int SetTextureTransformCached(int stage, int on, const Matrix* matrix);
int SetLightCached(int index, const LightDescription& light);
int EnableLightCached(int index, int on);
int SetMaterialCached(const DrawMaterial& material);
int SetViewportRect(const DeviceViewport& viewport);
int ResetViewport(int left, int top, int right, int bottom);
int SetScissorRectCached(const DrawRect& rect);
int SetWorldMatrix(const Matrix& matrix);
int SetViewMatrix(const Matrix& matrix);
int SetProjectionMatrixA(const Matrix& matrix);
int SetProjectionMatrixB(const Matrix& matrix);
int ResetTextureStageStates();
// A w x h grid of textured vertices, row-major, as triangle strips.
int DrawIndexedTriangles(int w, const TexturedVertex* vertices, int h);
// The device draws from user memory only and keeps no buffer objects: null.
void* CreateVertexBufferObject(int length, int usage, uint32_t fvf, int pool);
void* CreateIndexBufferObject(int length, int usage, int format, int pool);

// The scene bracket: the device's scene is opened by the first draw of a frame.
void BeginSceneOnce();
void EndSceneIfOpen();

namespace detail {

inline constexpr int kBatchBytes[3] = {64512, 65536, 65536};
inline constexpr int kBatchStride[3] = {20, 28, 40};
inline constexpr uint32_t kBatchFvf[3] = {kFvfColored, kFvfTextured, kFvfTwoTextures};

struct VertexBatch {
  alignas(16) uint8_t buffer[3][65536];
  int format = 0;
  int primitiveType = kTriangleList;
  int count = 0;
  uint32_t currentFvf = 0;  // 0: unknown
  int skipDraw = 0;
};

struct StageCache {
  int64_t state[32];
  int64_t sampler[16];
  gpu::TextureId texture;
  int transformOn;
  Matrix transform;
};

// Where draws go: the back buffer (one entry, texture 0), or the textures of
// a graph drawn into, each with the origin that puts the graph's pixels on
// the texture's (the batch is drawn into each of them in turn).
struct RenderTargets {
  static constexpr int kMost = 256;
  int count = 1;
  gpu::TextureId texture[kMost] = {};
  int originX[kMost] = {}, originY[kMost] = {};
};

struct DeviceStateCache {
  int force = 0;
  int drawStateDirty = 0;
  int textureChanged = 0;
  int blendMode = 0, alphaTest = 0, alphaChannel = 0, colorModulate = 0, alphaModulate = 0;
  gpu::TextureId texture = 0, blendTexture = 0;
  int borderParam = 0, borderRange = 0;
  int64_t render[kRenderStateCount];  // as last sent; kUnknown before
  StageCache stages[8];
  int stagesInUse = 0;
  int filterMode = 0;
  int maxAnisotropy = 1;
  DeviceViewport viewport{};
  int viewportKnown = 0;
  DrawRect scissor{};
  int scissorKnown = 0;
  MaterialWords material{};
  int materialKnown = 0;
  LightDescription lights[256];
  uint8_t lightOn[256];
  int highestLight = 0;
  float ambient[4] = {};
  Matrix projectionB{};
  // A block handed over by the mask screen, used instead of the tables.
  int storedBlockActive = 0;
  int storedBlockFlag = 0;
  DeviceStateBlock storedBlock{};
  int sceneOpen = 0;
  int shadersInUse = 0;
  int blendOpCapable = 1;  // the device subtracts in reverse
  int addressSettingU = kAddressClamp, addressSettingV = kAddressClamp;
  int shadeSetting = 1;
  int lightingSetting = 0;
  RenderTargets targets;
};

inline constexpr int64_t kUnknown = -0x100000000LL;

// Primitives that count vertices of a type make.
int PrimitiveCount(int type, int count);
VertexBatch& Batch();
DeviceStateCache& DeviceCache();
gpu::Device* GpuDevice();
// Puts a device under the cache (null: none); every cached value becomes
// unknown, the batch empty.
void AttachGpuDevice(gpu::Device* device);
// Appends vertices of a format and primitive type, sending the batch first
// when it holds another format or type or has no room. -1 without a device.
int AppendVertices(int format, int primitiveType, const void* vertices, int count);
// Sends vertices at once, past the batch (what is batched goes first), to
// every target. -1 without a device.
int SendVerticesNow(int format, int primitiveType, const void* vertices, int count);
// Draws go to these targets from now on (the batch is sent first).
void UseRenderTargets(const RenderTargets& targets);
// The texture behind a graph handle, for state blocks that name graphs (0: none).
void SetGraphTextureLookup(gpu::TextureId (*lookup)(int graph));

}  // namespace detail
}  // namespace veziv
