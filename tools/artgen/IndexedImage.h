#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace corvane::art {

// One colour entry in the order the stored bitmaps keep it: blue, green, red, reserved 0.
struct ColorEntry {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;

  friend bool operator==(const ColorEntry&, const ColorEntry&) = default;
};

constexpr ColorEntry Grey(std::uint8_t level) { return {level, level, level, 0}; }

// The art is 4 bits per pixel: 16 colour entries.
using Palette = std::array<ColorEntry, 16>;

// A picture of palette indices, one byte per pixel, rows top to bottom.
class IndexedImage {
 public:
  IndexedImage(int width, int height, const Palette& palette, std::uint8_t fill = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  const Palette& palette() const { return palette_; }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // Callers keep (x, y) inside the picture; `put` clips instead, for drawing code.
  std::uint8_t at(int x, int y) const { return pixels_[index(x, y)]; }
  void set(int x, int y, std::uint8_t value) { pixels_[index(x, y)] = value; }
  void put(int x, int y, std::uint8_t value) {
    if (contains(x, y)) set(x, y, value);
  }
  // Fills the rectangle [left, right) × [top, bottom), clipped to the picture.
  void fillRect(int left, int top, int right, int bottom, std::uint8_t value);

 private:
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }

  int width_;
  int height_;
  Palette palette_;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace corvane::art
