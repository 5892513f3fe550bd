// Two copies of a program on one display: the second is turned away and says
// so in a box, leaving the running copy's log as it was; a headless run (a
// test, the whole-game harness) in a folder of its own goes alongside a copy
// on the desktop, and one in the desktop copy's folder is turned away too.
// Every copy is a probe program of its own, so that each names its window
// alike.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/os/temp_folder_test_support.h"
#include "platform/window_capture/window_capture.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the probe in folder with the environment's additions; its exit status
// and what it printed.
int RunProbe(const fs::path& folder, const std::string& environment, std::string* output) {
  const std::string command = "cd '" + folder.string() + "' && " + environment + " '" VEZIV_SECOND_COPY_PROBE
                              "' 'second copy test' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char piece[512];
  output->clear();
  while (size_t n = fread(piece, 1, sizeof piece, pipe)) output->append(piece, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first copy, on the desktop, running until it is let go.
class RunningCopy {
 public:
  explicit RunningCopy(const fs::path& folder) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      if (chdir(folder.c_str()) != 0) _exit(3);
      execl(VEZIV_SECOND_COPY_PROBE, VEZIV_SECOND_COPY_PROBE, "--hold", "second copy test", nullptr);
      _exit(4);
    }
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    char said[16] = {};
    started_ = read(out[0], said, 8) == 8 && std::string(said, 8) == "started\n";
    close(out[0]);
  }
  ~RunningCopy() { End(); }
  bool started() const { return started_; }
  void End() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  bool started_ = false;
};

TEST(SecondCopy, IsToldWhyAndHeadlessRunsGoAlongside) {
  if (getenv("DISPLAY") == nullptr || !platform::window::CanOpenXDisplay()) {
    GTEST_SKIP() << "no display to open a window on";
  }
  veziv::test::TestFolder folder;
  const fs::path here = folder.path();
  // The instance locks live there, apart from any other run's.
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  const std::string saved_runtime = runtime != nullptr ? runtime : "";
  setenv("XDG_RUNTIME_DIR", here.c_str(), 1);
  RunningCopy first(here);
  ASSERT_TRUE(first.started());
  const std::string running_log = ReadAll(here / "Log.txt");
  ASSERT_FALSE(running_log.empty());
  std::string output;

  // Headless, in a folder of its own, as the harness runs: it starts.
  fs::create_directory(here / "headless");
  const std::string headless = "VEZIV_HEADLESS=1 SDL_VIDEODRIVER=dummy";
  EXPECT_EQ(RunProbe(here / "headless", headless, &output), 0) << output;
  // Headless in the running copy's folder, where it would write over its files: turned away.
  EXPECT_EQ(RunProbe(here, headless, &output), 1) << output;
  EXPECT_NE(output.find(reinterpret_cast<const char*>(u8"既に起動しています")), std::string::npos) << output;
  EXPECT_EQ(ReadAll(here / "Log.txt"), running_log);

  // On the same display, in the same folder: turned away, with a box that says
  // why, and the running copy's log untouched.
  const int refused = RunProbe(here, "", &output);
  // A virtual display another run took over and ended leaves nothing to check.
  if (output.find("no display") != std::string::npos) GTEST_SKIP() << "the display went away";
  EXPECT_EQ(refused, 1) << output;
  EXPECT_NE(output.find(reinterpret_cast<const char*>(u8"既に起動しています")), std::string::npos) << output;
  EXPECT_EQ(ReadAll(here / "Log.txt"), running_log);

  // Once the first copy has ended, the second starts.
  first.End();
  EXPECT_EQ(RunProbe(here, "", &output), 0) << output;
  if (runtime != nullptr) {
    setenv("XDG_RUNTIME_DIR", saved_runtime.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
