// Test support: small Ogg Theora movies made in memory with libtheoraenc,
// optionally with a Vorbis sound track made with libvorbisenc in the same
// file. Each frame's planes come from a painter, so a test knows what every
// frame shows. Link the theoraenc and vorbisenc packages.
#pragma once

#include <theora/theoraenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "library/sound_movie/readers/sound_fixtures_test_support.h"

namespace veziv::test {

// The three planes of one frame as the encoder takes them (coded size).
struct MoviePlanes {
  int width = 0, height = 0;           // luma
  int chromaWidth = 0, chromaHeight = 0;
  std::vector<uint8_t> y, u, v;
};

struct MovieRecipe {
  int width = 32;  // the picture
  int height = 32;
  int offsetX = 0;  // the picture's place in the coded frame, from its top-left
  int offsetY = 0;
  int frames = 12;
  int fpsNumerator = 30;
  int fpsDenominator = 1;
  int keyframeInterval = 4;  // a keyframe every this many frames (a power of two suits the encoder)
  th_pixel_fmt pixelFormat = TH_PF_420;
  int quality = 48;
  // Seconds of a Vorbis track (a 44100 Hz stereo tone); 0: none.
  double soundSeconds = 0.0;
  // Paints frame i into the planes; null: the default painter, a texture
  // that stays, with a 16 x 16 block at the picture's top-left corner whose
  // grey changes with i (so that only keyframes are big, and keyframes come
  // only at the interval).
  std::function<void(int, MoviePlanes*)> paint;
};

// The grey level of the default painter's block in frame i.
inline int DefaultMovieLuma(int frame) { return 40 + (frame * 13) % 180; }

// A texture of pseudo-random grey levels that is the same in every frame.
inline void PaintMovieNoise(MoviePlanes* p) {
  uint32_t state = 0x9E3779B9u;
  for (uint8_t& y : p->y) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    y = static_cast<uint8_t>(16 + state % 220);
  }
}

inline void PaintDefaultMovieFrame(int frame, int pictureX, int pictureY, MoviePlanes* p) {
  PaintMovieNoise(p);
  for (int y = 0; y < 16 && pictureY + y < p->height; ++y) {
    for (int x = 0; x < 16 && pictureX + x < p->width; ++x) {
      p->y[static_cast<size_t>(pictureY + y) * p->width + pictureX + x] = static_cast<uint8_t>(DefaultMovieLuma(frame));
    }
  }
}

namespace movie_detail {

inline void PutPage(std::vector<uint8_t>* out, const ogg_page& p) {
  out->insert(out->end(), p.header, p.header + p.header_len);
  out->insert(out->end(), p.body, p.body + p.body_len);
}

using Pages = std::vector<std::vector<uint8_t>>;

}  // namespace movie_detail

// The frame's coded size for a picture: rounded up to whole 16-pixel blocks.
inline int MovieCodedSize(int picture, int offset) { return (picture + offset + 15) & ~15; }

