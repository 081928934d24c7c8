// PNG files a user names as logo or glyph sheet.
#include <cstdint>
#include <span>

#include "IntroAssets.h"
#include "PngPicture.h"
#include "graphics/DIB.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InitializeDIBUnit();
  const std::span<const std::uint8_t> bytes(data, size);
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
