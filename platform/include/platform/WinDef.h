// Basic value types that several platform areas share: result codes and
// rectangles, with the platform's own layout and meaning.
#pragma once

#include <algorithm>
#include <cstdint>

namespace corvane::platform {

// A 32-bit result code: 0 (and any other non-negative value) is success.
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// Right and bottom are exclusive; the rectangle is empty when left >= right
// or top >= bottom.
struct RECT {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  constexpr std::int32_t width() const { return right - left; }
  constexpr std::int32_t height() const { return bottom - top; }
  constexpr bool empty() const { return left >= right || top >= bottom; }
  friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

// The common part of two rectangles (empty when they do not meet).
constexpr RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// Whether `inner` lies wholly inside `outer`.
constexpr bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace corvane::platform
