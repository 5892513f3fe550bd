// Where a face name leads: our own table of the Windows face names the game
// asks for, then fontconfig; and the faces to borrow a missing glyph from.
// Internal to platform/glyphs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::glyphs::detail {

struct FaceFile {
  std::string path;
  int index = 0;       // the face within a collection file
  std::string family;  // UTF-8
};

// The family our table gives a face name (UTF-8), or null for a name it does not hold.
const char* TableFamily(std::string_view face_utf8);

// The font file fontconfig picks for a family, scalable faces only; nullopt
// when it knows none.
std::optional<FaceFile> FindFaceFile(const std::string& family);

// Faces that can stand in for missing glyphs, best first, the face itself
// left out. Each comes with a test for whether it has a character.
struct FallbackFace {
  FaceFile file;
  std::vector<char32_t> ranges;  // pairs of first and last code point it covers
  bool Has(char32_t code) const;
};
std::vector<FallbackFace> FallbackFaces(const FaceFile& face);

}  // namespace platform::glyphs::detail
