// A surface of the 2D device, with its drawing context.
//
// A surface object is empty until CreateSurface, SetSize, copying or Attach
// gives it a platform surface. Users of the canvas release it after drawing,
// before the surface is blitted or locked again.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Graphics.h"
#include "graphics/DirectDraw.h"

namespace corvane {

class TDirectDrawSurface;
class TDIB;

class TDirectDrawSurfaceCanvas : public TCanvas {
 public:
  explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface);
  ~TDirectDrawSurfaceCanvas() override;
  const char* ClassName() const override { return "TDirectDrawSurfaceCanvas"; }
  // Gives the device context back to the surface.
  void Release();

 protected:
  // Asks the surface for a device context (raising when it is empty).
  void CreateHandle() override;

 private:
  // The colours an indexed surface's context draws with.
  std::vector<platform::RGBQUAD> Colours(platform::DirectDrawSurface& surface) const;

  TDirectDrawSurface& surface_;
  platform::HDC dc_ = 0;
  // The platform surface locked for the context, unlocked on Release.
  platform::ComPtr<platform::DirectDrawSurface> locked_;
};

class TDirectDrawSurface : public TDirectX {
 public:
  explicit TDirectDrawSurface(TDirectDraw& device);
  ~TDirectDrawSurface() override;
  const char* ClassName() const override { return "TDirectDrawSurface"; }

  TDirectDraw& DDraw() const { return device_; }

  // --- The platform surface.
  bool CreateSurface(const platform::DDSURFACEDESC2& desc);
  // An off-screen surface of the display's format; width or height <= 0
  // releases the platform surface. Falls back from video to system memory;
  // raises EDirectDrawSurfaceError "%s cannot be made" with "Surface".
  void SetSize(int width, int height);
  // Takes over a surface made elsewhere (none: release).
  void Attach(platform::DirectDrawSurface* surface);
  platform::DirectDrawSurface* ISurface() const { return surface_.get(); }
  platform::DirectDrawSurface* ISurface4() const { return surface4_.get(); }
  platform::DirectDrawSurface* ISurface7() const { return surface7_.get(); }
  // The same, raising EDirectDrawSurfaceError "%s not made" when absent.
  platform::DirectDrawSurface& IDDSurface() const;
  platform::DirectDrawSurface& IDDSurface4() const;
  platform::DirectDrawSurface& IDDSurface7() const;

  int Width() const { return static_cast<int>(desc_.dwWidth); }
  int Height() const { return static_cast<int>(desc_.dwHeight); }
  int BitCount() const { return static_cast<int>(desc_.ddpfPixelFormat.dwRGBBitCount); }
  platform::RECT ClientRect() const { return {0, 0, Width(), Height()}; }
  const platform::DDSURFACEDESC2& SurfaceDesc() const { return desc_; }
  bool SystemMemory() const { return systemMemory_; }
  void SetSystemMemory(bool value) { systemMemory_ = value; }
  bool HasClipper() const { return hasClipper_; }
  int LockCount() const { return lockCount_; }

  // --- Drawing through the device.
  bool Fill(std::uint32_t value);
  // The surface's raw pixel value for a colour (TColor: 0x00BBGGRR, or a
  // system colour), as the drawing context puts it there.
  std::uint32_t ColorMatch(std::uint32_t colour);
  void SetTransparentColor(std::uint32_t value);
  void SetColorKey(std::uint32_t flags, const platform::DDCOLORKEY& key);
  void SetPalette(const class TDirectDrawPalette* palette);
  void SetClipper(const class TDirectDrawClipper* clipper);
  bool Lock(const platform::RECT* rect, platform::DDSURFACEDESC2& desc);
  void Unlock();
  std::uint32_t Pixel(int x, int y);
  void SetPixel(int x, int y, std::uint32_t value);
  bool Restore();
  bool Blt(const platform::RECT* destRect, const platform::RECT* srcRect, std::uint32_t flags,
           const platform::DDBLTFX& fx, TDirectDrawSurface* source);
  bool BltFast(int x, int y, const platform::RECT& srcRect, std::uint32_t flags,
               TDirectDrawSurface* source);

  // 1:1 copy of `srcRect` of `source` to (x, y), opaque or colour-keyed; an
  // inverted source rectangle mirrors.
  void Draw(int x, int y, const platform::RECT& srcRect, TDirectDrawSurface* source,
            bool transparent);
  // Blends `srcRect` of `source`, scaled to `destRect`, with a constant alpha.
  void DrawAlpha(const platform::RECT& destRect, const platform::RECT& srcRect,
                 TDirectDrawSurface* source, bool transparent, int alpha);

  // --- Images.
  void LoadFromGraphic(TGraphic& graphic);
  void LoadFromGraphicRect(TGraphic& graphic, int width, int height, const platform::RECT& rect);
  // Copy from an image, a picture, another surface or none.
  void Assign(const TPersistent* source) override;
  // Copy into a DIB (24 bits, the surface's size).
  void AssignTo(TPersistent* dest) const override;

  TDirectDrawSurfaceCanvas& Canvas();

 private:
  friend class TDirectDrawSurfaceCanvas;
  void AssignToDIB(TDIB& dib);

  TDirectDraw& device_;
  std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
  bool hasClipper_ = false;
  platform::ComPtr<platform::DirectDrawSurface> surface_;
  platform::ComPtr<platform::DirectDrawSurface> surface4_;
  platform::ComPtr<platform::DirectDrawSurface> surface7_;
  bool systemMemory_ = false;
  platform::DDSURFACEDESC2 desc_{};
  platform::DDSURFACEDESC2 lockDesc_{};
  int lockCount_ = 0;
};

}  // namespace corvane
