// PNG files a user names as logo or glyph sheet.
#include <zlib.h>

#include <cstdint>
#include <span>
#include <vector>

#include "IntroAssets.h"
#include "PngPicture.h"
#include "graphics/DIB.h"

using namespace corvane;

namespace {

std::uint32_t BigEndian(const std::uint8_t* at) {
  return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 | at[3];
}

// Gives every whole chunk its right check sum, so that mutations reach the
// decoder instead of ending at the first check sum.
std::vector<std::uint8_t> WithRightCheckSums(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  std::size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const std::uint32_t length = BigEndian(&bytes[at]);
    if (length > bytes.size() - at - 12) break;
    const std::uint32_t sum = static_cast<std::uint32_t>(crc32(0, &bytes[at + 4], length + 4));
    for (int i = 0; i < 4; ++i) bytes[at + 8 + length + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sum >> (24 - 8 * i));
    at += 12 + length;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InitializeDIBUnit();
  // Odd sizes take the input as it is, even ones with mended check sums, so
  // that broken sums are tried too.
  const std::vector<std::uint8_t> mended = size % 2 ? std::vector<std::uint8_t>(data, data + size) : WithRightCheckSums(data, size);
  const std::span<const std::uint8_t> bytes(mended);
  for (PictureBackground background : {PictureBackground::Black, PictureBackground::White}) {
    TDIB dib;
    try {
      ReadPngPicture(bytes, background, MaxLogoSide, dib);
      // Every pixel is read back through the drawing path.
      TBitmap shown;
      shown.SetSize(dib.Width(), dib.Height());
      dib.StretchToCanvas(shown.Canvas(), {0, 0, dib.Width(), dib.Height()});
    } catch (const PictureRefused&) {
    }
  }
  return 0;
}
