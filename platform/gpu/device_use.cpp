// The environment's word on the graphics device.
#include <cstdlib>
#include <cstring>

#include "platform/gpu/device.h"

namespace platform::gpu {

DeviceUse DeviceUseFromEnvironment() {
  const char* v = std::getenv("VEZIV_GPU");
  if (v == nullptr) return DeviceUse::kHardware;
  if (std::strcmp(v, "any") == 0) return DeviceUse::kAny;
  if (std::strcmp(v, "off") == 0) return DeviceUse::kNone;
  return DeviceUse::kHardware;
}

}  // namespace platform::gpu
