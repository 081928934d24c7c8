#include "IndexedImage.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::art {

IndexedImage::IndexedImage(int width, int height, const Palette& palette, std::uint8_t fill)
    : width_(width), height_(height), palette_(palette) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("an image needs a positive size");
  pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

void IndexedImage::fillRect(int left, int top, int right, int bottom, std::uint8_t value) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) set(x, y, value);
  }
}

}  // namespace corvane::art
