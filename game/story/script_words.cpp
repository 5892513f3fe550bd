// The story's command words: the word of a line, its arguments, and what
// each word does, live and while a saved story is replayed.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/story/script_line.h"
#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"
#include "game/story/story_state.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr size_t kMaxPages = 100;
constexpr size_t kVoicedPages = 30;
constexpr int kTitleMusicSound = 21;
constexpr int kLoopingSound = 13;
constexpr size_t kMusicNameSize = 100;
constexpr size_t kBattleFolderSize = 256;

// The context a word runs in.
struct Run {
  bool standalone;
  bool replaying;
  const ScriptLine& line;

  // Steps on with a flag, unless the line was fed alone.
  void stepOn(bool flag) const {
    if (!standalone) stepScenario(flag);
  }
  // A live-only word: passed over while replaying.
  bool passedOver() const {
    if (!replaying) return false;
    stepOn(true);
    return true;
  }
};

storyGraph* findGraph(const std::string& name) {
  auto it = State().storyGraphTable.find(name);
  return it == State().storyGraphTable.end() ? nullptr : &it->second;
}

// --- Text and window ------------------------------------------------------

void wordMessage(const Run& run) {
  const std::vector<std::string> items = run.line.list();
  const std::string speaker = items.empty() ? std::string() : items[0];
  std::string voice = "NONE";
  if (items.size() >= 2) voice = "voice/story/" + items[1];
  const std::string text = run.line.textAfterList();

  auto& pages = State().scene.pages;
  if (pages.size() > kMaxPages) {
    releasePageVoice(pages.back());
    pages.pop_back();
  }
  // Every page voice past the newest 30 that no longer plays is freed, not
  // only the 30th, so that the voices of long messages do not pile up.
  if (pages.size() > kVoicedPages) {
    auto it = std::next(pages.begin(), kVoicedPages - 1);
    for (; it != pages.end(); ++it) {
      if (it->voiceHandle != -1 && veziv::IsSoundHandlePlaying(it->voiceHandle) != 1) {
        veziv::DeleteSoundHandle(it->voiceHandle, 0);
        it->voiceHandle = -1;
      }
    }
  }
  const std::vector<messagePage> added = Hooks().splitMessageIntoPages(speaker, text, voice, -1);
  State().scene.pendingPages = added.empty() ? 0 : static_cast<int32_t>(added.size()) - 1;
  for (const messagePage& page : added) pages.push_front(page);
  if (!run.replaying && items.size() >= 2 && !pages.empty()) Hooks().playPageVoice(pages.front());
  State().scene.revealMs = 0;
}

void wordChangeBoxCol(const Run& run) {
  const std::vector<std::string> items = run.line.list();
  for (size_t i = 0; i < 3; ++i) State().scene.boxColour[i] = i < items.size() ? readNumber(items[i]) : 0;
  run.stepOn(run.replaying);
}

void wordWait(const Run& run) {
  if (run.passedOver()) return;
  State().scene.waitFrames = readNumber(run.line.rest());
  run.stepOn(false);
}

void wordConfirmWindow(const Run& run) {
  if (run.passedOver()) return;
  std::vector<std::string> items = run.line.list();
  // One text alone still gets its button, so the box can be closed.
  if (items.size() == 1) items.emplace_back("OK");
  if (!items.empty()) Session().frame.noticeQueue.push_back(items);
}

void wordSetFaceGraph(const Run& run) {
  const std::string face = run.line.rest();
  State().scene.previousFaceImage = State().scene.faceImage;
  State().scene.faceFade = 0;
  const int id = faceImageId(face);
  if (id < 0) {
    veziv::PrintfToScreen("エラー：%s", face.c_str());
  } else {
    State().scene.faceImage = id;
  }
  if (!isGraphLoaded(State().scene.faceImage)) loadGraphById(State().scene.faceImage);
  run.stepOn(run.replaying);
}

// --- Pictures ---------------------------------------------------------------

