// Face names to font files: our table of the Japanese Windows faces, then
// fontconfig's best scalable match; and the list of faces that lend glyphs.
#include "platform/glyphs/face_lookup.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>

namespace platform::glyphs::detail {
namespace {

// The Japanese faces come in one weight each; the game's two Windows names and
// the empty name (the system's default Gothic) land on the IPA fonts, which
// have the same half- and full-width advances.
struct TableEntry {
  const char* face;
  const char* family;
};
constexpr TableEntry kTable[] = {
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D", "IPAMincho"},                          // ＭＳ 明朝
    {"\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "IPAGothic"},  // ＭＳ ゴシック
    {"", "IPAGothic"},
};

// Borrowing stops after this many faces: beyond them a glyph is not worth the search.
constexpr size_t kMaxFallbacks = 16;

bool Ready() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

FcPattern* FamilyPattern(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

std::optional<FaceFile> FileOf(FcPattern* match) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return std::nullopt;
  FaceFile face;
  face.path = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) face.index = index;
  FcChar8* name = nullptr;
  if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr) {
    face.family = reinterpret_cast<const char*>(name);
  }
  return face;
}

// The character set as ranges of code points, read page by page.
std::vector<char32_t> RangesOf(const FcCharSet* set) {
  std::vector<char32_t> ranges;
  FcChar32 map[FC_CHARSET_MAP_SIZE];
  FcChar32 next = 0;
  for (FcChar32 base = FcCharSetFirstPage(set, map, &next); base != FC_CHARSET_DONE;
       base = FcCharSetNextPage(set, map, &next)) {
    for (int word = 0; word < FC_CHARSET_MAP_SIZE; ++word) {
      for (int bit = 0; bit < 32; ++bit) {
        if ((map[word] >> bit & 1) == 0) continue;
        const char32_t code = base + static_cast<char32_t>(word * 32 + bit);
        if (!ranges.empty() && ranges.back() + 1 == code) {
          ranges.back() = code;
        } else {
          ranges.push_back(code);
          ranges.push_back(code);
        }
      }
    }
  }
  return ranges;
}

}  // namespace

const char* TableFamily(std::string_view face_utf8) {
  for (const TableEntry& entry : kTable) {
    if (face_utf8 == entry.face) return entry.family;
  }
  return nullptr;
}

std::optional<FaceFile> FindFaceFile(const std::string& family) {
  // Lookups repeat with every font made; fontconfig's answer does not change while we run.
  static std::map<std::string, std::optional<FaceFile>> known;
  if (auto it = known.find(family); it != known.end()) return it->second;
  std::optional<FaceFile> found;
  if (Ready()) {
    if (FcPattern* pattern = FamilyPattern(family)) {
      FcResult result = FcResultNoMatch;
      if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        found = FileOf(match);
        FcPatternDestroy(match);
      }
      FcPatternDestroy(pattern);
    }
  }
  known.emplace(family, found);
  return found;
}

bool FallbackFace::Has(char32_t code) const {
  // ranges holds sorted, disjoint [first, last] pairs.
  auto it = std::upper_bound(ranges.begin(), ranges.end(), code);
  const size_t at = static_cast<size_t>(it - ranges.begin());
  return at % 2 == 1 || (at > 0 && ranges[at - 1] == code);
}

std::vector<FallbackFace> FallbackFaces(const FaceFile& face) {
  std::vector<FallbackFace> faces;
  if (!Ready()) return faces;
  FcPattern* pattern = FamilyPattern(face.family);
  if (pattern == nullptr) return faces;
  // Japanese first: the text is Japanese, and the borrowed glyph should look it.
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
  FcPatternDestroy(pattern);
  if (set == nullptr) return faces;
  for (int i = 0; i < set->nfont && faces.size() < kMaxFallbacks; ++i) {
    FcPattern* candidate = set->fonts[i];
    std::optional<FaceFile> file = FileOf(candidate);
    FcCharSet* chars = nullptr;
    if (file && !(file->path == face.path && file->index == face.index) &&
        FcPatternGetCharSet(candidate, FC_CHARSET, 0, &chars) == FcResultMatch && chars != nullptr) {
      faces.push_back(FallbackFace{*file, RangesOf(chars)});
    }
  }
  FcFontSetDestroy(set);
  return faces;
}

}  // namespace platform::glyphs::detail

// fontconfig loses a block while it reads the system's configuration, once
// per process; the leak checker of sanitized builds is told so here, where
// fontconfig is started. (Its stack is cut short inside the library, so the
// library is named.) Unused in other builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
