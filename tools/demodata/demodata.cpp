// demodata: makes the game's run folder from the sources under data/, and
// checks a made one.
//   demodata gen --src DATA --out RUN [--jobs N]
//   demodata check RUN
//   demodata gallery [--run RUN] --out DIR
// Files whose bytes did not change are left untouched, and generators whose
// tool, sources and files are as the run folder's record says are not run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tools/demodata/check.h"
#include "tools/demodata/gallery.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/run_folder.h"

namespace fs = std::filesystem;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: demodata gen --src DATA --out RUN [--jobs N]\n       demodata check RUN\n"
               "       demodata gallery [--run RUN] --out DIR\n");
  return 2;
}

int generate(const fs::path& src, const fs::path& run, unsigned jobs) {
  const auto start = std::chrono::steady_clock::now();
  const demodata::RunReport r = demodata::makeRunFolder(src, run, jobs, demodata::allGenerators(), demodata::runningToolIdentity());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("demodata: %zu files, %d written; %d generators run, %d up to date; %.2f s\n", r.files, r.written,
              r.generatorsRun, r.generatorsKept, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::strcmp(argv[1], "gen") == 0) {
      fs::path src, out;
      unsigned jobs = 2;
      for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--src") == 0) src = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
        else if (std::strcmp(argv[i], "--jobs") == 0) jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[i + 1])));
        else return usage();
      }
      if (src.empty() || out.empty()) return usage();
      return generate(src, out, jobs);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) {
      const auto faults = demodata::checkRunFolder(argv[2]);
      for (const auto& f : faults) std::fprintf(stderr, "demodata check: %s\n", f.c_str());
      if (faults.empty()) std::printf("demodata check: %s is sound\n", argv[2]);
      return faults.empty() ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "gallery") == 0) {
      fs::path run = "run", out;
      for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--run") == 0) run = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
        else return usage();
      }
      if (out.empty() || (argc % 2) != 0) return usage();
      if (!fs::is_directory(run)) {
        std::fprintf(stderr, "demodata gallery: no run folder %s\n", run.string().c_str());
        return 1;
      }
      const demodata::GalleryResult r = demodata::writeGallery(run, out);
      for (const std::string& u : r.unreadable) std::fprintf(stderr, "demodata gallery: cannot read %s\n", u.c_str());
      std::printf("demodata gallery: %d pictures on %zu sheets in %s\n", r.pictures, r.sheets.size(),
                  out.string().c_str());
      return r.unreadable.empty() ? 0 : 1;
    }
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "demodata: %s\n", e.what());
    return 1;
  }
}