void wordAddNewGraph(const Run& run) {
  if (run.passedOver()) return;
  const std::string file = run.line.token(0);
  const std::string name = run.line.token(1);
  // A name already in the table keeps its picture; nothing is loaded for it.
  if (State().storyGraphTable.count(name) == 0) {
    const std::vector<std::string> at = run.line.list();
    storyGraph picture;
    picture.fileName = file;
    picture.graphHandle = veziv::ImportGraphFile(file.c_str(), 0);
    picture.x = at.size() > 0 ? readNumber(at[0]) : 0;
    picture.y = at.size() > 1 ? readNumber(at[1]) : 0;
    State().storyGraphTable.emplace(name, picture);
  }
  run.stepOn(false);
}

void wordSetTransGraph(const Run& run) {
  if (run.passedOver()) return;
  if (storyGraph* picture = findGraph(run.line.token(0))) {
    picture->alpha = readNumber(run.line.token(1));
    picture->fadeState = 4;
  }
  run.stepOn(false);
}

void wordTransGraphIn(const Run& run) {
  if (run.passedOver()) return;
  if (storyGraph* picture = findGraph(run.line.token(0))) {
    picture->alpha = 0;
    picture->fadeState = 2;
  }
  run.stepOn(false);
}

void wordTransAllGraphOut(const Run& run) {
  if (run.passedOver()) return;
  for (auto& entry : State().storyGraphTable) {
    entry.second.alpha = 255;
    entry.second.fadeState = 1;
  }
  run.stepOn(false);
}

void wordTransGraphOut(const Run& run) {
  if (run.passedOver()) return;
  if (!run.line.hasToken(1)) {
    veziv::PrintfToScreen("間違ったコマンド%s", run.line.text().c_str());
  } else if (storyGraph* picture = findGraph(run.line.token(0))) {
    picture->alpha = 255;
    picture->fadeState = readNumber(run.line.token(1)) == 1 ? 3 : 1;
  }
  run.stepOn(false);
}

void wordTransGraphTo(const Run& run) {
  if (run.passedOver()) return;
  const std::string name = run.line.token(0);
  const std::string file = run.line.token(1);
  auto it = State().storyGraphTable.find(name);
  if (it != State().storyGraphTable.end()) {
    storyGraph old = it->second;
    State().storyGraphTable.erase(it);
    storyGraph next = old;
    old.alpha = 255;
    old.fadeState = 3;
    // A picture still fading out under the same name is freed, not lost.
    const std::string tempName = name + "_temp";
    auto temp = State().storyGraphTable.find(tempName);
    if (temp != State().storyGraphTable.end()) {
      releaseStoryGraph(temp->second);
      State().storyGraphTable.erase(temp);
    }
    State().storyGraphTable.emplace(tempName, old);
    next.fileName = file;
    next.graphHandle = veziv::ImportGraphFile(file.c_str(), 0);
    next.alpha = 0;
    next.fadeState = 2;
    State().storyGraphTable.emplace(name, next);
  }
  run.stepOn(false);
}

void wordDeleteGraph(const Run& run) {
  if (run.passedOver()) return;
  auto it = State().storyGraphTable.find(run.line.token(0));
  if (it != State().storyGraphTable.end()) {
    releaseStoryGraph(it->second);
    State().storyGraphTable.erase(it);
  }
  run.stepOn(false);
}

void wordMoveGraph(const Run& run) {
  if (run.passedOver()) return;
  if (storyGraph* picture = findGraph(run.line.token(0))) {
    const std::vector<std::string> items = run.line.list();
    picture->x += picture->stepX * picture->moveFrames;
    picture->y += picture->stepY * picture->moveFrames;
    const int frames = items.size() > 2 ? readNumber(items[2]) : 0;
    // A move of no frames lands at once.
    if (frames <= 0) {
      picture->x += items.size() > 0 ? readNumber(items[0]) : 0;
      picture->y += items.size() > 1 ? readNumber(items[1]) : 0;
      picture->stepX = picture->stepY = 0.0;
      picture->moveFrames = 0;
    } else {
      picture->stepX = static_cast<double>(readNumber(items[0])) / frames;
      picture->stepY = static_cast<double>(readNumber(items[1])) / frames;
      picture->moveFrames = frames;
    }
  }
  run.stepOn(false);
}

// --- Screen -----------------------------------------------------------------

void wordTransition(const Run& run) {
  if (run.passedOver()) return;
  if (State().scene.skipMode != 0) {
    run.stepOn(false);
    return;
  }
  State().scene.screenFade = 0;
  State().scene.screenFadeDir = 1;
}

