// Pixels of a bitmap as raw values and as colours, and the stretching copy.
#include <bit>
#include <cstring>

#include "GdiObjects.h"

namespace corvane::platform::gdi {

namespace {

std::uint32_t Pack(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// The channel under `mask`, scaled to 8 bits with rounding (a 5-bit 31 is
// 255, a 5-bit 3 is 25).
std::uint8_t Channel(std::uint32_t raw, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::countr_one(mask >> shift);
  std::uint64_t max = (bits >= 32) ? 0xFFFFFFFFull : ((1ull << bits) - 1);
  std::uint64_t v = ((raw & mask) >> shift) & max;
  return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

std::uint32_t Place(std::uint8_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::countr_one(mask >> shift);
  std::uint32_t v = bits >= 8 ? (std::uint32_t{value} << (bits - 8)) : (value >> (8 - bits));
  return (v << shift) & mask;
}

// The nearest entry of the colour table; the first of equals.
std::uint32_t NearestIndex(const Bitmap& bitmap, std::uint32_t rgb) {
  int count = 1 << bitmap.bitCount;
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  std::uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < count; ++i) {
    const RGBQUAD& c = bitmap.colours[static_cast<std::size_t>(i)];
    int dr = c.rgbRed - r, dg = c.rgbGreen - g, db = c.rgbBlue - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<std::uint32_t>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace

std::size_t Stride(int width, int bitCount) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
}

std::uint32_t ReadRaw(const Bitmap& bitmap, int x, int y) {
  const std::uint8_t* row = bitmap.row(y);
  switch (bitmap.bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 4: return (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0Fu);
    case 8: return row[x];
    case 16: return std::uint32_t{row[2 * x]} | (std::uint32_t{row[2 * x + 1]} << 8);
    case 24: return Pack(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void WriteRaw(Bitmap& bitmap, int x, int y, std::uint32_t raw) {
  std::uint8_t* row = bitmap.row(y);
  switch (bitmap.bitCount) {
    case 1: {
      std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<std::uint8_t>((raw & 1) ? (row[x / 8] | bit) : (row[x / 8] & ~bit));
      break;
    }
    case 4:
      row[x / 2] = static_cast<std::uint8_t>(x % 2 == 0 ? (row[x / 2] & 0x0F) | ((raw & 0xF) << 4)
                                                        : (row[x / 2] & 0xF0) | (raw & 0xF));
      break;
    case 8: row[x] = static_cast<std::uint8_t>(raw); break;
    case 16:
      row[2 * x] = static_cast<std::uint8_t>(raw);
      row[2 * x + 1] = static_cast<std::uint8_t>(raw >> 8);
      break;
    case 24:
      row[3 * x] = static_cast<std::uint8_t>(raw);
      row[3 * x + 1] = static_cast<std::uint8_t>(raw >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(raw >> 16);
      break;
    default: std::memcpy(row + 4 * x, &raw, 4); break;
  }
}

std::uint32_t ReadColour(const Bitmap& bitmap, int x, int y) {
  std::uint32_t raw = ReadRaw(bitmap, x, y);
  if (bitmap.bitCount <= 8) {
    const RGBQUAD& c = bitmap.colours[raw];
    return Pack(c.rgbRed, c.rgbGreen, c.rgbBlue);
  }
  if (bitmap.bitCount == 24) return raw;
  return Pack(Channel(raw, bitmap.masks[0]), Channel(raw, bitmap.masks[1]),
              Channel(raw, bitmap.masks[2]));
}

void WriteColour(Bitmap& bitmap, int x, int y, std::uint32_t rgb) {
  std::uint32_t raw;
  if (bitmap.bitCount <= 8) {
    raw = NearestIndex(bitmap, rgb);
  } else if (bitmap.bitCount == 24) {
    raw = rgb & 0xFFFFFF;
  } else {
    raw = Place(static_cast<std::uint8_t>(rgb >> 16), bitmap.masks[0]) |
          Place(static_cast<std::uint8_t>(rgb >> 8), bitmap.masks[1]) |
          Place(static_cast<std::uint8_t>(rgb), bitmap.masks[2]);
  }
  WriteRaw(bitmap, x, y, raw);
}

namespace {

bool SameIndexedColours(const Bitmap& a, const Bitmap& b) {
  if (a.bitCount > 8 || b.bitCount > 8) return false;
  std::size_t count = std::size_t{1} << std::min(a.bitCount, b.bitCount);
  return std::memcmp(a.colours.data(), b.colours.data(), count * sizeof(RGBQUAD)) == 0;
}

bool Combine(std::uint32_t rop, std::uint32_t src, std::uint32_t dest, std::uint32_t& out) {
  switch (rop) {
    case SRCCOPY: out = src; return true;
    case NOTSRCCOPY: out = ~src & 0xFFFFFF; return true;
    case SRCAND: out = src & dest; return true;
    case SRCPAINT: out = src | dest; return true;
    case SRCINVERT: out = (src ^ dest) & 0xFFFFFF; return true;
    case BLACKNESS: out = 0; return true;
    case WHITENESS: out = 0xFFFFFF; return true;
    default: return false;
  }
}

// Where destination step i (of `count`) samples the source span of `span`
// pixels: the pixel under the centre of the destination pixel.
int Sample(int i, int count, int span, bool mirrored) {
  int s = static_cast<int>((2LL * i + 1) * span / (2LL * count));
  return mirrored ? span - 1 - s : s;
}

}  // namespace

bool Stretch(Bitmap& dest, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy,
             int sw, int sh, std::uint32_t rop) {
  std::uint32_t probe;
  if (!Combine(rop, 0, 0, probe)) return false;
  bool flipX = (dw < 0) != (sw < 0), flipY = (dh < 0) != (sh < 0);
  // A negative extent runs back from its start pixel: x, x - 1, ...
  if (dw < 0) dx += dw + 1, dw = -dw;
  if (dh < 0) dy += dh + 1, dh = -dh;
  if (sw < 0) sx += sw + 1, sw = -sw;
  if (sh < 0) sy += sh + 1, sh = -sh;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return true;
  bool indexCopy = rop == SRCCOPY && SameIndexedColours(src, dest) && src.bitCount <= dest.bitCount;
  // Clip once to the destination; source pixels off the source are skipped.
  int x0 = std::max(0, -dx), x1 = std::min(dw, dest.width - dx);
  int y0 = std::max(0, -dy), y1 = std::min(dh, dest.height - dy);
  for (int j = y0; j < y1; ++j) {
    int syy = sy + Sample(j, dh, sh, flipY);
    if (syy < 0 || syy >= src.height) continue;
    for (int i = x0; i < x1; ++i) {
      int sxx = sx + Sample(i, dw, sw, flipX);
      if (sxx < 0 || sxx >= src.width) continue;
      if (indexCopy) {
        WriteRaw(dest, dx + i, dy + j, ReadRaw(src, sxx, syy));
        continue;
      }
      std::uint32_t out = 0;
      std::uint32_t current = rop == SRCCOPY ? 0 : ReadColour(dest, dx + i, dy + j);
      Combine(rop, ReadColour(src, sxx, syy), current, out);
      WriteColour(dest, dx + i, dy + j, out);
    }
  }
  return true;
}

}  // namespace corvane::platform::gdi
