// The 2D device: a software stand-in for DirectDraw, in its own terms.
//
// A device is made through DirectDrawCreateEx (the version-7 entry point) or
// DirectDrawCreate; it makes surfaces, palettes and clippers, enumerates and
// switches the emulated display modes of the backend's Display, and paces
// presentation with the vertical blank. Drawing on the primary surface is
// what the user sees: every change to it (blit, fill, unlock, a palette
// change) presents it in the cooperative window.
//
// Objects are reference counted as the platform's are, and held through
// ComPtr. Releasing the device ends its surfaces, palettes and clippers as
// well: their memory goes, and every later call on them answers
// DDERR_INVALIDOBJECT instead of touching freed state. Releasing a device
// that set a display mode restores the desktop's mode.
//
// Every call answers a result code and never throws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/DDrawTypes.h"
#include "platform/Display.h"
#include "platform/PixelFormat.h"
#include "platform/User32.h"

namespace corvane::platform {

namespace ddraw {
struct DeviceCore;
struct Storage;
struct SurfaceView;
}  // namespace ddraw

// The reference count every device object carries; the last Release
// destroys the object.
class Unknown {
 public:
  Unknown(const Unknown&) = delete;
  Unknown& operator=(const Unknown&) = delete;
  std::uint32_t AddRef() { return ++references_; }
  std::uint32_t Release() {
    std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  Unknown() = default;
  virtual ~Unknown() = default;

 private:
  std::uint32_t references_ = 1;
};

// Holds one reference to a device object.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Shares `object`, taking a reference of its own.
  explicit ComPtr(T* object) : object_(object) {
    if (object_) object_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference the caller holds already.
  static ComPtr adopt(T* object) {
    ComPtr held;
    held.object_ = object;
    return held;
  }
  void reset() {
    if (T* object = std::exchange(object_, nullptr)) object->Release();
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }
  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.object_ == b.object_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.object_ == nullptr; }

 private:
  T* object_ = nullptr;
};

class DirectDrawSurface;
class DirectDrawPalette;
class DirectDrawClipper;

// Called for each display mode; answers DDENUMRET_OK for the next one or
// DDENUMRET_CANCEL to stop.
using EnumModesCallback = std::function<HRESULT(const DDSURFACEDESC2& mode)>;

class DirectDraw final : public Unknown {
 public:
  // Every interface version is this one object, except those the display
  // refuses (Display::setRefusedInterfaces): E_NOINTERFACE.
  HRESULT QueryInterface(InterfaceId id, ComPtr<DirectDraw>& out);
  // Either record may be null, not both; their size fields must be 380.
  HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation);

  // DDSCL_NORMAL, or DDSCL_EXCLUSIVE with DDSCL_FULLSCREEN and a window.
  HRESULT SetCooperativeLevel(HWND window, std::uint32_t flags);
  HRESULT EnumDisplayModes(std::uint32_t flags, const DDSURFACEDESC2* filter,
                           const EnumModesCallback& callback);
  HRESULT GetDisplayMode(DDSURFACEDESC2* desc);
  // Needs exclusive use; the mode must be one that EnumDisplayModes offers.
  HRESULT SetDisplayMode(std::uint32_t width, std::uint32_t height, std::uint32_t bitCount,
                         std::uint32_t refreshRate = 0, std::uint32_t flags = 0);
  HRESULT RestoreDisplayMode();
  // DDWAITVB_BLOCKBEGIN or DDWAITVB_BLOCKEND: the next presentation waits
  // for the vertical blank (see Display::waitVerticalBlank).
  HRESULT WaitForVerticalBlank(std::uint32_t flags, void* event = nullptr);
  // There are no flipping chains, so the desktop's surface is always the one shown.
  HRESULT FlipToGDISurface();