void wordTransIn(const Run& run) {
  if (run.passedOver()) return;
  State().scene.screenFade = 254;
  State().scene.screenFadeDir = 0;
  run.stepOn(false);
}

// --- Sound, music and movies ------------------------------------------------

void wordPlayMovie(const Run& run) {
  if (run.passedOver()) return;
  State().scene.skipMode = 0;
  Hooks().playMovie(run.line.rest());
  run.stepOn(false);
}

void wordPlay(const Run& run) {
  if (run.passedOver()) return;
  const int id = readNumber(run.line.token(0));
  if (id >= 0 && id < kSoundIdCount) {
    ensureSoundLoaded(id);
    const bool loop = readNumber(run.line.token(1)) == 1;
    veziv::PlaySoundHandle(soundOf(id), loop ? veziv::SoundPlayLoop : veziv::SoundPlayBack, 1);
  }
  run.stepOn(false);
}

void wordPlayNewMusic(const Run& run) {
  if (run.passedOver()) return;
  const std::string file = run.line.token(0);
  const bool loop = readNumber(run.line.token(1)) == 1;
  if (file.find("mid") == std::string::npos) {
    veziv::PlayFileThroughSoundPlayer(file.c_str(), loop ? veziv::SoundPlayLoop : veziv::SoundPlayBack);
  } else if (Session().settings.bgmVolume == 0 && Session().settings.midiMode == 0) {
    Hooks().rememberMusicName(file.substr(0, kMusicNameSize - 1));
  } else {
    Hooks().playNewMusic(file);
  }
  run.stepOn(false);
}

void wordStopNonMidi(const Run& run) {
  veziv::StopFileSoundPlayer();
  stopAllSounds();
  run.stepOn(run.replaying);
}

void wordStopMusic(const Run& run) {
  veziv::StopCurrentMusic();
  veziv::StopFileSoundPlayer();
  stopAllSounds();
  Hooks().stopMusic();
  run.stepOn(run.replaying);
}

// --- Flow -------------------------------------------------------------------

void wordGoTo(const Run& run) {
  if (run.replaying) {
    veziv::PrintfToScreen("ERROR: goto at loading\n");
    return;
  }
  State().scene.choiceHistory.clear();
  State().scene.choiceReplayIndex = 0;
  const std::string file = run.line.token(0);
  loadScript(file);
  // The impressions are copied before the new script's first lines run, so
  // that an "@impress" among them is not counted twice after a load.
  int i = 0;
  for (const auto& entry : State().speakerTable) {
    if (i >= kSpeakerCount) break;
    State().scene.impressionBlock[i++] = entry.second.impression;
  }
  run.stepOn(false);
}

void wordMakeChoice(const Run& run) {
  if (run.replaying && State().scene.choiceReplayIndex < static_cast<int32_t>(State().scene.choiceHistory.size())) {
    const int32_t n = State().scene.choiceHistory[static_cast<size_t>(State().scene.choiceReplayIndex)];
    State().scene.choiceReplayIndex += 1;
    skipToChoice(n, run.replaying);
    return;
  }
  for (const std::string& option : run.line.list()) State().scene.choiceTexts.push_back(option);
  State().scene.choiceState = 0;
}

void wordImpress(const Run& run) {
  const std::vector<std::string> items = run.line.list();
  if (items.size() < 2) {
    run.stepOn(run.replaying);
    return;
  }
  // Only the table's own speakers take impressions: an entry made here
  // would shift the saved impressions of every speaker after it.
  auto it = State().speakerTable.find(items[0]);
  if (it == State().speakerTable.end()) {
    veziv::PrintfToScreen("impress: no speaker %s\n", items[0].c_str());
    return;
  }
  it->second.impression += readNumber(items[1]);
}

void wordMakeCharaSplit(const Run& run) {
  const speakerEntry* best = nullptr;
  std::string key;
  for (const auto& entry : State().speakerTable) {
    if (best == nullptr || entry.second.impression > best->impression) {
      best = &entry.second;
      key = entry.first;
    }
  }
  // With no speaker at all the split has no winner: the script runs out.
  skipToChara(best != nullptr ? key : std::string("\x01"), run.replaying);
}

