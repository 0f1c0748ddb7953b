// A small 8-bit drawing surface for the painter, and shapes given as signed distance functions
// (negative inside) so that each picture can be drawn at any scale with one-pixel outlines.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sheet {

struct Image {
  Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint8_t At(int x, int y) const { return Inside(x, y) ? pixels[y * width + x] : 0; }
  void Set(int x, int y, uint8_t index) {
    if (Inside(x, y)) pixels[y * width + x] = index;
  }
  void FillRect(int x0, int y0, int x1, int y1, uint8_t index);  // right and bottom exclusive
  // Copies the non-zero pixels of `src` with its top-left at (x, y).
  void Stamp(const Image& src, int x, int y);

  int width;
  int height;
  std::vector<uint8_t> pixels;
};

// Distance from a design-space point to a shape's edge, negative inside.
using Shape = std::function<double(double x, double y)>;
// Colour of a design-space point inside a shape; `depth` is how far inside, in pixels.
using Fill = std::function<uint8_t(double x, double y, double depth)>;

Shape Circle(double cx, double cy, double r);
Shape Ellipse(double cx, double cy, double rx, double ry);
Shape Box(double x0, double y0, double x1, double y1, double radius = 0);
Shape Segment(double ax, double ay, double bx, double by, double halfWidth);
// A convex polygon, corners in either winding order.
Shape Convex(std::vector<std::pair<double, double>> corners);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);

// Maps image pixels to design space: the centre of pixel (px, py) is at
// ((px + 0.5) / scaleX + originX, (py + 0.5) / scaleY + originY).
struct View {
  double scaleX = 1;
  double scaleY = 1;
  double originX = 0;
  double originY = 0;
};

// Paints every pixel whose centre lies inside `shape`: the outermost pixel ring in `outline`
// (skipped when it is 0), the rest from `fill`.
void Paint(Image& image, const View& view, const Shape& shape, const Fill& fill, uint8_t outline);
inline Fill Solid(uint8_t index) {
  return [index](double, double, double) { return index; };
}

// A one-pixel line between pixel centres.
void Line(Image& image, int x0, int y0, int x1, int y1, uint8_t index);

}  // namespace sheet
