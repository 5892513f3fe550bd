// The device on OpenGL 2.1 (compatibility profile) with framebuffer objects,
// on the program's window or on a hidden window of its own. Every target, the
// back buffer too, is a texture behind a framebuffer object, stored top row
// first: the projection maps y downwards onto GL's rows, so rows captured,
// textures written and render targets sampled all agree without a flip; only
// the present turns the back buffer over into the window. Pre-transformed
// vertices put pixel centres on whole numbers, so the projection is shifted
// by half a pixel. Stages become GL texture units with the combine mode. The
// pipeline's state is kept here and sent to GL at the next draw, only the
// parts that changed.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/gpu/device.h"

namespace platform::gpu {

int BytesPerPixel(Format format) {
  switch (format) {
    case Format::kA8R8G8B8:
    case Format::kX8R8G8B8:
      return 4;
    case Format::kR5G6B5:
    case Format::kX1R5G5B5:
    case Format::kA1R5G5B5:
    case Format::kA4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

bool IsCompressed(Format format) { return format >= Format::kDxt1 && format <= Format::kDxt5; }

int CompressedLevelBytes(Format format, int width, int height) {
  if (!IsCompressed(format)) return 0;
  const int blocks = std::max(1, (width + 3) / 4) * std::max(1, (height + 3) / 4);
  return blocks * (format == Format::kDxt1 ? 8 : 16);
}

int StrideOf(Layout layout) {
  switch (layout) {
    case Layout::kColored: return 20;
    case Layout::kTextured: return 28;
    default: return 40;
  }
}

namespace {

constexpr int kStages = 8;
constexpr int kFormatCount = static_cast<int>(Format::kDxt5) + 1;

// How a format is stored and written in GL; internal 0 when GL has none.
struct GlFormat {
  GLint internal;
  GLenum format, type;
};

GlFormat GlFormatOf(Format format) {
  switch (format) {
    case Format::kA8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case Format::kX8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case Format::kR5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case Format::kX1R5G5B5: return {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case Format::kA1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case Format::kA4R4G4B4: return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    // The premultiplied DXT2 and DXT4 have no GL form.
    case Format::kDxt1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0};
    case Format::kDxt3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0};
    case Format::kDxt5: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0};
    default: return {0, 0, 0};
  }
}

GLenum FactorToGl(Factor f) {
  switch (f) {
    case Factor::kZero: return GL_ZERO;
    case Factor::kOne: return GL_ONE;
    case Factor::kSourceColor: return GL_SRC_COLOR;
    case Factor::kInverseSourceColor: return GL_ONE_MINUS_SRC_COLOR;
    case Factor::kSourceAlpha: return GL_SRC_ALPHA;
    case Factor::kInverseSourceAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case Factor::kTargetAlpha: return GL_DST_ALPHA;
    case Factor::kInverseTargetAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case Factor::kTargetColor: return GL_DST_COLOR;
    case Factor::kInverseTargetColor: return GL_ONE_MINUS_DST_COLOR;
  }
  return GL_ONE;
}

GLenum CompareToGl(Compare c) {
  static const GLenum table[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return table[static_cast<int>(c)];
}

GLenum PrimitiveToGl(Primitive p) {
  static const GLenum table[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
  return table[static_cast<int>(p)];
}

GLint WrapOf(Address a) {
  return a == Address::kClamp ? GL_CLAMP_TO_EDGE : a == Address::kMirror ? GL_MIRRORED_REPEAT : GL_REPEAT;
}

// The renderers that draw on the processor, as Mesa names them.
bool NamesSoftwareRasterizer(const std::string& renderer) {
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
    if (renderer.find(name) != std::string::npos) return true;
  return false;
}

bool HasExtension(const char* name) {
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* e = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (e != nullptr && std::strcmp(e, name) == 0) return true;
  }
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return all != nullptr && std::strstr(all, name) != nullptr;
}

struct Texture {
  GLuint name = 0;
  GLuint framebuffer = 0;  // render targets only
  int width = 0, height = 0, levels = 1;
  Format format = Format::kNone;
  bool depthAttached = false;
  Sampler applied{};  // what GL holds for the texture object
  bool samplerKnown = false;
};

class OpenGlDevice final : public Device {
 public:
  OpenGlDevice(SDL_Window* window, bool ownWindow, SDL_GLContext context, bool quitVideo, int width, int height)
      : window_(window), own_window_(ownWindow), context_(context), quit_video_(quitVideo), width_(width),
        height_(height) {
    for (int s = 0; s < kStages; ++s) {
      stages_[s].coordinateSet = s == 0 ? 0 : 1;
      stages_[s].color = {s == 0 ? Combine::kModulate : Combine::kDisable, {Input::kTexture, false}, {Input::kCurrent, false}};
      stages_[s].alpha = {s == 0 ? Combine::kFirst : Combine::kDisable, {Input::kTexture, false}, {Input::kCurrent, false}};
    }
    clip_ = {0, 0, width, height};
  }

  bool Init(int colorBits, std::string* why) {
    Current();
    facts_.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    facts_.softwareRasterizer = NamesSoftwareRasterizer(facts_.renderer);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &facts_.maxTextureSize);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units_);
    units_ = std::clamp(units_, 1, kStages);
    facts_.programs = true;  // GL 2.1 compiles GLSL 1.20
    facts_.reverseSubtract = true;
    s3tc_ = HasExtension("GL_EXT_texture_compression_s3tc");
    int major = 0, minor = 0;
    std::sscanf(reinterpret_cast<const char*>(glGetString(GL_VERSION)), "%d.%d", &major, &minor);
    bgraColors_ = major * 10 + minor >= 32 || HasExtension("GL_ARB_vertex_array_bgra");
    if (major * 10 + minor >= 32 || HasExtension("GL_EXT_provoking_vertex")) glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    const uint32_t white = 0xFFFFFFFF;
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    facts_.backBuffer = colorBits == 16 && Accepts(Format::kR5G6B5, true) ? Format::kR5G6B5 : Format::kX8R8G8B8;
    back_ = CreateTexture(width_, height_, 1, facts_.backBuffer, true);
    if (back_ == 0) {
      *why = "the back buffer's framebuffer object cannot be made";
      return false;
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_SCISSOR_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return UseTarget(0, 0, 0);
  }

  ~OpenGlDevice() override {
    Current();
    for (auto& [id, texture] : textures_) Free(texture);
    for (GLuint shader : programs_) glDeleteShader(shader);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    glDeleteTextures(1, &white_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    if (own_window_) SDL_DestroyWindow(window_);
    if (quit_video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const Facts& Describe() const override { return facts_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  // Probed once a format: a small texture (with its framebuffer object for a
  // render target) is made and given back.
  bool Accepts(Format format, bool renderTarget) override {
    const int i = static_cast<int>(format);
    if (i <= 0 || i >= kFormatCount) return false;
    int8_t& known = probed_[renderTarget ? 1 : 0][i];
    if (known == 0) {
      bool ok = GlFormatOf(format).internal != 0 && (!IsCompressed(format) || (s3tc_ && !renderTarget));
      if (ok) {
        Texture t;
        ok = Make(8, 8, 1, format, renderTarget, &t);
        Free(t);
        BindTargetFramebuffer();
      }
      known = ok ? 1 : -1;
    }
    return known == 1;
  }

  bool AcceptsDepth(DepthFormat format) override {
    Current();
    GLuint rb = 0;
    glGenRenderbuffers(1, &rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glRenderbufferStorage(GL_RENDERBUFFER, DepthToGl(format), 8, 8);
    const bool ok = glGetError() == GL_NO_ERROR;
    glDeleteRenderbuffers(1, &rb);
    return ok;
  }

  TextureId CreateTexture(int width, int height, int levels, Format format, bool renderTarget) override {
    if (width < 1 || height < 1 || width > facts_.maxTextureSize || height > facts_.maxTextureSize) return 0;
    if (GlFormatOf(format).internal == 0 || (IsCompressed(format) && (!s3tc_ || renderTarget))) return 0;
    Current();
    Texture t;
    const bool made = Make(width, height, levels, format, renderTarget, &t);
    BindTargetFramebuffer();
    if (!made) {
      Free(t);
      return 0;
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
    for (int s = 0; s < kStages; ++s)
      if (stages_[s].texture == texture) stages_[s].texture = 0, stagesDirty_ = true;
    if (target_ == texture) UseTarget(0, 0, 0);
  }

  bool WriteTexture(TextureId texture, int level, const Rect& rect, const void* pixels, int pitch) override {
    Texture* t = Find(texture);
    if (t == nullptr || IsCompressed(t->format) || !LevelHolds(*t, level, rect)) return false;
    const int bytes = BytesPerPixel(t->format);
    if (pitch < (rect.right - rect.left) * bytes || pitch % bytes != 0) return false;
    Current();
    const GlFormat f = GlFormatOf(t->format);
    glBindTexture(GL_TEXTURE_2D, t->name);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / bytes);
    glTexSubImage2D(GL_TEXTURE_2D, level, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    f.format, f.type, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return glGetError() == GL_NO_ERROR;
  }

  bool WriteCompressedLevel(TextureId texture, int level, const void* blocks, int bytes) override {
    Texture* t = Find(texture);
    if (t == nullptr || !IsCompressed(t->format) || level < 0 || level >= t->levels) return false;
    const int w = std::max(1, t->width >> level), h = std::max(1, t->height >> level);
    if (bytes != CompressedLevelBytes(t->format, w, h)) return false;
    Current();
    glBindTexture(GL_TEXTURE_2D, t->name);
    glCompressedTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, w, h, static_cast<GLenum>(GlFormatOf(t->format).internal),
                              bytes, blocks);
    return glGetError() == GL_NO_ERROR;
  }

  bool UseTarget(TextureId target, int originX, int originY) override {
    Current();
    Texture* t = Find(target == 0 ? back_ : target);
    if (t == nullptr || !HasFramebuffer(*t)) return false;
    target_ = target;
    originX_ = originX, originY_ = originY;
    BindTargetFramebuffer();
    AttachDepth(*t);
    glViewport(0, 0, t->width, t->height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // z from 0 (near) to 1 (far) as the depth values themselves.
    glOrtho(originX - 0.5, originX + t->width - 0.5, originY - 0.5, originY + t->height - 0.5, 0.0, -1.0);
    clipDirty_ = depthDirty_ = true;
    return true;
  }

  bool FillTarget(TextureId target, uint32_t color) override {
    Current();
    Texture* t = Find(target == 0 ? back_ : target);
    if (t == nullptr || !HasFramebuffer(*t)) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glClearColor((color >> 16 & 255) / 255.0f, (color >> 8 & 255) / 255.0f, (color & 255) / 255.0f,
                 (color >> 24) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    BindTargetFramebuffer();
    return true;
  }

  bool CopyTargetRect(TextureId from, const Rect& rect, TextureId to, int x, int y) override {
    Current();
    const Texture* source = TargetHolding(from, rect);
    Texture* dest = Find(to == 0 ? back_ : to);
    if (source == nullptr || dest == nullptr || IsCompressed(dest->format) || source == dest) return false;
    const Rect placed{x, y, x + rect.right - rect.left, y + rect.bottom - rect.top};
    if (!LevelHolds(*dest, 0, placed)) return false;
    Current();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source->framebuffer);
    glBindTexture(GL_TEXTURE_2D, dest->name);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x, y, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    BindTargetFramebuffer();
    return glGetError() == GL_NO_ERROR;
  }

  bool CaptureTargetRect(TextureId from, const Rect& rect, uint32_t* pixels) override {
    Current();
    const Texture* t = TargetHolding(from, rect);
    if (t == nullptr) return false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t->framebuffer);
    glReadPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    BindTargetFramebuffer();
    return glGetError() == GL_NO_ERROR;
  }

  bool CreateDepthBuffer(int width, int height, DepthFormat format) override {
    ReleaseDepthBuffer();
    Current();
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, DepthToGl(format), width, height);
    if (glGetError() != GL_NO_ERROR) {
      glDeleteRenderbuffers(1, &depth_);
      depth_ = 0;
      return false;
    }
    depthWidth_ = width, depthHeight_ = height;
    if (Texture* t = Find(target_ == 0 ? back_ : target_)) AttachDepth(*t);
    return true;
  }

  void ReleaseDepthBuffer() override {
    if (depth_ == 0) return;
    Current();
    for (auto& [id, t] : textures_) {
      if (!t.depthAttached) continue;
      glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
      t.depthAttached = false;
    }
    glDeleteRenderbuffers(1, &depth_);
    depth_ = 0;
    BindTargetFramebuffer();
  }

  void ClearDepth(float value) override {
    const Texture* t = Find(target_ == 0 ? back_ : target_);
    if (depth_ == 0 || t == nullptr || !t->depthAttached) return;
    Current();
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glClearDepth(value);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    depthDirty_ = true;
  }

  void SetBlend(const Blend& blend) override {
    blend_ = blend;
    blendDirty_ = true;
  }
  void SetAlphaTest(const AlphaTest& test) override {
    alphaTest_ = test;
    alphaTestDirty_ = true;
  }
  void SetTextureFactor(uint32_t color) override {
    factor_ = color;
    stagesDirty_ = true;
  }
  void SetStage(int stage, const Stage& setup) override {
    if (stage < 0 || stage >= kStages) return;
    stages_[stage] = setup;
    stagesDirty_ = true;
  }
  void SetSampler(int stage, const Sampler& sampler) override {
    if (stage >= 0 && stage < kStages) samplers_[stage] = sampler;
  }
  void SetSmoothShading(bool smooth) override {
    if (smooth_ == smooth) return;
    smooth_ = smooth;
    Current();
    glShadeModel(smooth ? GL_SMOOTH : GL_FLAT);
  }
  void SetDepthTest(const DepthTest& test) override {
    depthTest_ = test;
    depthDirty_ = true;
  }
  void SetClip(const Rect& rect) override {
    clip_ = rect;
    clipDirty_ = true;
  }

  void Draw(Primitive primitive, Layout layout, const void* vertices, int count) override {
    if (count <= 0 || vertices == nullptr) return;
    Prepare(layout, vertices, count);
    glDrawArrays(PrimitiveToGl(primitive), 0, count);
  }

  void DrawIndexed(Primitive primitive, Layout layout, const void* vertices, int vertexCount, const uint16_t* indices,
                   int indexCount) override {
    if (indexCount <= 0 || vertexCount <= 0 || vertices == nullptr || indices == nullptr) return;
    Prepare(layout, vertices, vertexCount);
    glDrawElements(PrimitiveToGl(primitive), indexCount, GL_UNSIGNED_SHORT, indices);
  }

  // GL keeps the order of its commands: whatever reads a target (a copy,
  // a capture, the present, a draw sampling it) sees every draw before it.
  // A flush here would only make the driver start work early, which a
  // rasterizer on the processor pays for with a round of its threads.
  void Finish() override {}

  bool Present(const Rect& source, const Rect& placement, bool waitForRefresh) override {
    if (own_window_) return false;
    const Texture* back = Find(back_);
    if (back == nullptr || source.left < 0 || source.top < 0 || source.right > back->width ||
        source.bottom > back->height)
      return false;
    Current();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, back->framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Rows are stored top first; the window's rows count from the bottom.
    glBlitFramebuffer(source.left, source.top, source.right, source.bottom, placement.left, h - placement.top,
                      placement.right, h - placement.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    const int interval = waitForRefresh ? 1 : 0;
    if (interval != swapInterval_) {
      SDL_GL_SetSwapInterval(interval);  // not every driver can; the frame is shown all the same
      swapInterval_ = interval;
    }
    SDL_GL_SwapWindow(window_);
    glEnable(GL_SCISSOR_TEST);
    UseTarget(target_, originX_, originY_);
    return true;
  }

  void ClientSize(int* width, int* height) override {
    int w = 0, h = 0;
    if (!own_window_) SDL_GL_GetDrawableSize(window_, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
  }

  uint32_t CreateProgram(int kind, const char* source) override {
    if (source == nullptr || (kind != 0 && kind != 1)) return 0;
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
    programs_.push_back(shader);
    return shader;
  }

  void ReleaseProgram(uint32_t program) override {
    auto it = std::find(programs_.begin(), programs_.end(), program);
    if (it == programs_.end()) return;
    Current();
    glDeleteShader(program);
    programs_.erase(it);
  }

  void SetProgramConstants(int kind, int reg, const float* values, int count) override {
    std::vector<float>& bank = kind == 0 ? vertexConstants_ : pixelConstants_;
    if (reg < 0 || count <= 0 || values == nullptr) return;
    if (bank.size() < static_cast<size_t>(reg + count) * 4) bank.resize(static_cast<size_t>(reg + count) * 4);
    std::copy(values, values + 4 * count, bank.begin() + 4 * reg);
  }

  void SetProgramFlags(int reg, const int* values, int count) override {
    if (reg < 0 || count <= 0 || values == nullptr) return;
    if (flags_.size() < static_cast<size_t>(reg + count)) flags_.resize(static_cast<size_t>(reg + count));
    std::copy(values, values + count, flags_.begin() + reg);
  }

  bool Lost() override { return false; }

 private:
  void Current() { SDL_GL_MakeCurrent(window_, context_); }

  static GLenum DepthToGl(DepthFormat f) {
    return f == DepthFormat::kD16 ? GL_DEPTH_COMPONENT16 : f == DepthFormat::kD24X8 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
  }

  Texture* Find(TextureId id) {
    auto it = textures_.find(id);
    return it == textures_.end() ? nullptr : &it->second;
  }

  static bool LevelHolds(const Texture& t, int level, const Rect& r) {
    if (level < 0 || level >= t.levels) return false;
    const int w = std::max(1, t.width >> level), h = std::max(1, t.height >> level);
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
  }

  // A target (0: the back buffer) that holds the whole non-empty rectangle, or null.
  Texture* TargetHolding(TextureId target, const Rect& rect) {
    Texture* t = Find(target == 0 ? back_ : target);
    if (t == nullptr || !LevelHolds(*t, 0, rect) || !HasFramebuffer(*t)) return nullptr;
    return t;
  }

  // Any texture of an uncompressed format becomes a target the first time it
  // is used as one: its framebuffer object is made then.
  bool HasFramebuffer(Texture& t) {
    if (t.framebuffer != 0) return true;
    if (IsCompressed(t.format)) return false;
    glGenFramebuffers(1, &t.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.name, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
      glDeleteFramebuffers(1, &t.framebuffer);
      t.framebuffer = 0;
    }
    BindTargetFramebuffer();
    return complete;
  }

  // A texture of zeros, with its framebuffer object when it is a target.
  bool Make(int width, int height, int levels, Format format, bool renderTarget, Texture* t) {
    t->width = width, t->height = height, t->levels = std::max(1, levels), t->format = format;
    const GlFormat f = GlFormatOf(format);
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &t->name);
    glBindTexture(GL_TEXTURE_2D, t->name);
    for (int level = 0, w = width, h = height; level < t->levels; ++level, w = std::max(1, w / 2), h = std::max(1, h / 2)) {
      if (IsCompressed(format)) {
        const int bytes = CompressedLevelBytes(format, w, h);
        zeros_.assign(static_cast<size_t>(bytes), 0);
        glCompressedTexImage2D(GL_TEXTURE_2D, level, static_cast<GLenum>(f.internal), w, h, 0, bytes, zeros_.data());
      } else {
        zeros_.assign(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0);
        glTexImage2D(GL_TEXTURE_2D, level, f.internal, w, h, 0, f.format, f.type, zeros_.data());
      }
    }
    zeros_.clear();
    zeros_.shrink_to_fit();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, t->levels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    if (glGetError() != GL_NO_ERROR) return false;
    if (!renderTarget) return true;
    glGenFramebuffers(1, &t->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t->framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->name, 0);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
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

  // The depth buffer goes with every target it covers.
  void AttachDepth(Texture& t) {
    const bool fits = depth_ != 0 && t.width <= depthWidth_ && t.height <= depthHeight_;
    if (fits == t.depthAttached) return;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, fits ? depth_ : 0);
    t.depthAttached = fits;
  }

  static GLenum SourceOf(Input input) {
    switch (input) {
      case Input::kCurrent: return GL_PREVIOUS;
      case Input::kTexture: return GL_TEXTURE;
      case Input::kFactor: return GL_CONSTANT;
      default: return GL_PRIMARY_COLOR;
    }
  }

  // One half (colour or alpha) of a stage's combiner.
  static void SetCombiner(bool alpha, const Combiner& c) {
    const GLenum src[2][3] = {{GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB}, {GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA}};
    const GLenum operand[2][3] = {{GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB},
                                  {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA}};
    const int half = alpha ? 1 : 0;
    auto setArg = [&](int i, const Argument& arg, bool readAlpha) {
      glTexEnvi(GL_TEXTURE_ENV, src[half][i], static_cast<GLint>(SourceOf(arg.input)));
      const GLint value = (alpha || readAlpha || arg.alpha) ? (arg.complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA)
                                               : (arg.complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR);
      glTexEnvi(GL_TEXTURE_ENV, operand[half][i], value);
    };
    GLint mode = GL_REPLACE;
    float scale = 1.0f;
    switch (c.combine) {
      case Combine::kFirst: setArg(0, c.first, false); break;
      case Combine::kSecond: setArg(0, c.second, false); break;
      case Combine::kModulate4x:
      case Combine::kModulate2x:
      case Combine::kModulate:
        scale = c.combine == Combine::kModulate4x ? 4.0f : c.combine == Combine::kModulate2x ? 2.0f : 1.0f;
        mode = GL_MODULATE, setArg(0, c.first, false), setArg(1, c.second, false);
        break;
      case Combine::kAdd: mode = GL_ADD, setArg(0, c.first, false), setArg(1, c.second, false); break;
      case Combine::kSubtract: mode = GL_SUBTRACT, setArg(0, c.first, false), setArg(1, c.second, false); break;
      case Combine::kBlendDiffuseAlpha:
      case Combine::kBlendCurrentAlpha:
        mode = GL_INTERPOLATE, setArg(0, c.first, false), setArg(1, c.second, false);
        setArg(2, {c.combine == Combine::kBlendDiffuseAlpha ? Input::kDiffuse : Input::kCurrent, false}, true);
        break;
      default: setArg(0, {Input::kCurrent, false}, false); break;
    }
    glTexEnvi(GL_TEXTURE_ENV, alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB, mode);
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, scale);
  }

  void ApplySampler(Texture& t, const Sampler& s) {
    if (t.samplerKnown && std::memcmp(&t.applied, &s, sizeof s) == 0) return;
    const bool linear = s.magnify >= Filter::kLinear;
    const bool minLinear = s.minify >= Filter::kLinear;
    const bool mip = t.levels > 1 && s.mip != Filter::kNone;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mip ? (s.mip >= Filter::kLinear ? (minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR)
                                                    : (minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST))
                        : (minLinear ? GL_LINEAR : GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WrapOf(s.u));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WrapOf(s.v));
    if (s.minify == Filter::kAnisotropic)
      glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(std::max(1, s.maxAnisotropy)));
    t.applied = s;
    t.samplerKnown = true;
  }

  void Prepare(Layout layout, const void* vertices, int count) {
    Current();
    if (clipDirty_) {
      const Texture* target = Find(target_ == 0 ? back_ : target_);
      const int l = std::clamp(clip_.left - originX_, 0, target->width), r = std::clamp(clip_.right - originX_, 0, target->width);
      const int t = std::clamp(clip_.top - originY_, 0, target->height), b = std::clamp(clip_.bottom - originY_, 0, target->height);
      glScissor(l, t, std::max(0, r - l), std::max(0, b - t));
      clipDirty_ = false;
    }
    if (blendDirty_) {
      if (blend_.enabled) {
        glEnable(GL_BLEND);
        glBlendFunc(FactorToGl(blend_.source), FactorToGl(blend_.target));
        glBlendEquation(blend_.operation == BlendOperation::kReverseSubtract ? GL_FUNC_REVERSE_SUBTRACT
                        : blend_.operation == BlendOperation::kSubtract      ? GL_FUNC_SUBTRACT
                                                                             : GL_FUNC_ADD);
      } else {
        glDisable(GL_BLEND);
      }
      blendDirty_ = false;
    }
    if (alphaTestDirty_) {
      if (alphaTest_.enabled) {
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(CompareToGl(alphaTest_.compare), static_cast<float>(alphaTest_.reference) / 255.0f);
      } else {
        glDisable(GL_ALPHA_TEST);
      }
      alphaTestDirty_ = false;
    }
    if (depthDirty_) {
      const Texture* target = Find(target_ == 0 ? back_ : target_);
      if (depthTest_.enabled && target->depthAttached) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareToGl(depthTest_.compare));
        glDepthMask(depthTest_.write ? GL_TRUE : GL_FALSE);
      } else {
        glDisable(GL_DEPTH_TEST);
      }
      depthDirty_ = false;
    }

    const int stride = StrideOf(layout);
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    const int sets = layout == Layout::kColored ? 0 : layout == Layout::kTextured ? 1 : 2;
    const int texcoordAt[2] = {layout == Layout::kTextured ? 20 : 24, 32};
    const uint32_t tf = factor_;
    const float factor[4] = {(tf >> 16 & 255) / 255.0f, (tf >> 8 & 255) / 255.0f, (tf & 255) / 255.0f, (tf >> 24) / 255.0f};
    bool on = true;
    for (int s = 0; s < units_; ++s) {
      const Stage& st = stages_[s];
      on = on && st.color.combine != Combine::kDisable;
      glActiveTexture(GL_TEXTURE0 + s);
      glClientActiveTexture(GL_TEXTURE0 + s);
      if (!on) {
        if (enabledUnits_[s]) {
          glDisable(GL_TEXTURE_2D);
          glDisableClientState(GL_TEXTURE_COORD_ARRAY);
          enabledUnits_[s] = false;
        }
        continue;
      }
      if (!enabledUnits_[s]) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        enabledUnits_[s] = true;
      }
      Texture* t = Find(st.texture);
      glBindTexture(GL_TEXTURE_2D, t ? t->name : white_);
      if (t) ApplySampler(*t, samplers_[s]);
      if (stagesDirty_) {
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
        SetCombiner(false, st.color);
        // An alpha half left off passes the alpha on.
        SetCombiner(true, st.alpha.combine == Combine::kDisable ? Combiner{Combine::kFirst, {Input::kCurrent, false}, {}} : st.alpha);
      }
      if (sets > 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        const int set = std::clamp(st.coordinateSet, 0, sets - 1);
        glTexCoordPointer(2, GL_FLOAT, stride, bytes + texcoordAt[set]);
      } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glMultiTexCoord2f(GL_TEXTURE0 + s, 0.0f, 0.0f);
      }
    }
    stagesDirty_ = false;
    glActiveTexture(GL_TEXTURE0);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, bytes);
    glEnableClientState(GL_COLOR_ARRAY);
    if (bgraColors_) {
      glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, bytes + 16);
    } else {
      // Colours in the order R, G, B, A for a GL without BGRA vertex colours.
      colors_.resize(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) {
        uint32_t c;
        std::memcpy(&c, bytes + static_cast<ptrdiff_t>(i) * stride + 16, 4);
        colors_[static_cast<size_t>(i)] = (c >> 16 & 255) | (c & 0xFF00FF00u) | (c & 255) << 16;
      }
      glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors_.data());
    }
  }

  SDL_Window* window_;
  bool own_window_;
  SDL_GLContext context_;
  bool quit_video_;
  int width_, height_;
  Facts facts_;
  GLint units_ = 1;
  bool s3tc_ = false;
  bool bgraColors_ = false;
  GLuint white_ = 0;
  TextureId back_ = 0;
  TextureId target_ = 0;
  int originX_ = 0, originY_ = 0;
  TextureId next_id_ = 1;
  std::map<TextureId, Texture> textures_;
  int8_t probed_[2][kFormatCount] = {};
  GLuint depth_ = 0;
  int depthWidth_ = 0, depthHeight_ = 0;

  Blend blend_;
  AlphaTest alphaTest_;
  DepthTest depthTest_;
  uint32_t factor_ = 0xFFFFFFFF;
  std::array<Stage, kStages> stages_{};
  std::array<Sampler, kStages> samplers_{};
  std::array<bool, kStages> enabledUnits_{};
  bool smooth_ = true;
  Rect clip_{};
  bool blendDirty_ = true, alphaTestDirty_ = true, depthDirty_ = true, stagesDirty_ = true, clipDirty_ = true;
  int swapInterval_ = -1;

  std::vector<uint8_t> zeros_;
  std::vector<uint32_t> colors_;
  std::vector<GLuint> programs_;
  std::vector<float> vertexConstants_, pixelConstants_;
  std::vector<int> flags_;
};

}  // namespace

