// The hardware road's vertex batch and device state cache. Draws append
// pre-transformed vertices to the batch; the batch goes to the device in one
// call only when something that changes how its vertices look is about to
// change. Every device state is set through a cached setter that skips the
// device call when the value is already set (unless the force flag is up) and
// flushes the batch before it sends a change. ApplyDrawStateD3D turns the
// library's draw state into render states and texture stages from fixed
// tables. With no device attached every setter does nothing.
#pragma once

#include <cstdint>

#include "library/graphics/graphs/lights_camera.h"
#include "library/veziv.h"
#include "platform/gpu/device.h"

namespace veziv {

namespace gpu = platform::gpu;

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

enum BatchFormat : int { kBatchColored = 0, kBatchTextured = 1, kBatchTwoTextures = 2 };

int FlushVertexBatch();
int BindDrawTexture(gpu::TextureId texture);
// -1 when nothing was dirty or there is no device.
int ApplyDrawStateD3D(const DeviceStateBlock* block, int handlesFlag, int blockFlag);
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
int SetViewportRect(const gpu::Viewport& viewport);
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
inline constexpr uint32_t kBatchFvf[3] = {gpu::kFvfColored, gpu::kFvfTextured, gpu::kFvfTwoTextures};

struct VertexBatch {
  alignas(16) uint8_t buffer[3][65536];
  int format = 0;
  int primitiveType = gpu::kTriangleList;
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

struct DeviceStateCache {
  int force = 0;
  int drawStateDirty = 0;
  int textureChanged = 0;
  int blendMode = 0, alphaTest = 0, alphaChannel = 0, colorModulate = 0, alphaModulate = 0;
  gpu::TextureId texture = 0, blendTexture = 0;
  int borderParam = 0, borderRange = 0;
  int64_t render[gpu::kRenderStateCount];  // as last sent; kUnknown before
  StageCache stages[8];
  int stagesInUse = 0;
  int filterMode = 0;
  int maxAnisotropy = 1;
  gpu::Viewport viewport{};
  int viewportKnown = 0;
  DrawRect scissor{};
  int scissorKnown = 0;
  gpu::MaterialDesc material{};
  int materialKnown = 0;
  gpu::LightDesc lights[256];
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
  int addressSettingU = gpu::kAddressClamp, addressSettingV = gpu::kAddressClamp;
  int shadeSetting = 1;
  int lightingSetting = 0;
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
// The texture behind a graph handle, for state blocks that name graphs (0: none).
void SetGraphTextureLookup(gpu::TextureId (*lookup)(int graph));

}  // namespace detail
}  // namespace veziv
