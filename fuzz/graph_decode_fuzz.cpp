// Image bytes made into a graph, as a save slot's picture is: the bytes are
// split into a colour file and an optional alpha file, decoded (mirrored or
// not) into a new graph, drawn onto a small software screen plainly and
// turned, then decoded again into the same graph. Every graph made must be
// gone once it is deleted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/read_budget.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/images/image_stream.h"
#include "library/softrender/surface/softsurface.h"

namespace {

constexpr int kScreenSize = 48;

void StartSoftScreen() {
  static veziv::SOFTSURFACE screen{};
  if (veziv::SoftSurfaceIsValid(&screen)) return;
  if (veziv::SoftSurfaceCreateForScreen(&screen, kScreenSize, kScreenSize, veziv::kSoftType32) != 0) std::abort();
  veziv::detail::GraphicsScreen& s = veziv::detail::Screen();
  s.started = 1;
  s.width = kScreenSize;
  s.height = kScreenSize;
  s.bits = 32;
  s.image = &screen;
  // No window: it counts as active and nothing waits.
  veziv::detail::GraphicsCalls().window_is_active = [] { return 1; };
  veziv::detail::GraphicsCalls().wait_while_window_inactive = [] {};
  veziv::ResetDrawState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > (1u << 22)) return 0;
  veziv::fuzzing::SilenceLog();
  // The game's own budget: a lower one would refuse, from the header, pictures
  // the game decodes whole, and hide what they cost.
  veziv::detail::SetMaxReadBytes(0);
  veziv::detail::SkipPngChecksumsForFuzzing(true);
  StartSoftScreen();
  // First byte: bit 0 mirrors, bit 1 gives an alpha file. The next two bytes
  // say where the colour file ends (taken modulo what is left).
  const bool reverse = (data[0] & 1) != 0;
  const bool withAlpha = (data[0] & 2) != 0;
  const size_t rest = size - 3;
  const uint8_t* bytes = data + 3;
  size_t colourSize = rest;
  if (withAlpha && rest > 0) colourSize = (size_t(data[1]) | size_t(data[2]) << 8) % (rest + 1);
  const uint8_t* alpha = withAlpha ? bytes + colourSize : nullptr;
  const int alphaSize = withAlpha ? int(rest - colourSize) : 0;

  const int before = veziv::detail::GraphCount();
  const int graph =
      veziv::DecodeGraphFromBuffer(bytes, int(colourSize), alpha, alphaSize, 0, reverse ? 1 : 0);
  if (graph != -1) {
    int width = 0, height = 0;
    if (veziv::QueryGraphDimensions(graph, &width, &height) != 0 || width <= 0 || height <= 0) std::abort();
    veziv::RenderGraphAtPoint(-width / 2, -height / 2, graph, 1);
    veziv::RenderGraphRotatedAtCentre(kScreenSize / 2.0f, kScreenSize / 2.0f, 0.75, 0.5, graph, 1, reverse ? 1 : 0);
    veziv::RedecodeGraphFromBuffer(bytes, int(colourSize), graph, alpha, alphaSize, 0, reverse ? 1 : 0);
    veziv::RenderGraphStretched(3, 5, kScreenSize - 7, kScreenSize - 2, graph, 1);
    if (veziv::FreeGraphHandle(graph, 0) != 0) std::abort();
  }
  if (veziv::detail::GraphCount() != before) std::abort();
  return 0;
}
