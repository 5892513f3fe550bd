// The story screen without a window: page splitting and the reveal, the next
// input, the wait, the speakers and their voices, the pictures, the frame's
// keys and menu, the log and the choices.
#include "game/story/story_screen.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/story/story_test_support.h"
#include "platform/input/input_test_support.h"
#include "platform/os/host_path.h"

namespace game::story {
namespace {

// 12 pixels a byte, 24 a double-byte character.
int fixedMeasure(const char* text, int bytes) {
  int width = 0;
  for (int i = 0; i < bytes; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < bytes) {
      width += 24;
      ++i;
    } else {
      width += 12;
    }
  }
  return width;
}
// A narrow face: 8 pixels a byte.
int narrowMeasure(const char*, int bytes) { return 8 * bytes; }

std::string repeat(const std::string& unit, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += unit;
  return out;
}

// Whether a Shift-JIS text ends after a whole character.
bool endsOnCharacter(const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    at += ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
  }
  return at == text.size();
}

std::vector<std::vector<std::string>> pageLines(const std::vector<messagePage>& pages) {
  std::vector<std::vector<std::string>> out;
  for (const messagePage& page : pages) {
    std::vector<std::string> lines;
    for (int i = 0; i < page.lineCount; ++i) lines.emplace_back(page.lines[i]);
    out.push_back(lines);
  }
  return out;
}

