// JPEG reader through libjpeg, with a data source over a library stream. A file
// cut short ends with a supplied end-of-image marker, as libjpeg's own sources
// do; grey and three-component images are accepted, CMYK and YCCK refused.
//
// What a file claims is checked against what its bytes can make before any
// pixel is decoded. A Huffman-coded scan spends at least one bit on each 8 x 8
// block of the full-size component (its DC code), so whole data can make at
// most 512 pixels a byte; a picture may claim up to four times that, which
// leaves room for an honest file cut short (its tail is filled in), while a
// few hundred bytes can no longer claim a picture of hundreds of megabytes.
// Arithmetic-coded data, which can spend less than a bit on a block, is
// refused. libjpeg's own working memory (the coefficients of a progressive
// file) is held to the read budget, and a file may have at most kMaxScans
// scans, each of which costs a pass over every block.
#include <cstring>

#include "library/graphics/images/image_jpeg_common.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

namespace detail {

namespace {
void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  longjmp(err->errorPoint, 1);
}

// libjpeg would print its messages and warnings to the standard error; a file
// that is not a JPEG is an answer for the caller, not a message for the user.
void JpegQuietMessage(j_common_ptr) {}
}  // namespace

jpeg_error_mgr* SetupJpegErrors(JpegErrorManager* err) {
  jpeg_error_mgr* pub = jpeg_std_error(&err->pub);
  pub->error_exit = JpegErrorExit;
  pub->output_message = JpegQuietMessage;
  return pub;
}

}  // namespace detail

namespace {

constexpr size_t kSourceBufferBytes = 4096;
constexpr int64_t kPixelsPerScanByte = 512;
constexpr int64_t kTruncationSlack = 4;
// Honest progressive files have about ten scans.
constexpr int kMaxScans = 256;

struct StreamSource {
  jpeg_source_mgr pub;
  const ImageStream* stream;
  int64_t size;
  JOCTET* buffer;
  bool startOfFile;
};

void JpegInitSource(j_decompress_ptr cinfo) {
  reinterpret_cast<StreamSource*>(cinfo->src)->startOfFile = true;
}

boolean JpegFillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  const int64_t remaining = src->size - detail::TellStream(*src->stream);
  size_t got = 0;
  if (remaining > 0)
    got = detail::ReadStreamBytes(*src->stream, src->buffer,
                                  size_t(remaining < int64_t(kSourceBufferBytes) ? remaining : kSourceBufferBytes));
  if (got == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  src->startOfFile = false;
  return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  while (count > long(src->pub.bytes_in_buffer)) {
    count -= long(src->pub.bytes_in_buffer);
    JpegFillInputBuffer(cinfo);
  }
  src->pub.next_input_byte += count;
  src->pub.bytes_in_buffer -= size_t(count);
}

void JpegTermSource(j_decompress_ptr) {}

void SetupJpegStreamSource(j_decompress_ptr cinfo, const ImageStream* stream) {
  if (!cinfo->src) {
    auto* src = static_cast<StreamSource*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(StreamSource)));
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kSourceBufferBytes));
    cinfo->src = &src->pub;
  }
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  src->pub.init_source = JpegInitSource;
  src->pub.fill_input_buffer = JpegFillInputBuffer;
  src->pub.skip_input_data = JpegSkipInputData;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = JpegTermSource;
  src->pub.bytes_in_buffer = 0;
  src->pub.next_input_byte = nullptr;
  src->stream = stream;
  src->size = detail::StreamSize(*stream);
}

// The bytes from the first scan on: what is left in the stream and in the buffer.
int64_t ScanBytes(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  const int64_t left = src->size - detail::TellStream(*src->stream);
  return (left > 0 ? left : 0) + int64_t(src->pub.bytes_in_buffer);
}

bool ScanDataCanMakePicture(j_decompress_ptr cinfo) {
  const int64_t pixels = int64_t(cinfo->image_width) * cinfo->image_height;
  return pixels / kTruncationSlack <= ScanBytes(cinfo) * kPixelsPerScanByte;
}

void JpegScanLimit(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_NOT_COMPILED);
}

}  // namespace

int ReadJpegToRasterImage(ImageStream* stream, RasterImage* image) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  detail::JpegErrorManager err;
  cinfo.err = detail::SetupJpegErrors(&err);
  uint8_t* volatile pixels = nullptr;
  if (setjmp(err.errorPoint)) {
    detail::FreeRasterMemory(pixels);
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_CreateDecompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  cinfo.mem->max_memory_to_use = long(detail::MaxReadBytes());
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegScanLimit;
  cinfo.progress = &progress;
  SetupJpegStreamSource(&cinfo, stream);
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.num_components != 1 && cinfo.num_components != 3) ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
  if (cinfo.arith_code) ERREXIT(&cinfo, JERR_NOT_COMPILED);
  if (!detail::PictureFitsReadBudget(cinfo.image_width, cinfo.image_height, cinfo.num_components) ||
      !ScanDataCanMakePicture(&cinfo))
    ERREXIT1(&cinfo, JERR_IMAGE_TOO_BIG, unsigned(detail::kMaxPictureSide));
  // The decoder writes blue, green, red itself, straight into the image rows.
  if (cinfo.num_components == 3) cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  const size_t rowBytes = size_t(components) * cinfo.output_width;
  pixels = static_cast<uint8_t*>(detail::AllocRasterMemory(rowBytes * cinfo.output_height));
  if (!pixels) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels + size_t(cinfo.output_scanline) * rowBytes;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  if (components == 1)
    SetPixelFormatDesc8BitGray(&image->format);
  else
    SetPixelFormatDesc24Bit(&image->format);
  image->width = int32_t(cinfo.output_width);
  image->height = int32_t(cinfo.output_height);
  image->pitch = int32_t(rowBytes);
  image->pixels = pixels;
  image->levelCount = 0;
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

}  // namespace veziv