std::unique_ptr<Device> CreateOpenGlDevice(const DeviceRequest& request, std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  if (request.width < 1 || request.height < 1) {
    *why = "no screen size";
    return nullptr;
  }
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
  SDL_Window* window = static_cast<SDL_Window*>(request.window);
  const bool ownWindow = window == nullptr;
  if (!ownWindow && (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0)
    return fail("the window was not made for OpenGL");
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, ownWindow ? 0 : 1);
  if (ownWindow) window = SDL_CreateWindow("gpu", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    SDL_GL_ResetAttributes();
    return fail(std::string("no OpenGL window: ") + SDL_GetError());
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_ResetAttributes();
  auto failWithWindow = [&](const std::string& reason) {
    if (ownWindow) SDL_DestroyWindow(window);
    return fail(reason);
  };
  if (context == nullptr) return failWithWindow(std::string("no OpenGL context: ") + SDL_GetError());
  int major = 0, minor = 0;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2 || major * 10 + minor < 21 ||
      SDL_GL_GetProcAddress("glGenFramebuffers") == nullptr) {
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
    return failWithWindow("OpenGL 2.1 with framebuffer objects is not offered");
  }
  auto device = std::make_unique<OpenGlDevice>(window, ownWindow, context, quitVideo, request.width, request.height);
  if (!device->Init(request.colorBits, why)) {
    device.reset();  // releases the context, its own window and the video subsystem
    return nullptr;
  }
  return device;
}

}  // namespace platform::gpu
