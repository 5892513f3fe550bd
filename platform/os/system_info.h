// What the machine is: the operating system's name and version, and the
// processor's identification and instruction-set flags.
#pragma once

#include <string>

namespace platform::os {

// For example "Linux 6.1.0-18-amd64 ( Build #1 SMP Debian 6.1.76-1 )".
std::string OperatingSystemName();

struct CpuInfo {
  bool has_cpuid = false;      // false on processors without the instruction
  bool has_time_stamp = false;
  bool mmx = false;
  bool sse = false;
  bool sse2 = false;
  std::string vendor;          // 12 characters, e.g. "GenuineIntel"
  std::string brand;           // empty when the processor does not report one
};

CpuInfo ReadCpuInfo();

}  // namespace platform::os
