// Shapes: span rasterizers. Pure functions from a shape to the ordered list of Spans it covers.
//
// Conventions: rectangles have bottom and right exclusive; a pixel (x, y) stands for the point
// (x + 0.5, y + 0.5); results list rows in ascending order and runs within a row from left to right.
// Every pixel is fixed by the integer and double-precision rules of each function, so the spans are
// deterministic.
//
// Every function takes a window: only rows inside it are produced and every span is cut to its columns
// (spans that become empty are left out). The work done is proportional to the window and the shape's
// own detail, never to how far outside the window the shape reaches, so shapes at any int64 coordinates
// are safe to rasterize into a bounded window. With the default window `unclipped` the result is the whole
// shape (apart from the last int64 row and column, which no span can end after).
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "Geometry.h"
#include "Polygon.h"

namespace QuickDraw::Shapes {

inline constexpr Rect unclipped{std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min(),
                                std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max()};

// The pixels swept by a penH x penV pen rectangle (hanging right of and below the point) moved from
// `from` to `to` along the Bresenham line. One run per row. Empty when penH < 1 or penV < 1.
std::vector<Span> line(Point from, Point to, int64_t penH, int64_t penV, const Rect& window = unclipped);

// One span per row of r; empty when r is empty.
std::vector<Span> rect(const Rect& r, const Rect& window = unclipped);

// Outer minus inner, row by row: each outer span loses the part covered by the inner span of its row
// (the last inner span listed for a row counts).
std::vector<Span> frame(std::span<const Span> outer, std::span<const Span> inner);

// The ellipse inscribed in r, sampled at pixel centres.
std::vector<Span> oval(const Rect& r, const Rect& window = unclipped);

// r with elliptical corners of cornerWidth x cornerHeight (each reduced to r's size); equal to rect(r)
// when either corner size is below 2.
std::vector<Span> roundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight, const Rect& window = unclipped);

// The pie wedge of oval(r) from startAngle over arcAngle degrees (0 at twelve o'clock, clockwise,
// measured on the rectangle so that 45 passes through its corner); negative arcs run anticlockwise;
// |arcAngle| >= 360 is the full oval.
std::vector<Span> arc(const Rect& r, int64_t startAngle, int64_t arcAngle, const Rect& window = unclipped);

// The even-odd fill of a set of edges. Crossings are taken at each row's top edge; the lower end row of
// an edge and horizontal edges give none; a run's right crossing is exclusive.
std::vector<Span> outline(std::span<const Edge> edges, const Rect& window = unclipped);

// outline of the polygon's edges, closed back to the first point when the last one differs; empty for
// fewer than 2 points.
std::vector<Span> polySpans(const Polygon& polygon, const Rect& window = unclipped);

} // namespace QuickDraw::Shapes
