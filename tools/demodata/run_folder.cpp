#include "tools/demodata/run_folder.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace demodata {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecordHead = "demodata run record 1";

std::optional<std::vector<uint8_t>> readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a generator made last time, and from what.
struct GeneratorRecord {
  std::string key;  // the tool, the generator and the sources it read, hashed
  std::vector<std::pair<std::string, std::string>> sources;  // path, hash of the bytes ("-" when missing)
  std::vector<std::pair<std::string, std::string>> outputs;  // path, hash of the bytes
  std::vector<std::string> folders;
};

using RunRecord = std::map<std::string, GeneratorRecord>;

// The record's lines are tab-separated, so that paths may hold blanks.
RunRecord readRecord(const fs::path& file) {
  RunRecord record;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kRecordHead) return {};
  GeneratorRecord* current = nullptr;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string part; std::getline(fields, part, '\t');) f.push_back(part);
    if (f.size() == 3 && f[0] == "generator") {
      current = &record[f[1]];
      current->key = f[2];
    } else if (current != nullptr && f.size() == 3 && f[0] == "source") {
      current->sources.emplace_back(f[2], f[1]);
    } else if (current != nullptr && f.size() == 3 && f[0] == "output") {
      current->outputs.emplace_back(f[2], f[1]);
    } else if (current != nullptr && f.size() == 2 && f[0] == "folder") {
      current->folders.push_back(f[1]);
    } else {
      return {};  // a damaged record: every generator runs again
    }
  }
  return record;
}

std::string recordText(const std::vector<Generator>& generators, const RunRecord& record) {
  std::string text = std::string(kRecordHead) + "\n";
  for (const Generator& g : generators) {
    const auto it = record.find(g.name);
    if (it == record.end()) continue;
    const GeneratorRecord& r = it->second;
    text += std::string("generator\t") + g.name + "\t" + r.key + "\n";
    for (const auto& [path, hash] : r.sources) text += "source\t" + hash + "\t" + path + "\n";
    for (const auto& [path, hash] : r.outputs) text += "output\t" + hash + "\t" + path + "\n";
    for (const std::string& folder : r.folders) text += "folder\t" + folder + "\n";
  }
  return text;
}

std::string sourceHash(const fs::path& src, const std::string& relative) {
  const auto bytes = readFile(src / relative);
  return bytes ? hashHex(bytes->data(), bytes->size()) : "-";
}

std::string generatorKey(const std::string& tool, const std::string& name,
                         const std::vector<std::pair<std::string, std::string>>& sources) {
  std::string text = tool + "\n" + name + "\n";
  for (const auto& [path, hash] : sources) text += path + "\t" + hash + "\n";
  return hashHex(text.data(), text.size());
}

// One generator's part of the run: made afresh or kept from the record.
struct GeneratorResult {
  Outputs outputs;
  GeneratorRecord record;
  bool kept = false;
};

// The outputs of a generator whose record still holds, read back from the
// run folder; nothing when anything differs.
bool keepFromRecord(const fs::path& src, const fs::path& run, const std::string& tool, const Generator& g,
                    const GeneratorRecord& previous, GeneratorResult& result) {
  std::vector<std::pair<std::string, std::string>> sources;
  for (const auto& [path, hash] : previous.sources) sources.emplace_back(path, sourceHash(src, path));
  if (sources != previous.sources || generatorKey(tool, g.name, sources) != previous.key) return false;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> kept;
  for (const auto& [path, hash] : previous.outputs) {
    auto bytes = readFile(run / fs::u8path(path));
    if (!bytes || hashHex(bytes->data(), bytes->size()) != hash) return false;
    kept.emplace_back(path, std::move(*bytes));
  }
  for (auto& [path, bytes] : kept) result.outputs.add(path, std::move(bytes));
  for (const std::string& folder : previous.folders) result.outputs.folder(folder);
  result.record = previous;
  result.kept = true;
  return true;
}

void runGenerator(const fs::path& src, const std::string& tool, const Generator& g, GeneratorResult& result) {
  Sources sources(src);
  g.run(sources, result.outputs);
  GeneratorRecord& r = result.record;
  for (const std::string& path : sources.filesRead()) r.sources.emplace_back(path, sourceHash(src, path));
  r.key = generatorKey(tool, g.name, r.sources);
  for (const auto& [path, bytes] : result.outputs.files()) r.outputs.emplace_back(path, hashHex(bytes.data(), bytes.size()));
  r.folders = result.outputs.folders();
}

bool sameBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  if (fs::file_size(file, ec) != bytes.size() || ec) return false;
  const auto old = readFile(file);
  return old && *old == bytes;
}

void writeFile(const fs::path& file, const std::vector<uint8_t>& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

std::string hashHex(const void* data, size_t size) {
  // Eight bytes a step, so that the tool's own file hashes quickly too.
  const auto* p = static_cast<const unsigned char*>(data);
  uint64_t h = 14695981039346656037ull ^ size;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    h = (h ^ w) * 0x100000001B3ull;
    h ^= h >> 29;
  }
  for (; i < size; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
  h ^= h >> 32;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

std::string runningToolIdentity() {
  const auto bytes = readFile("/proc/self/exe");
  return bytes ? hashHex(bytes->data(), bytes->size()) : "unknown";
}

RunReport makeRunFolder(const fs::path& src, const fs::path& run, unsigned jobs, const std::vector<Generator>& generators,
                        const std::string& tool) {
  const RunRecord previous = readRecord(run / kRunRecordName);
  std::vector<GeneratorResult> results(generators.size());
  std::atomic<size_t> next{0};
  std::mutex faultMutex;
  std::string fault;
  auto work = [&] {
    for (size_t g; (g = next++) < generators.size();) {
      try {
        const auto it = previous.find(generators[g].name);
        if (it != previous.end() && keepFromRecord(src, run, tool, generators[g], it->second, results[g])) continue;
        runGenerator(src, tool, generators[g], results[g]);
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(faultMutex);
        if (fault.empty()) fault = std::string(generators[g].name) + ": " + e.what();
      }
    }
  };
  std::vector<std::thread> workers;
  for (unsigned k = 1; k < std::max(1u, jobs); ++k) workers.emplace_back(work);
  work();
  for (std::thread& t : workers) t.join();
  if (!fault.empty()) throw std::runtime_error(fault);

  RunReport report;
  RunRecord record;
  std::map<std::string, const std::vector<uint8_t>*> all;
  fs::create_directories(run);
  for (size_t g = 0; g < generators.size(); ++g) {
    GeneratorResult& r = results[g];
    (r.kept ? report.generatorsKept : report.generatorsRun) += 1;
    for (const std::string& f : r.outputs.folders()) fs::create_directories(run / fs::u8path(f));
    for (const auto& [path, bytes] : r.outputs.files()) {
      if (!all.emplace(path, &bytes).second) throw std::runtime_error("made twice: " + path);
      // Kept files were read from the folder: they are as they stand.
      if (r.kept) continue;
      const fs::path file = run / fs::u8path(path);
      if (sameBytes(file, bytes)) continue;
      writeFile(file, bytes);
      ++report.written;
    }
    record[generators[g].name] = std::move(r.record);
  }
  report.files = all.size();
  const std::string text = recordText(generators, record);
  const std::vector<uint8_t> recordBytes(text.begin(), text.end());
  if (!sameBytes(run / kRunRecordName, recordBytes)) writeFile(run / kRunRecordName, recordBytes);
  return report;
}

}  // namespace demodata
