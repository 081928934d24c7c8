// The device object of the 2D device and the palette and clipper made on it.
//
// Each wrapper calls one platform operation per operation, records the result
// in LastResult and reports success as a boolean; only creation failures and
// missing platform objects raise. Palettes, clippers and surfaces register
// with their device when made and unregister when destroyed; destroying the
// device destroys whatever is still registered (surfaces, then palettes, then
// clippers, each from the last to the first) and then releases the platform
// device. Objects left for the device to destroy are therefore made with new.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/DirectX.h"
#include "platform/DDraw.h"

namespace corvane {

CORVANE_EXCEPTION(EDirectDrawError, EDirectXError);
CORVANE_EXCEPTION(EDirectDrawPaletteError, EDirectDrawError);
CORVANE_EXCEPTION(EDirectDrawClipperError, EDirectDrawError);
CORVANE_EXCEPTION(EDirectDrawSurfaceError, EDirectDrawError);

// The library and entry points the device is made through.
inline constexpr const char* DirectDrawLibraryName = "DDraw.dll";

class TDirectDrawSurface;
class TDirectDrawPalette;
class TDirectDrawClipper;

class TDirectDraw : public TDirectX {
 public:
  // `guid` names the device (none: the default one); `directX7Mode` makes it
  // through DirectDrawCreateEx, else through DirectDrawCreate. Raises
  // EDirectDrawError ("%s cannot be initialized" with "DirectDraw",
  // "Necessary since DirectX 7" or "... 6") or Exception ("%s not loaded").
  TDirectDraw(const platform::GUID* guid, bool directX7Mode);
  explicit TDirectDraw(const platform::GUID* guid) : TDirectDraw(guid, true) {}
  ~TDirectDraw() override;
  const char* ClassName() const override { return "TDirectDraw"; }

  // The platform device, or none.
  platform::DirectDraw* IDraw() const { return iddraw_.get(); }
  platform::DirectDraw* IDraw7() const { return iddraw7_.get(); }
  // The same, raising EDirectDrawError "%s not made" when absent.
  platform::DirectDraw& IDDraw() const;
  platform::DirectDraw& IDDraw7() const;

  const platform::DDCAPS& DriverCaps() const { return driverCaps_; }
  const platform::DDCAPS& HELCaps() const { return helCaps_; }

  int ClipperCount() const { return static_cast<int>(clippers_.size()); }
  TDirectDrawClipper* Clipper(int index) const { return clippers_.at(index); }
  int PaletteCount() const { return static_cast<int>(palettes_.size()); }
  TDirectDrawPalette* Palette(int index) const { return palettes_.at(index); }
  int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  TDirectDrawSurface* Surface(int index) const { return surfaces_.at(index); }

 private:
  friend class TDirectDrawSurface;
  friend class TDirectDrawPalette;
  friend class TDirectDrawClipper;

  platform::ComPtr<platform::DirectDraw> iddraw_;
  platform::ComPtr<platform::DirectDraw> iddraw4_;
  platform::ComPtr<platform::DirectDraw> iddraw7_;
  platform::DDCAPS driverCaps_;
  platform::DDCAPS helCaps_;
  std::vector<TDirectDrawClipper*> clippers_;
  std::vector<TDirectDrawPalette*> palettes_;
  std::vector<TDirectDrawSurface*> surfaces_;
};

class TDirectDrawPalette : public TDirectX {
 public:
  explicit TDirectDrawPalette(TDirectDraw& device);
  ~TDirectDrawPalette() override;
  const char* ClassName() const override { return "TDirectDrawPalette"; }

  TDirectDraw& DDraw() const { return device_; }
  // Replaces the held platform palette by a new one of 256 entries.
  bool CreatePalette(std::uint32_t caps, const platform::PALETTEENTRY* entries);
  bool SetEntries(int startIndex, int count, const platform::PALETTEENTRY* entries);
  platform::DirectDrawPalette* IPalette() const { return palette_.get(); }
  // Raises EDirectDrawPaletteError "%s not made" when there is none.
  platform::DirectDrawPalette& IDDPalette() const;

 private:
  TDirectDraw& device_;
  platform::ComPtr<platform::DirectDrawPalette> palette_;
};

class TDirectDrawClipper : public TDirectX {
 public:
  // Makes the platform clipper at once; raises EDirectDrawClipperError
  // "%s cannot be made" with "Clipper" when the device refuses.
  explicit TDirectDrawClipper(TDirectDraw& device);
  ~TDirectDrawClipper() override;
  const char* ClassName() const override { return "TDirectDrawClipper"; }

  TDirectDraw& DDraw() const { return device_; }
  // Clips blits to the window's visible part; the result is only recorded.
  void SetHandle(platform::HWND window);
  platform::DirectDrawClipper* IClipper() const { return clipper_.get(); }
  // Raises EDirectDrawClipperError "%s not made" when there is none.
  platform::DirectDrawClipper& IDDClipper() const;

 private:
  TDirectDraw& device_;
  platform::ComPtr<platform::DirectDrawClipper> clipper_;
};

}  // namespace corvane