// --- Hand-overs -------------------------------------------------------------

void wordStartBattle(const Run& run) {
  if (!run.replaying) {
    const std::string folder = run.line.token(0);
    if (folder.size() >= kBattleFolderSize) {
      veziv::PrintfToScreen("間違ったコマンド%s", run.line.text().c_str());
      run.stepOn(false);
      return;
    }
    Hooks().startBattle(folder);
    Hooks().consumeEquippedItems();
    Session().menuCursor = 1;
    changeMode(kModeBattle, false);
    Hooks().setStoryGameFlag();
    return;
  }
  // The events' lines that the battle added to the script come back in
  // file order after this line. The folder is the token, as live.
  const std::deque<std::string> events = readScriptLines(run.line.token(0) + "/events.txt");
  const size_t first = std::min<size_t>(State().scene.lineIndex, State().scene.scriptLines.size());
  auto at = State().scene.scriptLines.begin() + first;
  int32_t inserted = 0;
  for (const std::string& line : events) {
    if (State().replayInsertsLeft <= 0) break;
    if (line.find("@event") != std::string::npos) continue;
    at = State().scene.scriptLines.insert(at, line) + 1;
    ++inserted;
    --State().replayInsertsLeft;
  }
  State().replayedEventsAt = static_cast<int32_t>(first);
  State().replayedEventsCount = inserted;
  run.stepOn(true);
}

void wordGoShopping(const Run& run) {
  if (run.passedOver()) return;
  State().scene.skipMode = 0;
  Hooks().loadModeResources(kModeShop);
  State().scene.faceImage = 269;
  // The shop greets the player as its mode is entered.
  setReturnMode(kModeShop, kModeStory);
  changeMode(kModeShop, false);
}

void wordGoWearArm(const Run& run) {
  if (run.passedOver()) return;
  Hooks().loadModeResources(kModeEquipment);
  Hooks().playNewMusic("audio/loop009.mid");
  // Entered from the story, the equipment screen fits the first player with
  // the items taken off.
  setReturnMode(kModeEquipment, kModeStory);
  changeMode(kModeEquipment, false);
}

void wordGoMainMenu(const Run&) {
  Hooks().unloadModeResources(kModeStory);
  loadModeResources(kModeTitle, true);
  stopAllSounds();
  Hooks().stopMusic();
  veziv::PlaySoundHandle(soundOf(kTitleMusicSound), veziv::SoundPlayLoop, 1);
  changeMode(kModeTitle, false);
}

void wordEndEvent(const Run& run) {
  if (Session().frame.gameMode == kModeBattle) {
    Hooks().endBattleStoryEvent();
    Hooks().unloadModeResources(kModeStory);
    if (veziv::IsSoundHandlePlaying(soundOf(kLoopingSound)) == 1) {
      veziv::SetSoundHandleVolume(Session().settings.seVolume, soundOf(kLoopingSound));
    }
    return;
  }
  // Outside a battle (and while replaying) the event's end steps on once.
  run.stepOn(run.replaying);
}

// --- Unlocks and state --------------------------------------------------------

void wordOpenStage(const Run& run) {
  if (run.passedOver()) return;
  const int stage = readNumber(run.line.token(0));
  if (stage >= 0 && stage <= 4) Hooks().openStage(stage);
  run.stepOn(false);
}

void wordSaveHoldings(const Run& run) {
  Hooks().unlockBattleModeItems();
  run.stepOn(run.replaying);
}

void wordSetCharaBattle(const Run& run) {
  static const std::pair<const char*, int> kCharacters[] = {
      {"ドゥル", 4}, {"ペサロット", 3}, {"ティルン", 1}, {"サッフォ", 0}, {"オルナ", 2}};
  const std::string name = run.line.rest();
  for (const auto& [text, character] : kCharacters) {
    if (name == text) Hooks().setPlayerCharacter(character);
  }
  run.stepOn(run.replaying);
}

void wordSetDifficulty(const Run& run) {
  const int difficulty = readNumber(run.line.rest());
  Session().play.currentDifficulty = difficulty;
  Hooks().setPlayerDifficulty(difficulty);
}

