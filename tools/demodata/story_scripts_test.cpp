// The story scripts' checks: the demo scripts pass them and use every word;
// each rule catches the line that breaks it.
#include "tools/demodata/story_scripts.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "game/battle/stage_folders.h"
#include "tools/demodata/battle_stages.h"
#include "tools/demodata/generator.h"

namespace demodata {
namespace {

TEST(StoryScripts, TheDemoScriptsAreSoundAndUseEveryWord) {
  const Sources sources(DEMODATA_SOURCE_FOLDER);
  std::vector<std::string> texts;
  for (const char* name : {"script.txt", "part2.txt"}) {
    texts.push_back(sources.read(std::string("text/story/") + name));
    EXPECT_EQ(checkStoryScript(texts.back(), name), std::vector<std::string>{}) << name;
  }
  // Every word but the in-battle event's end, which lives in the stages' events.
  const std::vector<std::string> expected = {
      "@addNewGraph", "@changeBoxCol", "@chara:", "@charaEnd", "@choiceEnd", "@choiceN", "@confirmWindow",
      "@deleteGraph", "@goMainMenu", "@goShopping", "@goTo", "@goWearArm", "@impress", "@makeCharaSplit",
      "@makeChoice", "@message", "@moveGraph", "@openStage", "@play", "@playMovie", "@playNewMusic",
      "@saveHoldings", "@scenarioClear", "@setCharaBattle", "@setDifficulty", "@setFaceGraph",
      "@setTransGraph", "@startBattle", "@stopMusic", "@stopNonMIDI", "@transAllGraphOut", "@transGraphIn",
      "@transGraphOut", "@transGraphTo", "@transIn", "@transition", "@wait"};
  EXPECT_EQ(storyWordsUsed(texts), expected);
}

// The boss's pattern takes its second spiral, its three launches and its
// missiles only above difficulty 50: the story fights every stage that holds
// the boss at such a difficulty.
TEST(StoryScripts, TheBossIsFoughtAboveDifficulty50) {
  const Sources sources(DEMODATA_SOURCE_FOLDER);
  std::map<std::string, int> difficultyOfBattle;  // by stage folder
  int difficulty = -1;
  for (const char* name : {"script.txt", "part2.txt"}) {  // in the order they play
    std::istringstream lines(sources.read(std::string("text/story/") + name));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("@setDifficulty ", 0) == 0) difficulty = std::stoi(line.substr(15));
      if (line.rfind("@startBattle ", 0) == 0) difficultyOfBattle[line.substr(13)] = difficulty;
    }
  }
  int bossStages = 0;
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    bool boss = false;
    for (const BattleSpawn& s : plan.spawns) boss = boss || s.shotId == 20;
    const auto battle = difficultyOfBattle.find(game::battle::kStageFolders[plan.stage]);
    if (!boss || battle == difficultyOfBattle.end()) continue;
    ++bossStages;
    EXPECT_GT(battle->second, 50) << battle->first;
  }
  EXPECT_GT(bossStages, 0);
}

TEST(StoryScripts, EachRuleCatchesItsLine) {
  struct Case {
    std::string script;
    const char* problem;  // a part of the one expected problem
  };
  const Case cases[] = {
      {"@message (ナ) a\n@foo\n", "unknown word @foo"},
      {"@message (誰か) a\n", "speaker outside"},
      {"@message (オルナ,x.ogg) a\n", "without a character id"},
      {"@message (ナ) " + std::string(30, 'x') + "$" + std::string(49, 'y') + "\n", "longer than 24"},
      {"@message (ナ) a$b$c$d$e\n", "more than 4 lines"},
      {"@message (ナ) a$\n", "stray"},
      {"@message (ナ) a\n" + std::string(512, 'x') + "\n", "longer than 511"},
      {"@message (ナ) a\n@changeBoxCol (1,1,1)\n@impress (オルナ,1)\n", "does not follow a message"},
      {"@impress (オルナ,1)\n", "first stopping line"},
      {"@message (ナ) a\n@impress (オルナ)\n", "known speaker and a number"},
      {"@setFaceGraph DOLU_9\n", "unknown face id"},
      {"@playNewMusic audio/midnight.ogg 1\n", "\"mid\""},
      {"@startBattle stages/a extra\n", "nothing after"},
      {"@transGraphOut girl\n", "a name and a mode"},
      {"@confirmWindow (one)\n", "at least two"},
      {"@makeChoice (a,b)\n@choice1\n@choiceEnd\n", "without all its blocks"},
      {"@makeChoice (a,b)\n@choice2\n@choice1\n@choiceEnd\n", "out of order"},
      {"@makeCharaSplit\n@chara:オルナ\n@chara:ペサロット\n@chara:ドゥル\n@chara:サッフォ\n@charaEnd\n",
       "no branch for ティルン"},
      {"@addNewGraph image/a.png girl (0,0)\n@addNewGraph image/b.png bg (0,0)\n@deleteGraph bg\n@goShopping\n",
       "under the picture girl"},
      {"@addNewGraph image/a.png girl (0,0)\n@transGraphOut girl 1\n@addNewGraph image/b.png bg (0,0)\n"
       "@startBattle stages/a\n",
       "under the picture bg"},
      {"@goWearArm\n@message (ナ) a\n", "not followed by @startBattle"},
      {"@goWearArm\n", "not followed by @startBattle"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> problems = checkStoryScript(c.script, "s");
    ASSERT_FALSE(problems.empty()) << c.script;
    EXPECT_NE(problems.front().find(c.problem), std::string::npos) << problems.front();
  }
  std::string long_script;
  for (int i = 0; i < 1001; ++i) long_script += "comment\n";
  EXPECT_EQ(checkStoryScript(long_script, "s").size(), 1u);
}

}  // namespace
}  // namespace demodata
