// The command words: one row a word (and its variants), run as a script
// line followed by a live-only probe, so that each row shows how the line
// ends (stops, steps on live, steps on replaying, hands over) and what it did.
#include <functional>

#include "game/core/session.h"
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
  State().storyGraphTable[name] = picture;
}

TEST_F(StoryTest, EveryWordEndsAsItShouldAndDoesItsWork) {
  const auto none = [] {};
  const auto noCheck = [](const test::RecordingHooks&) {};
  const auto pictureBg = [] { addPicture("bg", 30); };
  const WordCase cases[] = {
      {"@message (オルナ) a$b", false, kStops, none,
       [](const test::RecordingHooks& h) {
         ASSERT_EQ(State().scene.pages.size(), 2u);
         EXPECT_STREQ(State().scene.pages.front().lines[0], "b");  // the message's last page is in front
         EXPECT_STREQ(State().scene.pages.front().voice, "NONE");
         EXPECT_EQ(State().scene.pendingPages, 1);
         EXPECT_TRUE(h.calls.empty());
       }},
      {"@message (オルナ,a.ogg) 「text」", false, kStops, [] { State().scene.revealMs = 400; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("voice:voice/story/a.ogg"));
         EXPECT_STREQ(State().scene.pages.front().speaker, "オルナ");
         EXPECT_STREQ(State().scene.pages.front().lines[0], "「text」");
         EXPECT_EQ(State().scene.revealMs, 0);
       }},
      {"@message (オルナ,a.ogg) text", true, kStops, none,
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(State().scene.pages.size(), 1u);
         EXPECT_TRUE(h.calls.empty());
       }},
      {"@addNewGraph image/a.png 0bg (10,-20)", false, kStepsLive, none,
       [](const test::RecordingHooks&) {
         const storyGraph& p = State().storyGraphTable.at("0bg");
         EXPECT_EQ(p.fileName, "image/a.png");
         EXPECT_EQ(p.x, 10);
         EXPECT_EQ(p.y, -20);
         EXPECT_EQ(p.alpha, 255);
         EXPECT_EQ(p.fadeState, -1);
       }},
      {"@addNewGraph image/a.png bg (10,20)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().storyGraphTable.at("bg").fileName, "old.png");  // the old picture stays
         EXPECT_EQ(State().storyGraphTable.at("bg").graphHandle, 41);
       }},
      {"@addNewGraph image/a.png bg (10,20)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_TRUE(State().storyGraphTable.empty()); }},
      {"@setTransGraph bg 100", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().storyGraphTable.at("bg").alpha, 100);
         EXPECT_EQ(State().storyGraphTable.at("bg").fadeState, 4);
       }},
      {"@setTransGraph nobody 100", false, kStepsLive, none, noCheck},
      {"@transGraphIn bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().storyGraphTable.at("bg").alpha, 0);
         EXPECT_EQ(State().storyGraphTable.at("bg").fadeState, 2);
       }},
      {"@changeBoxCol (1,2,3)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().scene.boxColour[0], 1);
         EXPECT_EQ(State().scene.boxColour[1], 2);
         EXPECT_EQ(State().scene.boxColour[2], 3);
       }},
      {"@transAllGraphOut", false, kStepsLive, [] { addPicture("a"), addPicture("b"); },
       [](const test::RecordingHooks&) {
         for (const auto& [name, p] : State().storyGraphTable) {
           EXPECT_EQ(p.fadeState, 1) << name;
           EXPECT_EQ(p.alpha, 255) << name;
         }
       }},
      {"@transGraphOut bg 1", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().storyGraphTable.at("bg").fadeState, 3); }},
      {"@transGraphOut bg 0", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().storyGraphTable.at("bg").fadeState, 1); }},
      {"@transGraphOut bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().storyGraphTable.at("bg").fadeState, -1); }},
      {"@transGraphTo bg image/new.png", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         const storyGraph& old = State().storyGraphTable.at("bg_temp");
         EXPECT_EQ(old.fileName, "old.png");
         EXPECT_EQ(old.fadeState, 3);
         EXPECT_EQ(old.alpha, 255);
         const storyGraph& next = State().storyGraphTable.at("bg");
         EXPECT_EQ(next.fileName, "image/new.png");
         EXPECT_EQ(next.fadeState, 2);
         EXPECT_EQ(next.alpha, 0);
         EXPECT_EQ(next.x, 30);
       }},
      {"@deleteGraph bg", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_TRUE(State().storyGraphTable.empty()); }},
      {"@wait 80", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().scene.waitFrames, 0); }},
      {"@wait 80", false, kStepsLive, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().scene.waitFrames, 80); }},
      {"@playMovie image/movie/opening.ogv", false, kStepsLive, [] { State().scene.skipMode = 1; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("movie:image/movie/opening.ogv"));
         EXPECT_EQ(State().scene.skipMode, 0);
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
       [] { Session().settings.bgmVolume = 0, Session().settings.midiMode = 0; },
       [](const test::RecordingHooks& h) {
         EXPECT_TRUE(h.called("remember:bgm.mid"));
         EXPECT_FALSE(h.called("music:bgm.mid"));
       }},
      {"@stopNonMIDI", true, kStepsReplaying, none, noCheck},
      {"@stopMusic", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("stopMusic:")); }},
      {"@goTo story/part2.txt", true, kStops, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().scene.scriptLines.size(), 3u); }},
      {"@goWearArm", false, kStops, [] { Session().frame.gameMode = kModeStory; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(Session().frame.gameMode, kModeEquipment);
         EXPECT_EQ(getReturnMode(kModeEquipment), kModeStory);
         // The equipment screen fits the first player as its mode is entered.
         EXPECT_EQ(h.calls, (std::vector<std::string>{"load:8", "music:audio/loop009.mid"}));
       }},
      {"@goWearArm", true, kStepsReplaying, [] { Session().frame.gameMode = kModeStory; },
       [](const test::RecordingHooks&) { EXPECT_EQ(Session().frame.gameMode, kModeStory); }},
      {"@goShopping", false, kStops, [] { State().scene.skipMode = 1; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(Session().frame.gameMode, kModeShop);
         EXPECT_EQ(getReturnMode(kModeShop), kModeStory);
         EXPECT_EQ(State().scene.faceImage, 269);
         EXPECT_EQ(State().scene.skipMode, 0);
         // The shop greets the player as its mode is entered.
         EXPECT_EQ(h.calls, (std::vector<std::string>{"load:5"}));
       }},
      {"@startBattle stages/ステージ1", false, kStops, [] { Session().menuCursor = 4; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(Session().frame.gameMode, kModeBattle);
         EXPECT_EQ(Session().menuCursor, 1);
         EXPECT_EQ(h.calls, (std::vector<std::string>{"battle:stages/ステージ1", "consume:", "storyFlag:"}));
       }},
      {"@setCharaBattle ドゥル", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("character:4")); }},
      {"@setCharaBattle ホーベ", false, kStepsLive, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.calls.empty()); }},
      {"@transition", false, kStops, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().scene.screenFade, 0);
         EXPECT_EQ(State().scene.screenFadeDir, 1);
       }},
      {"@transition", false, kStepsLive, [] { State().scene.skipMode = 1; }, noCheck},
      {"@transition", true, kStepsReplaying, none, noCheck},
      {"@goMainMenu", true, kStops, [] { Session().frame.gameMode = kModeStory; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(Session().frame.gameMode, kModeTitle);
         EXPECT_TRUE(h.called("unload:15"));
         EXPECT_TRUE(h.called("stopMusic:"));
       }},
      {"@transIn", true, kStepsReplaying, none, noCheck},
      {"@makeChoice (左へ,正面へ)", false, kStops, none,
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().scene.choiceTexts, (std::deque<std::string>{"左へ", "正面へ"}));
         EXPECT_EQ(State().scene.choiceState, 0);
       }},
      {"@choiceEnd", true, kStepsReplaying, none, noCheck},
      {"@charaEnd", false, kStepsLive, none, noCheck},
      {"@saveHoldings", true, kStepsReplaying, none,
       [](const test::RecordingHooks& h) { EXPECT_TRUE(h.called("holdings:")); }},
      {"@moveGraph bg (100,-50,50)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) {
         const storyGraph& p = State().storyGraphTable.at("bg");
         EXPECT_EQ(p.stepX, 2.0);
         EXPECT_EQ(p.stepY, -1.0);
         EXPECT_EQ(p.moveFrames, 50);
       }},
      {"@moveGraph bg (100,0,50)", false, kStepsLive,
       [] {
         addPicture("bg", 0);
         State().storyGraphTable["bg"].stepX = 3, State().storyGraphTable["bg"].moveFrames = 10;
       },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().storyGraphTable.at("bg").x, 30.0);  // the running move lands first
         EXPECT_EQ(State().storyGraphTable.at("bg").stepX, 2.0);
       }},
      {"@moveGraph bg (100,0,0)", false, kStepsLive, pictureBg,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().storyGraphTable.at("bg").x, 130.0); }},
      {"@endEvent", true, kStepsReplaying, none, noCheck},
      {"@endEvent", false, kStops, [] { Session().frame.gameMode = kModeBattle; },
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(h.calls, (std::vector<std::string>{"endEvent:", "unload:15"}));
       }},
      {"@impress (オルナ,3)", true, kStops, [] { State().speakerTable["オルナ"] = speakerEntry{"オルナ", 0, 1, 0}; },
       [](const test::RecordingHooks&) { EXPECT_EQ(State().speakerTable.at("オルナ").impression, 3); }},
      // A name the table does not know gains no entry (it would shift the saved impressions).
      {"@impress (誰か,3)", false, kStops, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().speakerTable.count("誰か"), 0u); }},
      {"@impress (オルナ)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().speakerTable.count("オルナ"), 0u); }},
      {"@setDifficulty 70", false, kStops, none,
       [](const test::RecordingHooks& h) {
         EXPECT_EQ(Session().play.currentDifficulty, 70);
         EXPECT_TRUE(h.called("difficulty:70"));
       }},
      {"@confirmWindow (【操作】,text,OK)", false, kStops, none,
       [](const test::RecordingHooks&) {
         ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
         EXPECT_EQ(Session().frame.noticeQueue.back(), (std::vector<std::string>{"【操作】", "text", "OK"}));
       }},
      {"@confirmWindow (one)", false, kStops, none,
       [](const test::RecordingHooks&) {
         ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
         EXPECT_EQ(Session().frame.noticeQueue.back(), (std::vector<std::string>{"one", "OK"}));
       }},
      {"@confirmWindow (a,OK)", true, kStepsReplaying, none,
       [](const test::RecordingHooks&) { EXPECT_TRUE(Session().frame.noticeQueue.empty()); }},
      {"@setFaceGraph DOLU_8", true, kStepsReplaying, [] { State().scene.faceFade = 200; },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().scene.faceImage, 331);
         EXPECT_EQ(State().scene.previousFaceImage, kNoFaceImage);
         EXPECT_EQ(State().scene.faceFade, 0);
       }},
      {"@setFaceGraph DOLU_9", false, kStepsLive, [] { State().scene.faceImage = 262; },
       [](const test::RecordingHooks&) {
         EXPECT_EQ(State().scene.faceImage, 262);
         EXPECT_EQ(State().scene.previousFaceImage, 262);
       }},
      {"@foo bar", false, kStops, none, noCheck},
      {"@messages (ナ) a", false, kStops, none, noCheck},
      {"plain text is a comment", true, kStepsReplaying, none, noCheck},
      {"　全角の空白のあとの行", false, kStepsLive, none, noCheck},
      {"words before @changeBoxCol (7,7,7)", false, kStepsLive, none,
       [](const test::RecordingHooks&) { EXPECT_EQ(State().scene.boxColour[0], 7); }},
  };
  writeFile("story/part2.txt", {"@message (ナ) a", "b", "c"});
  for (const WordCase& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    useScript({c.line, "@transIn", "@foo"});
    c.before();
    stepScenario(c.replaying);
    switch (c.ending) {
      case kStops: EXPECT_EQ(State().scene.lineIndex, 1); break;
      case kStepsLive:
        EXPECT_EQ(State().scene.lineIndex, 3);
        EXPECT_EQ(State().scene.screenFade, 254);
        break;
      case kStepsReplaying:
        EXPECT_EQ(State().scene.lineIndex, 3);
        EXPECT_EQ(State().scene.screenFade, -1);
        break;
    }
    c.check(hooks);
    hooks.calls.clear();
    Session().frame.noticeQueue.clear();
  }
}