  HRESULT CreateSurface(const DDSURFACEDESC2* desc, ComPtr<DirectDrawSurface>& out);
  // One of DDPCAPS_1BIT, 2BIT, 4BIT or 8BIT, and that many entries.
  HRESULT CreatePalette(std::uint32_t flags, const PALETTEENTRY* entries,
                        ComPtr<DirectDrawPalette>& out);
  HRESULT CreateClipper(std::uint32_t flags, ComPtr<DirectDrawClipper>& out);
  // A second surface over the same pixels (not for the primary surface).
  HRESULT DuplicateSurface(DirectDrawSurface* source, ComPtr<DirectDrawSurface>& out);

 private:
  friend HRESULT MakeDirectDraw(const GUID* guid, ComPtr<DirectDraw>& out);
  explicit DirectDraw(std::shared_ptr<ddraw::DeviceCore> core);
  ~DirectDraw() override;
  HRESULT leaveExclusive();

  std::shared_ptr<ddraw::DeviceCore> core_;
};

class DirectDrawSurface final : public Unknown {
 public:
  // As for the device: the one object, unless the display refuses the id.
  HRESULT QueryInterface(InterfaceId id, ComPtr<DirectDrawSurface>& out);

  // Copies `sourceRect` of `source` (null: all of it) to `destRect` of this
  // surface (null: all of it), stretching nearest-neighbour; or with
  // DDBLT_COLORFILL fills `destRect` with fx->dwFillColor. DDBLT_KEYSRC skips
  // source pixels matching the source's colour key (DDBLT_KEYSRCOVERRIDE:
  // fx->ddckSrcColorkey); DDBLT_DDFX mirrors by fx->dwDDFX. With a clipper
  // attached the destination is clipped to its list; without one it must
  // lie inside the surface.
  HRESULT Blt(const RECT* destRect, DirectDrawSurface* source, const RECT* sourceRect,
              std::uint32_t flags, const DDBLTFX* fx);
  // An unstretched copy to (x, y), optionally keyed (DDBLTFAST_SRCCOLORKEY);
  // it cannot clip, so a surface with a clipper answers DDERR_BLTFASTCANTCLIP.
  HRESULT BltFast(std::uint32_t x, std::uint32_t y, DirectDrawSurface* source,
                  const RECT* sourceRect, std::uint32_t trans);

  // Direct access to the pixels of `rect` (null: all). Locks do not nest: a
  // second Lock before Unlock answers DDERR_SURFACEBUSY.
  HRESULT Lock(const RECT* rect, DDSURFACEDESC2* desc, std::uint32_t flags,
               void* event = nullptr);
  HRESULT Unlock(const RECT* rect = nullptr);

  // DDCKEY_SRCBLT or DDCKEY_DESTBLT, with DDCKEY_COLORSPACE for a range;
  // a null key removes it.
  HRESULT SetColorKey(std::uint32_t flags, const DDCOLORKEY* key);
  HRESULT GetColorKey(std::uint32_t flags, DDCOLORKEY* key);
  // Indexed surfaces only; null detaches.
  HRESULT SetPalette(DirectDrawPalette* palette);
  HRESULT GetPalette(ComPtr<DirectDrawPalette>& out);
  HRESULT SetClipper(DirectDrawClipper* clipper);
  HRESULT GetClipper(ComPtr<DirectDrawClipper>& out);

  HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
  HRESULT GetPixelFormat(DDPIXELFORMAT* format);
  HRESULT GetCaps(DDSCAPS2* caps);
  // DD_OK, or DDERR_SURFACELOST while the surface's memory is gone.
  HRESULT IsLost();
  // Gives a lost surface its memory back (contents zero); a surface that is
  // not lost restores successfully. A primary made in another display mode
  // cannot be restored (DDERR_WRONGMODE).
  HRESULT Restore();

 private:
  friend class DirectDraw;
  friend struct ddraw::DeviceCore;
  explicit DirectDrawSurface(std::shared_ptr<ddraw::DeviceCore> core);
  ~DirectDrawSurface() override;

