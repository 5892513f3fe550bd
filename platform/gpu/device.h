// The graphics device of the hardware road, as the library's device code uses
// it: textures and render targets of a few pixel layouts, a depth buffer, and
// a small fixed-function pipeline that draws pre-transformed vertices (x, y in
// target pixels with pixel centres on whole numbers, z, rhw) from the
// caller's memory through up to eight combiner stages, blended into the
// current target; then the finished frame shown in the window it was made
// for. The pipeline is a state machine: each setter keeps its value until it
// is set again, and a draw uses what is set. The one real device is OpenGL
// 2.1 with framebuffer objects through SDL2 (gl_device.cpp); the library's
// tests drive the same interface with a recording fake. No SDL or GL type
// leaves this module.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::gpu {

// Pixel layouts, named by their channels from the top bit down (X: unused).
enum class Format : int {
  kNone = 0,
  kA8R8G8B8,
  kX8R8G8B8,
  kR5G6B5,
  kX1R5G5B5,
  kA1R5G5B5,
  kA4R4G4B4,
  kDxt1,  // block-compressed, 4 x 4 pixels in 8 bytes
  kDxt2,  // DXT2 to DXT5: 4 x 4 pixels in 16 bytes
  kDxt3,
  kDxt4,
  kDxt5,
};
enum class DepthFormat : int { kD16, kD24X8, kD32 };

// Bytes a pixel of an uncompressed format takes; 0 for compressed formats.
int BytesPerPixel(Format format);
bool IsCompressed(Format format);
// Bytes of one level of a compressed texture of width x height.
int CompressedLevelBytes(Format format, int width, int height);

using TextureId = uint32_t;  // 0: none; as a target, the back buffer

struct Rect {
  int left, top, right, bottom;
};

// ---- How draws are blended into the target ----
enum class Factor : int {
  kZero,
  kOne,
  kSourceColor,
  kInverseSourceColor,
  kSourceAlpha,
  kInverseSourceAlpha,
  kTargetAlpha,
  kInverseTargetAlpha,
  kTargetColor,
  kInverseTargetColor,
};
// Add: source x factor + target x factor; subtract: source - target; reverse
// subtract: target - source.
enum class BlendOperation : int { kAdd, kSubtract, kReverseSubtract };
struct Blend {
  bool enabled = false;
  Factor source = Factor::kOne;
  Factor target = Factor::kZero;
  BlendOperation operation = BlendOperation::kAdd;
};

enum class Compare : int { kNever, kLess, kEqual, kLessEqual, kGreater, kNotEqual, kGreaterEqual, kAlways };
// Pixels whose alpha fails the comparison with the reference are not drawn.
struct AlphaTest {
  bool enabled = false;
  Compare compare = Compare::kAlways;
  uint8_t reference = 0;
};

// ---- How a stage combines its inputs ----
enum class Input : int { kDiffuse, kCurrent, kTexture, kFactor, kSpecular };
struct Argument {
  Input input = Input::kCurrent;
  bool complement = false;  // 1 - value
  bool alpha = false;       // the input's alpha in every channel
};
enum class Combine : int {
  kDisable,          // this stage and the ones after it do nothing
  kFirst,            // argument 1
  kSecond,           // argument 2
  kModulate,         // 1 x 2
  kModulate2x,       // 1 x 2 x 2
  kModulate4x,       // 1 x 2 x 4
  kAdd,              // 1 + 2
  kSubtract,         // 1 - 2
  kBlendDiffuseAlpha,  // 1 x diffuse alpha + 2 x (1 - diffuse alpha)
  kBlendCurrentAlpha,  // the same with the current alpha
};
struct Combiner {
  Combine combine = Combine::kDisable;
  Argument first, second;
};
struct Stage {
  TextureId texture = 0;
  int coordinateSet = 0;  // which of the vertex's texture coordinates (0 or 1)
  Combiner color, alpha;
};

enum class Filter : int { kNone, kPoint, kLinear, kAnisotropic };
enum class Address : int { kWrap, kMirror, kClamp };
struct Sampler {
  Filter magnify = Filter::kPoint, minify = Filter::kPoint, mip = Filter::kNone;
  Address u = Address::kClamp, v = Address::kClamp;
  int maxAnisotropy = 1;
};

struct DepthTest {
  bool enabled = false;
  bool write = false;
  Compare compare = Compare::kLessEqual;
  float bias = 0.0f;
};

// ---- Vertices ----
enum class Primitive : int { kPoints, kLines, kLineStrip, kTriangles, kTriangleStrip, kTriangleFan };
// x y z rhw (floats), diffuse colour 0xAARRGGBB, then:
enum class Layout : int {
  kColored,      // nothing more: 20 bytes
  kTextured,     // u v: 28 bytes
  kTwoTextures,  // specular colour, u0 v0, u1 v1: 40 bytes
};
int StrideOf(Layout layout);

// What the device is.
struct Facts {
  std::string renderer;            // as the driver names itself
  bool softwareRasterizer = false;  // the renderer draws on the processor (no graphics hardware)
  int maxTextureSize = 0;
  bool reverseSubtract = true;     // blend operations other than add
  bool programs = false;           // vertex and pixel programs can be made
  Format backBuffer = Format::kX8R8G8B8;
};

