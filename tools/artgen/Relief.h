#pragma once

#include <vector>

#include "LogoShapes.h"

namespace corvane::art {

// A shape sampled four times finer than the pixels within `bounds`, and the relief of a
// chisel cut along its edges: each covered pixel rises with its distance from the edge up
// to `bevelWidth`, so the slope of the relief tells which way a bevel faces. Measuring the
// distance on the fine samples keeps the slope steady along curves and diagonals.
class Relief {
 public:
  struct Bounds {
    int left;
    int top;
    int right;
    int bottom;
  };

  Relief(const Shape& shape, Bounds bounds, double bevelWidth);

  // True when at least half of the pixel lies inside the shape.
  bool covers(int x, int y) const;
  // 0 for pixels not covered, else the distance of the pixel's centre from the edge.
  double height(int x, int y) const;

 private:
  static constexpr int Fine = 4;

  bool fineInside(int fx, int fy) const;
  double edgeDistance(int x, int y) const;

  Bounds bounds_;
  double bevelWidth_;
  int fineWidth_;
  int fineHeight_;
  std::vector<bool> fine_;
  std::vector<double> heights_;
};

}  // namespace corvane::art
