#pragma once

#include <string>

#include "Preview.h"

namespace corvane::art {

// Writes an 8-bit RGB PNG; raises std::runtime_error with the reason when it cannot.
void WritePng(const std::string& path, const RgbImage& image);

}  // namespace corvane::art
