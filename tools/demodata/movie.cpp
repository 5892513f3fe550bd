// The opening movie: a night sky that turns to dawn, a flock of birds in a V
// crossing it on a trail of stars, and the game's name fading in. Ogg
// Theora, 800 x 600 in frames coded 800 x 608 (the picture region cuts the
// last 8 rows), 15 frames a second, no sound track: the player then runs on
// its own clock, the same on every machine.
#include <theora/theoraenc.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"

namespace demodata {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kCodedHeight = 608;
constexpr int kFps = 15;
constexpr int kFrames = 90;
constexpr int kSerial = 0x0BE0;

uint8_t mix(uint8_t a, uint8_t b, double t) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); }
Rgba mix(Rgba a, Rgba b, double t) { return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), 255}; }

// One bird seen from below: two swept wings beating with the phase.
void bird(Canvas& c, double x, double y, double size, double phase) {
  const double lift = std::sin(phase) * size * 0.5;
  const Rgba body{25, 30, 55, 255};
  c.fillEllipse(x, y, size * 0.35, size * 0.18, body);
  for (int k = 1; k <= 6; ++k) {
    const double t = k / 6.0;
    const double r = size * 0.16 * (1 - t * 0.6);
    c.fillEllipse(x - t * size, y - t * lift, r, r, body);
    c.fillEllipse(x + t * size, y - t * lift, r, r, body);
  }
}

Canvas frame(int n, const Canvas& title, const std::vector<std::pair<int, int>>& stars) {
  const double t = n / static_cast<double>(kFrames - 1);
  Canvas c(kWidth, kHeight);
  // The sky lightens from night towards dawn.
  const Rgba top = mix(Rgba{8, 12, 40, 255}, Rgba{40, 60, 130, 255}, t);
  const Rgba bottom = mix(Rgba{30, 30, 80, 255}, Rgba{240, 160, 120, 255}, t);
  c.verticalGradient(top, bottom);
  for (size_t k = 0; k < stars.size(); ++k) {
    const double twinkle = 0.5 + 0.5 * std::sin(n * 0.7 + k);
    c.blend(stars[k].first, stars[k].second, {255, 255, 230, 255}, (1 - t) * twinkle);
  }
  // The flock crosses from the left, leaving a trail of sparks.
  const double lead = -150 + t * 1100;
  for (int s = 0; s < 40; ++s) {
    const double sx = lead - 40 - s * 12;
    const double sy = 300 - (sx - 80) * 0.18 + std::sin(s * 1.3) * 6;
    c.fillEllipse(sx, sy, 2.2, 2.2, {255, 240, 180, static_cast<uint8_t>(200 - s * 5)});
  }
  for (int k = 0; k < 7; ++k) {
    const int row = (k + 1) / 2;
    const int side = k % 2 == 0 ? 1 : -1;
    bird(c, lead - row * 45, 300 - (lead - 80) * 0.18 + side * row * 30, 14, n * 0.9 + k);
  }
  // The name fades in over the last third.
  const double fade = std::clamp((t - 0.6) / 0.3, 0.0, 1.0);
  if (fade > 0) {
    c.draw(title, (kWidth - title.width()) / 2, 120, fade);
  }
  return c;
}

// The picture into the encoder's planes: full-range RGB to video-range
// Y'CbCr (BT.601), chroma averaged over 2 x 2 pixels; the coded rows under
// the picture stay black.
void toPlanes(const Canvas& c, std::vector<uint8_t>& y, std::vector<uint8_t>& cb, std::vector<uint8_t>& cr) {
  y.assign(static_cast<size_t>(kWidth) * kCodedHeight, 16);
  cb.assign(static_cast<size_t>(kWidth / 2) * (kCodedHeight / 2), 128);
  cr.assign(cb.size(), 128);
  auto luma = [](Rgba p) { return 16 + (65.481 * p.r + 128.553 * p.g + 24.966 * p.b) / 255; };
  for (int py = 0; py < kHeight; ++py)
    for (int px = 0; px < kWidth; ++px) y[static_cast<size_t>(py) * kWidth + px] = static_cast<uint8_t>(luma(c.at(px, py)));
  for (int py = 0; py < kHeight / 2; ++py)
    for (int px = 0; px < kWidth / 2; ++px) {
      double r = 0, g = 0, b = 0;
      for (int k = 0; k < 4; ++k) {
        const Rgba p = c.at(2 * px + k % 2, 2 * py + k / 2);
        r += p.r / 4.0;
        g += p.g / 4.0;
        b += p.b / 4.0;
      }
      const size_t at = static_cast<size_t>(py) * (kWidth / 2) + px;
      cb[at] = static_cast<uint8_t>(std::lround(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255));
      cr[at] = static_cast<uint8_t>(std::lround(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255));
    }
}

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

