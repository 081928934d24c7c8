#include "Relief.h"

#include <algorithm>
#include <cmath>

namespace corvane::art {

Relief::Relief(const Shape& shape, Bounds bounds, double bevelWidth)
    : bounds_(bounds),
      bevelWidth_(bevelWidth),
      fineWidth_((bounds.right - bounds.left) * Fine),
      fineHeight_((bounds.bottom - bounds.top) * Fine) {
  fine_.resize(static_cast<std::size_t>(fineWidth_) * static_cast<std::size_t>(fineHeight_));
  for (int fy = 0; fy < fineHeight_; ++fy) {
    for (int fx = 0; fx < fineWidth_; ++fx) {
      fine_[static_cast<std::size_t>(fy * fineWidth_ + fx)] =
          shape(bounds.left + (fx + 0.5) / Fine, bounds.top + (fy + 0.5) / Fine);
    }
  }
  const int width = bounds.right - bounds.left;
  heights_.assign(static_cast<std::size_t>(width * (bounds.bottom - bounds.top)), 0.0);
  for (int y = bounds.top; y < bounds.bottom; ++y) {
    for (int x = bounds.left; x < bounds.right; ++x) {
      int samples = 0;
      for (int sy = 0; sy < Fine; ++sy) {
        for (int sx = 0; sx < Fine; ++sx) samples += fineInside((x - bounds.left) * Fine + sx, (y - bounds.top) * Fine + sy);
      }
      if (samples * 2 < Fine * Fine) continue;
      heights_[static_cast<std::size_t>((y - bounds.top) * width + (x - bounds.left))] =
          std::max(edgeDistance(x, y), 0.25);
    }
  }
}

bool Relief::fineInside(int fx, int fy) const {
  if (fx < 0 || fy < 0 || fx >= fineWidth_ || fy >= fineHeight_) return false;
  return fine_[static_cast<std::size_t>(fy * fineWidth_ + fx)];
}

// Distance from the pixel's centre to the nearest fine sample outside, capped at the bevel.
double Relief::edgeDistance(int x, int y) const {
  const int reach = static_cast<int>(std::ceil(bevelWidth_ * Fine));
  const double centreX = (x - bounds_.left + 0.5) * Fine - 0.5;
  const double centreY = (y - bounds_.top + 0.5) * Fine - 0.5;
  const int cx = (x - bounds_.left) * Fine + Fine / 2;
  const int cy = (y - bounds_.top) * Fine + Fine / 2;
  double best = bevelWidth_ * Fine;
  for (int fy = cy - reach; fy <= cy + reach; ++fy) {
    for (int fx = cx - reach; fx <= cx + reach; ++fx) {
      if (fineInside(fx, fy)) continue;
      best = std::min(best, std::hypot(fx - centreX, fy - centreY));
    }
  }
  return best / Fine;
}

bool Relief::covers(int x, int y) const { return height(x, y) > 0.0; }

double Relief::height(int x, int y) const {
  if (x < bounds_.left || y < bounds_.top || x >= bounds_.right || y >= bounds_.bottom) return 0.0;
  const int width = bounds_.right - bounds_.left;
  return heights_[static_cast<std::size_t>((y - bounds_.top) * width + (x - bounds_.left))];
}

}  // namespace corvane::art
