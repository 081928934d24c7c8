// The display mode the display component asks for in full screen, the list of
// modes the device offers, and the search for a fitting mode when the one
// asked for does not exist.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Classes.h"
#include "platform/DDrawTypes.h"

namespace corvane {

class TCustomDXDraw;
class TDirectDraw;

// One mode as the device's enumeration described it.
class TDXDrawDisplayMode {
 public:
  explicit TDXDrawDisplayMode(const platform::DDSURFACEDESC2& desc) : SurfaceDesc(desc) {}
  std::int32_t Width() const { return static_cast<std::int32_t>(SurfaceDesc.dwWidth); }
  std::int32_t Height() const { return static_cast<std::int32_t>(SurfaceDesc.dwHeight); }
  std::int32_t BitCount() const {
    return static_cast<std::int32_t>(SurfaceDesc.ddpfPixelFormat.dwRGBBitCount);
  }

  platform::DDSURFACEDESC2 SurfaceDesc;
};

class TDXDrawDisplay : public TPersistent {
 public:
  explicit TDXDrawDisplay(TCustomDXDraw* owner);
  const char* ClassName() const override { return "TDXDrawDisplay"; }

  std::int32_t BitCount() const { return bitCount_; }
  // Only 8, 16, 24 or 32; raises EDirectDrawError otherwise.
  void SetBitCount(std::int32_t value);
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  void SetWidth(std::int32_t value) { width_ = value < 0 ? 0 : value; }
  void SetHeight(std::int32_t value) { height_ = value < 0 ? 0 : value; }

  bool FixedBitCount = true;
  bool FixedRatio = true;
  bool FixedSize = false;

  // The modes, enumerated when first asked for while the list is empty;
  // ascending by width, height and bit count.
  int Count();
  const TDXDrawDisplayMode& Mode(int index);
  void ClearModes() { modes_.clear(); }
  int IndexOfMode(std::int32_t width, std::int32_t height, std::int32_t bitCount);

  // Switches to exactly this mode; false when there is no device or the
  // device refuses (its result is kept on the device).
  bool SetExactMode(std::int32_t width, std::int32_t height, std::int32_t bitCount);
  // The exact mode, else a fitting one by the search below.
  bool SetFittingMode(std::int32_t width, std::int32_t height, std::int32_t bitCount);

  // Copies the six settings (not the mode list).
  void Assign(const TPersistent* source) override;

 private:
  bool FindFittingMode(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                       bool ratioTest);
  void LoadModes();
  void EnumerateOn(TDirectDraw& device);
  TDirectDraw* Device() const;

  std::int32_t bitCount_ = 8;
  TCustomDXDraw* owner_;
  std::int32_t height_ = 480;
  std::vector<TDXDrawDisplayMode> modes_;
  std::int32_t width_ = 640;
};

}  // namespace corvane
