// The operating system from uname and the processor from CPUID (x86-64 only;
// other processors report no CPUID).
#include "platform/os/system_info.h"

#include <sys/utsname.h>

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace platform::os {

std::string OperatingSystemName() {
  utsname names{};
  if (uname(&names) != 0) return "unknown";
  return std::string(names.sysname) + " " + names.release + " ( Build " + names.version + " )";
}

CpuInfo ReadCpuInfo() {
  CpuInfo info;
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d) == 0) return info;
  info.has_cpuid = true;
  char vendor[13] = {};
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  info.vendor = vendor;
  if (a >= 1 && __get_cpuid(1, &a, &b, &c, &d) != 0) {
    info.has_time_stamp = (d >> 4) & 1u;
    info.mmx = (d >> 23) & 1u;
    info.sse = info.mmx && ((d >> 25) & 1u);
    info.sse2 = info.sse && ((d >> 26) & 1u);
  }
  if (__get_cpuid(0x80000000u, &a, &b, &c, &d) != 0 && a > 0x80000003u) {
    char brand[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
      __get_cpuid(0x80000002u + i, &a, &b, &c, &d);
      std::memcpy(brand + 16 * i, &a, 4);
      std::memcpy(brand + 16 * i + 4, &b, 4);
      std::memcpy(brand + 16 * i + 8, &c, 4);
      std::memcpy(brand + 16 * i + 12, &d, 4);
    }
    info.brand = brand;
  }
#endif
  return info;
}

}  // namespace platform::os
