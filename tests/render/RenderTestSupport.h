// Pictures in memory with a locked view over them, for driving the renderer
// without a device, and a deterministic source of random pixels.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "graphics/DXRender.h"
#include "platform/DDrawTypes.h"
#include "platform/PixelFormat.h"

namespace corvane::test {

struct Masks {
  std::uint32_t red, green, blue;
};
inline constexpr Masks k565{0xF800, 0x07E0, 0x001F};
inline constexpr Masks k555{0x7C00, 0x03E0, 0x001F};
inline constexpr Masks k888{0xFF0000, 0x00FF00, 0x0000FF};

// Pixels of one format with a few spare bytes per row, so that a routine
// that ignores the pitch shows up.
class Picture {
 public:
  Picture(int width, int height, int bits, Masks masks) : Picture(width, height, bits, false, masks) {}
  static Picture Indexed(int width, int height, int bits) { return Picture(width, height, bits, true, {}); }
  // The view points into the pixels: moving keeps them, copying would not.
  Picture(const Picture&) = delete;
  Picture(Picture&&) = default;

  int width() const { return width_; }
  int height() const { return height_; }
  const LockedView& view() const { return view_; }
  std::uint32_t at(int x, int y) const { return platform::LoadPixel(row(y), x, bits_); }
  void set(int x, int y, std::uint32_t value) { platform::StorePixel(row(y), x, bits_, value); }
  void fill(std::uint32_t value) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) set(x, y, value);
  }
  // Random raw values under the format's bits; about one pixel in
  // `keyEvery` is set to `key` instead.
  void randomise(std::mt19937& random, std::uint32_t key = 0, int keyEvery = 0) {
    std::uint32_t rawMask = bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        set(x, y, keyEvery > 0 && random() % keyEvery == 0 ? key : random() & rawMask);
  }
  std::vector<std::uint32_t> values() const {
    std::vector<std::uint32_t> all;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(at(x, y));
    return all;
  }

 private:
  Picture(int width, int height, int bits, bool indexed, Masks masks)
      : width_(width), height_(height), bits_(bits) {
    pitch_ = (width * bits + 7) / 8 + 3;
    bytes_.assign(static_cast<std::size_t>(pitch_) * static_cast<std::size_t>(height), 0xA5);
    platform::DDSURFACEDESC2 desc;
    desc.dwWidth = static_cast<std::uint32_t>(width);
    desc.dwHeight = static_cast<std::uint32_t>(height);
    desc.lPitch = pitch_;
    desc.lpSurface = bytes_.data();
    desc.ddpfPixelFormat.dwRGBBitCount = static_cast<std::uint32_t>(bits);
    if (indexed) {
      desc.ddpfPixelFormat.dwFlags = bits == 8 ? platform::DDPF_PALETTEINDEXED8 : platform::DDPF_PALETTEINDEXED4;
    } else {
      desc.ddpfPixelFormat.dwFlags = platform::DDPF_RGB;
      desc.ddpfPixelFormat.dwRBitMask = masks.red;
      desc.ddpfPixelFormat.dwGBitMask = masks.green;
      desc.ddpfPixelFormat.dwBBitMask = masks.blue;
    }
    view_ = LockedView::FromDesc(desc);
  }
  std::uint8_t* row(int y) { return bytes_.data() + static_cast<std::ptrdiff_t>(y) * pitch_; }
  const std::uint8_t* row(int y) const {
    return bytes_.data() + static_cast<std::ptrdiff_t>(y) * pitch_;
  }

  int width_, height_, bits_;
  int pitch_ = 0;
  std::vector<std::uint8_t> bytes_;
  LockedView view_;
};

}  // namespace corvane::test
