// A device that draws nothing and writes down every call and the set-ups it
// was given, for the tests of the batch, the cache and the draw back end
// without a GL context.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/gpu/device.h"

namespace veziv::test {

class RecordingDevice final : public platform::gpu::Device {
 public:
  struct Draw {
    platform::gpu::Primitive primitive;
    platform::gpu::Layout layout;
    int vertexCount;  // indexed draws: the vertices they may reach
    std::vector<uint8_t> bytes;
    std::vector<uint16_t> indices;
    platform::gpu::TextureId target;
  };

  // Calls by name ("SetBlend", "Draw", ...), and each call in order.
  std::map<std::string, int> calls;
  std::vector<std::string> order;
  std::vector<Draw> draws;
  platform::gpu::Blend blend;
  platform::gpu::AlphaTest alphaTest;
  platform::gpu::DepthTest depthTest;
  uint32_t textureFactor = 0;
  bool smooth = false;
  platform::gpu::Stage stages[8] = {};
  platform::gpu::Sampler samplers[8] = {};
  platform::gpu::Rect clip{};
  platform::gpu::TextureId target = 0;
  int originX = 0, originY = 0;
  std::map<int, std::vector<float>> vertexConstants, pixelConstants;
  platform::gpu::Facts facts;
  int width = 800, height = 600;

  RecordingDevice() {
    facts.renderer = "recording";
    facts.maxTextureSize = 2048;
    facts.programs = false;
  }

  int Count(const std::string& name) const {
    auto it = calls.find(name);
    return it == calls.end() ? 0 : it->second;
  }
  void Forget() {
    calls.clear();
    order.clear();
    draws.clear();
    made.clear();
    writtenLevels.clear();
    compressedWrites.clear();
  }