// The movie's bytes; empty when the encoder refuses the recipe.
inline std::vector<uint8_t> MakeTheoraMovie(const MovieRecipe& recipe) {
  using movie_detail::Pages;
  th_info info;
  th_info_init(&info);
  info.frame_width = static_cast<ogg_uint32_t>(MovieCodedSize(recipe.width, recipe.offsetX));
  info.frame_height = static_cast<ogg_uint32_t>(MovieCodedSize(recipe.height, recipe.offsetY));
  info.pic_width = static_cast<ogg_uint32_t>(recipe.width);
  info.pic_height = static_cast<ogg_uint32_t>(recipe.height);
  info.pic_x = static_cast<ogg_uint32_t>(recipe.offsetX);
  info.pic_y = static_cast<ogg_uint32_t>(recipe.offsetY);
  info.fps_numerator = static_cast<ogg_uint32_t>(recipe.fpsNumerator);
  info.fps_denominator = static_cast<ogg_uint32_t>(recipe.fpsDenominator);
  info.aspect_numerator = 1;
  info.aspect_denominator = 1;
  info.colorspace = TH_CS_UNSPECIFIED;
  info.pixel_fmt = recipe.pixelFormat;
  info.target_bitrate = 0;
  info.quality = recipe.quality;
  int shift = 0;
  while ((1 << (shift + 1)) <= recipe.keyframeInterval) ++shift;
  info.keyframe_granule_shift = std::max(shift, 1);
  th_enc_ctx* encoder = th_encode_alloc(&info);
  std::vector<uint8_t> out;
  if (encoder == nullptr) {
    th_info_clear(&info);
    return out;
  }
  ogg_uint32_t interval = static_cast<ogg_uint32_t>(recipe.keyframeInterval);
  th_encode_ctl(encoder, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &interval, sizeof interval);

  ogg_stream_state os;
  ogg_stream_init(&os, 0x7E0);
  th_comment comment;
  th_comment_init(&comment);
  ogg_packet packet;
  ogg_page page;
  Pages videoHeaders, videoData;
  bool first = true;
  while (th_encode_flushheader(encoder, &comment, &packet) > 0) {
    ogg_stream_packetin(&os, &packet);
    if (first) {  // the first header alone on the beginning page
      while (ogg_stream_flush(&os, &page) != 0) {
        videoHeaders.emplace_back();
        movie_detail::PutPage(&videoHeaders.back(), page);
      }
      first = false;
    }
  }
  while (ogg_stream_flush(&os, &page) != 0) {
    videoHeaders.emplace_back();
    movie_detail::PutPage(&videoHeaders.back(), page);
  }

  MoviePlanes planes;
  planes.width = static_cast<int>(info.frame_width);
  planes.height = static_cast<int>(info.frame_height);
  planes.chromaWidth = recipe.pixelFormat == TH_PF_444 ? planes.width : planes.width / 2;
  planes.chromaHeight = recipe.pixelFormat == TH_PF_420 ? planes.height / 2 : planes.height;
  for (int i = 0; i < recipe.frames; ++i) {
    planes.y.assign(static_cast<size_t>(planes.width) * planes.height, 0);
    planes.u.assign(static_cast<size_t>(planes.chromaWidth) * planes.chromaHeight, 128);
    planes.v.assign(planes.u.size(), 128);
    if (recipe.paint) {
      recipe.paint(i, &planes);
    } else {
      PaintDefaultMovieFrame(i, recipe.offsetX, recipe.offsetY, &planes);
    }
    th_ycbcr_buffer buffer;
    buffer[0] = {planes.width, planes.height, planes.width, planes.y.data()};
    buffer[1] = {planes.chromaWidth, planes.chromaHeight, planes.chromaWidth, planes.u.data()};
    buffer[2] = {planes.chromaWidth, planes.chromaHeight, planes.chromaWidth, planes.v.data()};
    th_encode_ycbcr_in(encoder, buffer);
    while (th_encode_packetout(encoder, i + 1 == recipe.frames, &packet) > 0) {
      ogg_stream_packetin(&os, &packet);
      while (ogg_stream_pageout(&os, &page) != 0) {
        videoData.emplace_back();
        movie_detail::PutPage(&videoData.back(), page);
      }
    }
  }
  while (ogg_stream_flush(&os, &page) != 0) {
    videoData.emplace_back();
    movie_detail::PutPage(&videoData.back(), page);
  }
  ogg_stream_clear(&os);
  th_comment_clear(&comment);
  th_encode_free(encoder);
  th_info_clear(&info);

  Pages soundHeaders, soundData;
  if (recipe.soundSeconds > 0) {
    EncodeVorbisPages(2, 44100, static_cast<int>(recipe.soundSeconds * 44100), 0x50D, 512, &soundHeaders,
                      &soundData);
  }
  // The beginning pages first, then the other headers, then the data pages
  // of the two streams taken in turn.
  auto put = [&out](const std::vector<uint8_t>& p) { out.insert(out.end(), p.begin(), p.end()); };
  put(videoHeaders[0]);
  if (!soundHeaders.empty()) put(soundHeaders[0]);
  for (size_t i = 1; i < videoHeaders.size(); ++i) put(videoHeaders[i]);
  for (size_t i = 1; i < soundHeaders.size(); ++i) put(soundHeaders[i]);
  const size_t rounds = std::max(videoData.size(), soundData.size());
  for (size_t i = 0; i < rounds; ++i) {
    if (i < videoData.size()) put(videoData[i]);
    if (i < soundData.size()) put(soundData[i]);
  }
  return out;
}

}  // namespace veziv::test
