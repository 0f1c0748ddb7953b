#include "tools/sheet/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sheet {

void Image::FillRect(int x0, int y0, int x1, int y1, uint8_t index) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) Set(x, y, index);
  }
}

void Image::Stamp(const Image& src, int x, int y) {
  for (int sy = 0; sy < src.height; ++sy) {
    for (int sx = 0; sx < src.width; ++sx) {
      if (uint8_t v = src.At(sx, sy)) Set(x + sx, y + sy, v);
    }
  }
}

Shape Circle(double cx, double cy, double r) {
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape Ellipse(double cx, double cy, double rx, double ry) {
  // Scaled by the smaller radius: close enough to a distance for one-pixel outlines.
  const double k = std::min(rx, ry);
  return [=](double x, double y) { return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1) * k; };
}

Shape Box(double x0, double y0, double x1, double y1, double radius) {
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  return [=](double x, double y) {
    const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
           radius;
  };
}

Shape Segment(double ax, double ay, double bx, double by, double halfWidth) {
  return [=](double x, double y) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(x - ax - t * dx, y - ay - t * dy) - halfWidth;
  };
}

Shape Convex(std::vector<std::pair<double, double>> corners) {
  // Signed area decides which side of each edge is inside.
  double area = 0;
  for (size_t i = 0; i < corners.size(); ++i) {
    const auto& [ax, ay] = corners[i];
    const auto& [bx, by] = corners[(i + 1) % corners.size()];
    area += ax * by - bx * ay;
  }
  const double sign = area > 0 ? 1 : -1;
  return [corners, sign](double x, double y) {
    double d = -1e9;
    for (size_t i = 0; i < corners.size(); ++i) {
      const auto& [ax, ay] = corners[i];
      const auto& [bx, by] = corners[(i + 1) % corners.size()];
      const double len = std::hypot(bx - ax, by - ay);
      // Outward normal distance of the point from this edge.
      const double side = sign * ((x - ax) * (by - ay) - (y - ay) * (bx - ax)) / len;
      d = std::max(d, side);
    }
    return d;
  };
}

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Shape Subtract(Shape a, Shape b) {
  return [=](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

void Paint(Image& image, const View& view, const Shape& shape, const Fill& fill, uint8_t outline) {
  // Distances are measured in design units; one image pixel spans 1/scale of them.
  const double unit = 1.0 / std::min(view.scaleX, view.scaleY);
  for (int py = 0; py < image.height; ++py) {
    for (int px = 0; px < image.width; ++px) {
      const double x = (px + 0.5) / view.scaleX + view.originX;
      const double y = (py + 0.5) / view.scaleY + view.originY;
      const double d = shape(x, y);
      if (d > 0) continue;
      const double depth = -d / unit;
      if (outline != 0 && depth < 1.0) {
        image.Set(px, py, outline);
      } else {
        image.Set(px, py, fill(x, y, depth));
      }
    }
  }
}

void Line(Image& image, int x0, int y0, int x1, int y1, uint8_t index) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    image.Set(x0, y0, index);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

}  // namespace sheet
