// Pictures the user brings as logo or glyph sheet, made into DIBs: PNG files
// through libpng, and the size check a bitmap file gets before the DIB
// reader takes it.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

namespace corvane {

class TDIB;

// A picture that is not taken; the message says why, in the user's words.
class PictureRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a see-through pixel of a PNG becomes.
enum class PictureBackground { Black, White };

bool IsPng(std::span<const std::uint8_t> bytes);

// Reads a PNG into `dib`: a PNG with a palette becomes an 8-bit DIB with the
// palette as its colour table (so that its colours join the display's), any
// other a 24-bit DIB. See-through pixels are laid over `background`. Raises
// PictureRefused for a file libpng does not take, and for a picture wider or
// higher than `maxSide`, before its pixels are read.
void ReadPngPicture(std::span<const std::uint8_t> bytes, PictureBackground background, std::int32_t maxSide,
                    TDIB& dib);

// Raises PictureRefused when the header of a bitmap file gives a picture
// wider or higher than `maxSide`; a header too short to tell is left to the
// DIB reader.
void CheckBitmapFileSize(std::span<const std::uint8_t> bytes, std::int32_t maxSide);

}  // namespace corvane
