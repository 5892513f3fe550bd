// The library's random numbers (one global MT19937 with the classic seeding)
// and its two printf-style formatting calls, declared in veziv.h.
#pragma once

#include "library/veziv.h"
