// The demuxer and decoders of the movie road (see media_input.h).
#include "library/sound_movie/readers/media_input.h"

#include "library/foundation/files/read_budget.h"

#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace veziv::detail {
namespace {

constexpr int kIoBufferBytes = 32768;
// What a file may make the demuxer read and decode to learn its streams.
constexpr int64_t kProbeBytes = int64_t(1) << 20;
constexpr int64_t kAnalyseMicroseconds = 2 * int64_t(AV_TIME_BASE);
constexpr unsigned kMaxStreams = 16;

// Containers of the movies a game plays; image formats and raw sound formats
// stay with their own readers.
constexpr const char* kFormats = "avi,mov,mp4,matroska,webm,mpeg,mpegts,mpegvideo,m4v,h264,ivf";
constexpr const char* kCodecs =
    "mpeg1video,mpeg2video,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4v3,h263,h264,vp8,vp9,theora,"
    "mp2,mp2float,mp3,mp3float,aac,aac_fixed,vorbis,opus,ac3,ac3_fixed,flac,pcm_u8,pcm_s16le,pcm_s16be";

// The stream behaves as a file to the demuxer: a seek beyond the end is
// allowed, and the next read there meets the end (demuxers skip forward by
// seeking and rely on that).
int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  auto* input = static_cast<MediaInput*>(opaque);
  if (size <= 0) return 0;
  if (input->position >= input->length) return AVERROR_EOF;
  const size_t got = input->functions.read(buffer, 1, static_cast<size_t>(size), input->stream);
  if (got == 0 || got > static_cast<size_t>(size)) return AVERROR_EOF;
  input->position += static_cast<int64_t>(got);
  return static_cast<int>(got);
}

int64_t SeekPacket(void* opaque, int64_t offset, int whence) {
  auto* input = static_cast<MediaInput*>(opaque);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE) return input->length;
  int64_t target = offset;
  if (whence == SEEK_CUR) target += input->position;
  if (whence == SEEK_END) target += input->length;
  if (target < 0 || target > INT64_MAX / 2) return -1;
  const int64_t inside = target < input->length ? target : input->length;
  if (input->functions.seek(input->stream, static_cast<int>(inside), 0) != 0) return -1;
  input->position = target;
  return target;
}

void QuietLibraries() {
  // A file that is not a movie is an answer for the caller, not a message
  // on the standard error.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool HeaderTellsStream(const AVFormatContext* format, AVMediaType type) {
  // Containers whose header describes each stream in full; the others leave
  // some of it to the packets.
  if (av_match_list(format->iformat->name, "mov,matroska", ',') <= 0) return false;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* stream = format->streams[i];
    const AVCodecParameters* p = stream->codecpar;
    if (p->codec_type != type) continue;
    if (type == AVMEDIA_TYPE_VIDEO && p->width > 0 && p->height > 0 &&
        (stream->avg_frame_rate.num > 0 || stream->r_frame_rate.num > 0)) {
      return true;
    }
    if (type == AVMEDIA_TYPE_AUDIO && p->sample_rate > 0 && p->ch_layout.nb_channels > 0 && p->format >= 0) {
      return true;
    }
  }
  return false;
}

AVDictionary* DecoderOptions(int64_t maxPixels) {
  AVDictionary* options = nullptr;
  av_dict_set_int(&options, "max_pixels", maxPixels, 0);
  av_dict_set(&options, "threads", "1", 0);
  av_dict_set(&options, "codec_whitelist", kCodecs, 0);
  return options;
}

}  // namespace

bool OpenMediaInput(const StreamFunctionTable* functions, StreamValue stream, AVMediaType type, int64_t maxPixels,
                    MediaInput* input) {
  QuietLibraries();
  *input = MediaInput{};
  input->functions = *functions;
  input->stream = stream;
  if (functions->seek(stream, 0, 2) != 0) return false;
  input->length = functions->tell(stream);
  if (input->length <= 0 || functions->seek(stream, 0, 0) != 0) return false;
  auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
  if (buffer == nullptr) return false;
  input->io = avio_alloc_context(buffer, kIoBufferBytes, 0, input, ReadPacket, nullptr, SeekPacket);
  if (input->io == nullptr) {
    av_free(buffer);
    return false;
  }
  input->format = avformat_alloc_context();
  if (input->format == nullptr) {
    CloseMediaInput(input);
    return false;
  }
  AVFormatContext* format = input->format;
  format->pb = input->io;
  format->flags |= AVFMT_FLAG_CUSTOM_IO;
  format->probesize = kProbeBytes;
  format->format_probesize = static_cast<int>(kProbeBytes);
  format->max_analyze_duration = kAnalyseMicroseconds;
  format->max_streams = kMaxStreams;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "format_whitelist", kFormats, 0);
  av_dict_set(&options, "codec_whitelist", kCodecs, 0);
  const int opened = avformat_open_input(&input->format, nullptr, nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) {
    input->format = nullptr;  // freed by the failed open
    CloseMediaInput(input);
    return false;
  }
  // A container whose header tells the stream wanted (its picture's size and
  // rate, or its sound's rate and channels) is not read further; otherwise
  // learning the streams decodes a little of each, under the same caps.
  if (HeaderTellsStream(input->format, type)) return true;
  std::vector<AVDictionary*> perStream(input->format->nb_streams, nullptr);
  for (AVDictionary*& d : perStream) d = DecoderOptions(maxPixels);
  const int found = avformat_find_stream_info(input->format, perStream.empty() ? nullptr : perStream.data());
  for (AVDictionary*& d : perStream) av_dict_free(&d);
  if (found < 0) {
    CloseMediaInput(input);
    return false;
  }
  return true;
}

void CloseMediaInput(MediaInput* input) {
  if (input->format != nullptr) avformat_close_input(&input->format);
  if (input->io != nullptr) {
    av_freep(&input->io->buffer);
    avio_context_free(&input->io);
  }
  input->format = nullptr;
}

int64_t MediaPictureLimit(int64_t heldPictures) { return MaxReadBytes() / (heldPictures * 3 / 2 + 4); }

AVCodecContext* OpenMediaDecoder(const MediaInput& input, int streamIndex, int64_t maxPixels) {
  if (streamIndex < 0 || static_cast<unsigned>(streamIndex) >= input.format->nb_streams) return nullptr;
  const AVCodecParameters* parameters = input.format->streams[streamIndex]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  if (codec == nullptr) return nullptr;
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  if (decoder == nullptr) return nullptr;
  AVDictionary* options = DecoderOptions(maxPixels);
  const bool opened = avcodec_parameters_to_context(decoder, parameters) >= 0 &&
                      avcodec_open2(decoder, codec, &options) >= 0;
  av_dict_free(&options);
  if (!opened) avcodec_free_context(&decoder);
  return decoder;
}

}  // namespace veziv::detail
