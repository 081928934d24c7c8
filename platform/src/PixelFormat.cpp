#include "platform/PixelFormat.h"

#include <array>
#include <cstring>
#include <memory>

namespace corvane::platform {

namespace {

std::uint32_t PaletteColour(std::span<const std::uint32_t> palette, std::uint32_t index) {
  return index < palette.size() ? palette[index] & 0x00FFFFFFu : 0;
}

template <class Format>
void FixedRowToXrgb(const std::uint8_t* row, int firstX, int count, std::uint32_t* out) {
  for (int i = 0; i < count; ++i) out[i] = Format::toXrgb(Format::load(row, firstX + i));
}

// 16 bits by one table of every pixel value (256 KiB a format, made on
// first use): a load and a store a pixel.
template <class Format>
void Rgb16RowToXrgb(const std::uint8_t* row, int firstX, int count, std::uint32_t* out) {
  static const std::unique_ptr<std::uint32_t[]> table = [] {
    auto t = std::make_unique<std::uint32_t[]>(65536);
    for (std::uint32_t i = 0; i < 65536; ++i) t[i] = Format::toXrgb(i);
    return t;
  }();
  const std::uint8_t* p = row + 2 * static_cast<std::ptrdiff_t>(firstX);
  const std::uint32_t* colours = table.get();
  for (int i = 0; i < count; ++i, p += 2) out[i] = colours[p[0] | p[1] << 8];
}

// 32-bit 8-8-8: the pixels already are colours, apart from the unused byte.
void XrgbRowToXrgb(const std::uint8_t* row, int firstX, int count, std::uint32_t* out) {
  std::memcpy(out, row + 4 * static_cast<std::size_t>(firstX), 4 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out[i] &= 0x00FFFFFFu;
}

void Indexed8RowToXrgb(const std::uint8_t* row, int firstX, int count,
                       std::span<const std::uint32_t> palette, std::uint32_t* out) {
  for (int i = 0; i < count; ++i) out[i] = PaletteColour(palette, row[firstX + i]);
}

}  // namespace

void RowToXrgbReference(const std::uint8_t* row, int firstX, int count, const PixelFormat& format,
                        std::span<const std::uint32_t> palette, std::uint32_t* out) {
  for (int i = 0; i < count; ++i) {
    std::uint32_t raw = LoadPixel(row, firstX + i, format.bitCount());
    out[i] = format.isIndexed() ? PaletteColour(palette, raw) : PackXrgb(format.decode(raw));
  }
}

void RowToXrgb(const std::uint8_t* row, int firstX, int count, const PixelFormat& format,
               std::span<const std::uint32_t> palette, std::uint32_t* out) {
  if (format == Xrgb8888Format::format) return XrgbRowToXrgb(row, firstX, count, out);
  if (format == Rgb565Format::format) return Rgb16RowToXrgb<Rgb565Format>(row, firstX, count, out);
  if (format == Rgb555Format::format) return Rgb16RowToXrgb<Rgb555Format>(row, firstX, count, out);
  if (format == Rgb888Format::format) return FixedRowToXrgb<Rgb888Format>(row, firstX, count, out);
  if (format == PixelFormat::indexed8()) return Indexed8RowToXrgb(row, firstX, count, palette, out);
  RowToXrgbReference(row, firstX, count, format, palette, out);
}

}  // namespace corvane::platform
