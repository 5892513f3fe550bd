// Which vector form the 4:2:0 conversion uses: yuv_convert.cpp chooses the
// machine's widest once; the tests' support narrows it to reach each form.
#pragma once

#include <atomic>
#include <cstdint>

namespace veziv::detail {

// Converts a run of pixel pairs of one or two luma rows (the second row and
// its output null: one) over their chroma samples; returns the pairs done.
using YuvPairsFunction = int (*)(const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, uint32_t*,
                                 uint32_t*, int);

// The widest form the machine has within the limit (bits of a vector: 512,
// 256, or 0 for none); null when none fits.
YuvPairsFunction ChooseYuvWidePairs(int limitBits);
// The form the conversion uses: the machine's widest by default.
std::atomic<YuvPairsFunction>& YuvWidePairs();

}  // namespace veziv::detail
