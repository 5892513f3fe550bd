// Feeds any bytes to the save slot readers as a slot file, of every kind.
// The header read that fills the slot table must agree with the whole-file
// reader: a file the whole reader accepts has a present header with the same
// fields and thumbnail. A thumbnail is decoded only when its declared size
// fits the 320 x 240 the game writes, and then decodes to no more. A slot
// the whole reader accepts writes back to bytes that read again and write
// to the same bytes; a battle slot is then put into a battle, as a load
// does, which runs a few frames.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "game/battle/battle_frame.h"
#include "game/battle/battle_world.h"
#include "game/battle/stage.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "library/foundation/files/read_budget.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/softrender/surface/softsurface.h"
#include "library/veziv.h"

namespace {

using namespace game;

// A small soft screen, so that thumbnails decode into graphs as in play.
void startSoftScreen() {
  static veziv::SOFTSURFACE screen{};
  if (veziv::SoftSurfaceIsValid(&screen)) return;
  if (veziv::SoftSurfaceCreateForScreen(&screen, 32, 32, veziv::kSoftType32) != 0) std::abort();
  veziv::detail::GraphicsScreen& s = veziv::detail::Screen();
  s.started = 1;
  s.width = 32;
  s.height = 32;
  s.bits = 32;
  s.image = &screen;
  veziv::detail::GraphicsCalls().window_is_active = [] { return 1; };
  veziv::detail::GraphicsCalls().wait_while_window_inactive = [] {};
  veziv::ResetDrawState();
}

// The slot table's read of the file's start, from the same bytes.
SlotHead readHead(const uint8_t* data, size_t size, gameHeader& header, std::vector<uint8_t>& thumbnail) {
  if (size == 0) return SlotHead::kDamaged;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (f == nullptr) std::abort();
  const SlotHead read = readSlotHead(f, header, thumbnail);
  std::fclose(f);
  return read;
}

void decodeThumbnail(const std::vector<uint8_t>& jpeg) {
  if (jpeg.empty() || !thumbnailFits(jpeg)) return;
  const veziv::GraphHandle graph =
      veziv::DecodeGraphFromBuffer(jpeg.data(), static_cast<int>(jpeg.size()), nullptr, 0, 1, 0);
  if (graph < 0) return;
  int width = 0, height = 0;
  if (veziv::QueryGraphDimensions(graph, &width, &height) != 0 || width > 320 || height > 240) std::abort();
  veziv::FreeGraphHandle(graph, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veziv::fuzzing::SilenceLog();
  veziv::detail::SetMaxReadBytes(0);  // the game's own budget
  startSoftScreen();
  gameHeader header;
  std::vector<uint8_t> thumbnail;
  const SlotHead head = readHead(data, size, header, thumbnail);
  if (head == SlotHead::kAbsent) std::abort();
  if (head == SlotHead::kPresent) decodeThumbnail(thumbnail);

  slotContents first;
  if (decodeSlot(data, size, first) != nullptr) return 0;
  uint8_t headBytes[kGameHeaderSize], wholeBytes[kGameHeaderSize];
  encodeGameHeader(header, headBytes);
  encodeGameHeader(first.header, wholeBytes);
  if (head != SlotHead::kPresent || thumbnail != first.thumbnail ||
      std::memcmp(headBytes, wholeBytes, kGameHeaderSize) != 0) {
    std::abort();
  }
  auto encode = [](slotContents& c) {
    std::vector<uint8_t> out;
    encodeSlot(out, c.header, c.thumbnail, c.kind, &c.story, c.kind == kSaveStory ? nullptr : &c.battle);
    return out;
  };
  const std::vector<uint8_t> once = encode(first);
  slotContents second;
  if (decodeSlot(once.data(), once.size(), second) != nullptr) std::abort();
  if (encode(second) != once) std::abort();
  if (second.kind == kSaveStory) return 0;

  // A game of its own; the stage folder the slot names is looked for in the
  // scratch folder, where no stage lies: an empty map, as for a folder the
  // player's game lacks.
  GameSession session;
  const SessionScope scope(session);
  char home[4096] = {};
  veziv::FileStreamGetCurrentDir(home);
  veziv::FileStreamSetCurrentDir(veziv::fuzzing::ScratchFolder().c_str());
  restoreBattle(second.battle);
  for (int frame = 0; frame < 30 && battle::currentStage() != nullptr; ++frame) battle::runBattleFrame();
  battle::destroyStage();
  veziv::FileStreamSetCurrentDir(home);
  return 0;
}
