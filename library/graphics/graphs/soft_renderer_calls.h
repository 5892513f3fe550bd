// The software renderer as the drawing calls reach it: one table of entry
// points, so that tests can put a recording renderer in place of the real one.
// An entry left null draws nothing.
#pragma once

#include <cstdint>

#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"
#include "library/softrender/triangle/triangle_walk.h"

namespace veziv {

struct SoftRendererHooks {
  void (*blit)(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t x, int32_t y, int32_t transparencyFlag,
               const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);
  void (*blitScaled)(SOFTSURFACE* target, const SOFTSURFACE* source, const int32_t rect[4],
                     int32_t transparencyFlag, const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);
  void (*blitRotated)(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t centreX, int32_t centreY,
                      float angle, float scale, int32_t transparencyFlag, int32_t turn,
                      const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);
  // Three consecutive vertices.
  void (*fillTriangle)(SOFTSURFACE* target, const SOFTSURFACE* source, const softrender::TriangleVertex* vertices,
                       int32_t transparencyFlag, const SOFTSURFACE* blendImage, uint32_t colour,
                       const SoftDrawSnapshot& draw);
  // Right and bottom exclusive.
  void (*fillBox)(SOFTSURFACE* target, const DrawRect* rect, uint32_t colour, const SoftDrawSnapshot& draw);
  void (*line)(SOFTSURFACE* target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
               const SoftDrawSnapshot& draw);
  // Records of six words: x1, y1, x2, y2, colour, blend parameter.
  void (*lineList)(SOFTSURFACE* target, const int32_t* records, int32_t count, const SoftDrawSnapshot& draw);
  void (*circle)(SOFTSURFACE* target, int32_t x, int32_t y, int32_t radius, uint32_t colour, int32_t fill,
                 const SoftDrawSnapshot& draw);
};

// The table the drawing calls use (the real renderer unless a test replaced it).
SoftRendererHooks& SoftRenderer();
// The real renderer's entries.
SoftRendererHooks RealSoftRenderer();

}  // namespace veziv
