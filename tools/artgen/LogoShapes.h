#pragma once

#include <functional>
#include <vector>

namespace corvane::art {

// Plane shapes for the logo's large letters, as inside tests on continuous coordinates.
// A pixel (x, y) covers the square [x, x + 1) × [y, y + 1).
using Shape = std::function<bool(double x, double y)>;

struct Point {
  double x;
  double y;
};

Shape Rect(double left, double top, double right, double bottom);
Shape RoundedRect(double left, double top, double right, double bottom, double radius);
// A simple polygon, either winding; inside by the even-odd rule.
Shape Polygon(std::vector<Point> corners);
Shape Union(std::vector<Shape> parts);
Shape Difference(Shape kept, Shape removed);
Shape Intersection(Shape a, Shape b);
Shape Translated(Shape shape, double dx, double dy);

// The bold display letters of the title, in a box of width × height from (0, 0), strokes of
// `stroke` pixels. Known letters: C O R V A N E; any other gives an empty shape.
Shape TitleLetter(char letter, double width, double height, double stroke);

// Fraction of the pixel (x, y) that lies inside, sampled on a 4 × 4 grid.
double Coverage(const Shape& shape, int x, int y);

}  // namespace corvane::art
