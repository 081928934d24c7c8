// The description of an off-screen surface in a given pixel format, as the
// tests of the 2D device and its users ask for one.
#pragma once

#include <cstdint>

#include "platform/DDraw.h"

namespace corvane::test {

inline platform::DDSURFACEDESC2 OffscreenDesc(int width, int height,
                                              const platform::PixelFormat& format,
                                              std::uint32_t caps = platform::DDSCAPS_OFFSCREENPLAIN) {
  platform::DDSURFACEDESC2 desc;
  desc.dwFlags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT |
                 platform::DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<std::uint32_t>(width);
  desc.dwHeight = static_cast<std::uint32_t>(height);
  desc.ddpfPixelFormat = platform::ToDDPixelFormat(format);
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

}  // namespace corvane::test
