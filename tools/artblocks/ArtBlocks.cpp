#include "ArtBlocks.h"

#include "GlyphSheet.h"
#include "Logo.h"
#include "graphics/DIB.h"

namespace corvane::art {

namespace {

void Draw(const IndexedImage& image, TDIB& dib) {
  InitializeDIBUnit();
  dib.ColorTable.fill({0, 0, 0, 0});
  for (std::size_t i = 0; i < image.palette().size(); ++i) {
    const ColorEntry& c = image.palette()[i];
    dib.ColorTable[i] = {c.blue, c.green, c.red, 0};
  }
  dib.ResizeImage(image.width(), image.height(), 4);
  dib.ApplyColorTable();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dib.SetPixelValue(x, y, image.at(x, y));
}

}  // namespace

std::vector<std::uint8_t> ImageDataBlock(const IndexedImage& image) {
  TDIB dib;
  Draw(image, dib);
  TMemoryStream out;
  dib.WriteImageData(out);
  return out.Bytes();
}

std::vector<std::uint8_t> GlyphSheetBlock(const std::string& glyphSourceText) {
  return ImageDataBlock(MakeGlyphSheet(glyphSourceText));
}

std::vector<std::uint8_t> LogoPictureBlock() {
  TPicture picture;
  auto dib = std::make_unique<TDIB>();
  Draw(MakeLogo(), *dib);
  picture.SetGraphic(std::move(dib));
  TMemoryStream out;
  picture.WriteData(out);
  return out.Bytes();
}

}  // namespace corvane::art
