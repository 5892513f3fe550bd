// The draw state as the software renderer sees it: one snapshot taken by the
// graphics layer before a renderer call, plus the lookup tables the renderer
// blends with. The renderer reads nothing else of the graphics state, so its
// tests need no graphics start-up.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"

namespace veziv {

// The software lookup tables, built once at graphics start (BuildBlendTables).
struct SoftBlendTables {
  // [a][v] = v * a / 255.
  uint32_t ProductTable[256][256];
  // Row a, entry d + 256 = d * a / 255 truncated toward zero, d = -255..255.
  int32_t SignedProductTable[256][512];
  // [a][s][d] = (s * a + d * (63 - a)) / 63.
  uint8_t Blend6Table[64][64][64];
};

// How drawing combines with the target: 0 none, 1 alpha, 2 add, 3 subtract,
// 4 multiply, 5 add (inside the subtract emulation), 10 inverted-source blend,
// 11 multiply blend. The renderer draws nothing for 5 to 9 and other values.
using BlendMode = int32_t;

struct SoftDrawSnapshot {
  DrawRect drawArea = {0, 0, 0, 0};
  BlendMode blendMode = 0;
  int32_t blendParam = 0;  // 0..255
  // Brightness levels: blue in bits 0-7, green 8-15, red 16-23; the top byte is
  // no part of it. All three 255 means untinted.
  uint32_t drawBrightness = 0xFFFFFF;
  const SoftBlendTables* tables = nullptr;
  const uint8_t* blendAlphaTable = nullptr;  // 256 bytes; read only with a blend image
  uint32_t mmxUsable = 0;                    // MMX forms only when exactly 1
};

}  // namespace veziv
