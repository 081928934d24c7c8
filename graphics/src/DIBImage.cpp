// The shared pixel storage of DIBs: making, duplicating, decoding and
// reading images.
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "graphics/DIB.h"
#include "platform/Rle.h"

namespace corvane {

using namespace platform;

namespace {

std::uint32_t MaskOf(int bits, int shift) {
  if (bits <= 0 || shift >= 32) return 0;
  std::uint64_t ones = bits >= 32 ? 0xFFFFFFFFull : ((1ull << bits) - 1);
  return static_cast<std::uint32_t>(ones << shift);
}

int RunLength(std::uint32_t mask) {
  if (mask == 0) return 0;
  return std::countr_one(mask >> std::countr_zero(mask));
}

}  // namespace

// Whether stride x height bytes fit the 32-bit size field (without
// overflowing on the way).
bool FitsImageSize(std::int64_t stride, std::int64_t height) {
  constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
  return stride >= 0 && height >= 0 && stride <= limit && stride * height <= limit;
}

void NoPixelStorage(bool memoryImage) {
  if (memoryImage) throw EOutOfMemory(msg::SOutOfMemory);
  throw EOutOfResources(Format("%s cannot be made", "DIB"));
}

namespace {

TRGBQuads GreyRamp() {
  TRGBQuads table;
  for (int i = 0; i < 256; ++i) {
    auto v = static_cast<std::uint8_t>(i);
    table[static_cast<std::size_t>(i)] = {v, v, v, 0};
  }
  return table;
}

void PutU32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t v) {
  std::memcpy(block.data() + at, &v, 4);
}

}  // namespace

ChannelLayout MakeChannelLayout(int r, int g, int b) {
  ChannelLayout l;
  l.RedMask = MaskOf(r, g + b);
  l.GreenMask = MaskOf(g, b);
  l.BlueMask = MaskOf(b, 0);
  l.RedBits = static_cast<std::uint32_t>(r);
  l.GreenBits = static_cast<std::uint32_t>(g);
  l.BlueBits = static_cast<std::uint32_t>(b);
  // Carried along as the layout defines them; nothing reads them.
  l.RedShift = static_cast<std::uint32_t>(r + g + b - 8);
  l.GreenShift = static_cast<std::uint32_t>(g + b - 8);
  l.BlueShift = static_cast<std::uint32_t>(8 - b);
  l.RedFill = static_cast<std::uint32_t>(8 - r);
  l.GreenFill = static_cast<std::uint32_t>(8 - g);
  l.BlueFill = static_cast<std::uint32_t>(8 - b);
  return l;
}

ChannelLayout ChannelLayoutFromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return MakeChannelLayout(RunLength(red), RunLength(green), RunLength(blue));
}

void CheckPixelFormat(int bitCount, const ChannelLayout& layout) {
  switch (bitCount) {
    case 1: case 4: case 8: case 24: case 32:
      if (!layout.SameMasks(MakeChannelLayout(8, 8, 8))) throw EInvalidGraphicOperation("PixelFormat in invalid");
      break;
    case 16:
      if (!layout.SameMasks(MakeChannelLayout(5, 5, 5)) && !layout.SameMasks(MakeChannelLayout(5, 6, 5)))
        throw EInvalidGraphicOperation("PixelFormat in invalid");
      break;
    default:
      throw EInvalidGraphicOperation(Format("Bitcount in invalid (%d)", bitCount));
  }
}

TDIBSharedImage::TDIBSharedImage() { Reset(); }

TDIBSharedImage::~TDIBSharedImage() { FreeStorage(); }

void TDIBSharedImage::FreeStorage() {
  if (Section) {
    SelectObject(DC, PrevBitmap);
    DeleteObject(Section);
  }
  if (DC) DeleteDC(DC);
  PaletteManager().ReleasePalette(Palette);
  Section = PrevBitmap = 0;
  DC = 0;
  memory_.clear();
  memory_.shrink_to_fit();
  BitmapInfo.clear();
}

void TDIBSharedImage::Reset() {
  FreeStorage();
  BitCount = 0;
  PaletteChanged = false;
  ColorTable = GreyRamp();
  ColorTablePos = 40;
  Compressed = false;
  Height = Width = 0;
  MemoryImage = true;
  NextLine = 0;
  PaletteCount = 0;
  PBits = TopPBits = nullptr;
  PixelFormat = MakeChannelLayout(8, 8, 8);
  Size = 0;
  WidthBytes = 0;
}

void TDIBSharedImage::AllocateMemory(std::size_t bytes) {
  try {
    memory_.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    NoPixelStorage(true);
  }
  PBits = memory_.data();
}

