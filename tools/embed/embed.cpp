// corvane-embed SYMBOL INPUT OUTPUT
// Writes a C++ source that carries the bytes of INPUT as
// corvane::embedded::SYMBOL (a span over a constant array).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: corvane-embed SYMBOL INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "corvane-embed: cannot read %s\n", argv[2]);
    return 1;
  }
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::string tmp = std::string(argv[3]) + ".tmp";
  std::FILE* out = std::fopen(tmp.c_str(), "w");
  if (!out) {
    std::fprintf(stderr, "corvane-embed: cannot write %s\n", tmp.c_str());
    return 1;
  }
  std::fprintf(out, "#include <cstddef>\n#include <span>\n\nnamespace corvane::embedded {\n");
  // One extra zero keeps the array non-empty for an empty file.
  std::fprintf(out, "alignas(16) static const unsigned char data_[%zu] = {", bytes.size() + 1);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    std::fprintf(out, "%s%u,", i % 24 == 0 ? "\n  " : "", bytes[i]);
  std::fprintf(out, "0};\nextern const std::span<const unsigned char> %s;\n", argv[1]);
  std::fprintf(out, "const std::span<const unsigned char> %s(data_, %zu);\n}\n", argv[1], bytes.size());
  bool ok = std::fclose(out) == 0;
  if (!ok || std::rename(tmp.c_str(), argv[3]) != 0) {
    std::remove(tmp.c_str());
    std::fprintf(stderr, "corvane-embed: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
