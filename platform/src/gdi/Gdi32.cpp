#include "platform/Gdi32.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <utility>

#include "GdiObjects.h"
#include "platform/Rle.h"

namespace corvane::platform {

namespace gdi {

namespace {

std::map<HGDIOBJ, Object>& Objects() {
  static std::map<HGDIOBJ, Object> objects;
  return objects;
}
HGDIOBJ nextHandle = 0x1000;
std::size_t sectionMemory = SIZE_MAX;

// The palette of the 20 colours the desktop keeps for itself; the rest 0.
std::array<PALETTEENTRY, 256> SystemPalette() {
  static const PALETTEENTRY low[10] = {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},
                                       {128, 128, 0, 0},   {0, 0, 128, 0},     {128, 0, 128, 0},
                                       {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0},
                                       {166, 202, 240, 0}};
  static const PALETTEENTRY high[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0},
                                        {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                                        {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},
                                        {255, 255, 255, 0}};
  std::array<PALETTEENTRY, 256> entries{};
  for (int i = 0; i < 10; ++i) {
    entries[static_cast<std::size_t>(i)] = low[i];
    entries[static_cast<std::size_t>(246 + i)] = high[i];
  }
  return entries;
}

}  // namespace

Object* Find(HGDIOBJ handle) {
  auto it = Objects().find(handle);
  return it == Objects().end() ? nullptr : &it->second;
}

HGDIOBJ Add(Object object) {
  HGDIOBJ handle = nextHandle++;
  Objects().emplace(handle, std::move(object));
  return handle;
}

void Remove(HGDIOBJ handle) { Objects().erase(handle); }

// The 1 x 1 monochrome bitmap every new memory context starts with.
HBITMAP StockBitmap() {
  static HBITMAP stock = [] {
    Bitmap b;
    b.width = b.height = 1;
    b.bitCount = 1;
    b.colours[1] = {255, 255, 255, 0};
    b.storage.assign(4, 0);
    b.topRow = b.storage.data();
    return Add(std::move(b));
  }();
  return stock;
}

bool BitmapFromInfo(const void* info, Bitmap& bitmap, std::uint32_t& compression) {
  if (!info) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, info, sizeof h);
  if (h.biSize != 40 || h.biWidth <= 0 || h.biHeight == 0) return false;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(info);
  bitmap.width = h.biWidth;
  bitmap.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  bitmap.bitCount = h.biBitCount;
  compression = h.biCompression;
  std::size_t colourPos = 40;
  if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(bitmap.masks, bytes + 40, 12);
    colourPos = 52;
  } else if (h.biBitCount == 16) {
    bitmap.masks[0] = 0x7C00, bitmap.masks[1] = 0x3E0, bitmap.masks[2] = 0x1F;
  } else {
    bitmap.masks[0] = 0xFF0000, bitmap.masks[1] = 0xFF00, bitmap.masks[2] = 0xFF;
  }
  if (h.biBitCount <= 8) {
    std::size_t count = h.biClrUsed ? std::min<std::size_t>(h.biClrUsed, 256)
                                    : (std::size_t{1} << h.biBitCount);
    std::memcpy(bitmap.colours.data(), bytes + colourPos, count * sizeof(RGBQUAD));
  }
  return true;
}

}  // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC) {
  DeviceContext dc;
  dc.bitmap = StockBitmap();
  dc.palette = GetStockPalette();
  return Add(dc);
}

bool DeleteDC(HDC handle) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  if (!dc) return false;
  if (dc->ownedView) Remove(dc->ownedView);
  Remove(handle);
  return true;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  if (!dc) return 0;
  if (FindAs<Bitmap>(object)) return std::exchange(dc->bitmap, object);
  return 0;
}

HGDIOBJ GetCurrentObjectBitmap(HDC handle) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  return dc ? dc->bitmap : 0;
}

bool DeleteObject(HGDIOBJ object) {
  if (object == StockBitmap() || object == GetStockPalette()) return true;
  Object* o = Find(object);
  if (!o || std::holds_alternative<DeviceContext>(*o)) return false;
  Remove(object);
  return true;
}

