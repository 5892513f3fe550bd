// The story's section of a save slot: its bytes, round trips with the
// fixtures of saved stories, the replay bound and damaged sections.
#include "game/story/story_slots.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/core/frame_loop.h"
#include "game/core/music_voices.h"
#include "game/core/session.h"
#include "game/core/story_mode_hooks.h"
#include "game/story/story_screen.h"
#include "game/story/story_test_support.h"

namespace game::story {
namespace {

using battle::RecordReader;
using battle::RecordWriter;

void putReal(std::vector<uint8_t>& bytes, size_t at, double value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

void writeField(RecordWriter& out, const std::string& text, size_t size) {
  std::vector<uint8_t> field(size, 0);
  std::memcpy(field.data(), text.data(), std::min(text.size(), size - 1));
  out.bytes(field.data(), size);
}

struct PictureFixture {
  std::string name, file;
  double x, y, stepX, stepY;
  int32_t moveFrames, alpha, fadeState;
};

// A story section built field by field, as a slot file holds it.
struct SectionFixture {
  std::string script;
  int32_t impressions[kSpeakerCount] = {};
  std::vector<int32_t> answers;
  std::vector<PictureFixture> pictures;
  int32_t lineIndex = 0;
  int32_t pendingPages = 0;
  int32_t colour[3] = {255, 255, 255};
  uint8_t musicPlaying = 0;
  std::string music;

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out;
    RecordWriter w(out);
    writeField(w, script, 256);
    for (int32_t v : impressions) w.i32(v);
    w.i32(static_cast<int32_t>(answers.size()));
    for (int32_t a : answers) w.i32(a);
    w.i32(static_cast<int32_t>(pictures.size()));
    for (const PictureFixture& p : pictures) {
      writeField(w, p.name, 256);
      writeField(w, p.file, 256);
      for (double v : {p.x, p.y, p.stepX, p.stepY}) w.f64(v);
      w.i32(p.moveFrames);
      w.i32(p.alpha);
      w.i32(p.fadeState);
    }
    w.i32(lineIndex);
    w.i32(pendingPages);
    for (int32_t c : colour) w.i32(c);
    w.u8(musicPlaying);
    writeField(w, music, 100);
    return out;
  }
};

// The recorded words with the whole speaker table.
class SlotHooks : public test::RecordingHooks {
 public:
  void buildSpeakerTable() override { story::buildSpeakerTable(); }
};

class StorySlotTest : public test::StoryTest {
 protected:
  void SetUp() override {
    test::StoryTest::SetUp();
    InstallHooks(&slotHooks);
    Session().music.rememberedMusic.clear();
    Session().frame.gameMode = kModeSaveLoad;
  }
  std::vector<uint8_t> save() {
    std::vector<uint8_t> out;
    RecordWriter w(out);
    saveStoryState(w);
    return out;
  }
  bool load(const std::vector<uint8_t>& bytes, bool insideBattle = false) {
    RecordReader r(bytes.data(), bytes.size());
    return loadStoryState(r, insideBattle);
  }
  std::vector<std::string> pageTexts() const {
    std::vector<std::string> texts;
    for (const messagePage& page : State().scene.pages) texts.emplace_back(page.lines[0]);
    return texts;
  }
  SlotHooks slotHooks;
};

TEST_F(StorySlotTest, EmptySectionIs441Bytes) {
  std::strcpy(State().scene.scriptName, "story/script.txt");
  const std::vector<uint8_t> bytes = save();
  EXPECT_EQ(bytes.size(), kEmptyStorySectionSize);
  // Nothing after a text's terminator but zeros, so equal states give equal files.
  for (size_t i = std::strlen("story/script.txt"); i < 256; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

// FX7: fourteen impressions, answers 2 then 1, three pictures fading out,
// out for removal and held, music playing.
TEST_F(StorySlotTest, SavedStoryComesBackWholeAndSavesTheSameBytes) {
  const std::string script = writeFile("script.txt", {"@makeChoice (A,B)", "@choice1", "@message (オルナ) a1",
                                                      "@choice2", "@message (オルナ) a2", "@choiceEnd",
                                                      "@makeChoice (C,D)", "@choice1", "@message (オルナ) c1",
                                                      "@choice2", "@message (オルナ) c2", "@choiceEnd",
                                                      "@message (オルナ) end", "@message (オルナ) after"});
  SectionFixture fx;
  fx.script = script;
  for (int i = 0; i < kSpeakerCount; ++i) fx.impressions[i] = 100 + i;
  fx.answers = {2, 1};
  fx.pictures = {{"a", "image/a.png", 1.5, 2.0, 0.25, -0.5, 7, 128, 1},
                 {"b", "image/b.png", -40, 600, 0, 0, 0, 33, 3},
                 {"c", "image/c.png", 0, 0, 0, 0, 0, 90, 4}};
  fx.lineIndex = 13;
  fx.pendingPages = 0;
  fx.colour[0] = 10;
  fx.colour[1] = 20;
  fx.colour[2] = 30;
  fx.musicPlaying = 1;
  fx.music = "audio/story_day.mid";
  const std::vector<uint8_t> bytes = fx.bytes();
  ASSERT_EQ(bytes.size(), kEmptyStorySectionSize + 2 * 4 + 3 * 556);

  ASSERT_TRUE(load(bytes));
  // Every speaker has its impression back, the last two in name order too.
  int i = 0;
  for (const auto& [name, entry] : State().speakerTable) EXPECT_EQ(entry.impression, 100 + i++) << name;
  EXPECT_EQ(i, kSpeakerCount);
  // The answers took the second block of the first choice and the first of the second.
  EXPECT_EQ(pageTexts(), (std::vector<std::string>{"c1", "a2"}));
  EXPECT_EQ(State().scene.lineIndex, 12);  // the saved line's predecessor runs live
  EXPECT_EQ(State().scene.choiceState, -1);
  ASSERT_EQ(State().storyGraphTable.size(), 3u);
  const storyGraph& a = State().storyGraphTable.at("a");
  EXPECT_EQ(a.fileName, "image/a.png");
  EXPECT_DOUBLE_EQ(a.stepY, -0.5);
  EXPECT_EQ(a.moveFrames, 7);
  EXPECT_EQ(a.alpha, 128);
  EXPECT_EQ(State().storyGraphTable.at("b").fadeState, 3);
  EXPECT_EQ(State().storyGraphTable.at("c").fadeState, 4);
  EXPECT_EQ(State().scene.boxColour[2], 30);
  EXPECT_EQ(Session().music.rememberedMusic, "audio/story_day.mid");

  // Saved again at the same place: the same bytes, but for the music flag
  // (no music plays here) and the line reached.
  State().scene.lineIndex = 13;
  std::vector<uint8_t> again = save();
  ASSERT_EQ(again.size(), bytes.size());
  const size_t musicFlag = bytes.size() - 101;
  again[musicFlag] = 1;
  EXPECT_EQ(again, bytes);
}

TEST_F(StorySlotTest, ReplayStopsBeforeTheSavedLineAndAtTheScriptsEnd) {
  std::vector<std::string> lines;
  for (int n = 0; n < 12; ++n) lines.push_back("@message (オルナ,oruna_s01.ogg) " + std::to_string(n));
  SectionFixture fx;
  fx.script = writeFile("script.txt", lines);
  fx.lineIndex = 10;
  ASSERT_TRUE(load(fx.bytes()));
  EXPECT_EQ(State().scene.lineIndex, 9);
  EXPECT_EQ(State().scene.pages.size(), 9u);
  // Replayed messages play no voice.
  for (const std::string& call : slotHooks.calls) EXPECT_NE(call.rfind("voice:", 0), 0u) << call;
  // A line index past the script's end (an edited script, a damaged slot) ends the replay.
  fx.lineIndex = 5000;
  ASSERT_TRUE(load(fx.bytes()));
  EXPECT_EQ(State().scene.lineIndex, 12);
}

TEST_F(StorySlotTest, DamagedSectionsAreRefused) {
  SectionFixture fx;
  fx.script = writeFile("script.txt", {"@message (オルナ) a"});
  fx.answers = {1};
  fx.pictures = {{"a", "image/a.png", 0, 0, 0, 0, 0, 255, -1}};
  const std::vector<uint8_t> whole = fx.bytes();
  ASSERT_TRUE(load(whole));
  for (size_t cut : {size_t{0}, size_t{100}, size_t{300}, whole.size() - 1}) {
    EXPECT_FALSE(load(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)))) << cut;
  }
  struct Damage {
    const char* what;
    void (*apply)(std::vector<uint8_t>&);
  };
  constexpr size_t kAnswers = 256 + 56;
  constexpr size_t kPictures = kAnswers + 8;
  const Damage damages[] = {
      {"a negative answer count", [](std::vector<uint8_t>& b) { b[kAnswers + 3] = 0xFF; }},
      {"an answer count past the file", [](std::vector<uint8_t>& b) { b[kAnswers + 2] = 0x10; }},
      {"an answer of 0", [](std::vector<uint8_t>& b) { b[kAnswers + 4] = 0; }},
      {"a billion pictures", [](std::vector<uint8_t>& b) { b[kPictures + 3] = 0x3B; }},
      {"an unknown fade state", [](std::vector<uint8_t>& b) { b[kPictures + 4 + 256 + 256 + 32 + 8] = 7; }},
      {"a picture at x 2.87e161", [](std::vector<uint8_t>& b) { putReal(b, kPictures + 4 + 512, 2.87e161); }},
      {"a picture at y -1e10", [](std::vector<uint8_t>& b) { putReal(b, kPictures + 4 + 512 + 8, -1e10); }},
      {"a picture stepping 1e300 a frame", [](std::vector<uint8_t>& b) { putReal(b, kPictures + 4 + 512 + 16, 1e300); }},
      {"a picture stepping NaN", [](std::vector<uint8_t>& b) { putReal(b, kPictures + 4 + 512 + 24, std::nan("")); }},
      {"a script name without its end", [](std::vector<uint8_t>& b) { std::fill(b.begin(), b.begin() + 256, 'x'); }},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> bytes = whole;
    d.apply(bytes);
    EXPECT_FALSE(load(bytes)) << d.what;
  }
}

// A battle whose events start the same battle again: replayed, each pass
// would put its lines in once more. The replay adds at most a script's worth
// of lines and ends at the script's end, whatever line the slot names.
TEST_F(StorySlotTest, ReplayedBattlesThatStartThemselvesEndAtTheScriptsEnd) {
  const std::string folder = (folder_ / "loop").string();
  writeFile("loop/events.txt", {"@event 100 STORY_INSERT", "@startBattle " + folder, "@endEvent"});
  SectionFixture fx;
  fx.script = writeFile("script.txt", {"@startBattle " + folder});
  for (int32_t line : {INT32_MAX, 5000}) {
    SCOPED_TRACE(line);
    fx.lineIndex = line;
    ASSERT_TRUE(load(fx.bytes()));
    EXPECT_EQ(State().scene.scriptLines.size(), size_t{1 + kMaxScriptLines});
    EXPECT_EQ(State().scene.lineIndex, 1 + kMaxScriptLines);
    ASSERT_TRUE(load(fx.bytes(), true));
    EXPECT_LE(State().scene.scriptLines.size(), size_t{1 + kMaxScriptLines});
  }
}

// A picture at the far edge of what a slot may hold, or moved there and past
// by the script, is drawn without a fault: its point is held to an int.
TEST_F(StorySlotTest, PicturesFarOffTheScreenAreDrawnWithoutFault) {
  SectionFixture fx;
  fx.script = writeFile("script.txt", {"@message (オルナ) a"});
  fx.pictures = {{"a", "image/a.png", 1e9, -1e9, 1e9, -1e9, INT32_MAX, 255, -1}};
  ASSERT_TRUE(load(fx.bytes()));
  storyGraph& a = State().storyGraphTable.at("a");
  updateStoryGraph(a, false);
  EXPECT_EQ(a.x, 2e9);
  updateStoryGraph(a, true);  // the whole move at once: about 2e18
  EXPECT_EQ(a.moveFrames, 0);
  updateStoryGraph(a, false);
}

// FX8: a battle inside the story saved before its first story event and
// after two of its three.
TEST_F(StorySlotTest, BattleSlotKeepsOnlyTheEventsThatRan) {
  const std::string folder = (folder_ / "stage").string();
  writeFile("stage/events.txt", {"@event 3000 STORY_INSERT", "@message (オルナ) e1", "@endEvent",
                                 "@event 2000 STORY_INSERT", "@message (オルナ) e2", "@endEvent",
                                 "@event 1000 STORY_INSERT", "@message (オルナ) e3", "@endEvent"});
  const std::string script = writeFile(
      "script.txt", {"@message (オルナ) before", "@startBattle " + folder, "@message (オルナ) after", "@foo"});
  InstallHooks(&slotHooks);  // the recorded words, the screen's site for the battle
  StoryModeHooks* site = &story_;

  resetScenario(script);
  stepScenario(false);
  stepScenario(false);
  ASSERT_EQ(Session().frame.gameMode, kModeBattle);
  const std::vector<uint8_t> beforeEvents = save();
  for (const char* text : {"e1", "e2"}) {
    site->insertLines({std::string("@message (オルナ) ") + text, "@endEvent"}, false);
    site->startInsert();
    stepScenario(false);  // the event's last line ends the insert
  }
  const std::deque<std::string> liveScript = State().scene.scriptLines;
  const int32_t liveLine = State().scene.lineIndex;
  ASSERT_EQ(liveLine, 6);
  const std::vector<uint8_t> afterTwo = save();

  Session().frame.gameMode = kModeSaveLoad;
  ASSERT_TRUE(load(afterTwo, true));
  EXPECT_EQ(State().scene.scriptLines, liveScript);
  EXPECT_EQ(State().scene.lineIndex, liveLine);

  Session().frame.gameMode = kModeSaveLoad;
  ASSERT_TRUE(load(beforeEvents, true));
  EXPECT_EQ(State().scene.lineIndex, 2);
  EXPECT_EQ(State().scene.scriptLines.size(), 4u);
  // After the restored battle the story goes on after it; the battle does not start again.
  slotHooks.calls.clear();
  stepScenario(false);
  EXPECT_STREQ(State().scene.pages.front().lines[0], "after");
  EXPECT_FALSE(slotHooks.called("battle:" + folder));
}

}  // namespace
}  // namespace game::story
