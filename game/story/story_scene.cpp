// The story scene, the script reader and the step.
#include "game/story/story_scene.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "game/story/story_hooks.h"
#include "game/story/story_state.h"
#include "library/veziv.h"

namespace game::story {

std::deque<std::string> readScriptLines(const std::string& fileName) {
  std::deque<std::string> lines;
  const veziv::FileHandle file = veziv::OpenFileForRead(fileName.c_str(), 0);
  if (file == 0) return lines;
  char buffer[kScriptLineBuffer];
  while (static_cast<int>(lines.size()) < kMaxScriptLines) {
    const int n = veziv::ReadFileLine(buffer, kScriptLineBuffer, file);
    if (n < 0) break;
    lines.emplace_back(buffer, static_cast<size_t>(n));
  }
  veziv::FileStreamClose(file);
  return lines;
}

void releasePageVoice(messagePage& page) {
  if (page.voiceHandle == -1) return;
  veziv::StopSoundHandle(page.voiceHandle);
  if (veziv::IsSoundHandlePlaying(page.voiceHandle) != 1) {
    veziv::DeleteSoundHandle(page.voiceHandle, 0);
    page.voiceHandle = -1;
  }
}

void releaseStoryGraph(storyGraph& picture) {
  if (picture.graphHandle > 0) veziv::FreeGraphHandle(picture.graphHandle, 0);
  picture.graphHandle = -1;
}

namespace {

// Every picture's graph, freed before its record is forgotten.
void releaseStoryGraphs() {
  for (auto& entry : State().storyGraphTable) releaseStoryGraph(entry.second);
  State().storyGraphTable.clear();
}

// Every page's voice, freed before its page is forgotten (a voice still
// playing is stopped by releasePageVoice first).
void releasePages() {
  while (!State().scene.pages.empty()) {
    releasePageVoice(State().scene.pages.back());
    State().scene.pages.pop_back();
  }
}

}  // namespace

void releaseStoryResources() {
  releasePages();
  releaseStoryGraphs();
  State().scene.choiceHistory.clear();
  State().scene.choiceReplayIndex = 0;
  State().scene.choiceState = -1;
  releaseStoryFaces();
  State().scene.faceImage = kNoFaceImage;
  State().scene.previousFaceImage = kNoFaceImage;
}

void loadScript(const std::string& fileName) {
  if (State().stepDepth > 0) ++State().chainLoads;
  showNowLoading("Now Loading...");
  veziv::PresentBackBuffer();
  releaseStoryResources();
  State().scene.scriptLines.clear();
  State().scene.lineIndex = 0;
  // A name that does not fit is cut; the file is opened by its whole name.
  const size_t n = std::min(fileName.size(), sizeof State().scene.scriptName - 1);
  std::memcpy(State().scene.scriptName, fileName.data(), n);
  State().scene.scriptName[n] = '\0';
  State().scene.scriptLines = readScriptLines(fileName);
  State().replayInsertsLeft = kMaxScriptLines;
  State().scene.textComplete = 1;
}

void resetScenario(const std::string& fileName) {
  State().scene.logOffset = 0;
  State().scene.lineIndex = 0;
  State().scene.boxColour[0] = State().scene.boxColour[1] = State().scene.boxColour[2] = 255;
  // The pictures' graphs and the pages' voices are freed with their records.
  releaseStoryGraphs();
  State().scene.scriptLines.clear();
  releasePages();
  State().speakerTable.clear();
  State().scene.choiceState = -1;
  State().scene.choiceTexts.clear();
  veziv::ClearScreenLog();
  registerFacePaths();
  if (State().speakerTable.empty()) Hooks().buildSpeakerTable();
  loadScript(fileName);
}

void stepScenario(bool replaying) {
  if (State().stepDepth > 0) {
    State().stepPending = true;
    State().pendingReplaying = replaying;
    return;
  }
  ++State().stepDepth;
  State().chainLoads = 0;
  bool flag = replaying;
  for (int run = 0;; ++run) {
    State().stepPending = false;
    const int32_t index = State().scene.lineIndex;
    if (index < 0 || index >= static_cast<int32_t>(State().scene.scriptLines.size())) break;
    if (flag && index >= State().replayLineLimit) break;
    // A chain that never reaches a stopping line ("@goTo" round a circle
    // of scripts) is cut, not run for ever.
    if (run >= kMaxChainLines || State().chainLoads > kMaxChainLoads) {
      veziv::PrintfToScreen("script runs on without stopping: %s\n", State().scene.scriptName);
      break;
    }
    const std::string line = State().scene.scriptLines[static_cast<size_t>(index)];
    State().scene.lineIndex = index + 1;
    executeScriptLine(false, flag, line);
    if (!State().stepPending) break;
    flag = State().pendingReplaying;
  }
  State().stepPending = false;
  --State().stepDepth;
}

namespace {

struct FaceRow {
  const char* face;
  int id;
};
constexpr FaceRow kFaces[] = {
#define VEZIV_FACE(face, id) {face, id},
#include "game/story/face_table.inc"
};

}  // namespace

int faceImageId(const std::string& faceId) {
  for (const FaceRow& row : kFaces) {
    if (faceId == row.face) return row.id;
  }
  return -1;
}

void registerFacePaths() {
  for (const FaceRow& row : kFaces) {
    std::string name = row.face;
    if (row.id != kNoFaceImage) {
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    Session().registry.imagePaths[row.id] = "image/faceGraph/" + name + ".jpg";
  }
}

void releaseStoryFaces() {
  for (const FaceRow& row : kFaces) {
    if (isGraphLoaded(row.id)) freeGraphById(row.id);
  }
}

}  // namespace game::story
