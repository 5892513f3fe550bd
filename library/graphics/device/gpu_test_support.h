// A device that draws nothing and writes down every call, for the tests of
// the batch, the cache and the draw back end without a GL context.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/gpu/device.h"

namespace veziv::test {

class CountingDevice final : public platform::gpu::Device {
 public:
  struct Draw {
    int type;
    int primitives;
    uint32_t fvf;
    int vertexCount;  // indexed draws: the vertices they may reach
    std::vector<uint8_t> bytes;
    std::vector<uint16_t> indices;
  };

  // Calls by name ("SetRenderState", "DrawPrimitiveUp", ...), and each call in order.
  std::map<std::string, int> calls;
  std::vector<std::string> order;
  std::vector<Draw> draws;
  std::map<int, uint32_t> renderStates;
  std::map<std::pair<int, int>, int32_t> stageStates;
  std::map<std::pair<int, int>, uint32_t> samplerStates;
  std::map<int, platform::gpu::TextureId> textures;
  std::map<int, std::vector<float>> vertexConstants, pixelConstants;
  uint32_t fvf = 0;
  int lightEnableResult = 0;
  int viewportResult = 0;
  int width = 800, height = 600;

  int Count(const std::string& name) const {
    auto it = calls.find(name);
    return it == calls.end() ? 0 : it->second;
  }
  void Forget() {
    calls.clear();
    order.clear();
    draws.clear();
  }

  int Width() const override { return width; }
  int Height() const override { return height; }
  int CheckFormat(int format, bool) override { return platform::gpu::BytesPerPixelOfFormat(format) ? 0 : -1; }
  int MaxTextureSize() const override { return 2048; }
  void SetRenderState(int state, uint32_t value) override {
    Note("SetRenderState");
    renderStates[state] = value;
  }
  void SetSamplerState(int stage, int type, uint32_t value) override {
    Note("SetSamplerState");
    samplerStates[{stage, type}] = value;
  }
  void SetTextureStageState(int stage, int type, int32_t value) override {
    Note("SetTextureStageState");
    stageStates[{stage, type}] = value;
  }
  void SetTexture(int stage, platform::gpu::TextureId texture) override {
    Note("SetTexture");
    textures[stage] = texture;
  }
  void SetFvf(uint32_t value) override {
    Note("SetFvf");
    fvf = value;
  }
  void SetTransform(int, const float*) override { Note("SetTransform"); }
  void SetLight(int, const platform::gpu::LightDesc&) override { Note("SetLight"); }
  int LightEnable(int, int) override {
    Note("LightEnable");
    return lightEnableResult;
  }
  void SetMaterial(const platform::gpu::MaterialDesc&) override { Note("SetMaterial"); }
  void SetVertexShaderConstantF(int reg, const float* values, int count) override {
    Note("SetVertexShaderConstantF");
    for (int i = 0; i < count; ++i) vertexConstants[reg + i].assign(values + 4 * i, values + 4 * i + 4);
  }
  void SetPixelShaderConstantF(int reg, const float* values, int count) override {
    Note("SetPixelShaderConstantF");
    for (int i = 0; i < count; ++i) pixelConstants[reg + i].assign(values + 4 * i, values + 4 * i + 4);
  }
  void SetVertexShaderConstantB(int, const int*, int) override { Note("SetVertexShaderConstantB"); }
  int SetViewport(const platform::gpu::Viewport&) override {
    Note("SetViewport");
    return viewportResult;
  }
  void SetScissorRect(const platform::gpu::Rect&) override { Note("SetScissorRect"); }
  void BeginScene() override { Note("BeginScene"); }
  void EndScene() override { Note("EndScene"); }
  void DrawPrimitiveUp(int type, int primitives, const void* vertices, int stride) override {
    Note("DrawPrimitiveUp");
    const int count = VertexCount(type, primitives);
    const auto* p = static_cast<const uint8_t*>(vertices);
    draws.push_back({type, primitives, fvf, count, std::vector<uint8_t>(p, p + static_cast<size_t>(count > 0 ? count : 0) * stride), {}});
  }
  void DrawIndexedPrimitiveUp(int type, int vertexCount, int primitives, const uint16_t* indices, const void*,
                              int) override {
    Note("DrawIndexedPrimitiveUp");
    const int count = primitives + 2;
    draws.push_back({type, primitives, fvf, vertexCount, {}, std::vector<uint16_t>(indices, indices + count)});
  }
  void Clear(uint32_t) override { Note("Clear"); }
  platform::gpu::TextureId CreateTexture(int, int, int, int format, bool) override {
    Note("CreateTexture");
    if (failTextures || platform::gpu::BytesPerPixelOfFormat(format) == 0) return 0;
    live.push_back(nextTexture);
    return nextTexture++;
  }
  void ReleaseTexture(platform::gpu::TextureId texture) override {
    Note("ReleaseTexture");
    for (size_t i = 0; i < live.size(); ++i)
      if (live[i] == texture) live.erase(live.begin() + static_cast<ptrdiff_t>(i));
  }
  int UpdateTexture(platform::gpu::TextureId, int, const platform::gpu::Rect&, const void*, int) override {
    Note("UpdateTexture");
    return 0;
  }
  int ColorFill(platform::gpu::TextureId, uint32_t) override {
    Note("ColorFill");
    return 0;
  }
  int SetRenderTarget(platform::gpu::TextureId) override {
    Note("SetRenderTarget");
    return 0;
  }
  int ReadPixels(platform::gpu::TextureId, const platform::gpu::Rect&, uint32_t*) override { return -1; }
  int WritePixels(platform::gpu::TextureId, const platform::gpu::Rect&, const uint32_t*) override {
    Note("WritePixels");
    return 0;
  }

  int ShaderModel() const override { return shaderModel; }
  uint32_t CreateShader(int, const char* source) override {
    Note("CreateShader");
    if (failShaders || source == nullptr) return 0;
    shaders.push_back(nextShader);
    return nextShader++;
  }
  void ReleaseShader(uint32_t shader) override {
    Note("ReleaseShader");
    for (size_t i = 0; i < shaders.size(); ++i)
      if (shaders[i] == shader) shaders.erase(shaders.begin() + static_cast<ptrdiff_t>(i));
  }

  int shaderModel = 0;
  bool failShaders = false;
  std::vector<uint32_t> shaders;  // made and not released
  uint32_t nextShader = 1;
  bool failTextures = false;
  std::vector<platform::gpu::TextureId> live;  // textures made and not released

 private:
  void Note(const char* name) {
    ++calls[name];
    order.push_back(name);
  }
  static int VertexCount(int type, int primitives) {
    switch (type) {
      case 1: return primitives;
      case 2: return primitives * 2;
      case 3: return primitives + 1;
      case 4: return primitives * 3;
      default: return primitives + 2;
    }
  }
  platform::gpu::TextureId nextTexture = 1;
};

}  // namespace veziv::test
