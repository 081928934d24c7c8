// The art as the form resource stores it: image data and picture data of
// 4-bit DIBs, written through TDIB itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IndexedImage.h"

namespace corvane::art {

// The image data of a 4-bit DIB holding the picture and its 16 colours.
std::vector<std::uint8_t> ImageDataBlock(const IndexedImage& image);
std::vector<std::uint8_t> GlyphSheetBlock(const std::string& glyphSourceText);
// One byte 4, "TDIB", then the logo's image data.
std::vector<std::uint8_t> LogoPictureBlock();

}  // namespace corvane::art
