// The drawing-context side of the platform, in software: memory device
// contexts, DIB sections, palettes, stretching copies, global memory blocks
// and a process-local clipboard. Handles are plain numbers; 0 is "none".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::platform {

using HGDIOBJ = std::uintptr_t;
using HDC = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HPALETTE = HGDIOBJ;
using HGLOBAL = std::uintptr_t;

#pragma pack(push, 1)
struct BITMAPFILEHEADER {
  std::uint16_t bfType;
  std::uint32_t bfSize;
  std::uint16_t bfReserved1;
  std::uint16_t bfReserved2;
  std::uint32_t bfOffBits;
};
#pragma pack(pop)

struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct RGBQUAD {
  std::uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
  friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

struct PALETTEENTRY {
  std::uint8_t peRed, peGreen, peBlue, peFlags;
  friend bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};

struct LOGPALETTE {
  std::uint16_t palVersion;
  std::uint16_t palNumEntries;
  PALETTEENTRY palPalEntry[256];
};

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr std::uint32_t DIB_RGB_COLORS = 0;
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
constexpr std::uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                        SRCINVERT = 0x00660046, NOTSRCCOPY = 0x00330008, BLACKNESS = 0x00000042,
                        WHITENESS = 0x00FF0062;
constexpr std::uint32_t GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040;
constexpr std::uint16_t CF_DIB = 8;

// Device contexts and objects.
HDC CreateCompatibleDC(HDC reference);
bool DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
bool DeleteObject(HGDIOBJ object);
HGDIOBJ GetCurrentObjectBitmap(HDC dc);

// A DIB section from an info block (header, masks for bit fields, colour
// entries); `bits` receives the address of its pixels, zero-filled.
HBITMAP CreateDIBSection(HDC dc, const void* info, std::uint32_t usage, void** bits);
// The colour table of the DIB section selected into `dc`; gives the count set.
std::uint32_t SetDIBColorTable(HDC dc, std::uint32_t start, std::uint32_t count, const RGBQUAD* colours);
std::uint32_t GetDIBColorTable(HDC dc, std::uint32_t start, std::uint32_t count, RGBQUAD* colours);

// Palettes.
HPALETTE CreatePalette(const LOGPALETTE* palette);
std::uint32_t GetPaletteEntries(HPALETTE palette, std::uint32_t start, std::uint32_t count,
                                PALETTEENTRY* entries);
std::uint32_t GetSystemPaletteEntries(HDC dc, std::uint32_t start, std::uint32_t count,
                                      PALETTEENTRY* entries);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
std::uint32_t RealizePalette(HDC dc);
HPALETTE GetStockPalette();

// Copies. Source pixels are read as colours and written in the
// destination's format; with equal colour tables indexed pixels copy as they
// are. A negative width or height mirrors.
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
bool StretchBlt(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop);
bool BitBlt(HDC dest, int dx, int dy, int w, int h, HDC src, int sx, int sy, std::uint32_t rop);
int StretchDIBits(HDC dest, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                  const void* bits, const void* info, std::uint32_t usage, std::uint32_t rop);
bool GdiFlush();

// A view of the bitmap selected into a device context: for tests and for the
// code that hands surfaces to the drawing functions.
struct BitmapView {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::uint8_t* topRow = nullptr;  // the top row
  std::ptrdiff_t step = 0;         // bytes from one row to the one below it
};
BitmapView GetBitmapView(HDC dc);
// A device context over pixels the caller owns (top-down rows `pitch` bytes
// apart) in the given format; the colour table applies to 8 bits or fewer.
HDC CreateDCOverMemory(void* pixels, int width, int height, int pitch, int bitCount,
                       std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask,
                       std::span<const RGBQUAD> colours);

// Global memory blocks.
HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t size);
void* GlobalLock(HGLOBAL block);
bool GlobalUnlock(HGLOBAL block);
std::size_t GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);

// The clipboard, within this process.
bool OpenClipboard();
bool CloseClipboard();
bool EmptyClipboard();
// The clipboard takes the block over.
bool SetClipboardData(std::uint16_t format, HGLOBAL block);
HGLOBAL GetClipboardData(std::uint16_t format);

// How many objects of the drawing-context layer are alive (for leak tests).
std::size_t GdiObjectCount();
// The most pixel memory one DIB section may get, as if the system had no
// more (for tests; unlimited until set). A larger section's allocation
// fails the way it does when memory runs out.
void SetSectionMemory(std::size_t bytes);

}  // namespace corvane::platform