  HRESULT usable() const;
  bool isPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
  bool busy() const { return locked_; }
  ddraw::SurfaceView view() const;
  RECT bounds() const { return {0, 0, width_, height_}; }
  std::optional<std::vector<RECT>> clipRects(HRESULT& result) const;
  HRESULT blitFrom(DirectDrawSurface& source, const RECT& destRect, const RECT& sourceRect,
                   std::uint32_t ddfx, const std::optional<DDCOLORKEY>& key, bool clip);
  HRESULT fillRect(const RECT& destRect, std::uint32_t raw);
  void describe(DDSURFACEDESC2& desc) const;
  void changed();
  void detach();

  std::shared_ptr<ddraw::DeviceCore> core_;
  std::shared_ptr<ddraw::Storage> storage_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t pitch_ = 0;
  PixelFormat format_;
  std::uint32_t caps_ = 0;
  std::uint64_t videoBytes_ = 0;
  std::optional<DDCOLORKEY> sourceKey_;
  std::optional<DDCOLORKEY> destKey_;
  ComPtr<DirectDrawPalette> palette_;
  ComPtr<DirectDrawClipper> clipper_;
  bool locked_ = false;
  bool lockedReadOnly_ = false;
  std::uint32_t generation_ = 0;
  DisplayMode mode_;  // the display mode a primary surface was made in
};

class DirectDrawPalette final : public Unknown {
 public:
  HRESULT GetCaps(std::uint32_t* caps);
  HRESULT GetEntries(std::uint32_t flags, std::uint32_t start, std::uint32_t count,
                     PALETTEENTRY* entries);
  HRESULT SetEntries(std::uint32_t flags, std::uint32_t start, std::uint32_t count,
                     const PALETTEENTRY* entries);

  // The entries as 0x00RRGGBB, for presentation.
  std::vector<std::uint32_t> colours() const;

 private:
  friend class DirectDraw;
  friend class DirectDrawSurface;
  DirectDrawPalette(std::shared_ptr<ddraw::DeviceCore> core, std::uint32_t caps,
                    const PALETTEENTRY* entries, std::uint32_t count);
  ~DirectDrawPalette() override = default;

  std::shared_ptr<ddraw::DeviceCore> core_;
  std::uint32_t caps_ = 0;
  std::vector<PALETTEENTRY> entries_;
};

class DirectDrawClipper final : public Unknown {
 public:
  // Clips to the window's client area in screen coordinates, as it is at
  // each blit (a window that is gone clips everything away).
  HRESULT SetHWnd(std::uint32_t flags, HWND window);
  HRESULT GetHWnd(HWND* window);
  // An explicit list of rectangles; null clears it. Not while bound to a window.
  HRESULT SetClipList(const RECT* rects, std::uint32_t count, std::uint32_t flags = 0);
  // The rectangles in force, limited to `restrictTo` when given;
  // DDERR_NOCLIPLIST when neither a window nor a list was set.
  HRESULT GetClipList(const RECT* restrictTo, std::vector<RECT>& rects);

 private:
  friend class DirectDraw;
  friend class DirectDrawSurface;
  explicit DirectDrawClipper(std::shared_ptr<ddraw::DeviceCore> core);
  ~DirectDrawClipper() override = default;

  std::shared_ptr<ddraw::DeviceCore> core_;
  HWND window_ = 0;
  std::optional<std::vector<RECT>> list_;
};

// The entry points. `guid` names a display device; only the default one
// (null) exists. DirectDrawCreateEx wants IID_IDirectDraw7.
HRESULT DirectDrawCreateEx(const GUID* guid, ComPtr<DirectDraw>& out, InterfaceId id);
HRESULT DirectDrawCreate(const GUID* guid, ComPtr<DirectDraw>& out);
// Their types, for callers that find them by name in "DDraw.dll".
using DirectDrawCreateExProc = HRESULT (*)(const GUID*, ComPtr<DirectDraw>&, InterfaceId);
using DirectDrawCreateProc = HRESULT (*)(const GUID*, ComPtr<DirectDraw>&);

// Conversions between the description record's pixel format and ours;
// nullopt for a record that describes no usable format.
DDPIXELFORMAT ToDDPixelFormat(const PixelFormat& format);
std::optional<PixelFormat> FromDDPixelFormat(const DDPIXELFORMAT& format);

}  // namespace corvane::platform
