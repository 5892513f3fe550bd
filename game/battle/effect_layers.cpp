// The effect layers.
#include "game/battle/effect_layers.h"

#include "game/battle/players.h"

namespace game::battle {
namespace {

void updateLayer(AnimeLayer& layer) {
  // By index: an update may append effects to either layer.
  for (size_t i = 0; i < layer.size();) {
    if (layer[i]->update()) {
      layer[i]->onFinish();
      layer.erase(layer.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void drawLayer(AnimeLayer& layer) {
  for (size_t i = 0; i < layer.size(); ++i) layer[i]->draw();
}

void saveLayer(const AnimeLayer& layer, std::vector<uint8_t>& out) {
  RecordWriter(out).i32(static_cast<int32_t>(layer.size()));
  for (const auto& effect : layer) {
    RecordWriter(out).i32(effect->getTypeId());
    effect->save(out);
  }
}

bool loadLayer(RecordReader& in, AnimeLayer& front, AnimeLayer& back) {
  const int32_t count = in.i32();
  if (!in.ok() || count < 0) return false;
  for (int32_t i = 0; i < count; ++i) {
    std::unique_ptr<basicAnime> effect = createAnime(in.i32());
    if (effect == nullptr) return false;
    effect->load(in);
    if (!in.ok() || !effect->hasValidFields()) return false;
    (effect->layer != 0 ? front : back).push_back(std::move(effect));
  }
  return true;
}

}  // namespace

AnimeLayer& frontAnimes() { return World().frontAnimes; }
AnimeLayer& backAnimes() { return World().backAnimes; }

void initAnimeLayers() { clearAnimes(); }

void addAnime(std::unique_ptr<basicAnime> effect) {
  if (effect == nullptr) return;
  (effect->layer != 0 ? World().frontAnimes : World().backAnimes).push_back(std::move(effect));
}

void updateAnimes() {
  updateLayer(World().frontAnimes);
  updateLayer(World().backAnimes);
}

void drawFrontAnimes() { drawLayer(World().frontAnimes); }
void drawBackAnimes() { drawLayer(World().backAnimes); }

void clearAnimes() {
  World().frontAnimes.clear();
  World().backAnimes.clear();
}

void saveAnimes(std::vector<uint8_t>& out) { saveAnimeLayers(World().frontAnimes, World().backAnimes, out); }

void saveAnimeLayers(const AnimeLayer& front, const AnimeLayer& back, std::vector<uint8_t>& out) {
  saveLayer(front, out);
  saveLayer(back, out);
}

bool loadAnimes(RecordReader& in) {
  clearAnimes();
  if (readAnimeLayers(in, World().frontAnimes, World().backAnimes)) return true;
  clearAnimes();
  return false;
}

bool readAnimeLayers(RecordReader& in, AnimeLayer& front, AnimeLayer& back) {
  return loadLayer(in, front, back) && loadLayer(in, front, back);
}

std::unique_ptr<basicAnime> createAnime(int32_t typeId) {
  switch (typeId) {
    case kAnimeBasic: return std::make_unique<basicAnime>();
    case kAnimeExpanding: return std::make_unique<expandingAnime>();
    case kAnimeSlide: return std::make_unique<slideAnime>();
    case kAnimeUserMessege: return std::make_unique<userMessege>();
    case kAnimeMaku: return std::make_unique<maku>();
    case kAnimeFlash: {
      auto f = std::make_unique<flash>(1);
      f->counter = 0.0;
      f->step = 1.0;
      return f;
    }
    case kAnimeCircle: return std::make_unique<circle>();
    case kAnimeMessege: return std::make_unique<messege>();
    case kAnimePlayerSlide: return std::make_unique<playerSlideAnime>();
    case kAnimeStationalSlide: return std::make_unique<stationalSlideAnime>();
    case kAnimeImageShower: return std::make_unique<imageShower>();
    case kAnimeCutIn: return std::make_unique<cutIn>();
    default: return nullptr;
  }
}

void LayerHooks::showDamageReaction(PlayerPosition& player, int damage) {
  if (playerRecord* record = recordOf(&player)) game::battle::showDamageReaction(*record, damage);
}

void LayerHooks::addSlideEffect(int sheet, int pictures, int lastPass, double x, double y, double step) {
  addAnime(std::make_unique<stationalSlideAnime>(sheet, pictures, lastPass, x, y, step));
}

void LayerHooks::addShrinkingImage(int imageId, int x, int y, int heading) {
  addAnime(std::make_unique<expandingAnime>(imageId, x, y, heading, false));
}

void LayerHooks::addDriftingImage(int imageId, int x, int y, double scale) {
  addAnime(std::make_unique<imageShower>(0, imageId, x, y, kModeDrifting, 0, scale));
}

}  // namespace game::battle
