// The system report: its lines for each processor level and the flags it keeps.
#include "library/foundation/memory_log/system_report.h"

#include <gtest/gtest.h>

#include <string>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/log_test_support.h"

namespace veziv {
namespace {

using SystemReportTest = test::LogFolderTest;

TEST_F(SystemReportTest, ReportsTheProcessorByLevel) {
  const std::string head = "システムの情報を出力します\r\n\tVeZiv Ver1.00\r\n\tＯＳ  Linux 6.1.0 ( Build #1 )\r\n";
  const std::string vendor = "\tＣＰＵベンダ：GenuineIntel\r\n";
  struct Case {
    const char* name;
    platform::os::CpuInfo cpu;
    std::string lines;
    bool mmx, sse, sse2;
  };
  const Case cases[] = {
      {"no cpuid", {}, "\tＣＰＵＩＤ命令は使えません\r\n", false, false, false},
      {"no mmx", {true, true, false, false, false, "GenuineIntel", ""}, "\tＭＭＸは使えません\r\n" + vendor, false,
       false, false},
      {"mmx", {true, true, true, false, false, "GenuineIntel", ""}, "\tＭＭＸ命令を使用します\r\n" + vendor, true,
       false, false},
      {"sse2 with a brand",
       {true, true, true, true, true, "GenuineIntel", "Test CPU 3000"},
       "\tＭＭＸ命令を使用します\r\n\tＳＳＥ命令が使用可能です\r\n\tＳＳＥ２命令が使用可能です\r\n" + vendor +
           "\tＣＰＵ名：Test CPU 3000\r\n",
       true, true, true},
  };
  for (const Case& c : cases) {
    CreateLogFile();
    detail::WriteSystemReport("Linux 6.1.0 ( Build #1 )", c.cpu);
    EXPECT_EQ(ReadLogWithoutStamps(), head + c.lines) << c.name;
    const detail::SystemFlags& flags = detail::LoggedSystemFlags();
    EXPECT_EQ(flags.mmx_usable, c.mmx) << c.name;
    EXPECT_EQ(flags.sse_usable, c.sse) << c.name;
    EXPECT_EQ(flags.sse2_usable, c.sse2) << c.name;
    EXPECT_EQ(flags.cpu_brand, c.cpu.brand) << c.name;
    // The report leaves the indent as it found it.
    WriteLogText("after\n");
    EXPECT_NE(ReadLog().find("0:after\r\n"), std::string::npos) << c.name;
  }
}

TEST_F(SystemReportTest, RealMachineNamesItsSystem) {
  EXPECT_EQ(LogSystemInfo(), 0);
  const std::string log = ReadLogWithoutStamps();
  EXPECT_NE(log.find("\tVeZiv Ver1.00\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\tＯＳ  Linux "), std::string::npos) << log;
#if defined(__x86_64__)
  EXPECT_NE(log.find("\tＳＳＥ２命令が使用可能です\r\n"), std::string::npos) << log;
  EXPECT_TRUE(detail::LoggedSystemFlags().sse2_usable);
#endif
}

}  // namespace
}  // namespace veziv