class Device {
 public:
  virtual ~Device() = default;

  virtual const Facts& Describe() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // True when textures of the format can be made (as render targets when asked).
  virtual bool Accepts(Format format, bool renderTarget) = 0;
  virtual bool AcceptsDepth(DepthFormat format) = 0;

  // Textures. Every texture can be drawn from and copied into; one of an
  // uncompressed format can be drawn into as well (made as a render target,
  // it is checked for that at once). Contents start as zero. 0 when it
  // cannot be made.
  virtual TextureId CreateTexture(int width, int height, int levels, Format format, bool renderTarget) = 0;
  virtual void ReleaseTexture(TextureId texture) = 0;
  // A rectangle of one level from pixels in the texture's own format.
  virtual bool WriteTexture(TextureId texture, int level, const Rect& rect, const void* pixels, int pitch) = 0;
  // One whole level of a compressed texture, its blocks as they are stored.
  virtual bool WriteCompressedLevel(TextureId texture, int level, const void* blocks, int bytes) = 0;

  // Targets: draws go to this one (0: the back buffer). Vertex (x, y) lands
  // on the target's pixel (x - originX, y - originY), so that a graph laid
  // over several textures is drawn into each of them with its own origin.
  virtual bool UseTarget(TextureId target, int originX, int originY) = 0;
  // Fills a whole target with a colour (0xAARRGGBB).
  virtual bool FillTarget(TextureId target, uint32_t color) = 0;
  // Copies a rectangle of a target into a texture (0: the back buffer) at (x, y).
  virtual bool CopyTargetRect(TextureId from, const Rect& rect, TextureId to, int x, int y) = 0;
  // Reads a rectangle of a target as 0xAARRGGBB, top row first: for screen
  // capture and frames a headless window keeps, never for drawing.
  virtual bool CaptureTargetRect(TextureId from, const Rect& rect, uint32_t* pixels) = 0;

  // The depth buffer, made for targets up to its size; draws with the depth
  // test on compare against it.
  virtual bool CreateDepthBuffer(int width, int height, DepthFormat format) = 0;
  virtual void ReleaseDepthBuffer() = 0;
  virtual void ClearDepth(float value) = 0;

  // The pipeline.
  virtual void SetBlend(const Blend& blend) = 0;
  virtual void SetAlphaTest(const AlphaTest& test) = 0;
  virtual void SetTextureFactor(uint32_t color) = 0;  // 0xAARRGGBB
  virtual void SetStage(int stage, const Stage& setup) = 0;
  virtual void SetSampler(int stage, const Sampler& sampler) = 0;
  // Flat: a primitive takes its first vertex's colour; smooth: colours are interpolated.
  virtual void SetSmoothShading(bool smooth) = 0;
  virtual void SetDepthTest(const DepthTest& test) = 0;
  // Drawing is kept inside this rectangle, in the vertices' coordinates.
  virtual void SetClip(const Rect& rect) = 0;
  virtual void Draw(Primitive primitive, Layout layout, const void* vertices, int count) = 0;
  virtual void DrawIndexed(Primitive primitive, Layout layout, const void* vertices, int vertexCount,
                           const uint16_t* indices, int indexCount) = 0;
  // What was drawn reaches the target before anything reads it.
  virtual void Finish() = 0;

  // Shows the source rectangle of the back buffer at placement in the window
  // (client pixels; the rest of the client area black), nearest pixel, and
  // waits for the display's refresh when asked. False without a window.
  virtual bool Present(const Rect& source, const Rect& placement, bool waitForRefresh) = 0;
  // The window's client size in pixels (0 without a window).
  virtual void ClientSize(int* width, int* height) = 0;

  // Vertex (kind 0) and pixel (kind 1) programs from their source text; 0
  // when it does not compile or programs cannot be made. Constant registers
  // are kept for them.
  virtual uint32_t CreateProgram(int kind, const char* source) = 0;
  virtual void ReleaseProgram(uint32_t program) = 0;
  virtual void SetProgramConstants(int kind, int reg, const float* values, int count) = 0;
  virtual void SetProgramFlags(int reg, const int* values, int count) = 0;

  // True once the device has lost its objects (a driver reset); it must then
  // be made again.
  virtual bool Lost() = 0;
};

struct DeviceRequest {
  int width = 0, height = 0;
  int colorBits = 32;  // 32 or 16: the back buffer's layout
  // The window to draw into (platform::window::WindowIdentity()); null makes
  // a hidden window of the device's own, with nothing to present in.
  void* window = nullptr;
};

// What the environment says of the device (VEZIV_GPU, read at each call): unset, a
// device is taken when it is hardware; "any" takes one that is a software
// rasterizer too, and lets a headless run make one; "off" keeps the software
// road whatever the program asks.
enum class DeviceUse : int { kHardware, kAny, kNone };
DeviceUse DeviceUseFromEnvironment();

// The OpenGL device. Null, with the reason in *why, when the video driver or
// the GL context cannot give one (SDL's dummy driver never can, and is not
// even asked).
std::unique_ptr<Device> CreateOpenGlDevice(const DeviceRequest& request, std::string* why);

}  // namespace platform::gpu