  const platform::gpu::Facts& Describe() const override { return facts; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  bool Accepts(platform::gpu::Format format, bool renderTarget) override {
    if (format == platform::gpu::Format::kNone || (renderTarget && platform::gpu::IsCompressed(format))) return false;
    for (platform::gpu::Format f : refused)
      if (f == format) return false;
    return true;
  }
  bool AcceptsDepth(platform::gpu::DepthFormat format) override {
    for (platform::gpu::DepthFormat f : refusedDepths)
      if (f == format) return false;
    return true;
  }

  platform::gpu::TextureId CreateTexture(int width, int height, int levels, platform::gpu::Format format,
                                         bool renderTarget) override {
    Note("CreateTexture");
    if (failTextures || format == platform::gpu::Format::kNone) return 0;
    made.push_back({width, height, levels, format, renderTarget});
    live.push_back(nextTexture);
    return nextTexture++;
  }
  void ReleaseTexture(platform::gpu::TextureId texture) override {
    Note("ReleaseTexture");
    for (size_t i = 0; i < live.size(); ++i)
      if (live[i] == texture) live.erase(live.begin() + static_cast<ptrdiff_t>(i));
  }
  bool WriteTexture(platform::gpu::TextureId, int level, const platform::gpu::Rect&, const void*, int) override {
    Note("WriteTexture");
    writtenLevels.push_back(level);
    return true;
  }
  bool WriteCompressedLevel(platform::gpu::TextureId, int level, const void*, int bytes) override {
    Note("WriteCompressedLevel");
    compressedWrites.push_back({level, bytes});
    return true;
  }
  bool UseTarget(platform::gpu::TextureId texture, int x, int y) override {
    Note("UseTarget");
    target = texture, originX = x, originY = y;
    return true;
  }
  bool FillTarget(platform::gpu::TextureId, uint32_t) override {
    Note("FillTarget");
    return true;
  }
  bool CopyTargetRect(platform::gpu::TextureId, const platform::gpu::Rect&, platform::gpu::TextureId, int,
                      int) override {
    Note("CopyTargetRect");
    return true;
  }
  bool CaptureTargetRect(platform::gpu::TextureId, const platform::gpu::Rect&, uint32_t*) override { return false; }
  bool CreateDepthBuffer(int width, int height, platform::gpu::DepthFormat format) override {
    Note("CreateDepthBuffer");
    depthWidth = width, depthHeight = height, depthFormat = format;
    return true;
  }
  void ReleaseDepthBuffer() override { Note("ReleaseDepthBuffer"); }
  void ClearDepth(float) override { Note("ClearDepth"); }

  void SetBlend(const platform::gpu::Blend& value) override {
    Note("SetBlend");
    blend = value;
  }
  void SetAlphaTest(const platform::gpu::AlphaTest& value) override {
    Note("SetAlphaTest");
    alphaTest = value;
  }
  void SetTextureFactor(uint32_t value) override {
    Note("SetTextureFactor");
    textureFactor = value;
  }
  void SetStage(int stage, const platform::gpu::Stage& value) override {
    Note("SetStage");
    if (stage >= 0 && stage < 8) stages[stage] = value;
  }
  void SetSampler(int stage, const platform::gpu::Sampler& value) override {
    Note("SetSampler");
    if (stage >= 0 && stage < 8) samplers[stage] = value;
  }
  void SetSmoothShading(bool value) override {
    Note("SetSmoothShading");
    smooth = value;
  }
  void SetDepthTest(const platform::gpu::DepthTest& value) override {
    Note("SetDepthTest");
    depthTest = value;
  }
  void SetClip(const platform::gpu::Rect& value) override {
    Note("SetClip");
    clip = value;
  }
  void Draw(platform::gpu::Primitive primitive, platform::gpu::Layout layout, const void* vertices,
            int count) override {
    Note("Draw");
    const auto* p = static_cast<const uint8_t*>(vertices);
    const size_t bytes = static_cast<size_t>(count > 0 ? count : 0) * platform::gpu::StrideOf(layout);
    draws.push_back({primitive, layout, count, std::vector<uint8_t>(p, p + bytes), {}, target});
  }
  void DrawIndexed(platform::gpu::Primitive primitive, platform::gpu::Layout layout, const void*, int vertexCount,
                   const uint16_t* indices, int indexCount) override {
    Note("DrawIndexed");
    draws.push_back({primitive, layout, vertexCount, {}, std::vector<uint16_t>(indices, indices + indexCount), target});
  }
  void Finish() override { Note("Finish"); }
  bool Present(const platform::gpu::Rect&, const platform::gpu::Rect&, bool) override { return false; }
  void ClientSize(int* w, int* h) override {
    if (w) *w = 0;
    if (h) *h = 0;
  }

  uint32_t CreateProgram(int, const char* source) override {
    Note("CreateProgram");
    if (failShaders || source == nullptr) return 0;
    shaders.push_back(nextShader);
    return nextShader++;
  }
  void ReleaseProgram(uint32_t shader) override {
    Note("ReleaseProgram");
    for (size_t i = 0; i < shaders.size(); ++i)
      if (shaders[i] == shader) shaders.erase(shaders.begin() + static_cast<ptrdiff_t>(i));
  }
  void SetProgramConstants(int kind, int reg, const float* values, int count) override {
    Note("SetProgramConstants");
    for (int i = 0; i < count; ++i)
      (kind == 0 ? vertexConstants : pixelConstants)[reg + i].assign(values + 4 * i, values + 4 * i + 4);
  }
  void SetProgramFlags(int, const int*, int) override { Note("SetProgramFlags"); }
  bool Lost() override { return lost; }

  bool failShaders = false;
  std::vector<uint32_t> shaders;  // made and not released
  uint32_t nextShader = 1;
  bool failTextures = false;
  // Formats the device does not take.
  std::vector<platform::gpu::Format> refused = {platform::gpu::Format::kDxt2, platform::gpu::Format::kDxt4};
  std::vector<platform::gpu::DepthFormat> refusedDepths;
  int depthWidth = 0, depthHeight = 0;
  platform::gpu::DepthFormat depthFormat{};
  bool lost = false;
  std::vector<platform::gpu::TextureId> live;  // textures made and not released
  struct Made {
    int width, height, levels;
    platform::gpu::Format format;
    bool renderTarget;
  };
  std::vector<Made> made;  // every texture made, in order
  std::vector<int> writtenLevels;  // the level of each plain write
  std::vector<std::pair<int, int>> compressedWrites;  // level and byte count of each block write

 private:
  void Note(const char* name) {
    ++calls[name];
    order.push_back(name);
  }
  platform::gpu::TextureId nextTexture = 1;
};

}  // namespace veziv::test
