// Test support: a temporary folder that holds the log, with the manual clock,
// and a reader for what the log file holds.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "library/foundation/memory_log/log.h"
#include "platform/os/clock.h"

namespace veziv::test {

class LogFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-log-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    platform::os::UseManualClock(0);
    detail::SetLogFolder(folder_.c_str());
    CreateLogFile();
  }
  void TearDown() override {
    detail::SetLogFolder("");
    platform::os::UseRealClock();
    std::filesystem::remove_all(folder_);
  }
  std::string ReadLog() const {
    std::ifstream in(folder_ + "/Log.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // The log with its time stamps (all 0 on the manual clock) taken out.
  std::string ReadLogWithoutStamps() const {
    std::string log = ReadLog();
    std::string out;
    bool line_start = true;
    for (size_t i = 0; i < log.size(); ++i) {
      if (line_start && log.compare(i, 2, "0:") == 0) ++i;
      else out += log[i];
      line_start = log[i] == '\n';
    }
    return out;
  }
  std::string folder_;
};

}  // namespace veziv::test
