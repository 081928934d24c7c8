// The specialised row routines of the renderer (DXRenderLoops.cpp).
#pragma once

#include "graphics/DXRender.h"

namespace corvane::render {

// The routine for the pipeline's views, kind and colour-key use when a
// specialised loop covers them; null otherwise.
PipelineRows ChooseSpecialisedRows(const PixelPipeline& pipeline);

// The source-alpha mix of one channel pair as the rules give it: red and
// green by (c1 * a + c2 * (255 - a)) >> 8, blue by c2 + floor((c1 - c2) * a / 256).
inline std::uint32_t MixPaired(std::uint32_t c1, std::uint32_t c2, std::uint32_t a) {
  return (c1 * a + c2 * (255 - a)) >> 8;
}
inline std::uint32_t MixLone(std::uint32_t c1, std::uint32_t c2, std::uint32_t a) {
  // C++20 shifts negative values arithmetically: a floor division by 256.
  int difference = static_cast<int>(c1) - static_cast<int>(c2);
  return static_cast<std::uint32_t>(static_cast<int>(c2) + ((difference * static_cast<int>(a)) >> 8));
}

}  // namespace corvane::render
