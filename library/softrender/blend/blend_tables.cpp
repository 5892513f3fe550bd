// Lookup tables of the software renderer: products divided by 255 (plain and
// signed), the 6-bit blend, and the blend alpha table of the blend graph.
#include "library/softrender/blend/blend_tables.h"

#include <memory>

namespace veziv {
namespace {

struct BlendTableState {
  std::unique_ptr<SoftBlendTables> tables;
};

BlendTableState& State() {
  static BlendTableState state;
  return state;
}

}  // namespace

void FillBlendTables(SoftBlendTables& t) {
  for (int a = 0; a < 256; ++a) {
    for (int v = 0; v < 256; ++v) t.ProductTable[a][v] = static_cast<uint32_t>(v * a / 255);
    t.SignedProductTable[a][0] = 0;  // never read
    for (int d = -255; d <= 255; ++d) t.SignedProductTable[a][d + 256] = d * a / 255;
  }
  for (int a = 0; a < 64; ++a)
    for (int s = 0; s < 64; ++s)
      for (int d = 0; d < 64; ++d) t.Blend6Table[a][s][d] = static_cast<uint8_t>((s * a + d * (63 - a)) / 63);
}

void BuildBlendTables() {
  BlendTableState& state = State();
  if (!state.tables) state.tables = std::make_unique<SoftBlendTables>();
  FillBlendTables(*state.tables);
}

const SoftBlendTables& GetBlendTables() {
  BlendTableState& state = State();
  if (!state.tables) BuildBlendTables();
  return *state.tables;
}

void BuildBlendAlphaTable(uint8_t table[256], int p, int r) {
  const int n = r + 1;
  const int step = 65536 / n;
  const int base = 256 - (step + 256) * p / 256;
  for (int i = 0; i < 256; ++i) {
    int v = 256 * i / n + base;
    if (v > 255) v = 255;
    if (v < 0) v = 0;
    table[i] = static_cast<uint8_t>(v);
  }
}

}  // namespace veziv
