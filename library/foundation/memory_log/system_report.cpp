// The system report written to the log at start-up: library version, operating
// system and processor, and the processor flags the software renderer reads.
#include "library/foundation/memory_log/system_report.h"

#include <string>

#include "library/foundation/memory_log/log.h"
#include "platform/os/system_info.h"

namespace veziv {
namespace {

// Only the input layer reads the OS code, to choose its joystick road; here
// every machine gets the code of the newest system generation it knows.
constexpr int kOsCode = 0x108;

detail::SystemFlags& State() {
  static detail::SystemFlags state;
  return state;
}

}  // namespace

int LogSystemInfo() {
  detail::WriteSystemReport(platform::os::OperatingSystemName(), platform::os::ReadCpuInfo());
  return 0;
}

int IsMmxUsable() { return detail::LoggedSystemFlags().mmx_usable ? 1 : 0; }

namespace detail {

const SystemFlags& LoggedSystemFlags() { return State(); }

void WriteSystemReport(const std::string& os_name, const platform::os::CpuInfo& cpu) {
  WriteLogText("システムの情報を出力します\n");
  IncreaseLogIndent();
  WriteLogFormat("VeZiv Ver%s", "1.00");
  WriteLogText("ＯＳ  ");
  WriteLogFormat("%s", os_name.c_str());

  SystemFlags flags;
  flags.os_code = kOsCode;
  flags.has_time_stamp = cpu.has_cpuid && cpu.has_time_stamp;
  if (!cpu.has_cpuid) {
    WriteLogText("ＣＰＵＩＤ命令は使えません\n");
  } else {
    if (!cpu.mmx) {
      WriteLogText("ＭＭＸは使えません\n");
    } else {
      WriteLogText("ＭＭＸ命令を使用します\n");
      flags.mmx_usable = true;
      if (cpu.sse) {
        WriteLogText("ＳＳＥ命令が使用可能です\n");
        flags.sse_usable = true;
        if (cpu.sse2) {
          WriteLogText("ＳＳＥ２命令が使用可能です\n");
          flags.sse2_usable = true;
        }
      }
    }
    WriteLogText("ＣＰＵベンダ：");
    for (size_t at = 0; at < cpu.vendor.size(); at += 4) WriteLogText(cpu.vendor.substr(at, 4).c_str());
    WriteLogText("\n");
    if (!cpu.brand.empty()) {
      WriteLogFormat("ＣＰＵ名：%s", cpu.brand.c_str());
      flags.cpu_brand = cpu.brand;
    }
  }
  State() = flags;
  DecreaseLogIndent();
}

}  // namespace detail
}  // namespace veziv
