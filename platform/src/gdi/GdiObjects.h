// The objects behind the drawing-context handles.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "platform/Gdi32.h"

namespace corvane::platform::gdi {

// A bitmap in any of the formats the drawing functions take: 1, 4 and 8 bits
// with a colour table, 16 and 32 bits by masks, 24 bits blue-green-red.
struct Bitmap {
  int width = 0;
  int height = 0;
  int bitCount = 1;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
  std::array<RGBQUAD, 256> colours{};
  std::vector<std::uint8_t> storage;  // owned pixels, or empty for a view
  std::uint8_t* topRow = nullptr;
  std::ptrdiff_t step = 0;            // bytes from a row to the one below

  std::uint8_t* row(int y) const { return topRow + step * y; }
};

struct Palette {
  std::vector<PALETTEENTRY> entries;
};

struct DeviceContext {
  HBITMAP bitmap = 0;
  HPALETTE palette = 0;
  int stretchMode = BLACKONWHITE;
  HGDIOBJ ownedView = 0;  // a bitmap over outside memory, freed with the context
};

using Object = std::variant<DeviceContext, Bitmap, Palette>;

// The object table; handles start above the stock objects.
Object* Find(HGDIOBJ handle);
template <class T>
T* FindAs(HGDIOBJ handle) {
  Object* object = Find(handle);
  return object ? std::get_if<T>(object) : nullptr;
}
HGDIOBJ Add(Object object);
void Remove(HGDIOBJ handle);
HBITMAP StockBitmap();

// Reads a bitmap's layout from an info block (header, masks, colours); false
// when the block describes nothing drawable. `compression` receives the
// header's compression.
bool BitmapFromInfo(const void* info, Bitmap& bitmap, std::uint32_t& compression);
std::size_t Stride(int width, int bitCount);

// Pixel access in colours: 0x00RRGGBB.
std::uint32_t ReadColour(const Bitmap& bitmap, int x, int y);
void WriteColour(Bitmap& bitmap, int x, int y, std::uint32_t rgb);
std::uint32_t ReadRaw(const Bitmap& bitmap, int x, int y);
void WriteRaw(Bitmap& bitmap, int x, int y, std::uint32_t raw);

// The stretching copy both StretchBlt and StretchDIBits come down to.
bool Stretch(Bitmap& dest, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy,
             int sw, int sh, std::uint32_t rop);

}  // namespace corvane::platform::gdi
