// The device object, and the palettes and clippers made on it.
#include "graphics/DirectDraw.h"

#include <algorithm>

#include "graphics/DirectDrawSurface.h"

namespace corvane {

using namespace platform;

namespace {

[[noreturn]] void NotInitialized() {
  throw EDirectDrawError(Format("%s cannot be initialized", "DirectDraw"));
}

template <class T>
void Unregister(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

}  // namespace

TDirectDraw::TDirectDraw(const GUID* guid, bool directX7Mode) {
  if (directX7Mode) {
    auto create = reinterpret_cast<DirectDrawCreateExProc>(
        LoadLibraryCache(DirectDrawLibraryName, "DirectDrawCreateEx"));
    if (create(guid, iddraw7_, IID_IDirectDraw7) != DD_OK || !iddraw7_) NotInitialized();
    if (iddraw7_->QueryInterface(IID_IDirectDraw, iddraw_) != DD_OK ||
        iddraw7_->QueryInterface(IID_IDirectDraw4, iddraw4_) != DD_OK)
      throw EDirectDrawError("Necessary since DirectX 7");
  } else {
    auto create = reinterpret_cast<DirectDrawCreateProc>(
        LoadLibraryCache(DirectDrawLibraryName, "DirectDrawCreate"));
    if (create(guid, iddraw_) != DD_OK || !iddraw_) NotInitialized();
    if (iddraw_->QueryInterface(IID_IDirectDraw4, iddraw4_) != DD_OK)
      throw EDirectDrawError("Necessary since DirectX 6");
  }
  driverCaps_.dwSize = sizeof(DDCAPS);
  helCaps_.dwSize = sizeof(DDCAPS);
  // Devices that cannot describe themselves are still usable.
  iddraw_->GetCaps(&driverCaps_, &helCaps_);
}

TDirectDraw::~TDirectDraw() {
  // Each object takes itself off its list as it goes.
  while (!surfaces_.empty()) delete surfaces_.back();
  while (!palettes_.empty()) delete palettes_.back();
  while (!clippers_.empty()) delete clippers_.back();
}

DirectDraw& TDirectDraw::IDDraw() const {
  if (!iddraw_) throw EDirectDrawError(Format("%s not made", "IDirectDraw"));
  return *iddraw_;
}

DirectDraw& TDirectDraw::IDDraw7() const {
  if (!iddraw7_) throw EDirectDrawError(Format("%s not made", "IDirectDraw7"));
  return *iddraw7_;
}

// --- Palettes.

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw& device) : device_(device) {
  device_.palettes_.push_back(this);
}

TDirectDrawPalette::~TDirectDrawPalette() { Unregister(device_.palettes_, this); }

bool TDirectDrawPalette::CreatePalette(std::uint32_t caps, const PALETTEENTRY* entries) {
  palette_.reset();
  ComPtr<DirectDrawPalette> made;
  device_.SetLastResult(device_.IDDraw().CreatePalette(caps, entries, made));
  SetLastResult(device_.LastResult());
  if (LastResult() == DD_OK) palette_ = std::move(made);
  return LastResult() == DD_OK;
}

bool TDirectDrawPalette::SetEntries(int startIndex, int count, const PALETTEENTRY* entries) {
  if (!palette_ || startIndex < 0 || count < 0) return false;
  SetLastResult(palette_->SetEntries(0, static_cast<std::uint32_t>(startIndex),
                                     static_cast<std::uint32_t>(count), entries));
  return LastResult() == DD_OK;
}

DirectDrawPalette& TDirectDrawPalette::IDDPalette() const {
  if (!palette_) throw EDirectDrawPaletteError(Format("%s not made", "IDirectDrawPalette"));
  return *palette_;
}

// --- Clippers.

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw& device) : device_(device) {
  device_.SetLastResult(device_.IDDraw().CreateClipper(0, clipper_));
  if (device_.LastResult() != DD_OK)
    throw EDirectDrawClipperError(Format("%s cannot be made", "Clipper"));
  device_.clippers_.push_back(this);
}

TDirectDrawClipper::~TDirectDrawClipper() { Unregister(device_.clippers_, this); }

void TDirectDrawClipper::SetHandle(HWND window) {
  if (clipper_) SetLastResult(clipper_->SetHWnd(0, window));
}

DirectDrawClipper& TDirectDrawClipper::IDDClipper() const {
  if (!clipper_) throw EDirectDrawClipperError(Format("%s not made", "IDirectDrawClipper"));
  return *clipper_;
}

}  // namespace corvane