TEST(MessagePages, SplitByWidthDollarAndFourLinesAPage) {
  const std::string wide = "あ";  // two bytes, 24 pixels
  struct Case {
    const char* what;
    std::string text;
    TextMeasure measure;
    std::vector<std::vector<std::string>> pages;
  };
  const std::string full25 = repeat(wide, 25);  // 600 pixels: fits
  const std::vector<Case> cases = {
      {"one short line", "abc", fixedMeasure, {{"abc"}}},
      {"the dollar breaks at once", "ab$cd", fixedMeasure, {{"ab", "cd"}}},
      {"a line fills 600 pixels, the next character wraps", full25 + "いう", fixedMeasure,
       {{full25, "いう"}}},
      {"six lines make two pages of four and two", "1$2$3$4$5$6", fixedMeasure,
       {{"1", "2", "3", "4"}, {"5", "6"}}},
      {"a fourth line ended by a dollar gets an empty page", "1$2$3$4$", fixedMeasure,
       {{"1", "2", "3", "4"}, {""}}},
      {"a narrow face cuts at 63 bytes", repeat("x", 70), narrowMeasure, {{repeat("x", 63), "xxxxxxx"}}},
      {"a cut falls between two characters", "a" + repeat(wide, 26), fixedMeasure,
       {{"a" + repeat(wide, 24), repeat(wide, 2)}}},
      {"an empty text is one empty line", "", fixedMeasure, {{""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<messagePage> pages = splitMessageIntoPages("オルナ", c.text, "voice/story/a.ogg", -1, c.measure);
    EXPECT_EQ(pageLines(pages), c.pages);
    for (const messagePage& page : pages) {
      EXPECT_STREQ(page.speaker, "オルナ");
      EXPECT_STREQ(page.voice, "voice/story/a.ogg");
      for (int i = page.lineCount; i < 4; ++i) EXPECT_STREQ(page.lines[i], "");
    }
  }
}

TEST(MessagePages, NarrowTextNeverEndsInsideACharacter) {
  // Double-byte characters measured narrow: the 63-byte cut must not split one.
  const std::string text = "a" + repeat("あ", 40);
  for (const messagePage& page : splitMessageIntoPages("ナ", text, "NONE", -1, narrowMeasure)) {
    for (int i = 0; i < page.lineCount; ++i) {
      const std::string line = page.lines[i];
      EXPECT_LE(line.size(), 63u);
      EXPECT_TRUE(endsOnCharacter(line)) << line.size();
    }
  }
}

TEST(MessageReveal, AllowanceIsWideAndStartsAfterThreeCharacterTimes) {
  struct Case {
    int32_t revealMs, speed, allowance;
  };
  const Case cases[] = {
      {0, 40, -3},
      {74, 40, -1},
      {75, 40, 0},  // one character shows from 75 ms at speed 40
      {1000, 10, 7},
      // Hours on one page: the product passes the i32 range, the allowance stays positive.
      {INT32_MAX, 160, static_cast<int32_t>(int64_t{INT32_MAX} * 160 / 1000 - 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(revealAllowance(c.revealMs, c.speed), c.allowance) << c.revealMs << " at " << c.speed;
  }
}

class StoryScreenTest : public test::StoryTest {
 protected:
  void SetUp() override {
    test::StoryTest::SetUp();
    buildSpeakerTable();
    Session().frame.frameDeltaMs = 16;
    Session().menuCursor = 1;
    State().choiceCursor = 1;
    State().hideKeyHold = 0;
    State().skipByControl = false;
    for (inputRecord& record : Session().playerInputs) record = resetInputRecord();
  }

  // A message's pages put in front of the list, as "@message" does.
  void showMessage(const std::string& speaker, const std::string& text) {
    const std::vector<messagePage> pages = splitMessageIntoPages(speaker, text, "NONE", -1, fixedMeasure);
    State().scene.pendingPages = static_cast<int32_t>(pages.size()) - 1;
    for (const messagePage& page : pages) State().scene.pages.push_front(page);
    State().scene.revealMs = 0;
    State().scene.textComplete = 0;
  }
  void press(InputAction action) {
    for (int32_t& hold : Session().playerInputs[0].hold) hold = 0;
    Session().playerInputs[0].hold[action] = 1;
  }
  void release() {
    for (int32_t& hold : Session().playerInputs[0].hold) hold = 0;
  }
  std::vector<int>& sounds = hooks.sounds;
};

TEST_F(StoryScreenTest, PageIsCompleteOnlyWhenEveryCharacterShowsAndNoChoiceIsOpen) {
  const messagePage page = makeMessagePage("オルナ", "NONE", -1, {"abc", "あい"});  // 3 + 2 characters
  const speakerEntry& speaker = State().speakerTable.at("オルナ");
  EXPECT_FALSE(drawMessagePage(speaker, page, -3));
  EXPECT_FALSE(drawMessagePage(speaker, page, 5));
  EXPECT_TRUE(drawMessagePage(speaker, page, 6));
  State().scene.choiceState = 0;
  EXPECT_FALSE(drawMessagePage(speaker, page, 6));
}

TEST_F(StoryScreenTest, NextInputCascade) {
  useScript({"@message (オルナ) next", "@foo"});
  struct Case {
    const char* what;
    void (*before)();
    void (*check)();
    std::vector<int> sounds;
  };
  const Case cases[] = {
      {"a wait takes no input",
       [] { State().scene.waitFrames = 3; },
       [] { EXPECT_EQ(State().scene.pendingPages, 1); },
       {}},
      {"a hidden window is shown again",
       [] { State().scene.windowHidden = 1; },
       [] { EXPECT_EQ(State().scene.windowHidden, 0); },
       {5}},
      {"a screen fade takes no input",
       [] { State().scene.screenFade = 30; },
       [] { EXPECT_EQ(State().scene.pendingPages, 1); },
       {}},
      {"an open choice takes no input",
       [] { State().scene.choiceState = 0; },
       [] { EXPECT_EQ(State().scene.pendingPages, 1); },
       {}},
      {"the open log moves forward",
       [] { State().scene.logOffset = -3; },
       [] { EXPECT_EQ(State().scene.logOffset, -2); },
       {0}},
      {"the log stops at its newest page",
       [] { State().scene.logOffset = -1; },
       [] { EXPECT_EQ(State().scene.logOffset, -1); },
       {5}},
      {"a page being revealed shows at once", [] {}, [] { EXPECT_EQ(State().scene.revealMs, 10000); }, {}},
      {"a shown page goes to the message's next page",
       [] { State().scene.textComplete = 1; },
       [] {
         EXPECT_EQ(State().scene.pendingPages, 0);
         EXPECT_EQ(State().scene.revealMs, 0);
         EXPECT_EQ(State().scene.lineIndex, 0);
       },
       {}},
      {"the last page steps the script",
       [] {
         State().scene.textComplete = 1;
         State().scene.pendingPages = 0;
       },
       [] {
         EXPECT_EQ(State().scene.lineIndex, 1);
         EXPECT_EQ(State().scene.pages.front().lines[0], std::string("next"));
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    State().scene = storySceneRecord{};
    State().scene.scriptLines = {"@message (オルナ) next", "@foo"};
    showMessage("オルナ", "one$two$three$four$five");
    sounds.clear();
    c.before();
    advanceStoryText(1);
    c.check();
    EXPECT_EQ(sounds, c.sounds);
  }
}

TEST_F(StoryScreenTest, RepeatedPressesNeverTurnTheRevealNegative) {
  showMessage("オルナ", "text");
  State().scene.revealMs = INT32_MAX - 5000;
  for (int i = 0; i < 3; ++i) advanceStoryText(1);
  EXPECT_GT(State().scene.revealMs, 0);
  EXPECT_GT(revealAllowance(State().scene.revealMs, 160), 0);
}

TEST_F(StoryScreenTest, WaitOfEightyIsBlankForThirtyFramesThenFadesInOverFifty) {
  showMessage("オルナ", "text");
  State().scene.waitFrames = 80;
  for (int frame = 0; frame < 30; ++frame) drawStoryScreen();
  EXPECT_EQ(State().scene.waitFrames, 50);
  EXPECT_EQ(State().scene.revealMs, 0);
  for (int frame = 0; frame < 50; ++frame) drawStoryScreen();
  EXPECT_EQ(State().scene.waitFrames, 0);
  EXPECT_EQ(State().scene.revealMs, 0);  // the reveal starts once the wait is over
  drawStoryScreen();
  EXPECT_EQ(State().scene.revealMs, 16);
}

TEST_F(StoryScreenTest, HiddenWindowHoldsTheFadeAndTheWait) {
  showMessage("オルナ", "text");
  State().scene.windowHidden = 1;
  State().scene.screenFade = 100;
  State().scene.screenFadeDir = 1;
  State().scene.waitFrames = 10;
  drawStoryScreen();
  EXPECT_EQ(State().scene.screenFade, 100);
  EXPECT_EQ(State().scene.waitFrames, 10);
}

TEST_F(StoryScreenTest, ScreenFadeStepsTheScriptAtFullDarkness) {
  useScript({"@transition", "@message (オルナ) after", "@foo"});
  stepScenario(false);
  showMessage("オルナ", "before");
  for (int frame = 0; frame < 63; ++frame) drawStoryScreen();
  EXPECT_EQ(State().scene.screenFade, 252);
  EXPECT_EQ(State().scene.lineIndex, 1);
  drawStoryScreen();  // 256: the script steps, the fade turns to brightening
  EXPECT_EQ(State().scene.lineIndex, 2);
  EXPECT_EQ(State().scene.screenFadeDir, 0);
}

TEST_F(StoryScreenTest, FadeBeforeTheFirstMessageStillRuns) {
  // The first stopping line is a fade: the log view shows (no page, no
  // thumb), and the fade reaches its end.
  useScript({"@transition", "@message (オルナ) first", "@foo"});
  stepScenario(false);
  ASSERT_TRUE(State().scene.pages.empty());
  for (int frame = 0; frame < 64; ++frame) drawStoryScreen();
  EXPECT_EQ(State().scene.pages.size(), 1u);
}

TEST_F(StoryScreenTest, UnknownSpeakerIsPassedOverWithoutJoiningTheTable) {
  useScript({"@message (誰か) who", "@message (オルナ) known", "@foo"});
  stepScenario(false);
  const size_t speakers = State().speakerTable.size();
  drawStoryScreen();
  EXPECT_EQ(State().scene.lineIndex, 2);
  EXPECT_STREQ(State().scene.pages.front().speaker, "オルナ");
  EXPECT_EQ(State().speakerTable.size(), speakers);
}

TEST_F(StoryScreenTest, SpeakerTableKeepsImpressionsWhenBuiltAgain) {
  ASSERT_EQ(State().speakerTable.size(), static_cast<size_t>(kSpeakerCount));
  State().speakerTable.at("オルナ").impression = 9;
  buildSpeakerTable();
  EXPECT_EQ(State().speakerTable.at("オルナ").impression, 9);
  EXPECT_EQ(State().speakerTable.at("ヴェルク").impression, -1000);
  EXPECT_EQ(State().speakerTable.at("サッフォ").impression, 0);
  EXPECT_EQ(State().speakerTable.at("黒い子").plate, 13);
  EXPECT_EQ(getSpeakerColor("いない"), 0u);
  EXPECT_EQ(State().speakerTable.count("いない"), 0u);
}

TEST(StoryVoices, SwitchByTheFirstCharacterIdInThePath) {
  const std::pair<const char*, int> cases[] = {
      {"voice/story/oruna_s01.ogg", 1}, {"voice/story/temu_s01.ogg", 6}, {"voice/story/velk_oruna.ogg", 0},
      {"voice/story/oruna_velk.ogg", 0}, {"voice/story/all_s01.ogg", 6}, {"voice/story/tirun_e01.ogg", 5},
      {"voice/story/nobody.ogg", -1},   {"NONE", -1},
  };
  for (const auto& [path, index] : cases) EXPECT_EQ(voiceSwitchIndex(path), index) << path;
}

TEST_F(StoryScreenTest, VoiceOfNoCharacterOrSwitchedOffIsNotPlayed) {
  messagePage page = makeMessagePage("ナ", "voice/story/nobody.ogg", -1, {"x"});
  EXPECT_FALSE(playPageVoice(page));
  page = makeMessagePage("オルナ", "voice/story/oruna_s01.ogg", -1, {"x"});
  Session().settings.voiceEnabled[1] = 0;
  EXPECT_FALSE(playPageVoice(page));
  EXPECT_EQ(page.voiceHandle, -1);
}

TEST_F(StoryScreenTest, PicturesMoveFadeAndDrawInNameOrder) {
  storyGraph fadingIn;
  fadingIn.alpha = 0;
  fadingIn.fadeState = 2;
  storyGraph moving;
  moving.stepX = 2.0;
  moving.moveFrames = 50;
  storyGraph leaving;
  leaving.fadeState = 3;
  storyGraph kept;
  kept.fadeState = 1;
  storyGraph held;
  held.alpha = 100;
  held.fadeState = 4;
  State().storyGraphTable = {{"a", fadingIn}, {"b", moving}, {"c", leaving}, {"d", kept}, {"e", held}};
  drawStoryGraphs(false);
  EXPECT_EQ(State().storyGraphTable.at("a").alpha, 4);
  EXPECT_DOUBLE_EQ(State().storyGraphTable.at("b").x, 2.0);
  EXPECT_EQ(State().storyGraphTable.at("b").moveFrames, 49);
  EXPECT_EQ(State().storyGraphTable.at("c").alpha, 251);
  for (int frame = 0; frame < 70; ++frame) drawStoryGraphs(false);
  EXPECT_EQ(State().storyGraphTable.at("a").fadeState, -1);
  EXPECT_EQ(State().storyGraphTable.count("c"), 0u);    // faded out and removed
  EXPECT_EQ(State().storyGraphTable.at("d").alpha, 0);  // faded out and kept
  EXPECT_EQ(State().storyGraphTable.at("e").alpha, 100);

  // Skipping completes a fade and a move at once.
  State().storyGraphTable.at("a").alpha = 0;
  State().storyGraphTable.at("a").fadeState = 2;
  State().storyGraphTable.at("b").moveFrames = 10;
  drawStoryGraphs(true);
  EXPECT_EQ(State().storyGraphTable.at("a").fadeState, -1);
  EXPECT_EQ(State().storyGraphTable.at("a").alpha, 255);
  EXPECT_DOUBLE_EQ(State().storyGraphTable.at("b").x, 120.0);
  EXPECT_EQ(State().storyGraphTable.at("b").moveFrames, 0);
}

TEST_F(StoryScreenTest, ReplacedPicturesAreNotLeftBehind) {
  useScript({"@addNewGraph image/a.png bg (0,0)", "@transGraphTo bg image/b.png", "@transGraphTo bg image/c.png",
             "@foo"});
  stepScenario(false);
  // One picture under the name and one fading out: the earlier fade-out went.
  EXPECT_EQ(State().storyGraphTable.size(), 2u);
  EXPECT_EQ(State().storyGraphTable.at("bg").fileName, "image/c.png");
  EXPECT_EQ(State().storyGraphTable.at("bg_temp").fileName, "image/b.png");
  for (int frame = 0; frame < 70; ++frame) drawStoryGraphs(false);
  EXPECT_EQ(State().storyGraphTable.size(), 1u);
}

TEST_F(StoryScreenTest, SideMenuSlidesWithTheMouseAndStaysOutWhileHeld) {
  showMessage("オルナ", "text");
  Session().frame.mouseX = 750;
  for (int frame = 0; frame < 3; ++frame) drawStoryScreen();
  EXPECT_EQ(State().scene.sideBarPos, 15);  // 16 / 3 a frame
  Session().frame.mouseX = 100;
  drawStoryScreen();
  EXPECT_EQ(State().scene.sideBarPos, 10);
  // Brought out by the back input: out at once, held while the cursor moves.
  State().scene.menuHoldMs = 1500;
  drawStoryScreen();
  EXPECT_EQ(State().scene.sideBarPos, 100);
  EXPECT_EQ(State().scene.menuHoldMs, 1500);
  State().scene.menuIdleMs = 2001;
  drawStoryScreen();
  EXPECT_EQ(State().scene.menuHoldMs, 1484);
  // Locked, it stands where it is.
  State().scene.menuHoldMs = 0;
  State().scene.sideBarLocked = 1;
  drawStoryScreen();
  EXPECT_EQ(State().scene.sideBarPos, 100);
}

TEST_F(StoryScreenTest, MenuHitAreas) {
  struct Case {
    int x, y, sideBarPos;
    bool on;
  };
  const Case cases[] = {
      {790, 100, 100, true},  {790, 131, 100, false}, {790, 100, 0, false},  {710, 305, 100, true},
      {780, 297, 100, true},  {760, 329, 100, false}, {310, 573, 0, true},   {750, 600, 0, true},
      {751, 573, 0, false},   {300, 590, 0, false},
  };
  for (const Case& c : cases) {
    Session().frame.mouseX = c.x;
    Session().frame.mouseY = c.y;
    State().scene.sideBarPos = c.sideBarPos;
    EXPECT_EQ(isMouseOnStoryMenu(), c.on) << c.x << "," << c.y << " at " << c.sideBarPos;
  }
}

// --- The frame's keys -----------------------------------------------------------

TEST_F(StoryScreenTest, SpaceWhileSkippingStopsSkippingAndHides) {
  State().scene.skipMode = 1;
  StoryKeys keys;
  keys.hide = true;
  EXPECT_TRUE(applyStoryInput(keys));
  EXPECT_EQ(State().scene.skipMode, 0);
  EXPECT_EQ(State().scene.windowHidden, 1);
  EXPECT_TRUE(applyStoryInput(keys));  // held: no second toggle
  EXPECT_EQ(State().scene.windowHidden, 1);
  EXPECT_EQ(sounds, std::vector<int>{1});
}

TEST_F(StoryScreenTest, BackCascade) {
  State().scene.windowHidden = 1;
  State().scene.sideBarLocked = 1;
  State().scene.skipMode = 1;
  State().scene.logOffset = -2;
  State().scene.sideBarPos = 100;
  const StoryKeys none;
  using Field = std::function<int32_t()>;
  const std::vector<Field> cleared = {[] { return State().scene.windowHidden; },
                                      [] { return State().scene.sideBarLocked; }, [] { return State().scene.skipMode; },
                                      [] { return State().scene.logOffset; }, [] { return State().scene.sideBarPos; }};
  for (size_t press = 0; press < cleared.size(); ++press) {
    SCOPED_TRACE(press);
    this->press(kActionPause);
    applyStoryInput(none);
    for (size_t k = 0; k < cleared.size(); ++k) EXPECT_EQ(cleared[k]() == 0, k <= press) << k;
  }
  EXPECT_EQ(sounds, (std::vector<int>{5, 5, 5, 5, 1}));
  // With nothing left, back brings the menu out and holds it.
  applyStoryInput(none);
  EXPECT_EQ(State().scene.menuHoldMs, 1500);
}

TEST_F(StoryScreenTest, WheelAndControlKeys) {
  useScript({"@message (オルナ) a", "@message (オルナ) b", "@message (オルナ) c", "@foo"});
  for (int i = 0; i < 3; ++i) stepScenario(false);
  StoryKeys keys;
  keys.wheel = -1;  // towards the player, log closed: nothing
  applyStoryInput(keys);
  EXPECT_EQ(State().scene.logOffset, 0);
  keys.wheel = 2;  // away: the log opens two pages back
  applyStoryInput(keys);
  EXPECT_EQ(State().scene.logOffset, -2);
  keys.wheel = -1;
  applyStoryInput(keys);
  EXPECT_EQ(State().scene.logOffset, -1);

  StoryKeys control;
  control.control = true;
  applyStoryInput(control);
  EXPECT_EQ(State().scene.skipMode, 1);
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(State().scene.skipMode, 0);
  // Skipping from the bottom bar goes on until a control key is pressed and released.
  Session().menuCursor = 11;
  runStoryMenuAction();
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(State().scene.skipMode, 1);
  applyStoryInput(control);
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(State().scene.skipMode, 0);
}

TEST_F(StoryScreenTest, MenuItems) {
  useScript({"@message (オルナ) a", "@message (オルナ) b", "@foo"});
  stepScenario(false);
  stepScenario(false);
  Session().menuCursor = 4;  // log: opens with the close button chosen
  runStoryMenuAction();
  EXPECT_EQ(Session().menuCursor, 3);
  EXPECT_EQ(State().scene.logOffset, -1);
  Session().menuCursor = 4;
  runStoryMenuAction();
  EXPECT_EQ(State().scene.logOffset, 0);
  Session().menuCursor = 7;
  runStoryMenuAction();
  EXPECT_EQ(State().scene.sideBarLocked, 1);
  Session().menuCursor = 10;
  State().scene.skipMode = 1;
  runStoryMenuAction();
  EXPECT_EQ(State().scene.windowHidden, 1);
  EXPECT_EQ(State().scene.skipMode, 0);
  sounds.clear();
  Session().menuCursor = 11;
  State().scene.choiceState = 0;  // no skipping while a choice is open
  runStoryMenuAction();
  EXPECT_EQ(State().scene.skipMode, 0);
  Session().menuCursor = 8;  // quick load without slot 10
  runStoryMenuAction();
  EXPECT_EQ(sounds, (std::vector<int>{5, 5}));
}

TEST_F(StoryScreenTest, UpAndDownMoveTheMenuCursorOnlyWhileTheMenuIsOut) {
  press(kActionUp);
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(Session().menuCursor, 1);
  State().scene.sideBarPos = 40;
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(Session().menuCursor, 11);
  press(kActionDown);
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(Session().menuCursor, 1);
  State().scene.windowHidden = 1;
  sounds.clear();
  applyStoryInput(StoryKeys{});
  EXPECT_EQ(Session().menuCursor, 1);
  EXPECT_EQ(sounds, std::vector<int>{5});
}

// --- The log and the choices ------------------------------------------------------

TEST_F(StoryScreenTest, LogScrollsWithinItsPagesAndShowsTheOldest) {
  for (const char* text : {"a", "b", "c", "d"}) showMessage("オルナ", text);
  State().scene.pendingPages = 0;
  // Opened on the newest page: every page read so far, the first included.
  EXPECT_TRUE(scrollLogBack(1));
  std::vector<LogRow> rows = logRows();
  ASSERT_EQ(rows.size(), 5u);
  for (int page = 0; page < 4; ++page) {
    EXPECT_EQ(rows[page].page, page);
    EXPECT_EQ(rows[page].y, 538 - 22 * page);
  }
  EXPECT_EQ(rows[4].page, -1);  // the separator over the oldest page
  EXPECT_EQ(rows[4].separatorY, 560 - 22 * 4);
  EXPECT_TRUE(scrollLogBack(2));
  EXPECT_FALSE(scrollLogBack(1));
  EXPECT_EQ(State().scene.logOffset, -3);
  rows = logRows();
  // At the back limit the bottom page of the view is the second oldest, the oldest over it.
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].page, 2);
  EXPECT_EQ(rows[0].y, 538);
  EXPECT_EQ(rows[1].page, 3);
  EXPECT_EQ(rows[2].page, -1);
  State().scene.screenFade = 10;
  sounds.clear();
  EXPECT_FALSE(scrollLogBack(1));  // no scrolling during a fade, and no sound
  EXPECT_TRUE(sounds.empty());
}

TEST(StoryLog, ThumbAndRepeat) {
  LogThumb thumb;
  EXPECT_FALSE(logThumbGeometry(0, 0, &thumb));  // no pages: no thumb
  EXPECT_FALSE(logThumbGeometry(1, -1, &thumb));
  ASSERT_TRUE(logThumbGeometry(2, -1, &thumb));
  EXPECT_EQ(thumb.length, 195);
  EXPECT_EQ(thumb.top, 117);
  ASSERT_TRUE(logThumbGeometry(100, -1, &thumb));
  EXPECT_EQ(thumb.length, 14);
  EXPECT_EQ(thumb.top, 507 - 14);
  std::vector<int> fired;
  for (int hold = 0; hold <= 110; ++hold) {
    if (logRepeatFires(hold)) fired.push_back(hold);
  }
  EXPECT_EQ(fired, (std::vector<int>{1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 102, 105, 108}));
}

TEST_F(StoryScreenTest, ChoiceLayoutAndAnswersByKeyAndClickAgree) {
  EXPECT_EQ(choiceOptionY(1, 3), 155);
  EXPECT_EQ(choiceOptionY(2, 3), 185);
  EXPECT_EQ(choiceOptionY(3, 3), 215);
  const std::vector<std::string> script = {"@makeChoice (A,B,C)", "@choice1", "@message (オルナ) one",
                                           "@choice2",          "@message (オルナ) two", "@choice3",
                                           "@message (オルナ) three", "@choiceEnd", "@foo"};
  // By key: down from the last option wraps to the first, up from the first to the last.
  useScript(script);
  stepScenario(false);
  State().choiceCursor = 3;
  press(kActionDown);
  runStoryChoice();
  EXPECT_EQ(State().choiceCursor, 1);
  press(kActionUp);
  runStoryChoice();
  EXPECT_EQ(State().choiceCursor, 3);
  State().choiceCursor = 2;
  press(kActionShot);
  runStoryChoice();
  EXPECT_EQ(State().scene.choiceHistory, std::deque<int32_t>{2});
  EXPECT_STREQ(State().scene.pages.front().lines[0], "two");
  EXPECT_EQ(State().scene.choiceState, -1);
  EXPECT_TRUE(State().scene.choiceTexts.empty());

  // By click on the second option.
  useScript(script);
  State().scene.pages.clear();
  stepScenario(false);
  release();
  Session().playerInputs[0].hold[kActionMouseLeft] = 1;
  Session().frame.mouseX = 110;
  Session().frame.mouseY = choiceOptionY(2, 3) + 5;
  runStoryChoice();
  EXPECT_EQ(State().scene.choiceHistory, std::deque<int32_t>{2});
  EXPECT_STREQ(State().scene.pages.front().lines[0], "two");
}

TEST_F(StoryScreenTest, ChoiceOpenedByTheChosenBlockKeepsItsOptions) {
  useScript({"@makeChoice (A,B)", "@choice1", "@makeChoice (X,Y)", "@choice2", "@choiceEnd", "@foo"});
  stepScenario(false);
  chooseStoryOption(1);
  EXPECT_EQ(State().scene.choiceState, 0);
  EXPECT_EQ(State().scene.choiceTexts, (std::deque<std::string>{"X", "Y"}));
}

// The story on the started library, in a folder of its own.
class StartedLibrary : public test::StoryTest {
 protected:
  void SetUp() override {
    test::StoryTest::SetUp();
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    veziv::SwitchWindowedMode(1);
    ASSERT_EQ(veziv::InitLibrary(), 0);
    // The library's own current folder too: it writes a save's thumbnail.
    veziv::FileStreamSetCurrentDir(folder_.c_str());
  }
  void TearDown() override {
    platform::input::test::ReleaseScriptedInput();
    veziv::EndLibrary();
    veziv::FileStreamSetCurrentDir(old_.c_str());
    std::filesystem::current_path(old_);
    test::StoryTest::TearDown();
  }
  std::filesystem::path old_;
};

TEST_F(StartedLibrary, AfterASoundRestartTheNewestThirtyPagesLoadTheirVoicesAgain) {
  // A short voice of the made demo data on every page but the fourth newest.
  const std::string voice = std::string(VEZIV_RUN_FOLDER) + "/voice/story/pesa_e01.ogg";
  for (int n = 0; n < 35; ++n) {
    messagePage page;
    std::snprintf(page.voice, sizeof page.voice, "%s", n == 3 ? "NONE" : voice.c_str());
    page.voiceHandle = veziv::LoadSoundFileToHandle(page.voice, 3, -1);
    State().scene.pages.push_back(page);  // the first pushed is the newest
  }
  // The sound system restarted: the handles are gone with it.
  veziv::DeleteSoundHandleAll(0);
  story_.forgetVoices();
  for (const messagePage& page : State().scene.pages) EXPECT_EQ(page.voiceHandle, -1);
  story_.reloadVoices();
  int place = 0;
  for (const messagePage& page : State().scene.pages) {
    const bool loads = place < 30 && place != 3;
    EXPECT_EQ(veziv::IsSoundHandlePlaying(page.voiceHandle), loads ? 0 : -1) << place;
    ++place;
  }
}

// A screen-mode change took every graph: the faces the window shows load
// again from the story's own reload.
TEST_F(StartedLibrary, AfterAScreenChangeTheFacesShownLoadAgain) {
  const std::string oldStart = platform::os::StartFolder();
  platform::os::SetStartFolder(VEZIV_RUN_FOLDER);
  resetScenario(writeFile("faces.txt", {"@setFaceGraph ORUNA_2", "@setFaceGraph DOLU_3", "@message (オルナ) a"}));
  stepScenario(false);
  const int face = State().scene.faceImage;
  const int previous = State().scene.previousFaceImage;
  ASSERT_NE(face, previous);
  ASSERT_TRUE(isGraphLoaded(face));
  ASSERT_TRUE(isGraphLoaded(previous));
  forgetGraphHandles();
  story_.reloadGraphs();
  for (const int id : {face, previous}) {
    int width = 0, height = 0;
    EXPECT_EQ(veziv::QueryGraphDimensions(graphOf(id), &width, &height), 0) << id;
  }
  platform::os::SetStartFolder(oldStart);
}

// Slot 10 from the story menu: the quick save asks to overwrite and saves
// where the story stands; the quick load brings the story back to it.
TEST_F(StartedLibrary, TheMenusQuickSaveAndQuickLoadUseSlotTen) {
  std::filesystem::create_directory("save");
  const std::string script = writeFile("quick.txt", {"@message (オルナ) one", "@message (オルナ) two",
                                                     "@message (オルナ) three", "@message (オルナ) four"});
  resetScenario(script);
  stepScenario(false);
  stepScenario(false);
  ASSERT_EQ(State().scene.lineIndex, 2);
  Session().frame.gameMode = kModeStory;
  readSlotHeaders();

  // No slot 10 yet: the quick load refuses with the cancel sound.
  Session().menuCursor = 8;
  runStoryMenuAction();
  EXPECT_EQ(hooks.sounds, std::vector<int>{5});
  EXPECT_EQ(State().scene.lineIndex, 2);

  // The quick save: the overwrite question, answered by the shot key.
  platform::input::test::ScriptKey(0x2C, true);
  Session().menuCursor = 9;
  runStoryMenuAction();
  platform::input::test::ReleaseScriptedInput();
  EXPECT_EQ(Session().frame.gameMode, kModeStory);  // the quick save stays in the story
  ASSERT_EQ(Session().slotTable.present[kQuickSlot], 1);
  std::ifstream in(slotFileName(kQuickSlot), std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  slotContents saved;
  ASSERT_EQ(decodeSlot(bytes.data(), bytes.size(), saved), nullptr);
  EXPECT_EQ(saved.kind, kSaveStory);
  EXPECT_EQ(saved.story.script, script);
  EXPECT_EQ(saved.story.lineIndex, 2);

  // The story goes on; the quick load brings it back: the line before the
  // saved one runs again at the next step.
  stepScenario(false);
  stepScenario(false);
  ASSERT_EQ(State().scene.lineIndex, 4);
  hooks.sounds.clear();
  Session().menuCursor = 8;
  runStoryMenuAction();
  EXPECT_EQ(hooks.sounds, std::vector<int>{1});
  EXPECT_EQ(Session().frame.gameMode, kModeStory);
  EXPECT_EQ(State().scene.lineIndex, 1);
  stepScenario(false);
  EXPECT_STREQ(State().scene.pages.front().lines[0], "two");
}

}  // namespace
}  // namespace game::story
