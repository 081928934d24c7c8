// Bitmap files and picture data (class name, then image).
#include <cstdint>

#include "graphics/DIB.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InitializeDIBUnit();
  TCustomMemoryStream in(data, static_cast<std::int64_t>(size));
  TDIB dib;
  try {
    dib.ReadBitmapFile(in);
    if (!dib.Empty() && static_cast<std::int64_t>(dib.Width()) * dib.Height() <= (1 << 22)) {
      dib.SetPixelValue(0, 0, 1);
      TMemoryStream out;
      dib.WriteBitmapFile(out);
    }
  } catch (const Exception&) {
  }
  TCustomMemoryStream again(data, static_cast<std::int64_t>(size));
  TPicture picture;
  try {
    picture.ReadData(again);
  } catch (const Exception&) {
  }
  return 0;
}
