// The two effect layers: the back layer, drawn in the play field under the
// bullets, and the front layer, drawn over the HUD. They own the effects,
// advance them, remove the finished ones and write them into a save slot.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/battle/effects.h"
#include "game/battle/record_bytes.h"

namespace game::battle {

AnimeLayer& frontAnimes();
AnimeLayer& backAnimes();

// Makes both layers empty.
void initAnimeLayers();
// Appends the effect to the front layer when its layer flag is set, else to
// the back layer.
void addAnime(std::unique_ptr<basicAnime> effect);
// One frame: the front layer, then the back layer, each effect in order; a
// finished effect gets onFinish and is removed, and the next one takes its
// index.
void updateAnimes();
void drawFrontAnimes();
void drawBackAnimes();
// Frees every effect of the front layer, then of the back layer.
void clearAnimes();
// The effects section of a save slot: front count and [type id, record]...,
// then the back layer the same way.
void saveAnimes(std::vector<uint8_t>& out);
// Clears the layers and reads the section back, each effect into the layer
// its own flag names. False (with the layers cleared) when the section is
// short, names an unknown type id (whose record length nobody knows) or holds
// ids or ranges the effects cannot use.
bool loadAnimes(RecordReader& in);
// The same section for layers held outside the battle: written from them, and
// read into them (appended, each effect by its own flag). False on the faults
// loadAnimes refuses; the layers may then hold part of the section.
void saveAnimeLayers(const AnimeLayer& front, const AnimeLayer& back, std::vector<uint8_t>& out);
bool readAnimeLayers(RecordReader& in, AnimeLayer& front, AnimeLayer& back);
// A new effect of the type id 1..12 with only its class set; null otherwise.
std::unique_ptr<basicAnime> createAnime(int32_t typeId);

// The effect calls and the damage reaction of the battle hooks, made through
// the layers and the players. The hooks that the game installs derive from
// this and add the registry's, catalogue's and shell's calls.
class LayerHooks : public BattleHooks {
 public:
  void showDamageReaction(PlayerPosition& player, int damage) override;
  void addSlideEffect(int sheet, int pictures, int lastPass, double x, double y, double step) override;
  void addShrinkingImage(int imageId, int x, int y, int heading) override;
  void addDriftingImage(int imageId, int x, int y, double scale) override;
};

}  // namespace game::battle
