// The main of every test program. Each process gets a runtime folder of its
// own, so that the library's second-copy lock (kept there) of one test
// program never meets that of another running beside it; the folder goes
// when the tests end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  std::string folder = (std::filesystem::temp_directory_path() / "veziv-run-XXXXXX").string();
  const bool own = mkdtemp(folder.data()) != nullptr;
  if (own) setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (own) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  return result;
}