TEST_F(StoryTest, StandaloneLinesNeverRunTheNextLine) {
  useScript({"@transIn"});
  for (const char* line : {"@changeBoxCol (1,2,3)", "comment", "@wait 3", "@endEvent", "@saveHoldings"}) {
    executeScriptLine(true, false, line);
    EXPECT_EQ(State().scene.lineIndex, 0) << line;
  }
}

TEST_F(StoryTest, ScenarioClearUnlocksOnce) {
  useScript({"@scenarioClear", "@scenarioClear"});
  stepScenario(false);
  EXPECT_EQ(Session().settings.storyCleared, 1);
  EXPECT_TRUE(hooks.called("saveConfig:"));
  ASSERT_EQ(Session().frame.noticeQueue.size(), 2u);
  EXPECT_EQ(Session().frame.noticeQueue[0],
            (std::vector<std::string>{"【対戦：キャラクター】", "ホーベ を開放しました。", "OK"}));
  EXPECT_EQ(Session().frame.noticeQueue[1], (std::vector<std::string>{"【システムボイス】", "ホーベ を開放しました。",
                                                                      "ゼムラン を開放しました。", "OK"}));
  EXPECT_EQ(std::count(Session().registry.voiceList.begin(), Session().registry.voiceList.end(), 8), 1);
  Session().frame.noticeQueue.clear();
  hooks.calls.clear();
  stepScenario(false);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_TRUE(hooks.calls.empty());
  // Only zemm missing: one box naming it.
  Session().registry.voiceList.remove(8);
  Session().settings.storyCleared = 1;
  executeScriptLine(true, true, "@scenarioClear");
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue[0],
            (std::vector<std::string>{"【システムボイス】", "ゼムラン を開放しました。", "OK"}));
}

