// The shader pack, the base shaders and the model vertex declarations.
#include "library/graphics/device/shader_pack.h"

#include <memory>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/device/device_cache.h"

namespace veziv {
namespace {

// The pack: GLSL 1.20 sources by slot. The base vertex shader carries
// pre-transformed vertices through with their colour and two coordinate
// sets; the base pixel shader modulates the first texture by the colour.
struct PackedShader {
  int kind;
  int slot;
  const char* source;
};
constexpr PackedShader kPack[] = {
    {0, kBaseVertexShaderSlot,
     "#version 120\n"
     "void main() {\n"
     "  gl_Position = ftransform();\n"
     "  gl_FrontColor = gl_Color;\n"
     "  gl_FrontSecondaryColor = gl_SecondaryColor;\n"
     "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
     "  gl_TexCoord[1] = gl_MultiTexCoord1;\n"
     "}\n"},
    {1, kBasePixelShaderSlot,
     "#version 120\n"
     "uniform sampler2D texture0;\n"
     "void main() {\n"
     "  gl_FragColor = texture2D(texture0, gl_TexCoord[0].xy) * gl_Color;\n"
     "}\n"},
};

struct ShaderState {
  // The slot tables of the held pack (empty while it is not held).
  std::vector<const char*> vertexSources, pixelSources;
  uint32_t vertexShader = 0, pixelShader = 0;
  std::vector<ModelVertexDeclaration> declarations;
};

ShaderState& S() {
  static ShaderState state;
  return state;
}

enum : int { kFloat3 = 2, kFloat4 = 3, kColor = 4, kUbyte4 = 5 };
enum : int { kPosition = 0, kBlendWeight = 1, kBlendIndices = 2, kNormal = 3, kTexCoord = 5, kColorUsage = 10 };

// The base layout of a declaration by tangent (0-1) and skinning (0-2), and its size.
int BaseLayout(int tangent, int skinning, std::vector<VertexElement>* out) {
  int at = 0;
  auto add = [&](int type, int usage, int index, int bytes) {
    out->push_back({at, type, usage, index});
    at += bytes;
  };
  add(kFloat3, kPosition, 0, 12);
  for (int i = 0; i < skinning; ++i) add(kUbyte4, kBlendIndices, i, 4);
  for (int i = 0; i < skinning; ++i) add(kFloat4, kBlendWeight, i, 16);
  for (int i = 0; i < (tangent ? 3 : 1); ++i) add(kFloat3, kNormal, i, 12);
  add(kColor, kColorUsage, 0, 4);
  add(kColor, kColorUsage, 1, 4);
  return at;
}

}  // namespace

int LoadShaderPack() {
  ShaderState& s = S();
  if (!s.vertexSources.empty()) return 1;
  s.vertexSources.assign(kVertexShaderSlots, nullptr);
  s.pixelSources.assign(kPixelShaderSlots, nullptr);
  for (const PackedShader& p : kPack) (p.kind == 0 ? s.vertexSources : s.pixelSources)[p.slot] = p.source;
  return 1;
}

int ReleaseShaderObjects() {
  ShaderState& s = S();
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return 0;
  if (s.vertexShader) device->ReleaseShader(s.vertexShader);
  if (s.pixelShader) device->ReleaseShader(s.pixelShader);
  s.vertexShader = s.pixelShader = 0;
  return 0;
}

int ReleaseVertexDeclarations() {
  if (detail::GpuDevice() == nullptr) return 0;
  S().declarations.clear();
  return 0;
}

int SetupShaders() {
  ReleaseShaderObjects();
  detail::DeviceStateCache& cache = detail::DeviceCache();
  cache.shadersInUse = 0;
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr || device->ShaderModel() < 2) {
    WriteLogText("プログラマブルシェーダーを使用しません\n");
    return 0;
  }
  cache.shadersInUse = 1;
  if (!LoadShaderPack()) {
    WriteLogText("シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
    WriteLogText("プログラマブルシェーダーを使用しません\n");
    cache.shadersInUse = 0;
    return 0;
  }
  ShaderState& s = S();
  s.vertexShader = device->CreateShader(0, s.vertexSources[kBaseVertexShaderSlot]);
  if (s.vertexShader == 0) cache.shadersInUse = 0;
  s.pixelShader = device->CreateShader(1, s.pixelSources[kBasePixelShaderSlot]);
  if (s.pixelShader == 0) {
    cache.shadersInUse = 0;
    WriteLogText("プログラマブルシェーダーを使用しません\n");
    return 0;
  }
  if (!cache.shadersInUse) {
    WriteLogText("プログラマブルシェーダーを使用しません\n");
    return 0;
  }
  WriteLogText("プログラマブルシェーダーを使用します\n");
  const float vertex0[4] = {0.0f, 1.0f, 0.0f, 0.0f}, pixel0[4] = {0.0f, 0.5f, 1.0f, 2.0f};
  device->SetVertexShaderConstantF(0, vertex0, 1);
  device->SetPixelShaderConstantF(0, pixel0, 1);
  return 0;
}

int CreateVertexDeclarations() {
  ReleaseVertexDeclarations();
  std::vector<ModelVertexDeclaration>& out = S().declarations;
  out.clear();
  for (int tangent = 0; tangent < 2; ++tangent)
    for (int skinning = 0; skinning < 3; ++skinning)
      for (int sets = 0; sets < 9; ++sets) {
        ModelVertexDeclaration d;
        const int size = BaseLayout(tangent, skinning, &d.elements);
        for (int j = 0; j < sets; ++j) d.elements.push_back({size + 16 * j, kFloat4, kTexCoord, j});
        out.push_back(std::move(d));
      }
  return 0;
}

namespace detail {

const char* ShaderSourceAt(int kind, int slot) {
  const std::vector<const char*>& table = kind == 0 ? S().vertexSources : S().pixelSources;
  return slot >= 0 && slot < static_cast<int>(table.size()) ? table[slot] : nullptr;
}

const std::vector<ModelVertexDeclaration>& VertexDeclarations() { return S().declarations; }

void ForgetShaderPackForTest() {
  S().vertexSources.clear();
  S().pixelSources.clear();
  S().declarations.clear();
  S().vertexShader = S().pixelShader = 0;
}

}  // namespace detail
}  // namespace veziv
