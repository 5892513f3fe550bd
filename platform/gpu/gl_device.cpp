// The device on OpenGL 2.1 (compatibility profile) with framebuffer objects,
// through a hidden SDL window. Every target, the back buffer too, is a texture
// behind a framebuffer object, stored top row first: the projection maps y
// downwards onto GL's rows, so rows read back, textures uploaded and
// render targets sampled all agree without a flip. Pre-transformed vertices
// put pixel centres on integer coordinates, so the projection is shifted by
// half a pixel; the viewport and the scissor rectangle clip through GL's
// scissor. Texture stages become GL texture units with the combine mode.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "platform/gpu/device.h"

namespace platform::gpu {

int BytesPerPixelOfFormat(int format) {
  switch (format) {
    case kFormatA8R8G8B8:
    case kFormatX8R8G8B8:
      return 4;
    case kFormatR5G6B5:
    case kFormatX1R5G5B5:
    case kFormatA1R5G5B5:
    case kFormatA4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

namespace {

constexpr int kStages = 8;

// The GL driver keeps blocks of its own to the end of the process, which the
// leak checker cannot name; what it allocates while a context is made and
// ended is not counted as ours.
class DriverAllocations {
 public:
#if defined(__SANITIZE_ADDRESS__)
  DriverAllocations() { __lsan_disable(); }
  ~DriverAllocations() { __lsan_enable(); }
#endif
};

uint8_t Expand(uint32_t value, int bits) {
  if (bits == 0) return 255;
  const uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

// One pixel of a device format as 0xAARRGGBB.
uint32_t ToArgb(const uint8_t* p, int format) {
  if (format == kFormatA8R8G8B8 || format == kFormatX8R8G8B8) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return format == kFormatX8R8G8B8 ? (v | 0xFF000000u) : v;
  }
  const uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
  uint32_t a = 255, r, g, b;
  switch (format) {
    case kFormatR5G6B5:
      r = Expand(v >> 11 & 31, 5), g = Expand(v >> 5 & 63, 6), b = Expand(v & 31, 5);
      break;
    case kFormatA4R4G4B4:
      a = Expand(v >> 12, 4), r = Expand(v >> 8 & 15, 4), g = Expand(v >> 4 & 15, 4), b = Expand(v & 15, 4);
      break;
    default:  // X1R5G5B5, A1R5G5B5
      if (format == kFormatA1R5G5B5) a = (v & 0x8000) ? 255 : 0;
      r = Expand(v >> 10 & 31, 5), g = Expand(v >> 5 & 31, 5), b = Expand(v & 31, 5);
      break;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

bool FormatHasAlpha(int format) {
  return format == kFormatA8R8G8B8 || format == kFormatA1R5G5B5 || format == kFormatA4R4G4B4;
}

GLenum BlendFactorToGl(uint32_t f) {
  switch (f) {
    case kBlendZero: return GL_ZERO;
    case kBlendOne: return GL_ONE;
    case kBlendSrcColor: return GL_SRC_COLOR;
    case kBlendInvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case kBlendSrcAlpha: return GL_SRC_ALPHA;
    case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case kBlendDestAlpha: return GL_DST_ALPHA;
    case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case kBlendDestColor: return GL_DST_COLOR;
    case kBlendInvDestColor: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum CompareToGl(uint32_t f) {
  static const GLenum table[] = {GL_NEVER, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return f <= 8 ? table[f] : GL_ALWAYS;
}

struct Texture {
  GLuint name = 0;
  GLuint framebuffer = 0;  // render targets only
  int width = 0, height = 0, levels = 1, format = 0;
};

struct StageSetup {
  TextureId texture = 0;
  int32_t state[32] = {};
  uint32_t sampler[16] = {};
};

class OpenGlDevice final : public Device {
 public:
  OpenGlDevice(SDL_Window* window, SDL_GLContext context, bool quitVideo, int width, int height)
      : window_(window), context_(context), quit_video_(quitVideo), width_(width), height_(height) {
    for (int s = 0; s < kStages; ++s) {
      StageSetup& st = stages_[s];
      st.state[kTssColorOp] = s == 0 ? kOpModulate : kOpDisable;
      st.state[kTssColorArg1] = kArgTexture;
      st.state[kTssColorArg2] = kArgCurrent;
      st.state[kTssAlphaOp] = s == 0 ? kOpSelectArg1 : kOpDisable;
      st.state[kTssAlphaArg1] = kArgTexture;
      st.state[kTssAlphaArg2] = kArgCurrent;
      st.state[kTssTexCoordIndex] = s;
      st.sampler[kSampAddressU] = st.sampler[kSampAddressV] = kAddressWrap;
      st.sampler[kSampMagFilter] = st.sampler[kSampMinFilter] = kFilterPoint;
      st.sampler[kSampMaxAnisotropy] = 1;
    }
    render_[kRsSrcBlend] = kBlendOne;
    render_[kRsDestBlend] = kBlendZero;
    render_[kRsBlendOp] = kBlendOpAdd;
    render_[kRsAlphaFunc] = kCmpAlways;
    render_[kRsTextureFactor] = 0xFFFFFFFF;
    viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  }

  bool Init(std::string* why) {
    Current();
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units_);
    units_ = std::min(units_, kStages);
    const uint32_t white = 0xFFFFFFFF;
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    back_ = CreateTexture(width_, height_, 1, kFormatX8R8G8B8, true);
    if (back_ == 0) {
      *why = "the back buffer's framebuffer object cannot be made";
      return false;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return SetRenderTarget(0) == 0;
  }

  ~OpenGlDevice() override {
    DriverAllocations driverScope;
    Current();
    for (auto& [id, texture] : textures_) Free(texture);
    for (GLuint shader : shaders_) glDeleteShader(shader);
    glDeleteTextures(1, &white_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    SDL_DestroyWindow(window_);
    if (quit_video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int MaxTextureSize() const override { return max_texture_; }
  int CheckFormat(int format, bool) override { return BytesPerPixelOfFormat(format) != 0 ? 0 : -1; }

  void SetRenderState(int state, uint32_t value) override {
    if (state >= 0 && state < kRenderStateCount) render_[state] = value;
  }
  void SetSamplerState(int stage, int type, uint32_t value) override {
    if (stage >= 0 && stage < kStages && type >= 0 && type < 16) stages_[stage].sampler[type] = value;
  }
  void SetTextureStageState(int stage, int type, int32_t value) override {
    if (stage >= 0 && stage < kStages && type >= 0 && type < 32) stages_[stage].state[type] = value;
  }
  void SetTexture(int stage, TextureId texture) override {
    if (stage >= 0 && stage < kStages) stages_[stage].texture = texture;
  }
  void SetFvf(uint32_t fvf) override { fvf_ = fvf; }
  // Pre-transformed vertices pass by the transforms, the lights and the
  // material: the fixed-function 3-D state is kept by the library only.
  void SetTransform(int, const float*) override {}
  void SetLight(int, const LightDesc&) override {}
  int LightEnable(int, int) override { return 0; }
  void SetMaterial(const MaterialDesc&) override {}
  void SetVertexShaderConstantF(int, const float*, int) override {}
  void SetPixelShaderConstantF(int, const float*, int) override {}
  void SetVertexShaderConstantB(int, const int*, int) override {}
  int SetViewport(const Viewport& viewport) override {
    if (viewport.width < 0 || viewport.height < 0) return -1;
    viewport_ = viewport;
    return 0;
  }
  void SetScissorRect(const Rect& rect) override { scissor_ = rect; }
  void BeginScene() override {}
  void EndScene() override {
    Current();
    glFlush();
  }

  void Clear(uint32_t color) override {
    Current();
    glDisable(GL_SCISSOR_TEST);
    glClearColor((color >> 16 & 255) / 255.0f, (color >> 8 & 255) / 255.0f, (color & 255) / 255.0f,
                 (color >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  TextureId CreateTexture(int width, int height, int levels, int format, bool renderTarget) override {
    if (width < 1 || height < 1 || width > max_texture_ || height > max_texture_ || BytesPerPixelOfFormat(format) == 0)
      return 0;
    Current();
    Texture t;
    t.width = width, t.height = height, t.levels = std::max(1, levels), t.format = format;
    glGenTextures(1, &t.name);
    glBindTexture(GL_TEXTURE_2D, t.name);
    const GLint internal = FormatHasAlpha(format) ? GL_RGBA8 : GL_RGB8;
    std::vector<uint8_t> zero(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    for (int level = 0, w = width, h = height; level < t.levels; ++level, w = std::max(1, w / 2), h = std::max(1, h / 2))
      glTexImage2D(GL_TEXTURE_2D, level, internal, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, zero.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, t.levels - 1);
    if (glGetError() != GL_NO_ERROR) {
      Free(t);
      return 0;
    }
    if (renderTarget) {
      glGenFramebuffers(1, &t.framebuffer);
      glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.name, 0);
      const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
      BindTargetFramebuffer();
      if (!complete) {
        Free(t);
        return 0;
      }
    }
    const TextureId id = next_id_++;
    textures_[id] = t;
    return id;
  }

  void ReleaseTexture(TextureId texture) override {
    auto it = textures_.find(texture);
    if (it == textures_.end() || texture == back_) return;
    Current();
    Free(it->second);
    textures_.erase(it);
    for (StageSetup& st : stages_)
      if (st.texture == texture) st.texture = 0;
    if (target_ == texture) SetRenderTarget(0);
  }

  int UpdateTexture(TextureId texture, int level, const Rect& rect, const void* pixels, int pitch) override {
    const Texture* t = Find(texture);
    if (t == nullptr || level < 0 || level >= t->levels) return -1;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int lw = std::max(1, t->width >> level), lh = std::max(1, t->height >> level);
    if (w <= 0 || h <= 0 || rect.left < 0 || rect.top < 0 || rect.right > lw || rect.bottom > lh) return -1;
    const int bytes = BytesPerPixelOfFormat(t->format);
    std::vector<uint32_t> argb(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
      const uint8_t* in = static_cast<const uint8_t*>(pixels) + static_cast<ptrdiff_t>(y) * pitch;
      for (int x = 0; x < w; ++x) argb[static_cast<size_t>(y) * w + x] = ToArgb(in + x * bytes, t->format);
    }
    Current();
    glBindTexture(GL_TEXTURE_2D, t->name);
    glTexSubImage2D(GL_TEXTURE_2D, level, rect.left, rect.top, w, h, GL_BGRA, GL_UNSIGNED_BYTE, argb.data());
    return glGetError() == GL_NO_ERROR ? 0 : -1;
  }

  int ColorFill(TextureId texture, uint32_t color) override {
    const Texture* t = Find(texture);
    if (t == nullptr || t->framebuffer == 0) return -1;
    Current();
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    Clear(color);
    BindTargetFramebuffer();
    return 0;
  }

  int SetRenderTarget(TextureId target) override {
    const Texture* t = Find(target == 0 ? back_ : target);
    if (t == nullptr || t->framebuffer == 0) return -1;
    target_ = target;
    Current();
    BindTargetFramebuffer();
    return 0;
  }

  int ReadPixels(TextureId target, const Rect& rect, uint32_t* out) override {
    const Texture* t = TargetWithin(target, rect);
    if (t == nullptr) return -1;
    Current();
    glFinish();
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GL_BGRA, GL_UNSIGNED_BYTE, out);
    BindTargetFramebuffer();
    return 0;
  }

  int ShaderModel() const override { return 2; }  // OpenGL 2.1 compiles GLSL 1.20

  uint32_t CreateShader(int kind, const char* source) override {
    if (source == nullptr || (kind != 0 && kind != 1)) return 0;
    DriverAllocations driverScope;
    Current();
    const GLuint shader = glCreateShader(kind == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    if (shader == 0) return 0;
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
      glDeleteShader(shader);
      return 0;
    }
    shaders_.push_back(shader);
    return shader;
  }

  void ReleaseShader(uint32_t shader) override {
    auto it = std::find(shaders_.begin(), shaders_.end(), shader);
    if (it == shaders_.end()) return;
    Current();
    glDeleteShader(shader);
    shaders_.erase(it);
  }

  int WritePixels(TextureId target, const Rect& rect, const uint32_t* pixels) override {
    const Texture* t = TargetWithin(target, rect);
    if (t == nullptr) return -1;
    Current();
    glBindTexture(GL_TEXTURE_2D, t->name);
    glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GL_BGRA,
                    GL_UNSIGNED_BYTE, pixels);
    return glGetError() == GL_NO_ERROR ? 0 : -1;
  }

  void DrawPrimitiveUp(int type, int primitiveCount, const void* vertices, int stride) override {
    const int count = VertexCount(type, primitiveCount);
    if (count <= 0) return;
    DriverAllocations driverScope;  // llvmpipe keeps the code it compiles for a state
    if (!Prepare(vertices, count, stride)) return;
    glDrawArrays(PrimitiveToGl(type), 0, count);
    Finish();
  }

  void DrawIndexedPrimitiveUp(int type, int vertexCount, int primitiveCount, const uint16_t* indices,
                              const void* vertices, int stride) override {
    const int count = VertexCount(type, primitiveCount);
    if (count <= 0 || vertexCount <= 0) return;
    DriverAllocations driverScope;
    if (!Prepare(vertices, vertexCount, stride)) return;
    glDrawElements(PrimitiveToGl(type), count, GL_UNSIGNED_SHORT, indices);
    Finish();
  }

 private:
  void Current() { SDL_GL_MakeCurrent(window_, context_); }

  const Texture* Find(TextureId id) const {
    auto it = textures_.find(id);
    return it == textures_.end() ? nullptr : &it->second;
  }

  // A render target (0: the back buffer) that holds the whole non-empty rectangle, or null.
  const Texture* TargetWithin(TextureId target, const Rect& rect) const {
    const Texture* t = Find(target == 0 ? back_ : target);
    if (t == nullptr || t->framebuffer == 0) return nullptr;
    if (rect.left < 0 || rect.top < 0 || rect.right > t->width || rect.bottom > t->height || rect.left >= rect.right ||
        rect.top >= rect.bottom)
      return nullptr;
    return t;
  }

  void Free(Texture& t) {
    if (t.framebuffer) glDeleteFramebuffers(1, &t.framebuffer);
    if (t.name) glDeleteTextures(1, &t.name);
    t = Texture{};
  }

  void BindTargetFramebuffer() {
    const Texture* t = Find(target_ == 0 ? back_ : target_);
    glBindFramebuffer(GL_FRAMEBUFFER, t ? t->framebuffer : 0);
  }

  static int VertexCount(int type, int primitives) {
    switch (type) {
      case kPointList: return primitives;
      case kLineList: return primitives * 2;
      case kLineStrip: return primitives > 0 ? primitives + 1 : 0;
      case kTriangleList: return primitives * 3;
      case kTriangleStrip:
      case kTriangleFan: return primitives > 0 ? primitives + 2 : 0;
      default: return 0;
    }
  }
  static GLenum PrimitiveToGl(int type) {
    static const GLenum table[] = {GL_POINTS, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
    return table[type];
  }

  // Where the vertex fields of the current format sit.
  struct Layout {
    int diffuse;
    int texcoords[2];
    int sets;
  };
  Layout LayoutOf() const {
    if (fvf_ == kFvfTextured) return {16, {20, 20}, 1};
    if (fvf_ == kFvfTwoTextures) return {16, {24, 32}, 2};
    return {16, {0, 0}, 0};
  }

  static GLenum SourceOf(int32_t arg) {
    switch (arg & 0xF) {
      case kArgCurrent: return GL_PREVIOUS;
      case kArgTexture: return GL_TEXTURE;
      case kArgTFactor: return GL_CONSTANT;
      default: return GL_PRIMARY_COLOR;  // diffuse; the specular colour is read as the diffuse one
    }
  }

  // One half (colour or alpha) of a stage's combiner.
  void SetCombiner(bool alpha, int32_t op, int32_t arg1, int32_t arg2) {
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum src[3] = {GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB};
    const GLenum srcA[3] = {GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA};
    const GLenum operand[3] = {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB};
    const GLenum operandA[3] = {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA};
    auto setArg = [&](int i, int32_t arg, bool readAlpha) {
      glTexEnvi(GL_TEXTURE_ENV, alpha ? srcA[i] : src[i], static_cast<GLint>(SourceOf(arg)));
      const bool complement = (arg & kArgComplement) != 0;
      GLint value = (alpha || readAlpha) ? (complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA)
                                         : (complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR);
      glTexEnvi(GL_TEXTURE_ENV, alpha ? operandA[i] : operand[i], value);
    };
    GLint mode = GL_MODULATE;
    float scale = 1.0f;
    switch (op) {
      case kOpSelectArg1: mode = GL_REPLACE, setArg(0, arg1, false); break;
      case kOpSelectArg2: mode = GL_REPLACE, setArg(0, arg2, false); break;
      case kOpModulate4x: scale = 4.0f; [[fallthrough]];
      case kOpModulate2x: if (scale == 1.0f) scale = 2.0f; [[fallthrough]];
      case kOpModulate: mode = GL_MODULATE, setArg(0, arg1, false), setArg(1, arg2, false); break;
      case kOpAdd: mode = GL_ADD, setArg(0, arg1, false), setArg(1, arg2, false); break;
      case kOpSubtract: mode = GL_SUBTRACT, setArg(0, arg1, false), setArg(1, arg2, false); break;
      case kOpBlendDiffuseAlpha:
      case kOpBlendCurrentAlpha:
        mode = GL_INTERPOLATE, setArg(0, arg1, false), setArg(1, arg2, false);
        setArg(2, op == kOpBlendDiffuseAlpha ? kArgDiffuse : kArgCurrent, true);
        break;
      default: mode = GL_REPLACE, setArg(0, kArgCurrent, false); break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, mode);
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, scale);
  }

  static GLint WrapOf(uint32_t mode) {
    return mode == kAddressClamp ? GL_CLAMP_TO_EDGE : mode == kAddressMirror ? GL_MIRRORED_REPEAT : GL_REPEAT;
  }

  bool Prepare(const void* vertices, int count, int stride) {
    Current();
    const Layout layout = LayoutOf();
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    positions_.resize(static_cast<size_t>(count) * 3);
    colors_.resize(static_cast<size_t>(count));
    for (int s = 0; s < 2; ++s) texcoords_[s].resize(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
      const uint8_t* v = bytes + static_cast<ptrdiff_t>(i) * stride;
      std::memcpy(&positions_[static_cast<size_t>(i) * 3], v, 12);
      uint32_t c;
      std::memcpy(&c, v + layout.diffuse, 4);
      colors_[i] = (c >> 16 & 255) | (c & 0xFF00) | (c & 255) << 16 | (c & 0xFF000000u);
      for (int s = 0; s < layout.sets; ++s) std::memcpy(&texcoords_[s][static_cast<size_t>(i) * 2], v + layout.texcoords[s], 8);
    }

    // Target, projection, clip.
    const Texture* target = Find(target_ == 0 ? back_ : target_);
    glViewport(0, 0, target->width, target->height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.5, target->width - 0.5, -0.5, target->height - 0.5, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    glScissor(std::max(0, viewport_.x), std::max(0, viewport_.y), std::max(0, viewport_.width),
              std::max(0, viewport_.height));

    // Blending and alpha test.
    if (render_[kRsAlphaBlendEnable]) {
      glEnable(GL_BLEND);
      glBlendFunc(BlendFactorToGl(render_[kRsSrcBlend]), BlendFactorToGl(render_[kRsDestBlend]));
      const uint32_t op = render_[kRsBlendOp];
      glBlendEquation(op == kBlendOpRevSubtract ? GL_FUNC_REVERSE_SUBTRACT
                      : op == kBlendOpSubtract  ? GL_FUNC_SUBTRACT
                                                : GL_FUNC_ADD);
    } else {
      glDisable(GL_BLEND);
    }
    if (render_[kRsAlphaTestEnable]) {
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(CompareToGl(render_[kRsAlphaFunc]), static_cast<float>(render_[kRsAlphaRef] & 255) / 255.0f);
    } else {
      glDisable(GL_ALPHA_TEST);
    }
    glShadeModel(render_[kRsShadeMode] == 1 ? GL_FLAT : GL_SMOOTH);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);

    // Stages.
    const uint32_t tf = render_[kRsTextureFactor];
    const float factor[4] = {(tf >> 16 & 255) / 255.0f, (tf >> 8 & 255) / 255.0f, (tf & 255) / 255.0f, (tf >> 24) / 255.0f};
    bool on = true;
    for (int s = 0; s < units_; ++s) {
      const StageSetup& st = stages_[s];
      glActiveTexture(GL_TEXTURE0 + s);
      glClientActiveTexture(GL_TEXTURE0 + s);
      on = on && st.state[kTssColorOp] != kOpDisable;
      if (!on) {
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        continue;
      }
      const Texture* t = Find(st.texture);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, t ? t->name : white_);
      if (t) {
        const bool linear = st.sampler[kSampMagFilter] >= kFilterLinear;
        const bool mip = t->levels > 1 && st.sampler[kSampMipFilter] != kFilterNone;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        mip ? (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST) : (linear ? GL_LINEAR : GL_NEAREST));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WrapOf(st.sampler[kSampAddressU]));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WrapOf(st.sampler[kSampAddressV]));
      }
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
      glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
      SetCombiner(false, st.state[kTssColorOp], st.state[kTssColorArg1], st.state[kTssColorArg2]);
      const int32_t alphaOp = st.state[kTssAlphaOp] == kOpDisable ? kOpSelectArg1 : st.state[kTssAlphaOp];
      SetCombiner(true, alphaOp, st.state[kTssAlphaOp] == kOpDisable ? kArgCurrent : st.state[kTssAlphaArg1],
                  st.state[kTssAlphaArg2]);
      const int set = std::clamp(st.state[kTssTexCoordIndex], 0, 1);
      if (layout.sets > 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, texcoords_[std::min(set, layout.sets - 1)].data());
      } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glMultiTexCoord2f(GL_TEXTURE0 + s, 0.0f, 0.0f);
      }
    }
    glActiveTexture(GL_TEXTURE0);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions_.data());
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors_.data());
    return true;
  }

  void Finish() {
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
  }

  SDL_Window* window_;
  SDL_GLContext context_;
  bool quit_video_;
  int width_, height_;
  GLint max_texture_ = 0;
  GLint units_ = 1;
  GLuint white_ = 0;
  TextureId back_ = 0;
  TextureId target_ = 0;
  TextureId next_id_ = 1;
  std::map<TextureId, Texture> textures_;
  std::array<StageSetup, kStages> stages_{};
  std::array<uint32_t, kRenderStateCount> render_{};
  uint32_t fvf_ = kFvfColored;
  Viewport viewport_{};
  Rect scissor_{};
  std::vector<float> positions_;
  std::vector<uint32_t> colors_;
  std::vector<float> texcoords_[2];
  std::vector<GLuint> shaders_;
};

}  // namespace

std::unique_ptr<Device> CreateOpenGlDevice(int width, int height, std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  DriverAllocations driverScope;
  bool quitVideo = false;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      *why = std::string("no video driver: ") + SDL_GetError();
      return nullptr;
    }
    quitVideo = true;
  }
  auto fail = [&](const std::string& reason) -> std::unique_ptr<Device> {
    *why = reason;
    if (quitVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  };
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0) return fail("the video driver has no OpenGL");
  if (width < 1 || height < 1) return fail("no screen size");
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 0);
  SDL_Window* window = SDL_CreateWindow("gpu", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    SDL_GL_ResetAttributes();
    return fail(std::string("no OpenGL window: ") + SDL_GetError());
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_ResetAttributes();
  if (context == nullptr) {
    SDL_DestroyWindow(window);
    return fail(std::string("no OpenGL context: ") + SDL_GetError());
  }
  int major = 0, minor = 0;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2 || major * 10 + minor < 21 ||
      SDL_GL_GetProcAddress("glGenFramebuffers") == nullptr) {
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return fail("OpenGL 2.1 with framebuffer objects is not offered");
  }
  auto device = std::make_unique<OpenGlDevice>(window, context, quitVideo, width, height);
  if (!device->Init(why)) {
    device.reset();  // releases the window, the context and the video subsystem
    return nullptr;
  }
  return device;
}

}  // namespace platform::gpu