TEST_F(StoryTest, PagesAreCappedAndOldVoicesFreed) {
  useScript({"@message (ナ) a$b$c"});
  for (int i = 0; i < 101; ++i) {
    messagePage page;
    page.voiceHandle = 1000 + i;  // no such sound: it does not play
    State().scene.pages.push_back(page);
  }
  stepScenario(false);
  // One page dropped for the three added.
  EXPECT_EQ(State().scene.pages.size(), 103u);
  int index = 0;
  for (const messagePage& page : State().scene.pages) {
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
  State().speakerTable.at("オルナ").impression = 5;
  State().scene.choiceHistory = {1};
  const std::string next = writeFile("next.txt", {"first line", "@impress (オルナ,2)", "@foo"});
  useScript({"@goTo " + next});
  stepScenario(false);
  EXPECT_EQ(std::string(State().scene.scriptName), next);
  EXPECT_EQ(State().scene.lineIndex, 2);  // stopped at the impression
  EXPECT_TRUE(State().scene.choiceHistory.empty());
  EXPECT_EQ(State().speakerTable.at("オルナ").impression, 7);
  // Key order: オルナ is the first key; the block has the value before the new script ran.
  EXPECT_EQ(State().speakerTable.begin()->first, "オルナ");
  EXPECT_EQ(State().scene.impressionBlock[0], 5);
}

TEST_F(StoryTest, ReplayedBattleInsertsItsEventLinesOnceAndGoesOn) {
  writeFile("stages/s1/events.txt", {"@event 3300 STORY_INSERT FORCE", "@changeBoxCol (9,9,9)", "@endEvent",
                                     "@event 900 EVENT_RADIO (大将,t.ogg,271) text"});
  const std::string folder = (folder_ / "stages/s1").string();
  useScript({"@startBattle " + folder, "@message (ナ) after"});
  stepScenario(true);
  ASSERT_EQ(State().scene.scriptLines.size(), 4u);
  EXPECT_EQ(State().scene.scriptLines[1], "@changeBoxCol (9,9,9)");
  EXPECT_EQ(State().scene.scriptLines[2], "@endEvent");
  EXPECT_EQ(State().scene.boxColour[0], 9);
  EXPECT_EQ(State().scene.lineIndex, 4);  // stopped at the message after the event's lines
  EXPECT_TRUE(hooks.calls.empty());
  EXPECT_EQ(Session().frame.gameMode, kModeTitle);
}

TEST_F(StoryTest, AnOverlongBattleFolderStartsNoBattle) {
  useScript({"@startBattle " + std::string(300, 'f'), "@transIn", "@foo"});
  stepScenario(false);
  EXPECT_TRUE(hooks.calls.empty());
  EXPECT_EQ(State().scene.lineIndex, 3);
}

}  // namespace
}  // namespace game::story
