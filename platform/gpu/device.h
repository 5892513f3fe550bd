// The graphics device of the hardware road: a small fixed-function device
// that draws pre-transformed vertices (x, y in pixels, z, rhw) from user
// memory with up to eight texture stages, into a back buffer or a render-target
// texture. States, stage operations, blend factors and primitive types carry
// the numbers that the library's tables are written in (below). The one real
// device is OpenGL 2.1 with framebuffer objects through SDL2 (gl_device.cpp);
// the library's tests drive the same interface with a counting fake. No SDL or
// GL type leaves this module.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::gpu {

// Render states.
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

// Texture stage states.
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

// Sampler states.
enum SamplerState : int {
  kSampAddressU = 1,
  kSampAddressV = 2,
  kSampMagFilter = 5,
  kSampMinFilter = 6,
  kSampMipFilter = 7,
  kSampMaxAnisotropy = 10,
};

// Stage operations and arguments.
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
enum TransformKind : int { kTransformView = 2, kTransformProjection = 3, kTransformTexture0 = 16, kTransformWorld = 256 };

// Vertex formats (flexible vertex format words) of the library's vertices.
inline constexpr uint32_t kFvfColored = 0x44;        // x y z rhw, diffuse: 20 bytes
inline constexpr uint32_t kFvfTextured = 0x144;      // + u v: 28 bytes
inline constexpr uint32_t kFvfTwoTextures = 0x2C4;   // x y z rhw diffuse specular u0 v0 u1 v1: 40 bytes

// Pixel formats of textures, by their usual numbers: 21 A8R8G8B8,
// 22 X8R8G8B8, 23 R5G6B5, 24 X1R5G5B5, 25 A1R5G5B5, 26 A4R4G4B4.
enum TextureFormat : int {
  kFormatA8R8G8B8 = 21,
  kFormatX8R8G8B8 = 22,
  kFormatR5G6B5 = 23,
  kFormatX1R5G5B5 = 24,
  kFormatA1R5G5B5 = 25,
  kFormatA4R4G4B4 = 26,
};
// Bytes a pixel of a format takes; 0 for a format the device does not know.
int BytesPerPixelOfFormat(int format);

using TextureId = uint32_t;  // 0: none (as a render target: the back buffer)

struct Viewport {
  int x, y, width, height;
  float minZ, maxZ;
};
struct Rect {
  int left, top, right, bottom;
};

struct LightDesc {
  int32_t type;
  float diffuse[4], specular[4], ambient[4];
  float position[3], direction[3];
  float range, falloff, attenuation[3], theta, phi;
};
struct MaterialDesc {
  float diffuse[4], ambient[4], specular[4], emissive[4];
  float power;
};

class Device {
 public:
  virtual ~Device() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // 0 when textures of the format can be made (as render targets when asked).
  virtual int CheckFormat(int format, bool renderTarget) = 0;
  virtual int MaxTextureSize() const = 0;

  virtual void SetRenderState(int state, uint32_t value) = 0;
  virtual void SetSamplerState(int stage, int type, uint32_t value) = 0;
  virtual void SetTextureStageState(int stage, int type, int32_t value) = 0;
  virtual void SetTexture(int stage, TextureId texture) = 0;
  virtual void SetFvf(uint32_t fvf) = 0;
  virtual void SetTransform(int kind, const float matrix[16]) = 0;
  virtual void SetLight(int index, const LightDesc& light) = 0;
  virtual int LightEnable(int index, int on) = 0;
  virtual void SetMaterial(const MaterialDesc& material) = 0;
  // Shader constant registers (kept in step with the fixed-function state).
  virtual void SetVertexShaderConstantF(int reg, const float* values, int count) = 0;
  virtual void SetPixelShaderConstantF(int reg, const float* values, int count) = 0;
  virtual void SetVertexShaderConstantB(int reg, const int* values, int count) = 0;
  virtual int SetViewport(const Viewport& viewport) = 0;
  virtual void SetScissorRect(const Rect& rect) = 0;

  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  // Vertices in the format last given to SetFvf, drawn at once.
  virtual void DrawPrimitiveUp(int type, int primitiveCount, const void* vertices, int stride) = 0;
  virtual void DrawIndexedPrimitiveUp(int type, int vertexCount, int primitiveCount, const uint16_t* indices,
                                      const void* vertices, int stride) = 0;
  // Fills the current render target (0xAARRGGBB).
  virtual void Clear(uint32_t color) = 0;

  // 0 when the texture cannot be made. Contents start as zero.
  virtual TextureId CreateTexture(int width, int height, int levels, int format, bool renderTarget) = 0;
  virtual void ReleaseTexture(TextureId texture) = 0;
  // Writes a rectangle of one level from pixels in the texture's format.
  virtual int UpdateTexture(TextureId texture, int level, const Rect& rect, const void* pixels, int pitch) = 0;
  // Fills a whole render-target texture.
  virtual int ColorFill(TextureId texture, uint32_t color) = 0;
  // 0 for the back buffer.
  virtual int SetRenderTarget(TextureId target) = 0;
  // Reads a rectangle of a render target (0: the back buffer) as 0xAARRGGBB, top row first.
  virtual int ReadPixels(TextureId target, const Rect& rect, uint32_t* out) = 0;
  // Writes a rectangle of a render target from 0xAARRGGBB pixels, top row first.
  virtual int WritePixels(TextureId target, const Rect& rect, const uint32_t* pixels) = 0;

  // Programmable shaders: 2 when vertex and pixel programs can be made, else 0.
  virtual int ShaderModel() const = 0;
  // A shader (kind 0 vertex, 1 pixel) from its source text; 0 when it does not compile.
  virtual uint32_t CreateShader(int kind, const char* source) = 0;
  virtual void ReleaseShader(uint32_t shader) = 0;
};

// The OpenGL device: a hidden window of the running SDL video driver with a
// GL 2.1 context, drawing into an offscreen back buffer of width x height.
// Null, with the reason in *why, when the driver or the GL context cannot
// give one (SDL's dummy driver never can, and is not even asked).
std::unique_ptr<Device> CreateOpenGlDevice(int width, int height, std::string* why);

}  // namespace platform::gpu
