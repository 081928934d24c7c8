#include "LogoShapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane::art {

Shape Rect(double left, double top, double right, double bottom) {
  return [=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; };
}

Shape RoundedRect(double left, double top, double right, double bottom, double radius) {
  return [=](double x, double y) {
    if (x < left || x >= right || y < top || y >= bottom) return false;
    const double cx = std::clamp(x, left + radius, right - radius);
    const double cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Polygon(std::vector<Point> corners) {
  return [corners = std::move(corners)](double x, double y) {
    bool inside = false;
    if (corners.empty()) return inside;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      const Point& a = corners[i];
      const Point& b = corners[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
  };
}

Shape Union(std::vector<Shape> parts) {
  return [parts = std::move(parts)](double x, double y) {
    return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
  };
}

Shape Difference(Shape kept, Shape removed) {
  return [=](double x, double y) { return kept(x, y) && !removed(x, y); };
}

Shape Intersection(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Shape Translated(Shape shape, double dx, double dy) {
  return [=](double x, double y) { return shape(x - dx, y - dy); };
}

double Coverage(const Shape& shape, int x, int y) {
  int hits = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) hits += shape(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0) ? 1 : 0;
  }
  return hits / 16.0;
}

namespace {

Shape Ring(double w, double h, double s, double radius) {
  return Difference(RoundedRect(0, 0, w, h, radius), RoundedRect(s, s, w - s, h - s, std::max(radius - s, 1.0)));
}

Shape LetterO(double w, double h, double s) { return Ring(w, h, s, w * 0.42); }

Shape LetterC(double w, double h, double s) {
  return Difference(Ring(w, h, s, w * 0.42), Rect(w * 0.55, h * 0.36, w + 1, h * 0.64));
}

Shape LetterR(double w, double h, double s) {
  const double bowl = h * 0.56;
  const Shape bowlRing = Ring(w, bowl, s, w * 0.36);
  const double legTop = bowl - s;
  const double legWidth = s * 1.2;
  return Union({Rect(0, 0, s, h), Rect(0, 0, w * 0.5, s), Rect(0, legTop, w * 0.5, bowl), bowlRing,
                Polygon({{w * 0.30, legTop}, {w * 0.30 + legWidth, legTop}, {w, h}, {w - legWidth, h}})});
}

Shape LetterV(double w, double h, double s) {
  const double foot = s * 1.1;
  const Shape outer = Polygon({{0, 0}, {w, 0}, {(w + foot) / 2, h}, {(w - foot) / 2, h}});
  const double side = s * 1.1;
  return Difference(outer, Polygon({{side, -1}, {w - side, -1}, {w / 2, h - s * 1.35}}));
}

Shape LetterA(double w, double h, double s) {
  const double apex = s * 1.1;
  const Shape outer = Polygon({{(w - apex) / 2, 0}, {(w + apex) / 2, 0}, {w, h}, {0, h}});
  const double side = s * 1.1;
  const Shape counter = Polygon({{w / 2, s * 1.35}, {w - side, h + 1}, {side, h + 1}});
  const double barTop = h * 0.60;
  return Union({Difference(outer, counter), Intersection(outer, Rect(0, barTop, w, barTop + s * 0.85))});
}

Shape LetterN(double w, double h, double s) {
  const double diagonal = s * 1.25;
  return Union({Rect(0, 0, s, h), Rect(w - s, 0, w, h), Polygon({{0, 0}, {diagonal, 0}, {w, h}, {w - diagonal, h}})});
}

Shape LetterE(double w, double h, double s) {
  return Union({Rect(0, 0, s, h), Rect(0, 0, w, s), Rect(0, h - s, w, h),
                Rect(0, (h - s) / 2, w * 0.80, (h + s) / 2)});
}

}  // namespace

Shape TitleLetter(char letter, double width, double height, double stroke) {
  switch (letter) {
    case 'C': return LetterC(width, height, stroke);
    case 'O': return LetterO(width, height, stroke);
    case 'R': return LetterR(width, height, stroke);
    case 'V': return LetterV(width, height, stroke);
    case 'A': return LetterA(width, height, stroke);
    case 'N': return LetterN(width, height, stroke);
    case 'E': return LetterE(width, height, stroke);
    default: return [](double, double) { return false; };
  }
}

}  // namespace corvane::art
