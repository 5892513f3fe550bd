// The shader set of the hardware road. Where the device can make vertex and
// pixel programs, the pack of GLSL 1.20 sources the library carries (a
// packed archive image) is unpacked, the base vertex and pixel shader are
// made from it, together with the vertex declarations of model vertices;
// from then on the cached setters keep the constant registers in step with
// the fixed-function state. Drawing itself stays fixed-function: no draw
// binds these shaders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veziv {

inline constexpr int kVertexShaderSlots = 49152;
inline constexpr int kPixelShaderSlots = 3456;
inline constexpr int kBaseVertexShaderSlot = 32774;
inline constexpr int kBasePixelShaderSlot = 2454;

// 1 when the pack is held (also when it was before), 0 when it is not.
int LoadShaderPack();
// Always 0; shader use is on only when the device and the pack allow it.
int SetupShaders();
int CreateVertexDeclarations();
int ReleaseShaderObjects();
int ReleaseVertexDeclarations();

// One element of a model vertex declaration.
struct VertexElement {
  int offset;
  int type;   // 2 FLOAT3, 3 FLOAT4, 4 D3DCOLOR, 5 UBYTE4
  int usage;  // 0 POSITION, 1 BLENDWEIGHT, 2 BLENDINDICES, 3 NORMAL, 5 TEXCOORD, 10 COLOR
  int usageIndex;
};
struct ModelVertexDeclaration {
  std::vector<VertexElement> elements;
};

namespace detail {
// The GLSL source of a slot, empty for an empty slot (vertex kind 0, pixel
// kind 1).
std::string ShaderSourceAt(int kind, int slot);
// Graphics end: the pack, its archive and both unpacked blocks go.
void ReleaseShaderPack();
// The 54 declarations while they exist (empty before).
const std::vector<ModelVertexDeclaration>& VertexDeclarations();
}  // namespace detail

}  // namespace veziv
