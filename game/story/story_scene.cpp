// The story scene, the script reader and the step.
#include "game/story/story_scene.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "game/shell/call_sites.h"
#include "game/shell/resources.h"
#include "game/shell/startup.h"
#include "game/shell/widgets.h"
#include "game/story/story_hooks.h"
#include "library/veziv.h"

namespace game::story {

storySceneRecord storyScene;
int32_t replayLineLimit = INT32_MAX;
int32_t replayedEventsAt = 0;
int32_t replayedEventsCount = 0;
std::map<std::string, storyGraph> storyGraphTable;
std::map<std::string, speakerEntry> speakerTable;

void initStoryState() { storyScene = storySceneRecord{}; }

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

// The step runs as a loop: a line that steps on while a line runs only
// asks for the next step, which runs when that line has returned. Every
// word steps on as its last act, so the order is that of nested calls,
// without a stack that grows with the chain.
int stepDepth = 0;
int chainLoads = 0;  // scripts loaded by the running chain
bool stepPending = false;
bool pendingReplaying = false;

// Every picture's graph, freed before its record is forgotten.
void releaseStoryGraphs() {
  for (auto& entry : storyGraphTable) releaseStoryGraph(entry.second);
  storyGraphTable.clear();
}

// Every page's voice, freed before its page is forgotten (a voice still
// playing is stopped by releasePageVoice first).
void releasePages() {
  while (!storyScene.pages.empty()) {
    releasePageVoice(storyScene.pages.back());
    storyScene.pages.pop_back();
  }
}

}  // namespace

void releaseStoryResources() {
  releasePages();
  releaseStoryGraphs();
  storyScene.choiceHistory.clear();
  storyScene.choiceReplayIndex = 0;
  storyScene.choiceState = -1;
  releaseStoryFaces();
  storyScene.faceImage = kNoFaceImage;
  storyScene.previousFaceImage = kNoFaceImage;
}

void loadScript(const std::string& fileName) {
  if (stepDepth > 0) ++chainLoads;
  showNowLoading("Now Loading...");
  veziv::PresentBackBuffer();
  releaseStoryResources();
  storyScene.scriptLines.clear();
  storyScene.lineIndex = 0;
  // A name that does not fit is cut; the file is opened by its whole name.
  const size_t n = std::min(fileName.size(), sizeof storyScene.scriptName - 1);
  std::memcpy(storyScene.scriptName, fileName.data(), n);
  storyScene.scriptName[n] = '\0';
  storyScene.scriptLines = readScriptLines(fileName);
  storyScene.textComplete = 1;
}

void resetScenario(const std::string& fileName) {
  storyScene.logOffset = 0;
  storyScene.lineIndex = 0;
  storyScene.boxColour[0] = storyScene.boxColour[1] = storyScene.boxColour[2] = 255;
  // The pictures' graphs and the pages' voices are freed with their records.
  releaseStoryGraphs();
  storyScene.scriptLines.clear();
  releasePages();
  speakerTable.clear();
  storyScene.choiceState = -1;
  storyScene.choiceTexts.clear();
  veziv::ClearScreenLog();
  registerFacePaths();
  if (speakerTable.empty()) Hooks().buildSpeakerTable();
  loadScript(fileName);
}

void stepScenario(bool replaying) {
  if (stepDepth > 0) {
    stepPending = true;
    pendingReplaying = replaying;
    return;
  }
  ++stepDepth;
  chainLoads = 0;
  bool flag = replaying;
  for (int run = 0;; ++run) {
    stepPending = false;
    const int32_t index = storyScene.lineIndex;
    if (index < 0 || index >= static_cast<int32_t>(storyScene.scriptLines.size())) break;
    if (flag && index >= replayLineLimit) break;
    // A chain that never reaches a stopping line ("@goTo" round a circle
    // of scripts) is cut, not run for ever.
    if (run >= kMaxChainLines || chainLoads > kMaxChainLoads) {
      veziv::PrintfToScreen("script runs on without stopping: %s\n", storyScene.scriptName);
      break;
    }
    const std::string line = storyScene.scriptLines[static_cast<size_t>(index)];
    storyScene.lineIndex = index + 1;
    executeScriptLine(false, flag, line);
    if (!stepPending) break;
    flag = pendingReplaying;
  }
  stepPending = false;
  --stepDepth;
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
    resourceRegistry.imagePaths[row.id] = "image/faceGraph/" + name + ".jpg";
  }
}

void releaseStoryFaces() {
  for (const FaceRow& row : kFaces) {
    if (isGraphLoaded(row.id)) freeGraphById(row.id);
  }
}

}  // namespace game::story
