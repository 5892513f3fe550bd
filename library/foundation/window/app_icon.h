// The program's own icon (what resource 101 stands for).
#pragma once

#include <cstdint>

namespace veziv::detail {

struct IconImage {
  const uint32_t* rgba;  // width * height pixels, bytes R, G, B, A in memory order
  int width;
  int height;
};

IconImage ProgramIcon();

}  // namespace veziv::detail
