#pragma once

#include <string>

namespace corvane::art {

// The whole content of a source file of the artwork (the glyph grids, the
// logo's shapes); throws std::runtime_error naming the file when it cannot
// be read.
std::string ReadSourceFile(const std::string& path);

}  // namespace corvane::art
