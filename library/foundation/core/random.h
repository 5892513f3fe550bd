// The library's random numbers (one global MT19937 with the classic seeding)
// and its two printf-style formatting calls, declared in veziv.h; here the
// generator's reset for tests.
#pragma once

#include "library/veziv.h"

namespace veziv {

namespace detail {
// Forgets every seeding, as at process start (for tests).
void ResetRandomForTest();
}  // namespace detail

}  // namespace veziv