void wordScenarioClear(const Run&) {
  if (Session().settings.storyCleared == 0) {
    Session().settings.storyCleared = 1;
    Hooks().saveConfig();
    Session().frame.noticeQueue.push_back({"【対戦：キャラクター】", "ホーベ を開放しました。", "OK"});
  }
  const bool hobeMissing = std::find(Session().registry.voiceList.begin(), Session().registry.voiceList.end(), 7) ==
                           Session().registry.voiceList.end();
  const bool zemmMissing = std::find(Session().registry.voiceList.begin(), Session().registry.voiceList.end(), 8) ==
                           Session().registry.voiceList.end();
  if (!hobeMissing && !zemmMissing) return;
  std::vector<std::string> box = {"【システムボイス】"};
  if (hobeMissing) {
    Session().registry.voiceList.push_back(7);
    box.emplace_back("ホーベ を開放しました。");
  }
  if (zemmMissing) {
    Session().registry.voiceList.push_back(8);
    box.emplace_back("ゼムラン を開放しました。");
  }
  box.emplace_back("OK");
  Session().frame.noticeQueue.push_back(box);
}

// --- Dispatch -----------------------------------------------------------------

using Word = void (*)(const Run&);
struct WordRow {
  const char* word;
  Word run;
};

// Tried in this order; the first match runs.
constexpr WordRow kWords[] = {
    {"@message", wordMessage},
    {"@addNewGraph", wordAddNewGraph},
    {"@setTransGraph", wordSetTransGraph},
    {"@transGraphIn", wordTransGraphIn},
    {"@changeBoxCol", wordChangeBoxCol},
    {"@transAllGraphOut", wordTransAllGraphOut},
    {"@transGraphOut", wordTransGraphOut},
    {"@transGraphTo", wordTransGraphTo},
    {"@deleteGraph", wordDeleteGraph},
    {"@wait", wordWait},
    {"@playMovie", wordPlayMovie},
    {"@play", wordPlay},
    {"@openStage", wordOpenStage},
    {"@playNewMusic", wordPlayNewMusic},
    {"@stopNonMIDI", wordStopNonMidi},
    {"@stopMusic", wordStopMusic},
    {"@goTo", wordGoTo},
    {"@goWearArm", wordGoWearArm},
    {"@goShopping", wordGoShopping},
    {"@startBattle", wordStartBattle},
    {"@setCharaBattle", wordSetCharaBattle},
    {"@transition", wordTransition},
    {"@goMainMenu", wordGoMainMenu},
    {"@transIn", wordTransIn},
    {"@makeChoice", wordMakeChoice},
    {"@choiceEnd", [](const Run& run) { run.stepOn(run.replaying); }},
    {"@saveHoldings", wordSaveHoldings},
    {"@choice*", [](const Run& run) { skipToChoice(-1, run.replaying); }},
    {"@chara:*", [](const Run& run) { skipToChara(kCharaEnd, run.replaying); }},
    {"@moveGraph", wordMoveGraph},
    {"@endEvent", wordEndEvent},
    {"@impress", wordImpress},
    {"@makeCharaSplit", wordMakeCharaSplit},
    {"@charaEnd", [](const Run& run) { run.stepOn(run.replaying); }},
    {"@setDifficulty", wordSetDifficulty},
    {"@confirmWindow", wordConfirmWindow},
    {"@scenarioClear", wordScenarioClear},
    {"@setFaceGraph", wordSetFaceGraph},
};

bool matches(const WordRow& row, const std::string& word) {
  const size_t n = std::strlen(row.word);
  // A row ending in "*" matches by its first 7 bytes.
  if (row.word[n - 1] == '*') return word.compare(0, n - 1, row.word, n - 1) == 0 && word.size() >= n - 1;
  return word == row.word;
}

}  // namespace

void executeScriptLine(bool standalone, bool replaying, const std::string& text) {
  const ScriptLine line(text);
  if (!line.hasWord()) {
    if (!standalone) stepScenario(replaying);
    return;
  }
  const Run run{standalone, replaying, line};
  for (const WordRow& row : kWords) {
    if (matches(row, line.word())) {
      row.run(run);
      return;
    }
  }
  // An unknown word stops the script at its line.
}

}  // namespace game::story
