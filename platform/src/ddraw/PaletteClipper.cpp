// Palettes and clippers.
#include <algorithm>
#include <exception>

#include "DeviceCore.h"
#include "platform/Platform.h"

namespace corvane::platform {

DirectDrawPalette::DirectDrawPalette(std::shared_ptr<ddraw::DeviceCore> core, std::uint32_t caps,
                                     const PALETTEENTRY* entries, std::uint32_t count)
    : core_(std::move(core)), caps_(caps), entries_(entries, entries + count) {}

HRESULT DirectDrawPalette::GetCaps(std::uint32_t* caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  *caps = caps_;
  return DD_OK;
}

HRESULT DirectDrawPalette::GetEntries(std::uint32_t flags, std::uint32_t start,
                                      std::uint32_t count, PALETTEENTRY* entries) {
  if (flags != 0 || !entries || std::uint64_t{start} + count > entries_.size())
    return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  std::copy_n(entries_.begin() + start, count, entries);
  return DD_OK;
}

HRESULT DirectDrawPalette::SetEntries(std::uint32_t flags, std::uint32_t start,
                                      std::uint32_t count, const PALETTEENTRY* entries) {
  if (flags != 0 || !entries || std::uint64_t{start} + count > entries_.size())
    return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  std::copy_n(entries, count, entries_.begin() + start);
  core_->paletteChanged(this);
  return DD_OK;
}

std::vector<std::uint32_t> DirectDrawPalette::colours() const {
  std::vector<std::uint32_t> out;
  out.reserve(entries_.size());
  for (const PALETTEENTRY& e : entries_) out.push_back(PackXrgb({e.peRed, e.peGreen, e.peBlue}));
  return out;
}

DirectDrawClipper::DirectDrawClipper(std::shared_ptr<ddraw::DeviceCore> core)
    : core_(std::move(core)) {}

HRESULT DirectDrawClipper::SetHWnd(std::uint32_t flags, HWND window) {
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  window_ = window;
  return DD_OK;
}

HRESULT DirectDrawClipper::GetHWnd(HWND* window) {
  if (!window) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  *window = window_;
  return DD_OK;
}

HRESULT DirectDrawClipper::SetClipList(const RECT* rects, std::uint32_t count,
                                       std::uint32_t flags) {
  if (flags != 0 || (rects == nullptr && count != 0)) return DDERR_INVALIDPARAMS;
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (window_) return DDERR_CLIPPERISUSINGHWND;
  if (rects)
    list_.emplace(rects, rects + count);
  else
    list_.reset();
  return DD_OK;
}

HRESULT DirectDrawClipper::GetClipList(const RECT* restrictTo, std::vector<RECT>& rects) {
  rects.clear();
  if (!core_->usable()) return DDERR_INVALIDOBJECT;
  if (window_)
    rects.push_back(ddraw::WindowClientRect(window_));
  else if (list_)
    rects = *list_;
  else
    return DDERR_NOCLIPLIST;
  if (restrictTo)
    for (RECT& r : rects) r = Intersect(r, *restrictTo);
  std::erase_if(rects, [](const RECT& r) { return r.empty(); });
  return DD_OK;
}

RECT ddraw::WindowClientRect(HWND window) {
  if (window == 0 || !IsInstalled()) return {};
  // The headless window system refuses handles it does not know; a window
  // that is gone has no client area.
  try {
    WindowSystem& windows = Current().windows();
    Point origin = windows.clientOrigin(window);
    Size size = windows.clientSize(window);
    return {origin.x, origin.y, origin.x + size.width, origin.y + size.height};
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace corvane::platform
