// Geometry: points, rectangles, spans and edges in bitmap coordinates.
//
// Coordinates grow to the right (h) and downwards (v). A Point stores v before h and a Rect stores
// top, left, bottom, right, but both are constructed in the labelled order: Point(h, v) and
// Rect(left, top, right, bottom). Bottom and right edges are exclusive: a Rect covers the rows
// top ... bottom - 1 and the columns left ... right - 1. Nothing is normalised: an inverted rectangle
// keeps its fields and is empty.
//
// Arithmetic on fields (width, height, insetBy) saturates at the int64 limits instead of overflowing,
// so that rectangles near the extremes stay well defined.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace QuickDraw {

namespace detail {
constexpr int64_t saturate(__int128 value) {
    constexpr __int128 lo = std::numeric_limits<int64_t>::min();
    constexpr __int128 hi = std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value < lo ? lo : (value > hi ? hi : value));
}
inline size_t hashCombine(size_t seed, int64_t value) {
    return seed ^ (std::hash<int64_t>{}(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}
} // namespace detail

struct Point {
    int64_t v = 0;
    int64_t h = 0;

    constexpr Point() = default;
    // Horizontal first, although v is stored first.
    constexpr Point(int64_t h_, int64_t v_) : v(v_), h(h_) {}

    static const Point zero;

    constexpr bool operator==(const Point&) const = default;
};
inline constexpr Point Point::zero{};

struct Rect {
    int64_t top = 0;
    int64_t left = 0;
    int64_t bottom = 0; // exclusive
    int64_t right = 0;  // exclusive

    constexpr Rect() = default;
    // Labelled order left, top, right, bottom; storage order top, left, bottom, right.
    constexpr Rect(int64_t left_, int64_t top_, int64_t right_, int64_t bottom_)
        : top(top_), left(left_), bottom(bottom_), right(right_) {}

    static const Rect zero;

    // right - left and bottom - top; negative for inverted rectangles.
    constexpr int64_t width() const { return detail::saturate(static_cast<__int128>(right) - left); }
    constexpr int64_t height() const { return detail::saturate(static_cast<__int128>(bottom) - top); }
    constexpr bool isEmpty() const { return top >= bottom || left >= right; }
    constexpr bool contains(Point p) const { return p.h >= left && p.v >= top && p.h < right && p.v < bottom; }
    // Moves every edge inwards (negative values grow the rectangle); no normalisation follows.
    constexpr Rect insetBy(int64_t dh, int64_t dv) const {
        Rect r;
        r.top = detail::saturate(static_cast<__int128>(top) + dv);
        r.left = detail::saturate(static_cast<__int128>(left) + dh);
        r.bottom = detail::saturate(static_cast<__int128>(bottom) - dv);
        r.right = detail::saturate(static_cast<__int128>(right) - dh);
        return r;
    }
    // Absent when the overlap is empty; touching rectangles do not intersect.
    constexpr std::optional<Rect> intersection(const Rect& other) const {
        Rect r;
        r.top = std::max(top, other.top);
        r.left = std::max(left, other.left);
        r.bottom = std::min(bottom, other.bottom);
        r.right = std::min(right, other.right);
        if (r.isEmpty())
            return std::nullopt;
        return r;
    }

    constexpr bool operator==(const Rect&) const = default;
};
inline constexpr Rect Rect::zero{};

// One horizontal run of pixels: row y, columns x0 ... x1 - 1. A span with x0 >= x1 covers nothing.
struct Span {
    int64_t y = 0;
    int64_t x0 = 0;
    int64_t x1 = 0;

    constexpr bool operator==(const Span&) const = default;
};

// One recorded outline edge (from, to), as collected by an open region.
using Edge = std::pair<Point, Point>;

} // namespace QuickDraw

template <>
struct std::hash<QuickDraw::Point> {
    size_t operator()(const QuickDraw::Point& p) const noexcept {
        return QuickDraw::detail::hashCombine(QuickDraw::detail::hashCombine(0, p.v), p.h);
    }
};

template <>
struct std::hash<QuickDraw::Rect> {
    size_t operator()(const QuickDraw::Rect& r) const noexcept {
        size_t seed = QuickDraw::detail::hashCombine(0, r.top);
        seed = QuickDraw::detail::hashCombine(seed, r.left);
        seed = QuickDraw::detail::hashCombine(seed, r.bottom);
        return QuickDraw::detail::hashCombine(seed, r.right);
    }
};
