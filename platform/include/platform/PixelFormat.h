// Pixel formats given by bit count and channel masks, and raw pixel access.
//
// A raw pixel value is the pixel's bytes read as a little-endian number (24
// bits: three bytes, low byte first). Pixels of 1, 2 and 4 bits are packed
// with the leftmost pixel in the most significant bits of a byte. Direct
// colour formats place each channel under its mask; indexed formats hold a
// colour-table index, and their colours come from that table.
//
// Channel conversion: an 8-bit intensity keeps its top bits when it goes into
// a narrower channel, and a narrow channel repeats its bits when it comes out
// to 8 bits, so 0 stays 0 and full intensity stays full (31 in 5 bits is 255).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corvane::platform {

// Rescales a `from`-bit value to `to` bits: narrowing keeps the top bits,
// widening repeats the bit pattern.
constexpr std::uint32_t ScaleBits(std::uint32_t value, int from, int to) {
  if (from <= 0 || to <= 0) return 0;
  if (from >= to) return value >> (from - to);
  std::uint32_t out = 0;
  for (int filled = 0; filled < to; filled += from) {
    int room = to - filled;
    out |= room >= from ? value << (room - from) : value >> (from - room);
  }
  return out;
}

// One colour channel: where its bits sit in a raw value.
struct Channel {
  std::uint32_t mask = 0;
  std::uint8_t shift = 0;  // position of the lowest bit
  std::uint8_t width = 0;  // number of bits

  static constexpr Channel fromMask(std::uint32_t mask) {
    if (mask == 0) return {};
    int shift = std::countr_zero(mask);
    int width = std::countr_one(mask >> shift);
    return {mask, static_cast<std::uint8_t>(shift), static_cast<std::uint8_t>(width)};
  }
  // The mask is one run of bits.
  constexpr bool contiguous() const { return std::popcount(mask) == width; }
  // An 8-bit intensity, placed under the mask.
  constexpr std::uint32_t place(std::uint8_t value) const {
    return width == 0 ? 0 : (ScaleBits(value, 8, width) << shift) & mask;
  }
  // The channel of a raw value as an 8-bit intensity.
  constexpr std::uint8_t take(std::uint32_t raw) const {
    return static_cast<std::uint8_t>(ScaleBits((raw & mask) >> shift, width, 8));
  }
  friend constexpr bool operator==(const Channel&, const Channel&) = default;
};

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// 0x00RRGGBB, the layout of presented frames.
constexpr std::uint32_t PackXrgb(Rgb c) {
  return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}
constexpr Rgb UnpackXrgb(std::uint32_t xrgb) {
  return {static_cast<std::uint8_t>(xrgb >> 16), static_cast<std::uint8_t>(xrgb >> 8),
          static_cast<std::uint8_t>(xrgb)};
}

class PixelFormat {
 public:
  constexpr PixelFormat() = default;

  // Colour-table indices of 1, 2, 4 or 8 bits.
  static constexpr PixelFormat indexed(int bitCount) {
    PixelFormat f;
    f.bitCount_ = bitCount;
    f.indexed_ = true;
    return f;
  }
  // Direct colour: each channel under its mask (alpha optional).
  static constexpr PixelFormat fromMasks(int bitCount, std::uint32_t red, std::uint32_t green,
                                         std::uint32_t blue, std::uint32_t alpha = 0) {
    PixelFormat f;
    f.bitCount_ = bitCount;
    f.red_ = Channel::fromMask(red);
    f.green_ = Channel::fromMask(green);
    f.blue_ = Channel::fromMask(blue);
    f.alpha_ = Channel::fromMask(alpha);
    return f;
  }

  static constexpr PixelFormat indexed8() { return indexed(8); }
  static constexpr PixelFormat rgb555() { return fromMasks(16, 0x7C00, 0x03E0, 0x001F); }
  static constexpr PixelFormat rgb565() { return fromMasks(16, 0xF800, 0x07E0, 0x001F); }
  static constexpr PixelFormat rgb888() { return fromMasks(24, 0xFF0000, 0x00FF00, 0x0000FF); }
  static constexpr PixelFormat xrgb8888() { return fromMasks(32, 0xFF0000, 0x00FF00, 0x0000FF); }

  constexpr int bitCount() const { return bitCount_; }
  constexpr int bytesPerPixel() const { return (bitCount_ + 7) / 8; }
  constexpr bool isIndexed() const { return indexed_; }
  constexpr const Channel& red() const { return red_; }
  constexpr const Channel& green() const { return green_; }
  constexpr const Channel& blue() const { return blue_; }
  constexpr const Channel& alpha() const { return alpha_; }

