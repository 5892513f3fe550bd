#include "tools/demodata/check.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/demodata/registry.h"

namespace demodata {

namespace fs = std::filesystem;

namespace {

bool endsWith(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

uint32_t be32(const std::vector<unsigned char>& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

std::string checkJpeg(const std::vector<unsigned char>& b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return "not a JPEG";
  // Walk the markers to the frame header: baseline (SOF0) with 3 components.
  size_t at = 2;
  while (at + 4 <= b.size() && b[at] == 0xFF) {
    const unsigned marker = b[at + 1];
    const size_t length = size_t(b[at + 2]) << 8 | b[at + 3];
    if (marker == 0xC0) {
      if (at + 10 > b.size()) return "a cut JPEG frame header";
      return b[at + 9] == 3 ? "" : "a JPEG without 3 components";
    }
    if (marker >= 0xC1 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
      return "a JPEG that is not baseline";
    at += 2 + length;
  }
  return "a JPEG without a frame header";
}

}  // namespace

std::string checkFileBytes(const std::string& path, const std::vector<unsigned char>& b) {
  if (endsWith(path, ".png")) {
    static const unsigned char kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 33 || !std::equal(kSig, kSig + 8, b.begin())) return "not a PNG";
    // Sprites carry alpha: colour type 6 (RGBA), 8 bits.
    if (b[24] != 8 || b[25] != 6) return "a PNG that is not 8-bit RGBA";
    if (be32(b, 16) == 0 || be32(b, 20) == 0) return "an empty PNG";
    return "";
  }
  if (endsWith(path, ".jpg")) return checkJpeg(b);
  if (endsWith(path, ".ogg")) {
    if (b.size() < 64 || std::string(b.begin(), b.begin() + 4) != "OggS") return "not an Ogg file";
    if (std::string(b.begin() + 29, b.begin() + 35) != "vorbis") return "an Ogg file without Vorbis";
    return "";
  }
  if (endsWith(path, ".ogv")) {
    // The first page carries Theora's identification header, 0x80 "theora".
    if (b.size() < 64 || std::string(b.begin(), b.begin() + 4) != "OggS") return "not an Ogg file";
    if (b[28] != 0x80 || std::string(b.begin() + 29, b.begin() + 35) != "theora") return "an Ogg file without Theora";
    return "";
  }
  if (endsWith(path, ".bmp")) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return "not a BMP";
    if (b[28] != 24 || b[30] != 0) return "a BMP that is not 24-bit uncompressed";
    return "";
  }
  if (endsWith(path, ".mid")) {
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd") return "not a MIDI file";
    return "";
  }
  return "";
}

std::vector<std::string> checkRunFolder(const fs::path& run) {
  std::vector<std::string> faults;
  const std::set<std::string> wanted = {"stages", "story", "voice", "image", "audio", "save"};
  std::set<std::string> cut;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(run, ec)) {
    const std::string name = e.path().filename().string();
    const std::string stem = name.substr(0, name.find('.'));
    if (!wanted.count(stem)) continue;
    if (!cut.insert(stem).second) faults.push_back("two root entries read as " + stem + " (" + name + ")");
    if (stem == "save" && name != "save") faults.push_back("a root entry " + name + " stands for save");
  }
  if (ec) faults.push_back("cannot list " + run.string());
  for (const char* d : {"stages", "story", "voice", "image", "audio"}) {
    if (!fs::is_directory(run / d)) faults.push_back(std::string("missing data folder ") + d);
  }
  auto checkFile = [&](const std::string& path) {
    std::ifstream in(run / path, std::ios::binary);
    if (!in) {
      faults.push_back("missing " + path);
      return;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string fault = checkFileBytes(path, bytes);
    if (!fault.empty()) faults.push_back(path + ": " + fault);
  };
  for (const auto& [id, path] : registryImages()) checkFile(path);
  for (const auto& [id, path] : registrySounds()) checkFile(path);
  for (const SheetRow& sheet : registrySheets()) checkFile(sheet.path);
  checkFile(kOpeningMoviePath);
  return faults;
}

}  // namespace demodata
