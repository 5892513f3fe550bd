// Contact sheets of a run folder's pictures, for looking at the art.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/demodata/canvas.h"

namespace demodata {

struct GalleryResult {
  int pictures = 0;
  std::vector<std::string> sheets;      // the files written
  std::vector<std::string> unreadable;  // pictures no decoder could read
};

// Writes the labelled sheets of every picture under run into out (made
// when missing); throws std::runtime_error when a sheet cannot be written.
GalleryResult writeGallery(const std::filesystem::path& run, const std::filesystem::path& out);

}  // namespace demodata
