// The command words: one row a word (and its variants), run as a script
// line followed by a live-only probe, so that each row shows how the line
// ends (stops, steps on live, steps on replaying, hands over) and what it did.
#include <functional>

#include "game/shell/startup.h"
#include "game/story/story_test_support.h"

namespace game::story {
namespace {

using test::StoryTest;

enum Ending { kStops, kStepsLive, kStepsReplaying };

struct WordCase {
  const char* line;
  bool replaying;
  Ending ending;
  std::function<void()> before;
  std::function<void(const test::RecordingHooks&)> check;
};

void addPicture(const char* name, double x = 0) {
  storyGraph picture;
  picture.fileName = "old.png";
  picture.graphHandle = 41;
  picture.x = x;
  storyGraphTable[name] = picture;
}

TEST_F(StoryTest, EveryWordEndsAsItShouldAndDoesItsWork) {
  const auto none = [] {};
  const auto noCheck = [](const test::RecordingHooks&) {};
  const auto pictureBg = [] { addPicture("bg", 30); };
  const WordCase cases[] = {
      {"@message (オルナ) a$b", false, kStops, none,
       [](const test::RecordingHooks& h) {
         ASSERT_EQ(storyScene.pages.size(), 2u);
         EXPECT_STREQ(storyScene.pages.front().lines[0], "b");  // the message's last page is in front
         EXPECT_STREQ(storyScene.pages.front().voice, "NONE");
         EXPECT_EQ(storyScene.pendingPages, 1);
         EXPECT_TRUE(h.calls.empty());
       }},
      {"@message (オルナ,a.ogg) 「text」", false, kStops, [] { storyScene.revealMs = 400; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("voice:voice/story/a.ogg"));
         EXPECT_STREQ(storyScene.pages.front().speaker, "オルナ");
         EXPECT_STREQ(storyScene.pages.front().lines[0], "「text」");
         EXPECT_EQ(storyScene.revealMs, 0);
       }},
      {"@message (オルナ,a.ogg) text", true, kStops, none,
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(storyScene.pages.size(), 1u);
         EXPECT_TRUE(h.calls.empty());
       }},
      {"@addNewGraph image/a.png 0bg (10,-20)", false, kStepsLive, none,
       [](const test::RecordingHooks&) {
         const storyGraph& p = storyGraphTable.at("0bg");
         EXPECT_EQ(p.fileName, "image/a.png");
         EXPECT_EQ(p.x, 10);
         EXPECT_EQ(p.y, -20);
         EXPECT_EQ(p.alpha, 255);
         EXPECT_EQ(p.fadeState, -1);
       }},
      {"@addNewGraph image/a.png bg (10,20)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyGraphTable.at("bg").fileName, "old.png");  // the old picture stays
         EXPECT_EQ(storyGraphTable.at("bg").graphHandle, 41);
       }},
      {"@addNewGraph image/a.png bg (10,20)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_TRUE(storyGraphTable.empty()); }},
      {"@setTransGraph bg 100", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyGraphTable.at("bg").alpha, 100);
         EXPECT_EQ(storyGraphTable.at("bg").fadeState, 4);
       }},
      {"@setTransGraph nobody 100", false, kStepsLive, none, noCheck},
      {"@transGraphIn bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyGraphTable.at("bg").alpha, 0);
         EXPECT_EQ(storyGraphTable.at("bg").fadeState, 2);
       }},
      {"@changeBoxCol (1,2,3)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyScene.boxColour[0], 1);
         EXPECT_EQ(storyScene.boxColour[1], 2);
         EXPECT_EQ(storyScene.boxColour[2], 3);
       }},
      {"@transAllGraphOut", false, kStepsLive, [] { addPicture("a"), addPicture("b"); },
       [](const test::RecordingHooks&) {
         for (const auto& [name, p] : storyGraphTable) {
           EXPECT_EQ(p.fadeState, 1) << name;
           EXPECT_EQ(p.alpha, 255) << name;
         }
       }},
      {"@transGraphOut bg 1", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyGraphTable.at("bg").fadeState, 3); }},
      {"@transGraphOut bg 0", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyGraphTable.at("bg").fadeState, 1); }},
      {"@transGraphOut bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyGraphTable.at("bg").fadeState, -1); }},
      {"@transGraphTo bg image/new.png", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         const storyGraph& old = storyGraphTable.at("bg_temp");
         EXPECT_EQ(old.fileName, "old.png");
         EXPECT_EQ(old.fadeState, 3);
         EXPECT_EQ(old.alpha, 255);
         const storyGraph& next = storyGraphTable.at("bg");
         EXPECT_EQ(next.fileName, "image/new.png");
         EXPECT_EQ(next.fadeState, 2);
         EXPECT_EQ(next.alpha, 0);
         EXPECT_EQ(next.x, 30);
       }},
      {"@deleteGraph bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_TRUE(storyGraphTable.empty()); }},
      {"@wait 80", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyScene.waitFrames, 0); }},
      {"@wait 80", false, kStepsLive, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyScene.waitFrames, 80); }},
      {"@playMovie image/movie/opening.ogv", false, kStepsLive, [] { storyScene.skipMode = 1; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("movie:image/movie/opening.ogv"));
         EXPECT_EQ(storyScene.skipMode, 0);
       }},
      {"@playMovie a.ogv", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@play 13 1", false, kStepsLive, none, noCheck},
      {"@play 105 1", false, kStepsLive, none, noCheck},
      {"@play -1 1", false, kStepsLive, none, noCheck},
      {"@openStage 2", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("openStage:2")); }},
      {"@openStage 5", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@openStage 2", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@playNewMusic audio/story_theme.ogg 1", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@playNewMusic audio/story_day.mid 1", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("music:audio/story_day.mid")); }},
      {"@playNewMusic bgm.mid 1", false, kStepsLive,
       [] { settingsRecord.bgmVolume = 0, settingsRecord.midiMode = 0; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("remember:bgm.mid"));
         EXPECT_FALSE(h.called("music:bgm.mid"));
       }},
      {"@stopNonMIDI", true, kStepsReplaying, none, noCheck},
      {"@stopMusic", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("stopMusic:")); }},
      {"@goTo story/part2.txt", true, kStops, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyScene.scriptLines.size(), 3u); }},
      {"@goWearArm", false, kStops, [] { gameMode = kModeStory; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(gameMode, kModeEquipment);
         EXPECT_EQ(getReturnMode(kModeEquipment), kModeStory);
         EXPECT_EQ(h.calls, (std::vector<std::string>{"load:8", "equip:", "music:audio/loop009.mid"}));
       }},
      {"@goWearArm", true, kStepsReplaying, [] { gameMode = kModeStory; },
       [](const test::RecordingHooks&) { EXPECT_EQ(gameMode, kModeStory); }},
      {"@goShopping", false, kStops, [] { storyScene.skipMode = 1; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(gameMode, kModeShop);
         EXPECT_EQ(getReturnMode(kModeShop), kModeStory);
         EXPECT_EQ(storyScene.faceImage, 269);
         EXPECT_EQ(storyScene.skipMode, 0);
         EXPECT_EQ(h.calls, (std::vector<std::string>{"load:5", "shop:"}));
       }},
      {"@startBattle stages/ステージ1", false, kStops, [] { menuCursor = 4; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(gameMode, kModeBattle);
         EXPECT_EQ(menuCursor, 1);
         EXPECT_EQ(h.calls, (std::vector<std::string>{"battle:stages/ステージ1", "consume:", "storyFlag:"}));
       }},
      {"@setCharaBattle ドゥル", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("character:4")); }},
      {"@setCharaBattle ホーベ", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@transition", false, kStops, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyScene.screenFade, 0);
         EXPECT_EQ(storyScene.screenFadeDir, 1);
       }},
      {"@transition", false, kStepsLive, [] { storyScene.skipMode = 1; }, noCheck},
      {"@transition", true, kStepsReplaying, none, noCheck},
      {"@goMainMenu", true, kStops, [] { gameMode = kModeStory; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(gameMode, kModeTitle);
         EXPECT_TRUE(h.called("unload:15"));
         EXPECT_TRUE(h.called("stopMusic:"));
       }},
      {"@transIn", true, kStepsReplaying, none, noCheck},
      {"@makeChoice (左へ,正面へ)", false, kStops, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyScene.choiceTexts, (std::deque<std::string>{"左へ", "正面へ"}));
         EXPECT_EQ(storyScene.choiceState, 0);
       }},
      {"@choiceEnd", true, kStepsReplaying, none, noCheck},
      {"@charaEnd", false, kStepsLive, none, noCheck},
      {"@saveHoldings", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("holdings:")); }},
      {"@moveGraph bg (100,-50,50)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         const storyGraph& p = storyGraphTable.at("bg");
         EXPECT_EQ(p.stepX, 2.0);
         EXPECT_EQ(p.stepY, -1.0);
         EXPECT_EQ(p.moveFrames, 50);
       }},
      {"@moveGraph bg (100,0,50)", false, kStepsLive,
       [] {
         addPicture("bg", 0);
         storyGraphTable["bg"].stepX = 3, storyGraphTable["bg"].moveFrames = 10;
       },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyGraphTable.at("bg").x, 30.0);  // the running move lands first
         EXPECT_EQ(storyGraphTable.at("bg").stepX, 2.0);
       }},
      {"@moveGraph bg (100,0,0)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyGraphTable.at("bg").x, 130.0); }},
      {"@endEvent", true, kStepsReplaying, none, noCheck},
      {"@endEvent", false, kStops, [] { gameMode = kModeBattle; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(h.calls, (std::vector<std::string>{"endEvent:", "unload:15"}));
       }},
      {"@impress (オルナ,3)", true, kStops, [] { speakerTable["オルナ"] = speakerEntry{"オルナ", 0, 1, 0}; },
       [](const test::RecordingHooks&) { EXPECT_EQ(speakerTable.at("オルナ").impression, 3); }},
      // A name the table does not know gains no entry (it would shift the saved impressions).
      {"@impress (誰か,3)", false, kStops, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(speakerTable.count("誰か"), 0u); }},
      {"@impress (オルナ)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(speakerTable.count("オルナ"), 0u); }},
      {"@setDifficulty 70", false, kStops, none,
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(currentDifficulty, 70);
         EXPECT_TRUE(h.called("difficulty:70"));
       }},
      {"@confirmWindow (【操作】,text,OK)", false, kStops, none,
       [](const test::RecordingHooks&) {
         ASSERT_EQ(noticeQueue.size(), 1u);
         EXPECT_EQ(noticeQueue.back(), (std::vector<std::string>{"【操作】", "text", "OK"}));
       }},
      {"@confirmWindow (one)", false, kStops, none,
       [](const test::RecordingHooks&) {
         ASSERT_EQ(noticeQueue.size(), 1u);
         EXPECT_EQ(noticeQueue.back(), (std::vector<std::string>{"one", "OK"}));
       }},
      {"@confirmWindow (a,OK)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_TRUE(noticeQueue.empty()); }},
      {"@setFaceGraph DOLU_8", true, kStepsReplaying, [] { storyScene.faceFade = 200; },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyScene.faceImage, 331);
         EXPECT_EQ(storyScene.previousFaceImage, kNoFaceImage);
         EXPECT_EQ(storyScene.faceFade, 0);
       }},
      {"@setFaceGraph DOLU_9", false, kStepsLive, [] { storyScene.faceImage = 262; },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(storyScene.faceImage, 262);
         EXPECT_EQ(storyScene.previousFaceImage, 262);
       }},
      {"@foo bar", false, kStops, none, noCheck},
      {"@messages (ナ) a", false, kStops, none, noCheck},
      {"plain text is a comment", true, kStepsReplaying, none, noCheck},
      {"　全角の空白のあとの行", false, kStepsLive, none, noCheck},
      {"words before @changeBoxCol (7,7,7)", false, kStepsLive, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(storyScene.boxColour[0], 7); }},
  };
  writeFile("story/part2.txt", {"@message (ナ) a", "b", "c"});
  for (const WordCase& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    useScript({c.line, "@transIn", "@foo"});
    c.before();
    stepScenario(c.replaying);
    switch (c.ending) {
      case kStops:
        EXPECT_EQ(storyScene.lineIndex, 1);
        break;
      case kStepsLive:
        EXPECT_EQ(storyScene.lineIndex, 3);
        EXPECT_EQ(storyScene.screenFade, 254);
        break;
      case kStepsReplaying:
        EXPECT_EQ(storyScene.lineIndex, 3);
        EXPECT_EQ(storyScene.screenFade, -1);
        break;
    }
    c.check(hooks);
    hooks.calls.clear();
    noticeQueue.clear();
  }
}

