// The software renderer's lookup tables: the product, signed product and 6-bit
// blend tables (built once at graphics start) and the blend alpha table that
// turns a blend image's byte into a weight. Depends on nothing but the
// renderer's draw snapshot.
#pragma once

#include <cstdint>

#include "library/softrender/surface/draw_snapshot.h"

namespace veziv {

// Fills the shared tables (graphics start does, once); they are only read
// afterwards.
void BuildBlendTables();
// The shared tables, built on first use when nobody built them yet.
const SoftBlendTables& GetBlendTables();

// Fills the three tables of `tables` (the work of BuildBlendTables).
void FillBlendTables(SoftBlendTables& tables);
// The blend alpha table of border parameter p and border range r (each 0..255).
void BuildBlendAlphaTable(uint8_t table[256], int p, int r);

}  // namespace veziv
