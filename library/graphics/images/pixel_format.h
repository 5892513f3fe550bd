// Pixel-format descriptions: the standard formats of the loaders and the screen,
// descriptions built from channel masks, and colour <-> pixel value mapping.
#pragma once

#include <cstdint>

#include "library/veziv.h"

namespace veziv {

void SetPixelFormatDesc8BitPalette(PixelFormatDesc* desc);
void SetPixelFormatDesc8BitGray(PixelFormatDesc* desc);
void SetPixelFormatDesc24Bit(PixelFormatDesc* desc);
void SetPixelFormatDescX8R8G8B8(PixelFormatDesc* desc);
void SetPixelFormatDescA8R8G8B8(PixelFormatDesc* desc);
// Any format from its bit count and channel masks (zero mask: no channel).
void SetPixelFormatDescFromMasks(PixelFormatDesc* desc, int bits, uint32_t redMask, uint32_t greenMask,
                                 uint32_t blueMask, uint32_t alphaMask);
// Recomputes the unused-bit mask alone from the bit count and the four masks.
void RecalcUnusedBitMask(PixelFormatDesc* desc);

// The pixel value of an 8-bit colour: nearest palette entry (lowest index on a
// tie) for palette formats, else each channel's top bits plus the unused bits.
uint32_t FindColorCodeForImage(const PixelFormatDesc* desc, int red, int green, int blue, int alpha);
// Splits a pixel value into 8-bit channels (scaled to 0-255); outs may be null.
void GetColorOfColorCode(const PixelFormatDesc* desc, uint32_t value, int* red, int* green, int* blue,
                         int* alpha);

namespace detail {
// Changes a channel value from one bit width to another: narrowing drops low
// bits, widening repeats the value so a full channel stays full.
uint32_t ChangeChannelWidth(uint32_t value, int fromWidth, int toWidth);
// Lowest set bit and run of set bits from there; {0, 0} for a zero mask.
void MaskShiftAndWidth(uint32_t mask, uint8_t* shift, uint8_t* width);
bool SameChannelMasks(const PixelFormatDesc& a, const PixelFormatDesc& b);
}  // namespace detail

}  // namespace veziv
