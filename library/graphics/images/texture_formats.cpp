// The texture formats' pixel descriptions, built on first use.
#include "library/graphics/images/texture_formats.h"

#include <array>

namespace veziv {
namespace {

constexpr int kTextureFormats = 14;

struct Masks {
  int bits;
  uint32_t red, green, blue, alpha;
};
constexpr Masks kMasks[kTextureFormats] = {
    {16, 0xF800, 0x07E0, 0x001F, 0},
    {32, 0xFF0000, 0xFF00, 0xFF, 0},
    {16, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},  // DXT1 .. DXT5
    {8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {16, 0xF800, 0x07E0, 0x001F, 0},
    {32, 0xFF0000, 0xFF00, 0xFF, 0},
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
};

const std::array<PixelFormatDesc, kTextureFormats>& Formats() {
  static const std::array<PixelFormatDesc, kTextureFormats> formats = [] {
    std::array<PixelFormatDesc, kTextureFormats> made{};
    for (int i = 0; i < kTextureFormats; ++i) {
      const Masks& m = kMasks[i];
      if (i >= 6 && i <= 10) {
        SetPixelFormatDescA8R8G8B8(&made[i]);
        made[i].colorBits = uint16_t(m.bits);
        made[i].compressedKind = uint32_t(i - 5);
      } else {
        SetPixelFormatDescFromMasks(&made[i], m.bits, m.red, m.green, m.blue, m.alpha);
      }
    }
    return made;
  }();
  return formats;
}

}  // namespace

const PixelFormatDesc* GetTextureFormatPixelFormatDesc(int index) {
  if (index < 0 || index >= kTextureFormats) return nullptr;
  return &Formats()[index];
}

const PixelFormatDesc* GetPixelFormatForRequest(const GraphCreateRequest& request) {
  if (request.compressedFormat > 5) return nullptr;
  return GetTextureFormatPixelFormatDesc(TextureTypeForRequest(request));
}

const PixelFormatDesc* GetTexturePixelFormat(int alpha, int colorBits, int transColor, int renderTarget) {
  GraphCreateRequest request{};
  request.textureBacked = 1;
  request.alpha = alpha != 0;
  request.transColorUse = transColor != 0;
  request.renderTarget = renderTarget != 0;
  request.colorBits = static_cast<uint8_t>(colorBits == 16 ? 16 : 32);
  return GetPixelFormatForRequest(request);
}

}  // namespace veziv