std::vector<uint8_t> encodeOpeningMovie() {
  Canvas title(640, 150);
  title.text(60, 0, "ペルヴァロ", 96, {255, 250, 235, 255}, {40, 60, 120, 255}, true);
  title.text(150, 108, "～ほしの渡り鳥たち～", 30, {255, 240, 200, 255}, {40, 60, 120, 255}, true);
  Random r(hashText(kOpeningMoviePath));
  std::vector<std::pair<int, int>> stars(160);
  for (auto& s : stars) s = {static_cast<int>(r.next() % kWidth), static_cast<int>(r.next() % 420)};

  th_info info;
  th_info_init(&info);
  info.frame_width = kWidth;
  info.frame_height = kCodedHeight;
  info.pic_width = kWidth;
  info.pic_height = kHeight;
  info.pic_x = 0;
  info.pic_y = 0;
  info.fps_numerator = kFps;
  info.fps_denominator = 1;
  info.aspect_numerator = 1;
  info.aspect_denominator = 1;
  info.colorspace = TH_CS_UNSPECIFIED;
  info.pixel_fmt = TH_PF_420;
  info.quality = 32;
  info.keyframe_granule_shift = 5;  // room for a key frame every 30 frames
  th_enc_ctx* encoder = th_encode_alloc(&info);
  th_info_clear(&info);
  if (encoder == nullptr) throw std::runtime_error("the Theora encoder refused the movie's format");
  ogg_uint32_t keyEvery = 30;
  th_encode_ctl(encoder, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &keyEvery, sizeof keyEvery);

  std::vector<uint8_t> out;
  ogg_stream_state os;
  ogg_stream_init(&os, kSerial);
  th_comment comment;
  th_comment_init(&comment);
  ogg_packet packet;
  ogg_page page;
  // The identification header alone on the first page, the others after it.
  bool first = true;
  while (th_encode_flushheader(encoder, &comment, &packet) > 0) {
    ogg_stream_packetin(&os, &packet);
    if (first) {
      while (ogg_stream_flush(&os, &page) != 0) appendPage(out, page);
      first = false;
    }
  }
  while (ogg_stream_flush(&os, &page) != 0) appendPage(out, page);

  std::vector<uint8_t> y, cb, cr;
  for (int n = 0; n < kFrames; ++n) {
    toPlanes(frame(n, title, stars), y, cb, cr);
    th_ycbcr_buffer planes;
    planes[0] = {kWidth, kCodedHeight, kWidth, y.data()};
    planes[1] = {kWidth / 2, kCodedHeight / 2, kWidth / 2, cb.data()};
    planes[2] = {kWidth / 2, kCodedHeight / 2, kWidth / 2, cr.data()};
    th_encode_ycbcr_in(encoder, planes);
    while (th_encode_packetout(encoder, n + 1 == kFrames, &packet) > 0) {
      ogg_stream_packetin(&os, &packet);
      while (ogg_stream_pageout(&os, &page) != 0) appendPage(out, page);
    }
  }
  while (ogg_stream_flush(&os, &page) != 0) appendPage(out, page);
  ogg_stream_clear(&os);
  th_comment_clear(&comment);
  th_encode_free(encoder);
  return out;
}

}  // namespace

void makeOpeningMovie(const Sources&, Outputs& out) { out.add(kOpeningMoviePath, encodeOpeningMovie()); }

}  // namespace demodata
