// Shapes and paints for the canvas. A shape is a signed distance field (in
// pixels, negative inside) with the box it covers, so that one rule gives
// every shape a smooth edge, an outline of any width, a soft shadow and a
// glow; a paint is the colour at a point (flat, or a gradient).
#pragma once

#include <functional>
#include <vector>

#include "tools/demodata/canvas.h"

namespace demodata {

struct Box {
  double x0, y0, x1, y1;
};

struct Shape {
  std::function<double(double x, double y)> distance;
  Box box;
};

struct Point {
  double x, y;
};

Shape circle(double cx, double cy, double r);
Shape ellipse(double cx, double cy, double rx, double ry);
Shape rect(double x, double y, double w, double h);
Shape roundRect(double x, double y, double w, double h, double radius);
// A line of round ends, r wide on either side of the segment.
Shape capsule(double x0, double y0, double x1, double y1, double r);
// Any simple polygon, corners in order (either turn).
Shape polygon(std::vector<Point> corners);
Shape ring(double cx, double cy, double r, double halfWidth);
// A star of n points, its first point straight up turned by `turn` radians.
Shape star(double cx, double cy, double outer, double inner, int points, double turn = 0);
Shape unite(Shape a, Shape b);
Shape cut(Shape a, Shape b);  // a without b
Shape overlap(Shape a, Shape b);
Shape moved(Shape s, double dx, double dy);
// The shape mirrored about the vertical line x = axis.
Shape mirrored(Shape s, double axis);

using Paint = std::function<Rgba(double x, double y)>;
Paint flat(Rgba c);
// Colour stops along the line from (x0, y0) to (x1, y1), t in 0..1.
struct Stop {
  double t;
  Rgba c;
};
Paint linear(double x0, double y0, double x1, double y1, std::vector<Stop> stops);
Paint radial(double cx, double cy, double r, std::vector<Stop> stops);

Rgba mixColour(Rgba a, Rgba b, double t);
Rgba withAlpha(Rgba c, uint8_t a);
// Lighter (k > 0) or darker (k < 0) by a share of the way to white or black.
Rgba shade(Rgba c, double k);

// Drawing through shapes.
void fillShape(Canvas& c, const Shape& s, const Paint& p);
void fillShape(Canvas& c, const Shape& s, Rgba colour);
void strokeShape(Canvas& c, const Shape& s, double width, Rgba colour);
// A blurred copy under the shape, offset by (dx, dy).
void shadowShape(Canvas& c, const Shape& s, double dx, double dy, double blur, Rgba colour);
// A halo that fades over `radius` pixels outside the shape.
void glowShape(Canvas& c, const Shape& s, double radius, Rgba colour);
// The shape filled, with an outline of `edge` pixels just inside its border.
void solidShape(Canvas& c, const Shape& s, const Paint& p, double edge, Rgba edgeColour);

}  // namespace demodata
