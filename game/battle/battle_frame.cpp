#include "game/battle/battle_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "game/battle/effect_layers.h"
#include "game/battle/effects.h"
#include "game/battle/motion.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/battle/stage_events.h"
#include "game/battle/tables.h"
#include "library/veziv.h"

namespace game::battle {

namespace {

uint32_t white() { return veziv::PackColorForScreen(255, 255, 255); }
uint32_t black() { return veziv::PackColorForScreen(0, 0, 0); }

const InputHolds& holdsOf(int playerNumber) {
  static const InputHolds none;
  const InputHolds* holds = Hooks().playerInput(playerNumber);
  return holds != nullptr ? *holds : none;
}

bool twoPlayers() { return World().playerCount == 2; }

void updatePlayers() {
  playerRecord& p1 = battlePlayer(1);
  if (p1.alive()) updatePlayer(holdsOf(1), p1);
  if (twoPlayers() && battlePlayer(2).alive()) updatePlayer(holdsOf(2), battlePlayer(2));
}

void updateEnemies() {
  // An update may append (launched planes): index, not iterators.
  EnemyList& list = World().enemies;
  for (size_t i = 0; i < list.size(); ++i) list[i]->update();
}

void updateBullets() {
  BulletList& list = World().bullets;
  for (size_t i = 0; i < list.size(); ++i) list[i]->update();
}

void spawnIfDue() {
  if (isNextSpawnDue()) spawnNextStageObject();
}

// One pass that keeps the order of the objects left: erasing each leaver
// where it stood moved the whole tail once per leaver.
template <class List>
void removeOutOfArea(List& list) {
  list.erase(std::remove_if(list.begin(), list.end(), [](const auto& object) { return object->isOut(); }),
             list.end());
}

// The out-of-area sweep: every enemy, then every bullet, that has left the
// field is deleted.
void sweepOutOfArea() {
  removeOutOfArea(World().enemies);
  removeOutOfArea(World().bullets);
}

}  // namespace

ShellHooks& Shell() {
  BattleWorld& w = World();
  return w.shell != nullptr ? *w.shell : w.unwiredShell;
}
void installShellHooks(ShellHooks* hooks) { World().shell = hooks; }

void clearBattleObjects() {
  BattleWorld& w = World();
  w.bullets.clear();
  w.enemies.clear();
  w.items.clear();
  clearAnimes();
}

void drawLoadingBar(int percent) {
  BattleHooks& hooks = Hooks();
  veziv::RenderGraphAtPoint(0, 0, hooks.graphOf(kImageLoadingScreen), 0);
  veziv::DrawBoxShape(308 + percent * 210 / 100, 263, 518, 305, black(), 1);
  veziv::RenderGraphAtPoint(308, 263, hooks.graphOf(kImageLoadingFrame), 1);
  veziv::SetSoundHandleFrequency((percent + 126) * 350, hooks.soundHandle(kSoundJet));
  veziv::PresentBackBuffer();
}

void startBattle(const char* folder) {
  BattleHooks& hooks = Hooks();
  ShellHooks& sh = Shell();
  hooks.ensureSoundLoaded(kSoundJet, 1);
  if (veziv::IsSoundHandlePlaying(hooks.soundHandle(kSoundJet)) != 1) {
    veziv::PlaySoundHandle(hooks.soundHandle(kSoundJet), 3, 1);
  }
  hooks.ensureImageLoaded(kImageLoadingScreen);
  hooks.ensureImageLoaded(kImageLoadingFrame);
  drawLoadingBar(0);
  sh.restartFrameClock();
  destroyStage();
  drawLoadingBar(5);
  createStage();
  drawLoadingBar(10);
  drawLoadingBar(15);
  loadStage(folder);
  drawLoadingBar(40);
  veziv::StopSoundHandle(hooks.soundHandle(kSoundTitleMusic));
  drawLoadingBar(45);
  clearBattleObjects();
  drawLoadingBar(50);
  installPlayers();
  for (int n = 1; n <= World().playerCount; ++n) {
    const PlayerLoadout l = sh.loadout(n);
    battlePlayer(n) = buildPlayer(n, l.mainWeapon, l.subWeapon, l.character, l.item1, l.item2);
  }
  if (const int d = sh.storyDifficulty(); d >= 0) World().difficulty = d;
  drawLoadingBar(60);
  sh.swapToBattleResources(drawLoadingBar);
  drawLoadingBar(90);
  sh.startStageMusic(currentStage()->bgmFile, drawLoadingBar);
  drawLoadingBar(100);
  hooks.freeImage(kImageLoadingScreen);
  hooks.freeImage(kImageLoadingFrame);
  sh.restartFrameClock();
  // The battle's own random numbers, seeded from the clock as the library
  // seeds its own.
  World().random.seed(static_cast<uint32_t>(veziv::GetMillisecondCount(0)) & 0x7FFFFFFFu);
}

void fireEnemyShots() {
  BattleWorld& w = World();
  playerRecord& p1 = battlePlayer(1);
  playerRecord* target = &p1;
  if (twoPlayers() && !p1.alive()) target = battlePlayer(2).alive() ? &battlePlayer(2) : nullptr;
  if (target == nullptr) return;
  for (size_t i = 0; i < w.enemies.size(); ++i) {
    enemy& e = *w.enemies[i];
    if (e.hp <= 0 || e.shotId < 0 || e.shotId >= kShotPatternCount) continue;
    patternShots[e.shotId](e, *target);
  }
}

void updateItems() {
  ItemList& items = World().items;
  for (size_t i = 0; i < items.size();) {
    item& it = *items[i];
    it.update();
    playerRecord* taker = nullptr;
    for (int n = 1; n <= World().playerCount && taker == nullptr; ++n) {
      playerRecord& p = battlePlayer(n);
      if (p.alive() && it.pickUpTest(p)) taker = &p;
    }
    if (taker == nullptr) {
      ++i;
      continue;
    }
    applyItemPickup(*taker, it);
    addAnime(std::make_unique<playerSlideAnime>(taker, 1.0));
    addAnime(std::make_unique<userMessege>("Up +", 10, taker, white()));
    Hooks().playSound(kSoundPickUp);
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void resolveCollisions() {
  BattleWorld& w = World();
  for (size_t b = 0; b < w.bullets.size();) {
    bullet& shot = *w.bullets[b];
    bool removed = false;
    if (shot.owner == 1 || shot.owner == 2) {
      playerRecord& owner = battlePlayer(shot.owner);
      for (size_t e = 0; e < w.enemies.size();) {
        enemy& target = *w.enemies[e];
        if (!shot.hitTest(target.x, target.y, target.radius)) {
          ++e;
          continue;
        }
        if (target.damage(shot.power)) {
          owner.score += target.getScore();
          w.enemies.erase(w.enemies.begin() + static_cast<std::ptrdiff_t>(e));
          shot.onKill();
        } else {
          ++e;
        }
        if (shot.onHit()) {
          removed = true;
          break;
        }
      }
      // Enemies this bullet's blasts killed leave before the next bullet,
      // which would otherwise be spent on them.
      removeKilledEnemies();
    } else if (shot.owner == 3) {
      for (int n = 1; n <= w.playerCount && !removed; ++n) {
        playerRecord& p = battlePlayer(n);
        if (p.alive() && shot.hitTest(p.x, p.y, p.hitRadius) && shot.onHit()) {
          showDamageReaction(p, shot.power);
          removed = true;
        }
      }
    }
    if (removed) {
      w.bullets.erase(w.bullets.begin() + static_cast<std::ptrdiff_t>(b));
    } else {
      ++b;
    }
  }
}

bool isBattleOver() {
  const battleStage* stage = currentStage();
  return stage != nullptr && stage->scroll < 0 && World().enemies.empty() && stage->spawnedCount >= stage->totalObjects;
}

void addResultBonuses(playerRecord& player) {
  const int difficultyBonus = World().difficulty * 2;
  const int lifeBonus = truncInt(player.hp) / 2;
  player.score += difficultyBonus;
  player.score += lifeBonus;
  Shell().addMoney(player.score);
  char text[128];
  const int x = 350 * (player.playerNumber - 1);
  std::snprintf(text, sizeof text, "難易度ボーナス: %d", difficultyBonus);
  addAnime(std::make_unique<messege>(x, 100, text, white(), false, 200, kFontNotice, kModeTimed));
  std::snprintf(text, sizeof text, "ライフボーナス: %d", truncInt(player.hp * 0.5));
  addAnime(std::make_unique<messege>(x, 130, text, white(), false, 200, kFontNotice, kModeTimed));
}

void runBattleFrame() {
  battleStage* stage = currentStage();
  if (stage == nullptr) return;
  if (stage->storyEventActive == 0) {
    stage->scroll -= 1;
    updateEnemies();
    removeKilledEnemies();
    updateBullets();
    removeKilledEnemies();
    updatePlayers();
    updateItems();
    spawnIfDue();
    firePlayerShots(holdsOf(1), holdsOf(2));
    removeKilledEnemies();
    fireEnemyShots();
    updateAnimes();
    removeKilledEnemies();
    resolveCollisions();
  }
  drawBattle();
  checkBattleKeys();
  if (isBattleOver()) {
    addResultBonuses(battlePlayer(1));
    if (twoPlayers()) addResultBonuses(battlePlayer(2));
    addAnime(std::make_unique<imageShower>(1, kImageStageClear, 400, 300, kModeTimed, 200, 1.0));
    Hooks().playSound(kSoundMissionComplete);
    Shell().battleWon();
  }
}

void runBattleResultFrame() {
  battleStage* stage = currentStage();
  if (stage == nullptr) return;
  stage->scroll -= 1;
  updateEnemies();
  removeKilledEnemies();
  updateBullets();
  removeKilledEnemies();
  updateItems();
  spawnIfDue();
  updateAnimes();
  removeKilledEnemies();
  drawBattle();
  checkBattleKeys(true);
  Shell().runResultMenu();
}

void drawBattle() {
  const battleStage* stage = currentStage();
  const bool story = stage != nullptr && stage->storyEventActive != 0;
  if (!Shell().frameDrawn() && !story) return;
  BattleWorld& w = World();
  drawStageLayers();
  for (const auto& e : w.enemies) e->draw();
  for (const auto& it : w.items) it->draw();
  drawBackAnimes();
  for (const auto& b : w.bullets) b->draw();
  for (int n = 1; n <= w.playerCount; ++n) {
    if (battlePlayer(n).alive()) drawPlayerCraft(holdsOf(n), battlePlayer(n));
  }
  // The sweep belongs to the drawing pass: it runs in drawn frames only, so
  // a frame that is not drawn leaves objects outside the field in their
  // lists until the next drawn one.
  sweepOutOfArea();
  drawBattleHud();
}

void drawBattleHud() {
  drawPlayerStatus(10, battlePlayer(1));
  if (twoPlayers()) drawPlayerStatus(400, battlePlayer(2));
  drawSidePanel();
  drawFrontAnimes();
  const int font = Hooks().fontOf(kFontHud);
  veziv::DrawFormattedTextWithFont(714, 560, black(), font, "Pause:");
  veziv::DrawFormattedTextWithFont(718, 578, black(), font, "%s", Shell().pauseKeyName().c_str());
  const battleStage* stage = currentStage();
  if (stage == nullptr || stage->storyEventActive == 0) return;
  ShellHooks& sh = Shell();
  sh.runStoryWindow();
  // Player 1's shot, a left click or either control key moves the insert's
  // text on, as in the story screen.
  const InputHolds& p1 = holdsOf(1);
  if (p1.hold[InputHolds::kShot] == 1 || p1.hold[InputHolds::kMouseLeft] == 1 || p1.hold[InputHolds::kControl] != 0) {
    sh.advanceStoryText();
  }
}

void checkBattleKeys(bool resultMode) {
  BattleWorld& w = World();
  const bool over = isBattleOver();
  for (int n = 1; n <= w.playerCount; ++n) {
    if (!over && holdsOf(n).hold[InputHolds::kPause] == 1) {
      Shell().pauseBattle();
      break;
    }
  }
  if (battleStage* stage = currentStage()) runStageEvent(*stage, false, !resultMode);
  const bool lost = twoPlayers() ? !battlePlayer(1).alive() && !battlePlayer(2).alive() : !battlePlayer(1).alive();
  if (lost) Shell().gameOver();
  w.screenShake = w.screenShake > 31 ? w.screenShake - 31 : 0;
}

}  // namespace game::battle
