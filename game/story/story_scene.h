// The story scene: the one scene object, the page list, the speaker and
// picture tables, the script reader and the step that runs the next line.
// A line either finishes and runs the next line at once (it steps on), or
// it stops the script until something outside calls stepScenario again, so
// lines run in chains within one frame.
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "game/core/story_section.h"

namespace game::story {

inline constexpr int kMaxScriptLines = 1000;
inline constexpr int kScriptLineBuffer = 512;  // a line keeps at most 511 bytes
inline constexpr int kScriptNameSize = 256;
// The most lines one step runs before it is cut (a chain without a stopping line).
inline constexpr int kMaxChainLines = 20000;
// The most scripts one step loads ("@goTo") before it is cut.
inline constexpr int kMaxChainLoads = 16;
inline constexpr int kNoFaceImage = 260;
inline constexpr const char* kFirstScript = "story/script.txt";

// One display page of a message.
struct messagePage {
  char speaker[20] = {};
  char voice[256] = {};
  int32_t voiceHandle = -1;
  char lines[4][64] = {};
  int32_t lineCount = 0;
};

// One speaker of the speaker table.
struct speakerEntry {
  std::string name;
  uint32_t colour = 0;
  int32_t plate = 0;
  int32_t impression = 0;
};

struct storySceneRecord {
  std::deque<std::string> scriptLines;
  std::list<messagePage> pages;  // newest first
  int32_t pendingPages = 0;
  std::deque<int32_t> choiceHistory;
  int32_t choiceReplayIndex = 0;
  char scriptName[kScriptNameSize] = {};
  int32_t impressionBlock[kSpeakerCount] = {};
  int32_t lineIndex = 0;
  int32_t revealMs = 0;
  std::deque<std::string> choiceTexts;
  int32_t choiceState = -1;
  int32_t menuHoldMs = 0;
  int32_t faceImage = kNoFaceImage;
  int32_t faceFade = 0;
  int32_t previousFaceImage = kNoFaceImage;
  int32_t previousFaceFade = 0;
  int32_t screenFade = -1;
  uint8_t screenFadeDir = 0;
  uint8_t textComplete = 1;
  int32_t waitFrames = 0;
  uint8_t scriptEnded = 0;
  uint8_t windowHidden = 0;
  uint8_t skipMode = 0;
  uint8_t sideBarLocked = 0;
  int32_t logOffset = 0;
  int32_t textSpeed = 40;
  int32_t sideBarPos = 0;
  int32_t menuIdleMs = 0;
  int32_t boxColour[3] = {255, 255, 255};
};

// Starts a story from a script file.
void resetScenario(const std::string& fileName);
// Replaces the loaded script by the lines of a file.
void loadScript(const std::string& fileName);
// Stops and frees the page voices and the pictures; forgets the answers.
void releaseStoryResources();
// Runs the next line, and the lines after it while they step on; at the end
// of the script nothing happens. Called while a line runs, it runs the next
// line once that line has returned.
void stepScenario(bool replaying);

// Stops a page's voice and, once it is not playing, frees it (-1).
void releasePageVoice(messagePage& page);
// Frees a picture's graph.
void releaseStoryGraph(storyGraph& picture);

// The lines a script file yields: CR LF ends a line, a line keeps at most
// 511 bytes (the rest comes back as the next line), at most 1000 lines.
std::deque<std::string> readScriptLines(const std::string& fileName);

// One script line, as the story's words see it.
void executeScriptLine(bool standalone, bool replaying, const std::string& line);

// Moves the script past the marker "@choice" + n ("@choiceEnd" for -1) and
// runs the line after it.
void skipToChoice(int32_t n, bool replaying);
// Moves the script past "@chara:" + name ("@charaEnd" for "CHARA_END") and
// runs the line after it.
void skipToChara(const std::string& name, bool replaying);

// The image id of a face id; -1 for an id not in the table.
int faceImageId(const std::string& faceId);
// Gives every face image id its file in the resource registry.
void registerFacePaths();
// Frees the face graphs that are loaded.
void releaseStoryFaces();

}  // namespace game::story
