// Surfaces and images: the surface's drawing context, colour matching,
// loading images and copying to and from other surfaces and DIBs.
#include <algorithm>
#include <array>

#include "graphics/DIB.h"
#include "graphics/DirectDrawSurface.h"

namespace corvane {

using namespace platform;

namespace {

// The colours of the desktop's classic scheme, by system colour index
// (scroll bar, background, active caption, ...).
constexpr std::array<std::uint32_t, 31> SystemColours = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xDFDFDF, 0x000000,
    0xE1FFFF, 0x000000, 0xFF0000, 0xD08410, 0xB5B5B5, 0x800000, 0xC0C0C0};

// A colour value (0x00BBGGRR) with system colours resolved; a system colour
// has the top bit set and its index in the low byte.
std::uint32_t ColorToRGB(std::uint32_t colour) {
  if ((colour & 0x80000000u) == 0) return colour & 0xFFFFFFu;
  std::uint32_t index = colour & 0xFFu;
  return index < SystemColours.size() ? SystemColours[index] : 0;
}

std::vector<RGBQUAD> PaletteColours(DirectDrawPalette& palette) {
  std::uint32_t caps = 0;
  if (palette.GetCaps(&caps) != DD_OK) return {};
  std::uint32_t count = (caps & DDPCAPS_8BIT)   ? 256
                        : (caps & DDPCAPS_4BIT) ? 16
                        : (caps & DDPCAPS_2BIT) ? 4
                                                : 2;
  std::vector<PALETTEENTRY> entries(count);
  if (palette.GetEntries(0, 0, count, entries.data()) != DD_OK) return {};
  std::vector<RGBQUAD> colours;
  for (const PALETTEENTRY& e : entries) colours.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return colours;
}

}  // namespace

// --- The drawing context.

TDirectDrawSurfaceCanvas::TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface)
    : surface_(surface) {}

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() { Release(); }

// An indexed surface draws with its own palette; without one, with the
// palette of its device's primary surface, as the screen shows it; without
// that either, with the desktop's palette.
std::vector<RGBQUAD> TDirectDrawSurfaceCanvas::Colours(DirectDrawSurface& surface) const {
  ComPtr<DirectDrawPalette> palette;
  if (surface.GetPalette(palette) == DD_OK) return PaletteColours(*palette);
  TDirectDraw& device = surface_.DDraw();
  for (int i = 0; i < device.SurfaceCount(); ++i) {
    TDirectDrawSurface* other = device.Surface(i);
    if (other->ISurface() && (other->SurfaceDesc().ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) &&
        other->ISurface()->GetPalette(palette) == DD_OK)
      return PaletteColours(*palette);
  }
  std::vector<PALETTEENTRY> system(256);
  GetSystemPaletteEntries(0, 0, 256, system.data());
  std::vector<RGBQUAD> colours;
  for (const PALETTEENTRY& e : system) colours.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return colours;
}

// The context draws straight into the surface's pixels, which stay locked
// until Release.
void TDirectDrawSurfaceCanvas::CreateHandle() {
  DirectDrawSurface& surface = surface_.IDDSurface();
  DDSURFACEDESC2 desc;
  HRESULT result = surface.Lock(nullptr, &desc, DDLOCK_WAIT);
  HDC dc = 0;
  if (result == DD_OK) {
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    int bits = static_cast<int>(format.dwRGBBitCount);
    std::vector<RGBQUAD> colours;
    if (bits <= 8) colours = Colours(surface);
    dc = CreateDCOverMemory(desc.lpSurface, static_cast<int>(desc.dwWidth),
                            static_cast<int>(desc.dwHeight), desc.lPitch, bits, format.dwRBitMask,
                            format.dwGBitMask, format.dwBBitMask, colours);
    if (dc == 0) {
      surface.Unlock(nullptr);
      result = DDERR_GENERIC;
    }
  }
  surface_.SetLastResult(result);
  if (result != DD_OK) return;
  dc_ = dc;
  locked_ = ComPtr<DirectDrawSurface>(&surface);
  SetHandle(dc);
}

