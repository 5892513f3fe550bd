// The distance fields of the shapes, the paints, and drawing through them.
#include "tools/demodata/shapes.h"

#include <algorithm>
#include <cmath>

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;

Box grow(Box b, double by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }

// Calls f(x, y, px, py) for every pixel of the canvas inside the box, with
// the pixel's centre (px, py).
template <typename F>
void eachPixel(Canvas& c, Box b, F f) {
  const int x0 = std::max(0, static_cast<int>(std::floor(b.x0))), x1 = std::min(c.width() - 1, static_cast<int>(std::ceil(b.x1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(b.y0))), y1 = std::min(c.height() - 1, static_cast<int>(std::ceil(b.y1)));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) f(x, y, x + 0.5, y + 0.5);
}

uint8_t channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

Rgba atStops(const std::vector<Stop>& stops, double t) {
  t = std::clamp(t, 0.0, 1.0);
  if (t <= stops.front().t) return stops.front().c;
  for (size_t k = 1; k < stops.size(); ++k) {
    if (t <= stops[k].t) {
      const double span = stops[k].t - stops[k - 1].t;
      return mixColour(stops[k - 1].c, stops[k].c, span > 0 ? (t - stops[k - 1].t) / span : 1);
    }
  }
  return stops.back().c;
}

}  // namespace

Shape circle(double cx, double cy, double r) {
  return {[=](double x, double y) { return std::hypot(x - cx, y - cy) - r; }, {cx - r, cy - r, cx + r, cy + r}};
}

Shape ellipse(double cx, double cy, double rx, double ry) {
  if (std::abs(rx - ry) < 1e-9) return circle(cx, cy, rx);
  return {[=](double x, double y) {
            const double px = x - cx, py = y - cy;
            const double k0 = std::hypot(px / rx, py / ry);
            const double k1 = std::hypot(px / (rx * rx), py / (ry * ry));
            if (k1 < 1e-12) return -std::min(rx, ry);
            return k0 * (k0 - 1) / k1;
          },
          {cx - rx, cy - ry, cx + rx, cy + ry}};
}

Shape rect(double x, double y, double w, double h) { return roundRect(x, y, w, h, 0); }

Shape roundRect(double x, double y, double w, double h, double radius) {
  const double r = std::min({radius, w / 2, h / 2});
  const double cx = x + w / 2, cy = y + h / 2, hx = w / 2 - r, hy = h / 2 - r;
  return {[=](double px, double py) {
            const double qx = std::abs(px - cx) - hx, qy = std::abs(py - cy) - hy;
            return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
          },
          {x, y, x + w, y + h}};
}

Shape capsule(double x0, double y0, double x1, double y1, double r) {
  return {[=](double x, double y) {
            const double dx = x1 - x0, dy = y1 - y0;
            const double len2 = dx * dx + dy * dy;
            const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0;
            return std::hypot(x - x0 - t * dx, y - y0 - t * dy) - r;
          },
          {std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r}};
}

Shape polygon(std::vector<Point> v) {
  Box b{1e9, 1e9, -1e9, -1e9};
  for (const Point& p : v) b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x), std::max(b.y1, p.y)};
  return {[v = std::move(v)](double x, double y) {
            double d = 1e18;
            bool inside = false;
            for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
              const double ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
              const double wx = x - v[i].x, wy = y - v[i].y;
              const double len2 = ex * ex + ey * ey;
              const double t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0, 1.0) : 0;
              d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
              if ((v[i].y > y) != (v[j].y > y) && x < (v[j].x - v[i].x) * (y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
                inside = !inside;
            }
            return inside ? -d : d;
          },
          b};
}

Shape ring(double cx, double cy, double r, double halfWidth) {
  return {[=](double x, double y) { return std::abs(std::hypot(x - cx, y - cy) - r) - halfWidth; },
          {cx - r - halfWidth, cy - r - halfWidth, cx + r + halfWidth, cy + r + halfWidth}};
}

