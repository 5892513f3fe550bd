// Builds the shader pack the library carries: the slot table of code lengths
// (49152 vertex slots, then 3456 pixel slots, 16 bits each) with the shaders'
// sources behind it in slot order, packed, as the one member
// "VoVorovoDire.bin" of an archive image, which is packed again and written
// as a C++ source file holding its bytes.
// Usage: make_shader_pack OUT.cpp KIND:SLOT:FILE... (KIND 0 vertex, 1 pixel)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/archive_writer.h"
#include "tools/lz_packer.h"

namespace {

constexpr int kVertexSlots = 49152;
constexpr int kPixelSlots = 3456;

int Fail(const std::string& why) {
  std::fprintf(stderr, "make_shader_pack: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: make_shader_pack OUT.cpp KIND:SLOT:FILE...");
  std::map<int, std::string> codes;  // table index -> source
  for (int i = 2; i < argc; ++i) {
    int kind = -1, slot = -1, used = 0;
    if (std::sscanf(argv[i], "%d:%d:%n", &kind, &slot, &used) != 2 || used == 0) return Fail(std::string("bad entry ") + argv[i]);
    const int limit = kind == 0 ? kVertexSlots : kPixelSlots;
    if ((kind != 0 && kind != 1) || slot < 0 || slot >= limit) return Fail(std::string("bad slot ") + argv[i]);
    std::ifstream in(argv[i] + used, std::ios::binary);
    if (!in) return Fail(std::string("cannot read ") + (argv[i] + used));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.empty() || text.size() > 0xFFFF) return Fail(std::string("bad length ") + (argv[i] + used));
    codes[kind == 0 ? slot : kVertexSlots + slot] = text;
  }
  std::string pack((kVertexSlots + kPixelSlots) * 2, '\0');
  for (const auto& [index, text] : codes) {
    pack[static_cast<size_t>(index) * 2] = static_cast<char>(text.size() & 255);
    pack[static_cast<size_t>(index) * 2 + 1] = static_cast<char>(text.size() >> 8);
  }
  for (const auto& [index, text] : codes) pack += text;
  const std::vector<uint8_t> packedPack =
      veziv::tools::PackData(reinterpret_cast<const uint8_t*>(pack.data()), pack.size());

  veziv::tools::ArchiveNode root;
  root.folder = true;
  veziv::tools::ArchiveNode member;
  member.name = "VoVorovoDire.bin";
  member.data.assign(packedPack.begin(), packedPack.end());
  root.children.push_back(member);
  veziv::tools::ArchiveWriteOptions options;
  options.pack = false;  // the member is a packed block already
  std::vector<uint8_t> image;
  std::string error;
  if (!veziv::tools::WriteArchiveImage(root, options, &image, &error)) return Fail(error);
  const std::vector<uint8_t> packed = veziv::tools::PackData(image.data(), image.size());

  std::ostringstream out;
  out << "// Made by make_shader_pack from the shader sources; not edited by hand.\n"
      << "#include <cstddef>\n#include <cstdint>\n\nnamespace veziv::detail {\n"
      << "extern const uint8_t kShaderPackImage[];\nextern const size_t kShaderPackImageSize;\n"
      << "const uint8_t kShaderPackImage[] = {";
  for (size_t i = 0; i < packed.size(); ++i) out << (i % 16 == 0 ? "\n   " : "") << ' ' << int(packed[i]) << ',';
  out << "\n};\nconst size_t kShaderPackImageSize = sizeof(kShaderPackImage);\n}  // namespace veziv::detail\n";
  std::ofstream file(argv[1], std::ios::binary);
  file << out.str();
  return file ? 0 : Fail(std::string("cannot write ") + argv[1]);
}
