// Feeds the story's script reader and words, with the story screen's message
// splitter and its speaker table: the first byte chooses live or replayed
// stepping (and the splitter's width a byte), the second the answers given
// to choices; the rest is the script file. The same bytes also stand as a
// stage's "events.txt", so a replayed "@startBattle ev" inserts them, and as
// the file "s.txt" that "@goTo s.txt" loads again. The script is stepped to its end: every step
// must keep the line index within the script and end (a circle of scripts
// is cut), and the answers within their record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/story/script_line.h"
#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace {

using namespace game::story;

// The story screen's own message splitter and speaker table, as in play.
// The splitter measures with a width a byte that the input's first byte
// sets, in place of the message font (which needs a started library), so
// that lines are cut by width as well as by their byte limit and "$".
class ScreenPages : public StoryHooks {
 public:
  explicit ScreenPages(int byteWidth) : byteWidth_(byteWidth) {}
  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voice, int32_t handle) override {
    const int width = byteWidth_;
    return game::story::splitMessageIntoPages(speaker, text, voice, handle,
                                              [width](const char*, int bytes) { return width * bytes; });
  }
  void buildSpeakerTable() override { game::story::buildSpeakerTable(); }

 private:
  int byteWidth_;
};

void checkScene() {
  const int32_t size = static_cast<int32_t>(State().scene.scriptLines.size());
  if (State().scene.lineIndex < 0 || State().scene.lineIndex > size) std::abort();
  if (State().scene.choiceReplayIndex < 0 ||
      State().scene.choiceReplayIndex > static_cast<int32_t>(State().scene.choiceHistory.size())) {
    std::abort();
  }
  if (std::memchr(State().scene.scriptName, 0, sizeof State().scene.scriptName) == nullptr) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  veziv::fuzzing::SilenceLog();
  // A game of its own for each input; no mode has a screen.
  game::GameSession session;
  StoryScreen story;
  session.story = &story;
  const game::SessionScope scope(session);
  ScreenPages hooks(4 + (data[0] >> 1) % 16);
  InstallHooks(&hooks);
  const bool replaying = (data[0] & 1) != 0;
  const uint8_t answers = data[1];
  veziv::fuzzing::WriteScratchFile("s.txt", data + 2, size - 2);
  veziv::fuzzing::WriteScratchFile("ev/events.txt", data + 2, size - 2);
  char home[4096] = {};
  veziv::FileStreamGetCurrentDir(home);
  veziv::FileStreamSetCurrentDir(veziv::fuzzing::ScratchFolder().c_str());

  resetScenario("s.txt");
  if (State().speakerTable.size() != static_cast<size_t>(game::kSpeakerCount)) std::abort();
  for (const std::string& line : State().scene.scriptLines) {
    if (line.size() > 511) std::abort();
    const ScriptLine parsed(line);
    (void)parsed.list();
    (void)parsed.textAfterList();
    (void)parsed.token(2);
  }
  if (replaying) State().scene.choiceHistory = {answers & 3, (answers >> 2) & 3, answers >> 4};
  for (int step = 0; step < 1200; ++step) {
    session.frame.gameMode = game::kModeStory;
    if (State().scene.choiceState == 0) {
      const int32_t k = 1 + (answers + step) % 3;
      State().scene.choiceHistory.push_back(k);
      State().scene.choiceReplayIndex = static_cast<int32_t>(State().scene.choiceHistory.size());
      State().scene.choiceState = -1;
      State().scene.choiceTexts.clear();
      skipToChoice(k, false);
    } else {
      if (State().scene.lineIndex >= static_cast<int32_t>(State().scene.scriptLines.size())) break;
      stepScenario(replaying);
    }
    checkScene();
    // A circle of scripts was cut: every later step would load the same
    // scripts again and find nothing new.
    if (State().chainLoads > kMaxChainLoads) break;
  }
  releaseStoryResources();
  veziv::FileStreamSetCurrentDir(home);
  return 0;
}
