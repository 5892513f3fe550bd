// The stages' ground pictures by theme.
#pragma once

#include <cstdint>
#include <vector>

namespace demodata {

enum class StageTheme { meadow, clouds, ground, sea, fortress, plain };

// A tile sheet of 8 x 16 tiles of 32 pixels (RGBA PNG): the ground in tiles
// 0-31, or with decorations the things over it in tiles 64-79.
std::vector<uint8_t> stageTileSheet(StageTheme theme, uint32_t seed, bool decorations);
// The far background, 256 x 256, wrapping at its edges (RGB PNG).
std::vector<uint8_t> stageBackground(StageTheme theme, uint32_t seed);

}  // namespace demodata