TEST_F(StoryTest, StandaloneLinesNeverRunTheNextLine) {
  useScript({"@transIn"});
  for (const char* line : {"@changeBoxCol (1,2,3)", "comment", "@wait 3", "@endEvent", "@saveHoldings"}) {
    executeScriptLine(true, false, line);
    EXPECT_EQ(storyScene.lineIndex, 0) << line;
  }
}

TEST_F(StoryTest, ScenarioClearUnlocksOnce) {
  useScript({"@scenarioClear", "@scenarioClear"});
  stepScenario(false);
  EXPECT_EQ(settingsRecord.storyCleared, 1);
  EXPECT_TRUE(hooks.called("saveConfig:"));
  ASSERT_EQ(noticeQueue.size(), 2u);
  EXPECT_EQ(noticeQueue[0], (std::vector<std::string>{"【対戦：キャラクター】", "ホーベ を開放しました。", "OK"}));
  EXPECT_EQ(noticeQueue[1], (std::vector<std::string>{"【システムボイス】", "ホーベ を開放しました。",
                                                      "ゼムラン を開放しました。", "OK"}));
  EXPECT_EQ(std::count(voiceList.begin(), voiceList.end(), 8), 1);
  noticeQueue.clear();
  hooks.calls.clear();
  stepScenario(false);
  EXPECT_TRUE(noticeQueue.empty());
  EXPECT_TRUE(hooks.calls.empty());
  // Only zemm missing: one box naming it.
  voiceList.remove(8);
  settingsRecord.storyCleared = 1;
  executeScriptLine(true, true, "@scenarioClear");
  ASSERT_EQ(noticeQueue.size(), 1u);
  EXPECT_EQ(noticeQueue[0], (std::vector<std::string>{"【システムボイス】", "ゼムラン を開放しました。", "OK"}));
}

