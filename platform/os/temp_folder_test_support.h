// A temporary folder for tests, removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace veziv::test {

class TestFolder {
 public:
  TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return path_; }
  // Host path of a relative UTF-8 (or raw byte) name inside the folder.
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  void MakeFolder(const std::string& relative) const { std::filesystem::create_directories(*this / relative); }
  void MakeFile(const std::string& relative, const std::string& content = "x") const {
    std::ofstream(*this / relative, std::ios::binary) << content;
  }

 private:
  std::string path_;
};

}  // namespace veziv::test
