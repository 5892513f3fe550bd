// The libjpeg error manager shared by the JPEG reader and writer: the library's
// message is kept quiet and control returns to the caller's error point.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace veziv::detail {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  jmp_buf errorPoint;
};

// Sets up err as the object's error manager with the returning error exit.
jpeg_error_mgr* SetupJpegErrors(JpegErrorManager* err);

}  // namespace veziv::detail