Shape star(double cx, double cy, double outer, double inner, int points, double turn) {
  std::vector<Point> v;
  for (int k = 0; k < points * 2; ++k) {
    const double a = turn - kPi / 2 + k * kPi / points;
    const double r = k % 2 == 0 ? outer : inner;
    v.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return polygon(std::move(v));
}

Shape unite(Shape a, Shape b) {
  const Box box{std::min(a.box.x0, b.box.x0), std::min(a.box.y0, b.box.y0), std::max(a.box.x1, b.box.x1),
                std::max(a.box.y1, b.box.y1)};
  return {[a = std::move(a.distance), b = std::move(b.distance)](double x, double y) { return std::min(a(x, y), b(x, y)); },
          box};
}

Shape cut(Shape a, Shape b) {
  const Box box = a.box;
  return {[a = std::move(a.distance), b = std::move(b.distance)](double x, double y) { return std::max(a(x, y), -b(x, y)); },
          box};
}

Shape overlap(Shape a, Shape b) {
  const Box box{std::max(a.box.x0, b.box.x0), std::max(a.box.y0, b.box.y0), std::min(a.box.x1, b.box.x1),
                std::min(a.box.y1, b.box.y1)};
  return {[a = std::move(a.distance), b = std::move(b.distance)](double x, double y) { return std::max(a(x, y), b(x, y)); },
          box};
}

Shape moved(Shape s, double dx, double dy) {
  const Box box{s.box.x0 + dx, s.box.y0 + dy, s.box.x1 + dx, s.box.y1 + dy};
  return {[d = std::move(s.distance), dx, dy](double x, double y) { return d(x - dx, y - dy); }, box};
}

Shape mirrored(Shape s, double axis) {
  const Box box{2 * axis - s.box.x1, s.box.y0, 2 * axis - s.box.x0, s.box.y1};
  return {[d = std::move(s.distance), axis](double x, double y) { return d(2 * axis - x, y); }, box};
}

Paint flat(Rgba c) {
  return [c](double, double) { return c; };
}

Paint linear(double x0, double y0, double x1, double y1, std::vector<Stop> stops) {
  const double dx = x1 - x0, dy = y1 - y0, len2 = std::max(1e-9, dx * dx + dy * dy);
  return [=, stops = std::move(stops)](double x, double y) {
    return atStops(stops, ((x - x0) * dx + (y - y0) * dy) / len2);
  };
}

Paint radial(double cx, double cy, double r, std::vector<Stop> stops) {
  return [=, stops = std::move(stops)](double x, double y) { return atStops(stops, std::hypot(x - cx, y - cy) / r); };
}

Rgba mixColour(Rgba a, Rgba b, double t) {
  return {channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t), channel(a.b + (b.b - a.b) * t),
          channel(a.a + (b.a - a.a) * t)};
}

Rgba withAlpha(Rgba c, uint8_t a) { return {c.r, c.g, c.b, a}; }

Rgba shade(Rgba c, double k) {
  const Rgba towards = k > 0 ? Rgba{255, 255, 255, c.a} : Rgba{0, 0, 0, c.a};
  return mixColour(c, towards, std::abs(k));
}

void fillShape(Canvas& c, const Shape& s, const Paint& p) {
  eachPixel(c, grow(s.box, 1), [&](int x, int y, double px, double py) {
    const double cover = std::clamp(0.5 - s.distance(px, py), 0.0, 1.0);
    if (cover > 0) c.blend(x, y, p(px, py), cover);
  });
}

void fillShape(Canvas& c, const Shape& s, Rgba colour) { fillShape(c, s, flat(colour)); }

void strokeShape(Canvas& c, const Shape& s, double width, Rgba colour) {
  eachPixel(c, grow(s.box, width + 1), [&](int x, int y, double px, double py) {
    const double cover = std::clamp(width / 2 + 0.5 - std::abs(s.distance(px, py) + width / 2), 0.0, 1.0);
    if (cover > 0) c.blend(x, y, colour, cover);
  });
}

void shadowShape(Canvas& c, const Shape& s, double dx, double dy, double blur, Rgba colour) {
  Box b = grow(s.box, blur + 1);
  b = {b.x0 + dx, b.y0 + dy, b.x1 + dx, b.y1 + dy};
  eachPixel(c, b, [&](int x, int y, double px, double py) {
    const double d = s.distance(px - dx, py - dy);
    const double t = std::clamp(0.5 - d / std::max(blur, 1.0), 0.0, 1.0);
    if (t > 0) c.blend(x, y, colour, t * t * (3 - 2 * t));
  });
}

void glowShape(Canvas& c, const Shape& s, double radius, Rgba colour) {
  eachPixel(c, grow(s.box, radius + 1), [&](int x, int y, double px, double py) {
    const double d = s.distance(px, py);
    const double t = d <= 0 ? 1.0 : std::clamp(1 - d / radius, 0.0, 1.0);
    if (t > 0) c.blend(x, y, colour, t * t);
  });
}

void solidShape(Canvas& c, const Shape& s, const Paint& p, double edge, Rgba edgeColour) {
  fillShape(c, s, p);
  if (edge > 0) strokeShape(c, s, edge, edgeColour);
}

}  // namespace demodata
