// The harness's script, its place in it and the scripted input: harness.cpp
// keeps them; the tests' support runs a script in a test's own process.
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/window/harness.h"

namespace platform::window::detail {

struct HarnessState {
  bool active = false;
  HarnessScript script;
  size_t next_event = 0;
  HarnessInput input;
  FILE* frames = nullptr;
};

HarnessState& HarnessRecord();

}  // namespace platform::window::detail
