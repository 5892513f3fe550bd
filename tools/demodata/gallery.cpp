// The contact sheets of a run folder: every picture (PNG, JPEG, BMP) scaled
// into a cell over a checkerboard, so that its transparency shows, with its
// path and size under it; one run of sheets per picture folder, so that a
// reviewer sees all the art of a kind side by side.
#include "tools/demodata/gallery.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>

namespace demodata {

namespace fs = std::filesystem;

namespace {

constexpr int kCellWidth = 200;
constexpr int kCellHeight = 150;
constexpr int kLabelHeight = 30;
constexpr int kGap = 8;
constexpr int kColumns = 7;
constexpr int kRows = 6;
constexpr int kHeadHeight = 40;
constexpr int kMaxUpscale = 4;

bool isPicture(const fs::path& p) {
  const std::string e = p.extension().string();
  return e == ".png" || e == ".jpg" || e == ".bmp";
}

std::vector<uint8_t> readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The picture scaled to fit a cell: small sprites grow by a whole factor
// (sharp pixels), large pictures shrink by area averaging.
Canvas fitted(const Canvas& p) {
  const double fit = std::min(double(kCellWidth) / p.width(), double(kCellHeight) / p.height());
  if (fit >= 1) {
    const int k = std::clamp(static_cast<int>(fit), 1, kMaxUpscale);
    Canvas c(p.width() * k, p.height() * k);
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) c.set(x, y, p.at(x / k, y / k));
    return c;
  }
  const int w = std::max(1, static_cast<int>(p.width() * fit)), h = std::max(1, static_cast<int>(p.height() * fit));
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    const int y0 = y * p.height() / h, y1 = std::max(y0 + 1, (y + 1) * p.height() / h);
    for (int x = 0; x < w; ++x) {
      const int x0 = x * p.width() / w, x1 = std::max(x0 + 1, (x + 1) * p.width() / w);
      double r = 0, g = 0, b = 0, a = 0;
      for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i) {
          const Rgba s = p.at(i, j);
          r += s.r * s.a;
          g += s.g * s.a;
          b += s.b * s.a;
          a += s.a;
        }
      const double n = double(x1 - x0) * (y1 - y0);
      auto channel = [&](double v) { return static_cast<uint8_t>(a > 0 ? std::lround(v / a) : 0); };
      c.set(x, y, {channel(r), channel(g), channel(b), static_cast<uint8_t>(std::lround(a / n))});
    }
  }
  return c;
}

void drawCell(Canvas& sheet, int x, int y, const std::string& label, const std::optional<Canvas>& picture) {
  for (int j = 0; j < kCellHeight; ++j)
    for (int i = 0; i < kCellWidth; ++i) {
      const bool dark = ((i / 8) + (j / 8)) % 2 == 0;
      sheet.set(x + i, y + j, dark ? Rgba{150, 150, 158, 255} : Rgba{200, 200, 208, 255});
    }
  std::string size = "unreadable";
  if (picture) {
    const Canvas f = fitted(*picture);
    sheet.draw(f, x + (kCellWidth - f.width()) / 2, y + (kCellHeight - f.height()) / 2);
    size = std::to_string(picture->width()) + " x " + std::to_string(picture->height());
  }
  // The name, cut from the left when it is too long for the cell.
  std::string name = label;
  while (name.size() > 4 && sheet.textWidth(name, 12) > kCellWidth) name.erase(0, 1);
  sheet.text(x, y + kCellHeight + 2, name, 12, {235, 235, 240, 255});
  sheet.text(x, y + kCellHeight + 16, size, 12, {170, 190, 230, 255});
}

}  // namespace

GalleryResult writeGallery(const fs::path& run, const fs::path& out) {
  // Pictures by their folder, in path order.
  std::map<std::string, std::vector<fs::path>> groups;
  for (const auto& e : fs::recursive_directory_iterator(run)) {
    if (!e.is_regular_file() || !isPicture(e.path())) continue;
    const fs::path rel = e.path().lexically_relative(run);
    groups[rel.parent_path().generic_string()].push_back(rel);
  }
  GalleryResult result;
  fs::create_directories(out);
  const int perSheet = kColumns * kRows;
  for (auto& [folder, pictures] : groups) {
    std::sort(pictures.begin(), pictures.end());
    const int sheets = (static_cast<int>(pictures.size()) + perSheet - 1) / perSheet;
    for (int s = 0; s < sheets; ++s) {
      const int first = s * perSheet;
      const int count = std::min(perSheet, static_cast<int>(pictures.size()) - first);
      const int rows = (count + kColumns - 1) / kColumns;
      Canvas sheet(kGap + kColumns * (kCellWidth + kGap), kHeadHeight + rows * (kCellHeight + kLabelHeight + kGap),
                   {40, 42, 52, 255});
      std::string head = folder.empty() ? "." : folder;
      if (sheets > 1) head += "  (" + std::to_string(s + 1) + "/" + std::to_string(sheets) + ")";
      sheet.text(kGap, 8, head, 22, {255, 255, 255, 255});
      for (int k = 0; k < count; ++k) {
        const fs::path& rel = pictures[static_cast<size_t>(first + k)];
        std::optional<Canvas> picture = Canvas::decode(readBytes(run / rel));
        if (!picture) result.unreadable.push_back(rel.generic_string());
        drawCell(sheet, kGap + (k % kColumns) * (kCellWidth + kGap),
                 kHeadHeight + (k / kColumns) * (kCellHeight + kLabelHeight + kGap), rel.filename().string(), picture);
        ++result.pictures;
      }
      std::string name = folder.empty() ? "root" : folder;
      std::replace(name.begin(), name.end(), '/', '-');
      if (sheets > 1) name += "-" + std::to_string(s + 1);
      const fs::path file = out / (name + ".png");
      const std::vector<uint8_t> bytes = sheet.png(false);
      std::ofstream o(file, std::ios::binary | std::ios::trunc);
      o.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!o) throw std::runtime_error("cannot write " + file.string());
      result.sheets.push_back(file.string());
    }
  }
  return result;
}

}  // namespace demodata
