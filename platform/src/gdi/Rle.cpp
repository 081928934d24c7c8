#include "platform/Rle.h"

namespace corvane::platform {

namespace {

class RleTarget {
 public:
  RleTarget(int bitCount, int width, int height, std::size_t stride, std::span<std::uint8_t> pixels)
      : nibbles_(bitCount == 4), width_(width), height_(height), stride_(stride), pixels_(pixels) {}

  // One pixel at (x, row); anything outside the image is dropped.
  void put(std::int64_t x, std::int64_t row, std::uint8_t value) {
    if (x < 0 || x >= width_ || row < 0 || row >= height_) return;
    std::size_t rowStart = static_cast<std::size_t>(row) * stride_;
    std::size_t index = rowStart + static_cast<std::size_t>(nibbles_ ? x / 2 : x);
    if (index >= pixels_.size()) return;
    std::uint8_t& byte = pixels_[index];
    if (!nibbles_) {
      byte = value;
    } else if (x % 2 == 0) {
      byte = static_cast<std::uint8_t>((byte & 0x0F) | (value << 4));
    } else {
      byte = static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F));
    }
  }
  bool nibbles() const { return nibbles_; }
  bool above(std::int64_t row) const { return row >= height_; }

 private:
  bool nibbles_;
  std::int64_t width_, height_;
  std::size_t stride_;
  std::span<std::uint8_t> pixels_;
};

}  // namespace

void DecodeRle(std::span<const std::uint8_t> encoded, int bitCount, int width, int height,
               std::size_t stride, std::span<std::uint8_t> pixels) {
  if ((bitCount != 8 && bitCount != 4) || width <= 0 || height <= 0) return;
  RleTarget target(bitCount, width, height, stride, pixels);
  std::size_t pos = 0;
  std::int64_t x = 0, row = 0;
  auto has = [&](std::size_t n) { return pos <= encoded.size() && encoded.size() - pos >= n; };
  while (has(2) && !target.above(row)) {
    std::uint8_t n = encoded[pos], c = encoded[pos + 1];
    pos += 2;
    if (n > 0) {
      // A run of one value (RLE4: two nibbles in turn).
      for (int i = 0; i < n; ++i) {
        std::uint8_t v = !target.nibbles() ? c : (i % 2 == 0 ? c >> 4 : c & 0x0F);
        target.put(x + i, row, v);
      }
      x += n;
    } else if (c == 0) {
      x = 0;
      ++row;
    } else if (c == 1) {
      break;
    } else if (c == 2) {
      if (!has(2)) break;
      x += encoded[pos];
      row += encoded[pos + 1];
      pos += 2;
    } else {
      // A literal run of c pixels.
      std::size_t bytes = target.nibbles() ? (c + 1u) / 2u : c;
      if (!has(bytes)) bytes = encoded.size() - pos;
      for (int i = 0; i < c; ++i) {
        std::size_t at = pos + static_cast<std::size_t>(target.nibbles() ? i / 2 : i);
        if (at >= pos + bytes) break;
        std::uint8_t b = encoded[at];
        std::uint8_t v = !target.nibbles() ? b : (i % 2 == 0 ? b >> 4 : b & 0x0F);
        target.put(x + i, row, v);
      }
      x += c;
      pos += bytes;
    }
    if (pos % 2 == 1) ++pos;  // items keep to 16-bit boundaries
  }
}

}  // namespace corvane::platform
