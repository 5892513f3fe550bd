// Feeds the story's section of a save slot: the first byte says whether the
// slot was saved inside a story battle, the rest is the section. The section
// names a script; "s.txt" is a fixed script with choices, pictures and a
// battle whose "events.txt" holds two story inserts, so that the replay runs.
// A section that loads must leave the scene within its script, its pages and
// its pictures sound, must survive a few frames of the pictures, and must
// save again without failing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"
#include "game/story/story_screen.h"
#include "game/story/story_slots.h"
#include "library/veziv.h"

namespace {

using namespace game::story;

constexpr const char* kScript =
    "@addNewGraph image/a.png bg (0,0)\r\n"
    "@message (オルナ) one\r\n"
    "@makeChoice (A,B)\r\n@choice1\r\n@message (オルナ) a\r\n@choice2\r\n@message (オルナ) b\r\n@choiceEnd\r\n"
    "@impress (オルナ,2)\r\n"
    "@startBattle ev\r\n"
    "@message (ナ) after$two$three$four$five\r\n"
    "@goTo s.txt\r\n";
constexpr const char* kEvents =
    "@event 200 STORY_INSERT\r\n@message (オルナ) e1\r\n@endEvent\r\n"
    "@event 100 STORY_INSERT\r\n@message (オルナ) e2\r\n@endEvent\r\n";

// The screen's own pages and speakers.
class ScreenPages : public StoryHooks {
 public:
  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voice, int32_t handle) override {
    return game::story::splitMessageIntoPages(speaker, text, voice, handle,
                                        [](const char*, int bytes) { return 12 * bytes; });
  }
  void buildSpeakerTable() override { game::story::buildSpeakerTable(); }
};

void checkScene() {
  const auto& s = State().scene;
  if (s.lineIndex < 0 || s.lineIndex > static_cast<int32_t>(s.scriptLines.size())) std::abort();
  if (s.pendingPages < 0 || (s.pendingPages > 0 && s.pendingPages >= static_cast<int32_t>(s.pages.size()))) {
    std::abort();
  }
  for (int32_t c : s.boxColour) {
    if (c < 0 || c > 255) std::abort();
  }
  for (const auto& [name, picture] : State().storyGraphTable) {
    if (picture.alpha < 0 || picture.alpha > 255 || picture.moveFrames < 0) std::abort();
  }
  if (State().speakerTable.size() != static_cast<size_t>(game::kSpeakerCount)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  veziv::fuzzing::SilenceLog();
  // A game of its own for each input; no mode has a screen.
  game::GameSession session;
  StoryScreen story;
  session.story = &story;
  const game::SessionScope scope(session);
  ScreenPages hooks;
  InstallHooks(&hooks);
  veziv::fuzzing::WriteScratchFile("s.txt", reinterpret_cast<const uint8_t*>(kScript), std::strlen(kScript));
  veziv::fuzzing::WriteScratchFile("ev/events.txt", reinterpret_cast<const uint8_t*>(kEvents),
                                   std::strlen(kEvents));
  char home[4096] = {};
  veziv::FileStreamGetCurrentDir(home);
  veziv::FileStreamSetCurrentDir(veziv::fuzzing::ScratchFolder().c_str());

  session.frame.gameMode = game::kModeSaveLoad;
  game::battle::RecordReader in(data + 1, size - 1);
  if (loadStoryState(in, (data[0] & 1) != 0)) {
    checkScene();
    for (int frame = 0; frame < 3; ++frame) drawStoryGraphs(frame == 2);
    std::vector<uint8_t> again;
    game::battle::RecordWriter out(again);
    saveStoryState(out);
    if (again.size() < game::kEmptyStorySectionSize) std::abort();
  }
  releaseStoryResources();
  veziv::FileStreamSetCurrentDir(home);
  return 0;
}
