// The demo stages' own files beside their enemy files: the maps of both tile
// layers (chip.txt, chip2.txt), the settings, the in-battle events, the
// description, the tile sheets and background of each stage (by its theme,
// art_stages.cpp), and the stage music. Maps are made with a fixed seed; layer 2
// has exactly as many cells as layer 1, every event trigger lies inside the
// map and falls from line to line.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "game/battle/stage_folders.h"
#include "tools/demodata/battle_stages.h"
#include "tools/demodata/art_stages.h"
#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/sound.h"

namespace demodata {
namespace {

constexpr int kColumns = 22;

const char* const kStageIds[] = {
#define DEMODATA_STAGE_ID(id, path) #id,
    VEZIV_STAGE_FOLDERS(DEMODATA_STAGE_ID)
#undef DEMODATA_STAGE_ID
};

struct StagePlan {
  const char* music;      // audio/<music>.mid, from data/music/<music>.mml
  const char* caption;
  StageTheme ground;
  const char* description;
  const char* events;     // events.txt, UTF-8 with LF; %N is a radio text of N bytes
};

// In the folder table's order.
const StagePlan kThemes[] = {
    {"stage_tut", "チュートリアル　寮の上空", StageTheme::meadow,
     "寮の上空で飛行訓練。\n敵機を撃ち落とし、魔力をためて必殺技を使おう。\n",
     "@event 1700 STORY_INSERT\n"
     "@setFaceGraph ORUNA_1\n"
     "@message (オルナ,oruna_e01.ogg) 「敵機よ。ショットで撃ち落として！」\n"
     "@endEvent\n"
     "@event 1100 EVENT_RADIO (ティルン,tirun_r01.ogg,266) 前方に編隊！ 落ち着いていこう！\n"
     "@event 400 STORY_INSERT FORCE\n"
     "@message (オルナ,oruna_e02.ogg) 「魔力がたまったら、必殺技キーを$押しっぱなしにして、はなすのよ。」\n"
     "@endEvent\n"},
    {"stage1", "ステージ1　雲海", StageTheme::clouds,
     "雲の上を偵察機が飛び回る。\n編隊の動きをよく見て回りこもう。\n",
     "@event 3300 STORY_INSERT FORCE\n"
     "@setFaceGraph SAFFO_1\n"
     "@message (サッフォ,saffo_e01.ogg) 「どっちから行く？」\n"
     "@makeChoice (左から回りこむ,正面から行く)\n"
     "@choice1\n"
     "@message (サッフォ) 「了解、左ね。」\n"
     "@choice2\n"
     "@message (サッフォ) 「正面突破ね。」\n"
     "@choiceEnd\n"
     "@endEvent\n"
     "@event 2500 EVENT_RADIO (サッフォ,saffo_r01.ogg,263) 雲の中にも敵がいるわ。\n"
     "@event 900 EVENT_RADIO (大将,taisyo_r01.ogg,271) もうすぐ空域を抜ける。持ちこたえろ。\n"},
    {"stage2", "ステージ2　街道", StageTheme::ground,
     "地上の街道に戦車と砲台が並ぶ。\n砲台の狙いに気をつけよう。\n",
     "@event 3700 EVENT_RADIO (ドゥル,dolu_r01.ogg,276) 地上から撃ってくるよ！\n"
     "@event 2000 STORY_INSERT\n"
     "@setFaceGraph DOLU_2\n"
     "@message (ドゥル,dolu_e01.ogg) 「戦車の列、まだ続いてる……。」\n"
     "@endEvent\n"
     "@event 700 SWITCH_BGM audio/boss.mid\n"},
    {"stage3", "ステージ3　海上", StageTheme::sea,
     "海の上で艦隊と機雷が待ち受ける。\n追ってくる機雷は早めに落とそう。\n",
     "@event 4000 EVENT_RADIO (ペサロット,pesa_r01.ogg,265) 艦隊を確認。機雷にも注意して。\n"
     // The longest radio line the battle takes (126 bytes in Shift-JIS;
     // wider than the field, it shows as far as the field reaches), and one
     // byte more, which it refuses with an error line on the screen: the
     // second late in the battle, whose error line the next stage's loading
     // scrolls away.
     "@event 2300 EVENT_RADIO (ペサロット,pesa_r02.ogg,265) "
     "こちらペサロット、旗艦は北の雲へ逃げていくわ。機雷が多すぎて近づけないの。隊長、右から回りこんで砲台を先に落としてね。お願い。\n"
     "@event 1500 STORY_INSERT FORCE\n"
     "@changeBoxCol (200,230,255)\n"
     "@setFaceGraph PESA_1\n"
     "@message (ペサロット,pesa_e01.ogg) 「……静かすぎる。」\n"
     "@wait 30\n"
     "@message (ペサロット) 「来るわ。」\n"
     "@endEvent\n"
     "@event 900 EVENT_RADIO (ペサロット,pesa_r03.ogg,265) "
     "ザザッ!……こちらペサロット、通信が乱れて……よく聞こえないわ。旗艦は北の雲の……ザッ……聞こえたら返事をして、隊長……応答を！\n"},
    {"stage4", "ステージ4　空中要塞", StageTheme::fortress,
     "空中要塞の奥に敵の旗艦がいる。\n最後まで気を抜かないで。\n",
     "@event 2800 STORY_INSERT FORCE\n"
     "@setFaceGraph ZEMM_1\n"
     "@message (ゼムラン,zemm_e01.ogg) 「ここまで来たか。だが、ここで終わりだ。」\n"
     "@endEvent\n"
     "@event 1200 SWITCH_BGM audio/boss.mid\n"
     "@event 600 EVENT_RADIO (ドゥル,dolu_r02.ogg,276) あと少し！ 一緒に押しきろう！\n"},
    {"stage1", "テスト", StageTheme::plain, "試験用のステージ。\n",
     "@event 600 EVENT_RADIO (オルナ,oruna_r01.ogg,262) %126\n"
     "@event 500 EVENT_RADIO (オルナ,oruna_r02.ogg,262) %127\n"
     "@event 400 STORY_INSERT\n"
     "@message (オルナ) 「設定で消せる話。」\n"
     "@endEvent\n"},
};
static_assert(std::size(kThemes) == game::battle::kStageFolderCount);

// Layer 1: ground tiles 0-31 in bands; layer 2: a decoration (64-79) on one
// cell in nine, -1 elsewhere.
std::string mapText(int rows, uint32_t seed, bool decorations) {
  Random random(seed);
  std::string text;
  for (int r = 0; r < rows; ++r) {
    text += ",";
    for (int c = 0; c < kColumns; ++c) {
      int cell;
      if (decorations) {
        cell = random.next() % 9 == 0 ? 64 + static_cast<int>(random.next() % 16) : -1;
      } else {
        cell = (r / 8 % 4) * 8 + static_cast<int>(random.next() % 8);
      }
      text += std::to_string(cell);
      if (c + 1 < kColumns) text += ",";
    }
    text += "\n";
  }
  return text;
}

// The events with each %N written out as a text of N bytes.
std::string eventsText(const char* events) {
  std::string text = events;
  for (size_t at; (at = text.find('%')) != std::string::npos;) {
    const size_t end = text.find('\n', at);
    const int bytes = std::stoi(text.substr(at + 1, end - at - 1));
    text.replace(at, end - at, std::string(static_cast<size_t>(bytes), 'a'));
  }
  return text;
}

}  // namespace

std::string StageEventsText(int stage) { return eventsText(kThemes[stage].events); }

void makeBattleStageMaps(const Sources& sources, Outputs& out) {
  std::vector<std::string> music;
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    const StagePlan& theme = kThemes[plan.stage];
    const std::string folder = game::battle::kStageFolders[plan.stage];
    const std::string id = kStageIds[plan.stage];
    const uint32_t seed = hashText(folder);
    out.add(folder + "/chip.txt", toCp932Text(mapText(plan.rows, seed, false), "chip.txt"));
    out.add(folder + "/chip2.txt", toCp932Text(mapText(plan.rows, seed + 1, true), "chip2.txt"));
    const std::string art = "image/stage/" + id;
    out.add(folder + "/setting.txt",
            toCp932Text("bgm:audio/" + std::string(theme.music) + ".mid\nlayer1:" + art + "_l1.png\nlayer2:" + art +
                            "_l2.png\nmess:" + theme.caption + "\nBG:" + art + "_bg.png\n",
                        "setting.txt"));
    out.add(folder + "/events.txt", toCp932Text(eventsText(theme.events), "events.txt"));
    out.add(folder + "/description.txt", toCp932Text(theme.description, "description.txt"));
    out.add(art + "_l1.png", stageTileSheet(theme.ground, seed, false));
    out.add(art + "_l2.png", stageTileSheet(theme.ground, seed, true));
    out.add(art + "_bg.png", stageBackground(theme.ground, seed));
    if (std::find(music.begin(), music.end(), theme.music) == music.end()) music.push_back(theme.music);
  }
  music.push_back("boss");
  for (const std::string& name : music) {
    out.add("audio/" + name + ".mid", writeMidiFile(parseScore(sources.read("music/" + name + ".mml"))));
  }
}

}  // namespace demodata
