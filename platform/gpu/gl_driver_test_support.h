// For the tests that make a real OpenGL device. Mesa unloads its GL driver
// when the last context goes; what the driver still holds then looks like
// lost memory to the leak checker, which by then cannot even name the code
// that allocated it. The driver's modules are kept loaded to the end of the
// test program, so that a leak report names only real leaks.
#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>

namespace platform::gpu::test {

inline void KeepGlDriverLoaded() {
  static const bool kept = [] {
    for (const char* name : {"libEGL_mesa.so.0", "libGLX_mesa.so.0"}) dlopen(name, RTLD_NOW | RTLD_NODELETE);
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib/aarch64-linux-gnu/dri", "/usr/lib64/dri",
                               "/usr/lib/dri"}) {
      const std::string driver = std::string(folder) + "/swrast_dri.so";
      if (std::filesystem::exists(driver)) {
        dlopen(driver.c_str(), RTLD_NOW | RTLD_NODELETE);
        break;
      }
    }
    return true;
  }();
  (void)kept;
}

}  // namespace platform::gpu::test
