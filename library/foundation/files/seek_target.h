// Where a seek lands: the offset taken from the start (origin 0), the current
// position (1) or the end (2), in 64 bits so that no sum wraps.
#pragma once

#include <cstdint>

namespace veziv {

// False for an origin other than 0, 1 and 2.
inline bool SeekTarget(int offset, int origin, int64_t position, int64_t size, int64_t* target) {
  switch (origin) {
    case 0: *target = offset; return true;
    case 1: *target = position + offset; return true;
    case 2: *target = size + offset; return true;
    default: return false;
  }
}

}  // namespace veziv
