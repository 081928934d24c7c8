#include "SourceFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvane::art {

std::string ReadSourceFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace corvane::art
