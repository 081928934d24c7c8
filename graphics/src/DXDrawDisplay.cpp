#include "graphics/DXDrawDisplay.h"

#include <algorithm>
#include <limits>

#include "graphics/DXDraw.h"
#include "graphics/DirectDraw.h"

namespace corvane {

using namespace platform;

namespace {
bool ValidBitCount(std::int32_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }
}  // namespace

TDXDrawDisplay::TDXDrawDisplay(TCustomDXDraw* owner) : owner_(owner) {}

void TDXDrawDisplay::SetBitCount(std::int32_t value) {
  if (!ValidBitCount(value)) throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
  bitCount_ = value;
}

void TDXDrawDisplay::Assign(const TPersistent* source) {
  if (source == this) return;
  if (auto* other = dynamic_cast<const TDXDrawDisplay*>(source)) {
    bitCount_ = other->bitCount_;
    height_ = other->height_;
    width_ = other->width_;
    FixedBitCount = other->FixedBitCount;
    FixedRatio = other->FixedRatio;
    FixedSize = other->FixedSize;
    return;
  }
  TPersistent::Assign(source);
}

TDirectDraw* TDXDrawDisplay::Device() const { return owner_ ? owner_->Device() : nullptr; }

int TDXDrawDisplay::Count() {
  if (modes_.empty()) LoadModes();
  return static_cast<int>(modes_.size());
}

const TDXDrawDisplayMode& TDXDrawDisplay::Mode(int index) {
  if (modes_.empty()) LoadModes();
  return modes_.at(static_cast<std::size_t>(index));
}

void TDXDrawDisplay::EnumerateOn(TDirectDraw& device) {
  device.IDDraw().EnumDisplayModes(0, nullptr, [this](const DDSURFACEDESC2& mode) {
    modes_.emplace_back(mode);
    return DDENUMRET_OK;
  });
}

void TDXDrawDisplay::LoadModes() {
  modes_.clear();
  if (TDirectDraw* device = Device()) {
    EnumerateOn(*device);
  } else {
    // Without a device of its own the display asks a short-lived one.
    TDirectDraw temporary(owner_ ? owner_->DeviceGUID() : nullptr, true);
    EnumerateOn(temporary);
  }
  // Signed differences, as the order has always been computed.
  std::stable_sort(modes_.begin(), modes_.end(),
                   [](const TDXDrawDisplayMode& a, const TDXDrawDisplayMode& b) {
                     if (a.Width() != b.Width()) return a.Width() - b.Width() < 0;
                     if (a.Height() != b.Height()) return a.Height() - b.Height() < 0;
                     return a.BitCount() - b.BitCount() < 0;
                   });
}

int TDXDrawDisplay::IndexOfMode(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  for (int i = 0; i < Count(); ++i) {
    const TDXDrawDisplayMode& mode = Mode(i);
    if (mode.Width() == width && mode.Height() == height && mode.BitCount() == bitCount) return i;
  }
  return -1;
}

bool TDXDrawDisplay::SetExactMode(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  TDirectDraw* device = Device();
  if (!device) return false;
  HRESULT result = device->IDDraw().SetDisplayMode(static_cast<std::uint32_t>(width),
                                                    static_cast<std::uint32_t>(height),
                                                    static_cast<std::uint32_t>(bitCount));
  device->SetLastResult(result);
  if (result != DD_OK) return false;
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
  return true;
}

bool TDXDrawDisplay::SetFittingMode(std::int32_t width, std::int32_t height, std::int32_t bitCount) {
  if (width <= 0 || height <= 0 || !ValidBitCount(bitCount)) return false;
  if (SetExactMode(width, height, bitCount)) return true;
  // The aspect ratio is a preference, never a limit.
  if (FixedRatio && FindFittingMode(width, height, bitCount, true)) return true;
  return FindFittingMode(width, height, bitCount, false);
}

bool TDXDrawDisplay::FindFittingMode(std::int32_t width, std::int32_t height,
                                     std::int32_t bitCount, bool ratioTest) {
  std::int32_t bestWidth = std::numeric_limits<std::int32_t>::max();
  std::int32_t bestHeight = bestWidth;
  std::int32_t bestBits = bitCount;
  bool found = false;
  const long double ratio = static_cast<long double>(width) / height;
  for (int i = 0; i < Count(); ++i) {
    const TDXDrawDisplayMode& mode = Mode(i);
    if (mode.Width() > bestWidth || mode.Height() > bestHeight) continue;
    if (ratioTest) {
      if (mode.Height() == 0) continue;
      if (static_cast<long double>(mode.Width()) / mode.Height() != ratio) continue;
    }
    if (FixedSize ? (mode.Width() != width || mode.Height() != height)
                  : (mode.Width() < width || mode.Height() < height))
      continue;
    if (FixedBitCount ? mode.BitCount() != bitCount
                      : !((mode.BitCount() > 8 && bitCount > 8) || mode.BitCount() >= bitCount))
      continue;
    bestWidth = mode.Width();
    bestHeight = mode.Height();
    bestBits = mode.BitCount();
    found = true;
  }
  if (!found) return false;
  // The bit count asked for wins at the chosen size when it exists there.
  if (bestBits != bitCount && IndexOfMode(bestWidth, bestHeight, bitCount) >= 0) bestBits = bitCount;
  return SetExactMode(bestWidth, bestHeight, bestBits);
}

}  // namespace corvane