void TDIBSharedImage::AllocateSection() {
  void* bits = nullptr;
  // The platform refuses a section it cannot make, or runs out of memory
  // making it: either way the section cannot be made.
  try {
    DC = CreateCompatibleDC(0);
    if (DC) Section = CreateDIBSection(DC, BitmapInfo.data(), DIB_RGB_COLORS, &bits);
  } catch (const std::bad_alloc&) {
    Section = 0;
  }
  if (!Section) {
    if (DC) DeleteDC(DC);
    DC = 0;
    NoPixelStorage(false);
  }
  PBits = static_cast<std::uint8_t*>(bits);
  PrevBitmap = SelectObject(DC, Section);
}

void TDIBSharedImage::NewImage(int width, int height, bool compressed, bool memoryImage,
                               const TRGBQuads& colours, const ChannelLayout& layout, int bitCount) {
  Reset();
  CheckPixelFormat(bitCount, layout);
  // The sizes must fit the 32-bit fields of the header.
  std::int64_t stride = ((static_cast<std::int64_t>(width) * bitCount + 31) / 32) * 4;
  if (width < 0 || height < 0 || !FitsImageSize(stride, height)) NoPixelStorage(memoryImage || compressed);
  std::int64_t size = stride * height;
  BitCount = bitCount;
  Height = height;
  Width = width;
  WidthBytes = static_cast<std::int32_t>(stride);
  NextLine = -stride;
  Size = static_cast<std::int32_t>(size);

  bool masks = bitCount == 16 || bitCount == 32;
  PixelFormat = layout;
  PaletteCount = bitCount <= 8 ? (1 << bitCount) : 0;
  std::uint32_t compression = masks ? BI_BITFIELDS
                              : (compressed && bitCount == 4) ? BI_RLE4
                              : (compressed && bitCount == 8) ? BI_RLE8 : BI_RGB;
  BitmapInfo.assign(40 + (masks ? 12 : 0) + 4 * static_cast<std::size_t>(PaletteCount), 0);
  BITMAPINFOHEADER header{40, width, height, 1, static_cast<std::uint16_t>(bitCount), compression,
                          static_cast<std::uint32_t>(Size), 0, 0, 0, 0};
  std::memcpy(BitmapInfo.data(), &header, sizeof header);
  if (masks) {
    PutU32(BitmapInfo, 40, layout.RedMask);
    PutU32(BitmapInfo, 44, layout.GreenMask);
    PutU32(BitmapInfo, 48, layout.BlueMask);
  }
  ColorTablePos = masks ? 52 : 40;
  ColorTable = colours;
  std::memcpy(BitmapInfo.data() + ColorTablePos, colours.data(), 4 * static_cast<std::size_t>(PaletteCount));

  Compressed = compression == BI_RLE8 || compression == BI_RLE4;
  MemoryImage = memoryImage || Compressed;
  if (!compressed) {
    if (MemoryImage) {
      AllocateMemory(static_cast<std::size_t>(Size));
    } else {
      AllocateSection();
    }
  }
  TopPBits = PBits ? PBits + (static_cast<std::int64_t>(Height) - 1) * stride : nullptr;
}

void TDIBSharedImage::Duplicate(const TDIBSharedImage& source, bool memoryImage) {
  if (source.Size == 0) {
    Reset();
    MemoryImage = memoryImage;
    return;
  }
  NewImage(source.Width, source.Height, false, memoryImage, source.ColorTable, source.PixelFormat,
           source.BitCount);
  std::memcpy(PBits, source.PBits, static_cast<std::size_t>(Size));
}

void TDIBSharedImage::Decompress(const TDIBSharedImage& source, bool memoryImage) {
  NewImage(source.Width, source.Height, false, memoryImage, source.ColorTable, source.PixelFormat,
           source.BitCount);
  DecodeRle({source.PBits, static_cast<std::size_t>(source.Size)}, BitCount, Width, Height,
            static_cast<std::size_t>(WidthBytes), {PBits, static_cast<std::size_t>(Size)});
}

void TDIBSharedImage::SetColorTable(const TRGBQuads& colours) {
  ColorTable = colours;
  PaletteChanged = true;
  if (Size > 0 && PaletteCount > 0) {
    std::memcpy(BitmapInfo.data() + ColorTablePos, colours.data(), 4 * static_cast<std::size_t>(PaletteCount));
    if (!MemoryImage && DC) SetDIBColorTable(DC, 0, 256, colours.data());
  }
}

HPALETTE TDIBSharedImage::PaletteHandle() {
  if (PaletteCount <= 0) return 0;
  if (PaletteChanged) {
    PaletteChanged = false;
    PaletteManager().ReleasePalette(Palette);
    Palette = PaletteManager().AcquirePalette(ColorTable.data(), PaletteCount);
  }
  // A palette that was never built is built on the first request.
  if (!Palette) Palette = PaletteManager().AcquirePalette(ColorTable.data(), PaletteCount);
  return Palette;
}

}  // namespace corvane