void TDirectDrawSurfaceCanvas::Release() {
  if (dc_ == 0) return;
  SetHandle(0);
  DeleteDC(dc_);
  dc_ = 0;
  HRESULT result = locked_->Unlock(nullptr);
  // The result belongs to the surface only while it still holds that one.
  if (locked_.get() == surface_.ISurface()) surface_.SetLastResult(result);
  locked_.reset();
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
  return *canvas_;
}

// --- Colours.

std::uint32_t TDirectDrawSurface::ColorMatch(std::uint32_t colour) {
  if (!surface_) return 0;
  std::uint32_t saved = Pixel(0, 0);
  std::uint32_t rgb = ColorToRGB(colour);
  // The colour goes through the same drawing context every image does, so
  // the value is what drawing that colour here gives.
  TDIB dib;
  dib.PixelFormat = MakeChannelLayout(8, 8, 8);
  dib.ResizeImage(1, 1, 8);
  dib.ColorTable[0] = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                       static_cast<std::uint8_t>(rgb), 0};
  dib.ApplyColorTable();
  dib.SetPixelValue(0, 0, 0);
  Canvas().Draw(0, 0, dib);
  Canvas().Release();
  std::uint32_t value = Pixel(0, 0);
  SetPixel(0, 0, saved);
  return value;
}

// --- Images.

void TDirectDrawSurface::LoadFromGraphic(TGraphic& graphic) {
  LoadFromGraphicRect(graphic, 0, 0, {0, 0, graphic.Width(), graphic.Height()});
}

void TDirectDrawSurface::LoadFromGraphicRect(TGraphic& graphic, int width, int height,
                                             const RECT& rect) {
  if (width == 0) width = rect.width();
  if (height == 0) height = rect.height();
  SetSize(width, height);
  // An empty image leaves an empty surface: there is nothing to draw on.
  if (!surface_) return;
  if (auto* dib = dynamic_cast<TDIB*>(&graphic)) {
    HDC source = dib->ImageCanvas().Handle();
    StretchBlt(Canvas().Handle(), 0, 0, width, height, source, rect.left, rect.top, rect.width(),
               rect.height(), SRCCOPY);
  } else if (width == rect.width() && height == rect.height()) {
    Canvas().Draw(-rect.left, -rect.top, graphic);
  } else {
    TDIB part;
    part.PixelFormat = MakeChannelLayout(8, 8, 8);
    part.ResizeImage(rect.width(), rect.height(), 24);
    if (!part.Empty()) {
      std::fill_n(part.PixelData(), part.Size(), std::uint8_t{0});
      part.ImageCanvas().Draw(-rect.left, -rect.top, graphic);
      Canvas().StretchDraw({0, 0, width, height}, part);
    }
  }
  Canvas().Release();
}

void TDirectDrawSurface::Assign(const TPersistent* source) {
  if (source == nullptr) {
    Attach(nullptr);
  } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    LoadFromGraphic(const_cast<TGraphic&>(*graphic));
  } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
    // A picture without an image is copied as an empty surface.
    if (picture->Graphic())
      LoadFromGraphic(*picture->Graphic());
    else
      Attach(nullptr);
  } else if (auto* other = dynamic_cast<const TDirectDrawSurface*>(source)) {
    if (!other->ISurface()) {
      Attach(nullptr);
      return;
    }
    ComPtr<DirectDrawSurface> twin;
    device_.SetLastResult(device_.IDDraw().DuplicateSurface(other->ISurface(), twin));
    if (device_.LastResult() == DD_OK) Attach(twin.get());
  } else {
    TDirectX::Assign(source);
  }
}

void TDirectDrawSurface::AssignTo(TPersistent* dest) const {
  if (auto* dib = dynamic_cast<TDIB*>(dest)) {
    // Copying out draws through the canvas, which the surface makes on demand.
    const_cast<TDirectDrawSurface*>(this)->AssignToDIB(*dib);
    return;
  }
  TDirectX::AssignTo(dest);
}

void TDirectDrawSurface::AssignToDIB(TDIB& dib) {
  dib.PixelFormat = MakeChannelLayout(8, 8, 8);
  dib.ResizeImage(Width(), Height(), 24);
  if (dib.Empty()) return;
  TRect all{0, 0, Width(), Height()};
  dib.ImageCanvas().CopyRect(all, Canvas(), all);
  Canvas().Release();
}

}  // namespace corvane