  // Every bit a pixel of this format can hold.
  constexpr std::uint32_t rawMask() const {
    return bitCount_ >= 32 ? 0xFFFFFFFFu : (1u << bitCount_) - 1;
  }
  // Bytes that `width` pixels take, without padding.
  constexpr std::size_t rowBytes(int width) const {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount_) + 7) / 8;
  }

  // A usable format: indexed at 1, 2, 4 or 8 bits; or direct colour at 8,
  // 16, 24 or 32 bits with non-empty, contiguous, non-overlapping red, green
  // and blue masks (and an optional alpha mask) inside the pixel.
  constexpr bool isValid() const {
    if (indexed_) return bitCount_ == 1 || bitCount_ == 2 || bitCount_ == 4 || bitCount_ == 8;
    if (bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 && bitCount_ != 32) return false;
    if (red_.mask == 0 || green_.mask == 0 || blue_.mask == 0) return false;
    const Channel* channels[] = {&red_, &green_, &blue_, &alpha_};
    std::uint32_t seen = 0;
    for (const Channel* c : channels) {
      if (!c->contiguous() || (c->mask & ~rawMask()) != 0 || (c->mask & seen) != 0) return false;
      seen |= c->mask;
    }
    return true;
  }

  // Direct colour only (indexed formats give 0 and black): the raw value of
  // a colour, and the colour of a raw value. Alpha is left 0 on encoding.
  constexpr std::uint32_t encode(Rgb c) const {
    return indexed_ ? 0 : red_.place(c.r) | green_.place(c.g) | blue_.place(c.b);
  }
  constexpr Rgb decode(std::uint32_t raw) const {
    return indexed_ ? Rgb{} : Rgb{red_.take(raw), green_.take(raw), blue_.take(raw)};
  }

  friend constexpr bool operator==(const PixelFormat&, const PixelFormat&) = default;

 private:
  int bitCount_ = 0;
  bool indexed_ = false;
  Channel red_, green_, blue_, alpha_;
};

// The raw value of pixel `x` in a row.
constexpr std::uint32_t LoadPixel(const std::uint8_t* row, int x, int bitCount) {
  switch (bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 0x1u;
    case 2: return (row[x / 4] >> (6 - 2 * (x % 4))) & 0x3u;
    case 4: return (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2]) & 0xFu;
    case 8: return row[x];
    case 16: return std::uint32_t{row[2 * x]} | (std::uint32_t{row[2 * x + 1]} << 8);
    case 24: {
      const std::uint8_t* p = row + 3 * x;
      return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
    case 32: {
      const std::uint8_t* p = row + 4 * x;
      return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
             (std::uint32_t{p[3]} << 24);
    }
    default: return 0;
  }
}

// Writes the raw value of pixel `x` (bits above the pixel's size are dropped).
constexpr void StorePixel(std::uint8_t* row, int x, int bitCount, std::uint32_t raw) {
  auto setBits = [](std::uint8_t& byte, int shift, std::uint32_t mask, std::uint32_t value) {
    byte = static_cast<std::uint8_t>((byte & ~(mask << shift)) | ((value & mask) << shift));
  };
  switch (bitCount) {
    case 1: setBits(row[x / 8], 7 - x % 8, 0x1u, raw); break;
    case 2: setBits(row[x / 4], 6 - 2 * (x % 4), 0x3u, raw); break;
    case 4: setBits(row[x / 2], x % 2 == 0 ? 4 : 0, 0xFu, raw); break;
    case 8: row[x] = static_cast<std::uint8_t>(raw); break;
    case 16:
    case 24:
    case 32: {
      int bytes = bitCount / 8;
      std::uint8_t* p = row + bytes * x;
      for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(raw >> (8 * i));
      break;
    }
    default: break;
  }
}

// A direct-colour format fixed at compile time, for the fast paths: the
// shifts and widths are constants, so a conversion folds to a few shifts.
template <int Bits, std::uint32_t R, std::uint32_t G, std::uint32_t B>
struct FixedFormat {
  static constexpr PixelFormat format = PixelFormat::fromMasks(Bits, R, G, B);
  static_assert(format.isValid());
  static constexpr int bytesPerPixel = Bits / 8;

  static std::uint32_t load(const std::uint8_t* row, int x) {
    if constexpr (Bits == 16) {
      return std::uint32_t{row[2 * x]} | (std::uint32_t{row[2 * x + 1]} << 8);
    } else {
      return LoadPixel(row, x, Bits);
    }
  }
  // The same as format.decode, by shifts fixed at compile time.
  static constexpr std::uint32_t toXrgb(std::uint32_t raw) {
    return (widen<R>(raw) << 16) | (widen<G>(raw) << 8) | widen<B>(raw);
  }
  static constexpr std::uint32_t fromXrgb(std::uint32_t xrgb) {
    return format.encode(UnpackXrgb(xrgb));
  }

 private:
  // One channel as 8 bits: a channel of 4 to 7 bits is its bits followed by
  // its top bits again, which is what ScaleBits gives.
  template <std::uint32_t Mask>
  static constexpr std::uint32_t widen(std::uint32_t raw) {
    constexpr Channel c = Channel::fromMask(Mask);
    std::uint32_t v = (raw & Mask) >> c.shift;
    if constexpr (c.width >= 8)
      return v >> (c.width - 8);
    else if constexpr (c.width >= 4)
      return (v << (8 - c.width)) | (v >> (2 * c.width - 8));
    else
      return ScaleBits(v, c.width, 8);
  }
};

using Rgb555Format = FixedFormat<16, 0x7C00, 0x03E0, 0x001F>;
using Rgb565Format = FixedFormat<16, 0xF800, 0x07E0, 0x001F>;
using Rgb888Format = FixedFormat<24, 0xFF0000, 0x00FF00, 0x0000FF>;
using Xrgb8888Format = FixedFormat<32, 0xFF0000, 0x00FF00, 0x0000FF>;

// Colours (0x00RRGGBB) of `count` pixels of a row, starting at pixel
// `firstX`. Indexed formats look their colours up in `palette` (an index
// past its end gives black). The common formats take a fast path.
void RowToXrgb(const std::uint8_t* row, int firstX, int count, const PixelFormat& format,
               std::span<const std::uint32_t> palette, std::uint32_t* out);

// The same by the plain per-pixel route, which the fast paths must match.
void RowToXrgbReference(const std::uint8_t* row, int firstX, int count, const PixelFormat& format,
                        std::span<const std::uint32_t> palette, std::uint32_t* out);

}  // namespace corvane::platform