TEST_F(StoryTest, PagesAreCappedAndOldVoicesFreed) {
  useScript({"@message (ナ) a$b$c"});
  for (int i = 0; i < 101; ++i) {
    messagePage page;
    page.voiceHandle = 1000 + i;  // no such sound: it does not play
    storyScene.pages.push_back(page);
  }
  stepScenario(false);
  // One page dropped for the three added.
  EXPECT_EQ(storyScene.pages.size(), 103u);
  int index = 0;
  for (const messagePage& page : storyScene.pages) {
    // Past the 29 newest (before the message) no voice is left.
    if (index >= 3 + 29) {
      EXPECT_EQ(page.voiceHandle, -1) << index;
    } else if (index >= 3) {
      EXPECT_NE(page.voiceHandle, -1) << index;
    }
    ++index;
  }
}

TEST_F(StoryTest, GoToLoadsTheNextFileAndCopiesImpressionsFirst) {
  hooks.buildSpeakerTable();
  speakerTable.at("オルナ").impression = 5;
  storyScene.choiceHistory = {1};
  const std::string next = writeFile("next.txt", {"first line", "@impress (オルナ,2)", "@foo"});
  useScript({"@goTo " + next});
  stepScenario(false);
  EXPECT_EQ(std::string(storyScene.scriptName), next);
  EXPECT_EQ(storyScene.lineIndex, 2);  // stopped at the impression
  EXPECT_TRUE(storyScene.choiceHistory.empty());
  EXPECT_EQ(speakerTable.at("オルナ").impression, 7);
  // Key order: オルナ is the first key; the block has the value before the new script ran.
  EXPECT_EQ(speakerTable.begin()->first, "オルナ");
  EXPECT_EQ(storyScene.impressionBlock[0], 5);
}