HBITMAP CreateDIBSection(HDC, const void* info, std::uint32_t, void** bits) {
  Bitmap bitmap;
  std::uint32_t compression = 0;
  if (!BitmapFromInfo(info, bitmap, compression)) return 0;
  if (compression != BI_RGB && compression != BI_BITFIELDS) return 0;
  std::size_t stride = Stride(bitmap.width, bitmap.bitCount);
  // Sections are limited to what a 32-bit size field can describe.
  if (stride * static_cast<std::size_t>(bitmap.height) > 0x7FFFFFFFu) return 0;
  // Beyond the memory tests leave it, the allocation fails as it would when
  // the system has no more.
  if (stride * static_cast<std::size_t>(bitmap.height) > sectionMemory) throw std::bad_alloc();
  bitmap.storage.assign(stride * static_cast<std::size_t>(bitmap.height), 0);
  BITMAPINFOHEADER h;
  std::memcpy(&h, info, sizeof h);
  if (h.biHeight < 0) {
    bitmap.topRow = bitmap.storage.data();
    bitmap.step = static_cast<std::ptrdiff_t>(stride);
  } else {
    // Rows bottom-up: the top row is the last one in memory.
    bitmap.topRow = bitmap.storage.data() + stride * static_cast<std::size_t>(bitmap.height - 1);
    bitmap.step = -static_cast<std::ptrdiff_t>(stride);
  }
  if (bits) *bits = bitmap.storage.data();
  return Add(std::move(bitmap));
}

namespace {
Bitmap* SelectedBitmap(HDC handle) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  return dc ? FindAs<Bitmap>(dc->bitmap) : nullptr;
}
}  // namespace

std::uint32_t SetDIBColorTable(HDC dc, std::uint32_t start, std::uint32_t count, const RGBQUAD* colours) {
  Bitmap* b = SelectedBitmap(dc);
  if (!b || b->bitCount > 8 || !colours) return 0;
  std::uint32_t limit = 1u << b->bitCount;
  if (start >= limit) return 0;
  count = std::min(count, limit - start);
  std::memcpy(b->colours.data() + start, colours, count * sizeof(RGBQUAD));
  return count;
}

std::uint32_t GetDIBColorTable(HDC dc, std::uint32_t start, std::uint32_t count, RGBQUAD* colours) {
  Bitmap* b = SelectedBitmap(dc);
  if (!b || b->bitCount > 8 || !colours) return 0;
  std::uint32_t limit = 1u << b->bitCount;
  if (start >= limit) return 0;
  count = std::min(count, limit - start);
  std::memcpy(colours, b->colours.data() + start, count * sizeof(RGBQUAD));
  return count;
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0 ||
      palette->palNumEntries > 256)
    return 0;
  Palette p;
  p.entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return Add(std::move(p));
}

HPALETTE GetStockPalette() {
  static HPALETTE stock = [] {
    auto system = SystemPalette();
    Palette p;
    p.entries.assign(system.begin(), system.begin() + 10);
    p.entries.insert(p.entries.end(), system.begin() + 246, system.end());
    return Add(std::move(p));
  }();
  return stock;
}

std::uint32_t GetPaletteEntries(HPALETTE handle, std::uint32_t start, std::uint32_t count,
                                PALETTEENTRY* entries) {
  Palette* p = FindAs<Palette>(handle);
  if (!p || !entries || start >= p->entries.size()) return 0;
  count = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(p->entries.size()) - start);
  std::memcpy(entries, p->entries.data() + start, count * sizeof(PALETTEENTRY));
  return count;
}

std::uint32_t GetSystemPaletteEntries(HDC, std::uint32_t start, std::uint32_t count,
                                      PALETTEENTRY* entries) {
  if (!entries || start >= 256) return 0;
  auto system = SystemPalette();
  count = std::min<std::uint32_t>(count, 256 - start);
  std::memcpy(entries, system.data() + start, count * sizeof(PALETTEENTRY));
  return count;
}

HPALETTE SelectPalette(HDC handle, HPALETTE palette, bool) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  if (!dc || !FindAs<Palette>(palette)) return 0;
  return std::exchange(dc->palette, palette);
}

