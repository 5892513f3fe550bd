// The shader pack, the base shaders and the model vertex declarations. The
// pack travels inside the library as a packed archive image, made at build
// time from the sources in device/shaders: the image is unpacked, opened as
// an archive in memory, and its one member (itself packed) unpacked into the
// slot table and the sources behind it.
#include "library/graphics/device/shader_pack.h"

#include <cstring>
#include <memory>
#include <string>

#include "library/foundation/files/archive.h"
#include "library/foundation/files/decompress.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/device/device_cache.h"

namespace veziv {
namespace detail {
extern const uint8_t kShaderPackImage[];
extern const size_t kShaderPackImageSize;
}  // namespace detail

namespace {

constexpr const char* kPackMember = "VoVorovoDire.bin";
constexpr size_t kSlotTableBytes = (kVertexShaderSlots + kPixelShaderSlots) * 2;

struct ShaderCode {
  const char* code = nullptr;
  int length = 0;
};

struct ShaderState {
  // The unpacked archive image and pack, held until graphics end.
  uint8_t* image = nullptr;
  uint8_t* pack = nullptr;
  ArchiveRecord archive{};
  bool archiveOpen = false;
  // The slot tables of the held pack (empty while it is not held).
  std::vector<ShaderCode> vertexCodes, pixelCodes;
  uint32_t vertexShader = 0, pixelShader = 0;
  std::vector<ModelVertexDeclaration> declarations;
};

ShaderState& S() {
  static ShaderState state;
  return state;
}

// A packed block unpacked into a new block of the library's memory; null
// when it cannot be.
uint8_t* Unpack(const void* source, size_t size, size_t* unpacked) {
  const int64_t length = DecompressData(source, size, nullptr, 0);
  if (length <= 0) return nullptr;
  auto* block = static_cast<uint8_t*>(AllocLibMemory(static_cast<size_t>(length)));
  if (block == nullptr) return nullptr;
  if (DecompressData(source, size, block, static_cast<size_t>(length)) != length) {
    FreeLibMemory(block);
    return nullptr;
  }
  *unpacked = static_cast<size_t>(length);
  return block;
}

// The slots of the unpacked pack: each length from the table, each code
// behind the table in slot order. False when the table claims more than the
// pack holds.
bool WalkSlotTable(const uint8_t* pack, size_t size) {
  ShaderState& s = S();
  if (size < kSlotTableBytes) return false;
  s.vertexCodes.assign(kVertexShaderSlots, ShaderCode{});
  s.pixelCodes.assign(kPixelShaderSlots, ShaderCode{});
  size_t position = kSlotTableBytes;
  for (int i = 0; i < kVertexShaderSlots + kPixelShaderSlots; ++i) {
    const int length = pack[2 * i] | pack[2 * i + 1] << 8;
    if (length == 0) continue;
    if (position + static_cast<size_t>(length) > size) return false;
    const ShaderCode code{reinterpret_cast<const char*>(pack + position), length};
    (i < kVertexShaderSlots ? s.vertexCodes[i] : s.pixelCodes[i - kVertexShaderSlots]) = code;
    position += static_cast<size_t>(length);
  }
  return true;
}

uint32_t CreateFromSlot(gpu::Device* device, int kind, int slot) {
  const std::vector<ShaderCode>& table = kind == 0 ? S().vertexCodes : S().pixelCodes;
  if (slot < 0 || slot >= static_cast<int>(table.size()) || table[slot].code == nullptr) return 0;
  const std::string source(table[slot].code, static_cast<size_t>(table[slot].length));
  return device->CreateProgram(kind, source.c_str());
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
  if (s.pack != nullptr) return 1;
  ClearArchiveRecord(&s.archive);
  size_t imageSize = 0, packSize = 0;
  s.image = Unpack(detail::kShaderPackImage, detail::kShaderPackImageSize, &imageSize);
  uint32_t position = 0, size = 0;
  if (s.image != nullptr && OpenArchiveFromMemory(&s.archive, s.image, imageSize, nullptr) == 0) {
    s.archiveOpen = true;
    const auto* base = static_cast<const uint8_t*>(GetArchiveMemoryImage(&s.archive));
    if (base != nullptr && GetArchiveFileInfo(&s.archive, kPackMember, &position, &size) == 0 &&
        static_cast<size_t>(position) + size <= imageSize)
      s.pack = Unpack(base + position, size, &packSize);
  }
  if (s.pack != nullptr && !WalkSlotTable(s.pack, packSize)) {
    FreeLibMemory(s.pack);
    s.pack = nullptr;
  }
  return s.pack != nullptr ? 1 : 0;
}

int ReleaseShaderObjects() {
  ShaderState& s = S();
  gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return 0;
  if (s.vertexShader) device->ReleaseProgram(s.vertexShader);
  if (s.pixelShader) device->ReleaseProgram(s.pixelShader);
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
  if (device == nullptr || !device->Describe().programs) {
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
  s.vertexShader = CreateFromSlot(device, 0, kBaseVertexShaderSlot);
  if (s.vertexShader == 0) cache.shadersInUse = 0;
  s.pixelShader = CreateFromSlot(device, 1, kBasePixelShaderSlot);
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
  device->SetProgramConstants(0, 0, vertex0, 1);
  device->SetProgramConstants(1, 0, pixel0, 1);
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

std::string ShaderSourceAt(int kind, int slot) {
  const std::vector<ShaderCode>& table = kind == 0 ? S().vertexCodes : S().pixelCodes;
  if (slot < 0 || slot >= static_cast<int>(table.size()) || table[slot].code == nullptr) return {};
  return std::string(table[slot].code, static_cast<size_t>(table[slot].length));
}

void ReleaseShaderPack() {
  ShaderState& s = S();
  if (s.archiveOpen) CloseArchiveRecord(&s.archive);
  FreeLibMemory(s.pack);
  FreeLibMemory(s.image);
  s.pack = s.image = nullptr;
  s.archiveOpen = false;
  s.vertexCodes.clear();
  s.pixelCodes.clear();
}

const std::vector<ModelVertexDeclaration>& VertexDeclarations() { return S().declarations; }



}  // namespace detail
}  // namespace veziv
