// Making a run folder: a generator is run again exactly when its tool, a
// source it read or one of its files changed; files are written only when
// their bytes change; two generators may not make one path.
#include "tools/demodata/run_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace demodata {
namespace {

namespace fs = std::filesystem;

std::atomic<int> wordRuns{0}, fixedRuns{0};

// Makes "words.txt" from the source "words" and "empty/" as a folder.
void wordsGenerator(const Sources& sources, Outputs& out) {
  ++wordRuns;
  const std::string words = sources.read("words");
  out.add("words.txt", std::vector<uint8_t>(words.begin(), words.end()));
  out.folder("empty");
}

// Makes "image/x y.bin" (a blank in the path) from nothing.
void fixedGenerator(const Sources&, Outputs& out) {
  ++fixedRuns;
  out.add("image/x y.bin", {1, 2, 3});
}

void clashGenerator(const Sources&, Outputs& out) { out.add("words.txt", {9}); }

void failingGenerator(const Sources& sources, Outputs&) { sources.read("no such file"); }

class RunFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("demodata_run_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "src");
    put("src/words", "one");
    wordRuns = 0;
    fixedRuns = 0;
  }
  void TearDown() override { fs::remove_all(root_); }

  void put(const std::string& relative, const std::string& text) {
    std::ofstream(root_ / relative, std::ios::binary | std::ios::trunc) << text;
  }
  std::string get(const std::string& relative) {
    std::ifstream in(root_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  RunReport make(const std::vector<Generator>& g, const std::string& tool = "tool 1", unsigned jobs = 2) {
    return makeRunFolder(root_ / "src", root_ / "run", jobs, g, tool);
  }

  fs::path root_;
  const std::vector<Generator> both_ = {{"words", "", wordsGenerator}, {"fixed", "", fixedGenerator}};
};

TEST_F(RunFolderTest, AGeneratorRunsAgainOnlyWhenItsToolSourcesOrFilesChanged) {
  RunReport r = make(both_);
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(r.written, 2);
  EXPECT_EQ(get("run/words.txt"), "one");
  EXPECT_TRUE(fs::is_directory(root_ / "run/empty"));
  EXPECT_EQ(get("run/image/x y.bin"), std::string("\x01\x02\x03"));

  // Nothing changed: nothing runs, nothing is written.
  const auto stamp = fs::last_write_time(root_ / "run/words.txt");
  r = make(both_);
  EXPECT_EQ(r.generatorsRun, 0);
  EXPECT_EQ(r.generatorsKept, 2);
  EXPECT_EQ(r.written, 0);
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(fs::last_write_time(root_ / "run/words.txt"), stamp);
  EXPECT_EQ(wordRuns, 1);

  // A source read by one generator changed: only that one runs.
  put("src/words", "two");
  r = make(both_);
  EXPECT_EQ(r.generatorsRun, 1);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(get("run/words.txt"), "two");
  EXPECT_EQ(fixedRuns, 1);

  // A made file damaged: its generator runs and mends it. A folder removed
  // comes back from the record.
  put("run/image/x y.bin", "damaged");
  fs::remove_all(root_ / "run/empty");
  r = make(both_);
  EXPECT_EQ(r.generatorsRun, 1);
  EXPECT_EQ(fixedRuns, 2);
  EXPECT_EQ(get("run/image/x y.bin"), std::string("\x01\x02\x03"));
  EXPECT_TRUE(fs::is_directory(root_ / "run/empty"));

  // Another tool runs every generator; the same bytes are not written again.
  r = make(both_, "tool 2", 1);
  EXPECT_EQ(r.generatorsRun, 2);
  EXPECT_EQ(r.written, 0);
}

TEST_F(RunFolderTest, ADamagedRecordRunsEveryGenerator) {
  make(both_);
  for (const char* damage : {"", "demodata run record 1\ngenerator\twords\n", "something else\n"}) {
    put(std::string("run/") + kRunRecordName, damage);
    const RunReport r = make(both_);
    EXPECT_EQ(r.generatorsRun, 2) << damage;
    EXPECT_EQ(make(both_).generatorsRun, 0) << "the record is whole again";
  }
}

TEST_F(RunFolderTest, TwoGeneratorsMakingOnePathOrAFailingGeneratorStopTheRun) {
  EXPECT_THROW(make({{"words", "", wordsGenerator}, {"clash", "", clashGenerator}}), std::runtime_error);
  try {
    make({{"fixed", "", fixedGenerator}, {"failing", "", failingGenerator}});
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("failing"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace demodata
