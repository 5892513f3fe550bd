#include "tools/media/vorbis_pages.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace veziv::tools {

namespace {

void PutPage(OggPages* to, const ogg_page& page) {
  to->emplace_back(page.header, page.header + page.header_len);
  to->back().insert(to->back().end(), page.body, page.body + page.body_len);
}

}  // namespace

bool EncodeVorbisPages(int channels, int rate, size_t frames, int serial, int pageFill,
                       const std::function<float(size_t frame, int channel)>& sample, OggPages* headers,
                       OggPages* data) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, 0.3f) != 0) {
    vorbis_info_clear(&vi);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) PutPage(headers, page);

  constexpr size_t kChunk = 1024;
  size_t written = 0;
  bool done = false;
  while (!done) {
    const size_t chunk = std::min(kChunk, frames - written);
    if (chunk > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(chunk));
      for (size_t i = 0; i < chunk; ++i)
        for (int c = 0; c < channels; ++c) buffer[c][i] = sample(written + i, c);
      vorbis_analysis_wrote(&vd, static_cast<int>(chunk));
      written += chunk;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while ((pageFill > 0 ? ogg_stream_pageout_fill(&os, &page, pageFill) : ogg_stream_pageout(&os, &page)) != 0) {
          PutPage(data, page);
          if (ogg_page_eos(&page)) done = true;
        }
      }
    }
    if (chunk == 0 && !done) {
      while (ogg_stream_flush(&os, &page) != 0) {
        PutPage(data, page);
        if (ogg_page_eos(&page)) done = true;
      }
      done = true;  // the last flush has written the end of the stream
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return true;
}

std::vector<uint8_t> EncodeVorbisFile(int channels, int rate, size_t frames, int serial,
                                      const std::function<float(size_t frame, int channel)>& sample) {
  OggPages headers, data;
  std::vector<uint8_t> out;
  if (!EncodeVorbisPages(channels, rate, frames, serial, 0, sample, &headers, &data)) return out;
  for (const OggPages* pages : {&headers, &data})
    for (const std::vector<uint8_t>& p : *pages) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace veziv::tools
