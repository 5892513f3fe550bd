// The look the game's screens share: a palette, and the panels, buttons,
// plates, sliders and labels their pictures are drawn from.
#pragma once

#include <string>

#include "tools/demodata/canvas.h"
#include "tools/demodata/shapes.h"

namespace demodata::ui {

inline constexpr Rgba kWhite{255, 255, 255, 255};
inline constexpr Rgba kInk{16, 20, 44, 255};           // text edges, deep shadows
inline constexpr Rgba kNavy{26, 36, 84, 255};          // panel bodies
inline constexpr Rgba kNavyLight{58, 82, 158, 255};
inline constexpr Rgba kRim{214, 226, 255, 255};        // panel and button edges
inline constexpr Rgba kGold{255, 210, 110, 255};       // accents, chosen states
inline constexpr Rgba kSky{120, 176, 240, 255};
inline constexpr Rgba kMuted{170, 180, 205, 255};

// Text styles: a label on a panel, a heading, a small note.
TextStyle label(int px, Rgba colour = kWhite);
TextStyle heading(int px);

// A rounded glass panel: a navy gradient body, a light rim, a highlight
// along its top; alpha 0..255 for the body.
void panel(Canvas& c, double x, double y, double w, double h, double radius = 8, uint8_t alpha = 215);
// A raised button with its label; pressed: sunk, warmer and lit.
void button(Canvas& c, double x, double y, double w, double h, const std::string& text, bool pressed,
            Rgba body = kNavyLight);
// A button body without a label, for places where the game writes the text.
void buttonBody(Canvas& c, double x, double y, double w, double h, bool pressed, Rgba body = kNavyLight);
// A slider's groove from (x, y) w long, with a tick every `ticks`-th of it.
void sliderGroove(Canvas& c, double x, double y, double w, int ticks);
// An empty check box (the game draws the mark into it).
void checkBox(Canvas& c, double x, double y, double size);
// Text whose fill is a paint (its outline and shadow as the style says).
void writeGradient(Canvas& c, double x, double y, const std::string& text, const TextStyle& style, const Paint& fill);
// A heading with a thin gold rule under it.
void headingText(Canvas& c, double x, double y, const std::string& text, int px);
// A bank of cumulus inside w x h, lit from above: round puffs over a flat
// base, denser towards `towards` (-1 left, 1 right, 0 the middle).
void cloudBank(Canvas& c, uint32_t seed, int puffs, int towards, double alpha = 1);
// A starry night-blue screen ground with soft cloud banks low down.
void nightGround(Canvas& c, uint32_t seed);
// A strip darkened for the key legend line at the foot of a screen.
void legendStrip(Canvas& c);

}  // namespace demodata::ui