// The desktop shows true colour: realising maps nothing.
std::uint32_t RealizePalette(HDC handle) { return FindAs<DeviceContext>(handle) ? 0 : 0xFFFFFFFFu; }

int SetStretchBltMode(HDC handle, int mode) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return std::exchange(dc->stretchMode, mode);
}

int GetStretchBltMode(HDC handle) {
  DeviceContext* dc = FindAs<DeviceContext>(handle);
  return dc ? dc->stretchMode : 0;
}

bool StretchBlt(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
  Bitmap* d = SelectedBitmap(dest);
  Bitmap* s = SelectedBitmap(src);
  if (!d || !s) return false;
  return Stretch(*d, dx, dy, dw, dh, *s, sx, sy, sw, sh, rop);
}

bool BitBlt(HDC dest, int dx, int dy, int w, int h, HDC src, int sx, int sy, std::uint32_t rop) {
  return StretchBlt(dest, dx, dy, w, h, src, sx, sy, w, h, rop);
}

int StretchDIBits(HDC dest, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                  const void* bits, const void* info, std::uint32_t, std::uint32_t rop) {
  Bitmap* d = SelectedBitmap(dest);
  Bitmap source;
  std::uint32_t compression = 0;
  if (!d || !bits || !BitmapFromInfo(info, source, compression)) return 0;
  BITMAPINFOHEADER h;
  std::memcpy(&h, info, sizeof h);
  std::size_t stride = Stride(source.width, source.bitCount);
  std::vector<std::uint8_t> decoded;
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  if (compression == BI_RLE8 || compression == BI_RLE4) {
    if ((compression == BI_RLE8) != (source.bitCount == 8) || h.biHeight < 0) return 0;
    decoded.assign(stride * static_cast<std::size_t>(source.height), 0);
    DecodeRle({pixels, h.biSizeImage}, source.bitCount, source.width, source.height, stride, decoded);
    pixels = decoded.data();
  } else if (compression != BI_RGB && compression != BI_BITFIELDS) {
    return 0;
  }
  auto* base = const_cast<std::uint8_t*>(pixels);
  if (h.biHeight < 0) {
    source.topRow = base;
    source.step = static_cast<std::ptrdiff_t>(stride);
  } else {
    source.topRow = base + stride * static_cast<std::size_t>(source.height - 1);
    source.step = -static_cast<std::ptrdiff_t>(stride);
  }
  // The source rectangle counts rows from the bottom in a bottom-up DIB.
  int top = h.biHeight < 0 ? sy : source.height - sy - sh;
  return Stretch(*d, dx, dy, dw, dh, source, sx, top, sw, sh, rop) ? dh : 0;
}

bool GdiFlush() { return true; }

BitmapView GetBitmapView(HDC dc) {
  Bitmap* b = SelectedBitmap(dc);
  if (!b) return {};
  return {b->width, b->height, b->bitCount, b->topRow, b->step};
}

HDC CreateDCOverMemory(void* pixels, int width, int height, int pitch, int bitCount,
                       std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask,
                       std::span<const RGBQUAD> colours) {
  Bitmap view;
  view.width = width;
  view.height = height;
  view.bitCount = bitCount;
  view.masks[0] = redMask, view.masks[1] = greenMask, view.masks[2] = blueMask;
  if (!colours.empty())
    std::memcpy(view.colours.data(), colours.data(),
                std::min<std::size_t>(colours.size(), 256) * sizeof(RGBQUAD));
  view.topRow = static_cast<std::uint8_t*>(pixels);
  view.step = pitch;
  HBITMAP bitmap = Add(std::move(view));
  HDC dc = CreateCompatibleDC(0);
  FindAs<DeviceContext>(dc)->bitmap = bitmap;
  FindAs<DeviceContext>(dc)->ownedView = bitmap;
  return dc;
}

std::size_t GdiObjectCount() { return Objects().size(); }

void SetSectionMemory(std::size_t bytes) { sectionMemory = bytes; }

}  // namespace corvane::platform