TEST_F(StoryTest, ReplayedBattleInsertsItsEventLinesOnceAndGoesOn) {
  writeFile("stages/s1/events.txt", {"@event 3300 STORY_INSERT FORCE", "@changeBoxCol (9,9,9)", "@endEvent",
                                     "@event 900 EVENT_RADIO (大将,t.ogg,271) text"});
  const std::string folder = (folder_ / "stages/s1").string();
  useScript({"@startBattle " + folder, "@message (ナ) after"});
  stepScenario(true);
  ASSERT_EQ(storyScene.scriptLines.size(), 4u);
  EXPECT_EQ(storyScene.scriptLines[1], "@changeBoxCol (9,9,9)");
  EXPECT_EQ(storyScene.scriptLines[2], "@endEvent");
  EXPECT_EQ(storyScene.boxColour[0], 9);
  EXPECT_EQ(storyScene.lineIndex, 4);  // stopped at the message after the event's lines
  EXPECT_TRUE(hooks.calls.empty());
  EXPECT_EQ(gameMode, kModeTitle);
}

TEST_F(StoryTest, AnOverlongBattleFolderStartsNoBattle) {
  useScript({"@startBattle " + std::string(300, 'f'), "@transIn", "@foo"});
  stepScenario(false);
  EXPECT_TRUE(hooks.calls.empty());
  EXPECT_EQ(storyScene.lineIndex, 3);
}

}  // namespace
}  // namespace game::story
