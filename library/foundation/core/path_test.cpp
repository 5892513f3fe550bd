// Full paths: prefixes, "." and "..", Shift-JIS names with a 0x5C trail byte,
// host bases, the options of the normaliser and the current-directory reader.
#include "library/foundation/core/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "library/foundation/core/helpers.h"

namespace veziv {
namespace {

struct PathCase {
  const char* path;  // may be null
  const char* base;
  const char* full;
};

TEST(BuildFullPath, ResolvesAgainstTheBase) {
  const PathCase cases[] = {
      {"..\\data\\x.png", "C:\\game\\bin", "C:\\game\\data\\x.png"},
      {".\\a\\.\\b", "C:\\game", "C:\\game\\a\\b"},
      {".", "C:\\game", "C:\\game"},
      {"", "C:\\game", "C:\\game"},
      {nullptr, "C:\\game\\", "C:\\game"},
      {"image/System/a.png", "C:\\game\\", "C:\\game\\image\\System\\a.png"},
      {"a\\\\b\\", "C:\\game", "C:\\game\\a\\b"},  // empty components skipped
      {"..\\..\\..\\x", "C:\\game\\bin", "C:\\x"},  // ".." never removes the drive
      // Network paths keep their two leading separators whatever the base.
      {"\\\\server\\share\\f.txt", "C:\\game", "\\\\server\\share\\f.txt"},
      {"//server/share/../other", "C:\\game", "\\\\server\\other"},
      // One leading separator keeps only the base's drive.
      {"\\windows\\x", "C:\\game\\bin", "C:\\windows\\x"},
      // A drive letter replaces the base.
      {"D:\\data\\x", "C:\\game", "D:\\data\\x"},
      {"d:/a/../b", "C:\\game", "d:\\b"},
      {"D:data", "C:\\game", "D:\\data"},
      {"C:\\..", "C:\\game", "C:"},
      // A host folder as the base is a rooted path.
      {"image\\System\\a.png", "/home/u/game", "\\home\\u\\game\\image\\System\\a.png"},
      {"..\\save", "/home/u/game/", "\\home\\u\\save"},
      {"..\\..\\..\\..\\x", "/home/u/game", "\\x"},
      {"/etc/x", "/home/u/game", "\\etc\\x"},
      {nullptr, "/home/u/game", "\\home\\u\\game"},
      // Relative and empty bases give relative results.
      {"x", "game", "game\\x"},
      {"x", "", "x"},
      {"\\x", "", "\\x"},
  };
  for (const PathCase& c : cases) {
    std::string full = "stale";
    ASSERT_EQ(BuildFullPath(c.path, &full, c.base), 0) << (c.path ? c.path : "(null)");
    EXPECT_EQ(full, c.full) << (c.path ? c.path : "(null)") << " against " << c.base;
  }
}

TEST(BuildFullPath, SeparatorsRespectDoubleByteCharacters) {
  // "表" is 95 5C and "表示" 95 5C 8E A6: cutting at their 5C would lose the
  // last byte of a name or make ".." remove only half of one.
  // A host folder whose name has no CP932 form stays UTF-8, and its bytes 81 to
  // 9F look like lead bytes: a '/' after one (no trail byte) still separates,
  // or ".." would remove two folders at once.
  const PathCase cases[] = {
      {"data\\表", "C:\\g", "C:\\g\\data\\表"},
      {"表示\\..\\x", "C:\\g", "C:\\g\\x"},
      {"表/x", "C:\\g", "C:\\g\\表\\x"},
      {"..\\x", "C:\\g\\表", "C:\\g\\x"},
      {"a", "/home/表", "\\home\\表\\a"},
      {"..\\x.png", "/home/pa\xC5\x82/game", "\\home\\pa\xC5\x82\\x.png"},  // "pał"
      {"..\\..\\x", "/home/pa\xC5\x82/game", "\\home\\x"},
      {"\x81/b\\..\\y", "C:\\g", "C:\\g\\\x81\\y"},
  };
  for (const PathCase& c : cases) {
    std::string full;
    ASSERT_EQ(BuildFullPath(c.path, &full, c.base), 0);
    EXPECT_EQ(full, c.full) << c.path << " against " << c.base;
  }
}

TEST(BuildFullPath, RefusesANullDestination) { EXPECT_EQ(BuildFullPath("a", nullptr, "C:\\"), -1); }

std::string FakeCurrentDirectory() { return "C:\\cwd\\"; }

// Puts the default reader back whatever a test installs.
class CurrentDirectoryTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentDirectoryReader(nullptr); }
};

TEST_F(CurrentDirectoryTest, NullBaseReadsTheInstalledReader) {
  SetCurrentDirectoryReader(&FakeCurrentDirectory);
  std::string full;
  ASSERT_EQ(BuildFullPath("..\\a", &full, nullptr), 0);
  EXPECT_EQ(full, "C:\\a");
  ASSERT_EQ(BuildFullPath(nullptr, &full, nullptr), 0);
  EXPECT_EQ(full, "C:\\cwd");
}

TEST_F(CurrentDirectoryTest, DefaultReaderIsTheWorkingDirectory) {
  SetCurrentDirectoryReader(&FakeCurrentDirectory);
  SetCurrentDirectoryReader(nullptr);
  EXPECT_EQ(ReadCurrentDirectoryForPaths(), std::filesystem::current_path().string());
  std::string full;
  ASSERT_EQ(BuildFullPath("x", &full, nullptr), 0);
  std::string expected;
  ASSERT_EQ(NormalizePath("x", std::filesystem::current_path().string(), PathOptions{}, &expected), 0);
  EXPECT_EQ(full, expected);
  EXPECT_EQ(full.front(), '\\');
}

TEST(NormalizePath, RejectsEmptyComponentsWhenAsked) {
  struct Case {
    const char* path;
    int result;
    const char* full;  // when accepted
  };
  const Case cases[] = {
      {"a\\\\b", -1, nullptr},
      {"a//b", -1, nullptr},
      {"a\\/b", -1, nullptr},
      {"C:\\\\x", -1, nullptr},
      {"\\\\\\x", -1, nullptr},
      {"a\\b\\", 0, "C:\\g\\a\\b"},  // one trailing separator is not an empty component
      {"\\\\srv\\x", 0, "\\\\srv\\x"},
      {"表\\b", 0, "C:\\g\\表\\b"},
  };
  PathOptions options;
  options.reject_empty_components = true;
  for (const Case& c : cases) {
    std::string full = "untouched";
    EXPECT_EQ(NormalizePath(c.path, "C:\\g", options, &full), c.result) << c.path;
    EXPECT_EQ(full, c.full != nullptr ? c.full : "untouched") << c.path;
  }
}

TEST(NormalizePath, UpperCasesTheWholeResultWhenAsked) {
  const PathCase cases[] = {
      {"image\\a.png", "c:\\game", "C:\\GAME\\IMAGE\\A.PNG"},
      {"ヂa\\表b", "/home/u", "\\HOME\\U\\ヂA\\表B"},  // trail bytes 61 and 5C stay
  };
  PathOptions options;
  options.upper_case = true;
  for (const PathCase& c : cases) {
    std::string full;
    ASSERT_EQ(NormalizePath(c.path, c.base, options, &full), 0);
    EXPECT_EQ(full, c.full) << c.path;
  }
}

TEST(NormalizePath, RefusesANullOutput) { EXPECT_EQ(NormalizePath("a", "b", PathOptions{}, nullptr), -1); }

}  // namespace
}  // namespace veziv
