// Image data as the form resource stores it: read, draw, write back.
#include <cstdint>

#include "graphics/DIB.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InitializeDIBUnit();
  TCustomMemoryStream in(data, static_cast<std::int64_t>(size));
  TDIB dib;
  try {
    dib.ReadImageData(in);
  } catch (const Exception&) {
    return 0;
  }
  if (dib.Empty() || static_cast<std::int64_t>(dib.Width()) * dib.Height() > (1 << 22)) return 0;
  TBitmap shown;
  shown.SetSize(dib.Width(), dib.Height());
  dib.StretchToCanvas(shown.Canvas(), {0, 0, dib.Width(), dib.Height()});
  dib.ImageCanvas();  // decode into a section
  TMemoryStream out;
  dib.WriteImageData(out);
  return 0;
}
