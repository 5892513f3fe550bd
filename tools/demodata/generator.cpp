// The generator table, sources, outputs and the text conversion.
#include "tools/demodata/generator.h"

#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demodata {

const std::vector<Generator>& allGenerators() {
  static const std::vector<Generator> table = {
#define DEMODATA_GENERATOR(function, makes) {#function, makes, function},
#include "tools/demodata/generators.inc"
  };
  return table;
}

std::string Sources::read(const std::string& relative) const {
  if (std::find(read_.begin(), read_.end(), relative) == read_.end()) read_.push_back(relative);
  std::ifstream in(root_ / relative, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read source " + (root_ / relative).string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Outputs::add(const std::string& path, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!files_.emplace(path, std::move(bytes)).second) throw std::runtime_error("made twice: " + path);
}

void Outputs::folder(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  folders_.push_back(path);
}

std::vector<uint8_t> toCp932Text(const std::string& utf8, const std::string& what) {
  if (utf8.rfind("\xEF\xBB\xBF", 0) == 0) throw std::runtime_error(what + ": a byte order mark");
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
  std::vector<uint8_t> out;
  std::istringstream lines(utf8);
  std::string line;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<char> buffer(line.size() * 2 + 4);
    char* in = line.data();
    size_t inLeft = line.size();
    char* o = buffer.data();
    size_t outLeft = buffer.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1)) {
      iconv_close(cd);
      throw std::runtime_error(what + " line " + std::to_string(lineNo) + ": not representable in CP932");
    }
    out.insert(out.end(), buffer.data(), o);
    out.push_back('\r');
    out.push_back('\n');
  }
  iconv_close(cd);
  return out;
}

}  // namespace demodata
