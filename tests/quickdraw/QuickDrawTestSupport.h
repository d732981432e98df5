// Shared helpers for the QuickDraw tests: printing, span pictures and a literal reference line walker.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "QuickDraw.h"

namespace QuickDraw {
inline void PrintTo(const Span& s, std::ostream* os) { *os << "(y " << s.y << ", x0 " << s.x0 << ", x1 " << s.x1 << ")"; }
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(v " << p.v << ", h " << p.h << ")"; }
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(top " << r.top << ", left " << r.left << ", bottom " << r.bottom << ", right " << r.right << ")";
}
} // namespace QuickDraw

namespace qdtest {

using namespace QuickDraw;

// Rect in storage order, as the documented examples write them.
inline Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) { return Rect(left, top, right, bottom); }

// The spans drawn as rows of '#' and '.', rows area.top ... area.bottom - 1; a pixel listed twice is 'X'.
inline std::vector<std::string> picture(const std::vector<Span>& spans, const Rect& area) {
    std::vector<std::string> rows(static_cast<size_t>(area.height()), std::string(static_cast<size_t>(area.width()), '.'));
    for (const Span& s : spans)
        for (int64_t x = s.x0; x < s.x1; ++x)
            if (area.contains(Point(x, s.y))) {
                char& c = rows[static_cast<size_t>(s.y - area.top)][static_cast<size_t>(x - area.left)];
                c = c == '.' ? '#' : 'X';
            }
    return rows;
}

// The spans kept to a window the way the rasterizers document it: rows inside, columns cut, empties dropped.
inline std::vector<Span> clipped(const std::vector<Span>& spans, const Rect& window) {
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (s.y < window.top || s.y >= window.bottom)
            continue;
        const Span c{s.y, std::max(s.x0, window.left), std::min(s.x1, window.right)};
        if (c.x0 < c.x1)
            out.push_back(c);
    }
    return out;
}

// The pen-swept line exactly as documented: a boolean grid, the all-octant Bresenham walk stamping the
// pen at every step, then maximal runs row by row. Small coordinates only.
inline std::vector<Span> referenceLine(Point a, Point b, int64_t ph, int64_t pv) {
    std::vector<Span> spans;
    if (ph < 1 || pv < 1)
        return spans;
    const int64_t minV = std::min(a.v, b.v), minH = std::min(a.h, b.h);
    const int64_t dx = std::abs(b.h - a.h), dy = std::abs(b.v - a.v);
    const int64_t w = dx + ph, h = dy + pv;
    std::vector<uint8_t> grid(static_cast<size_t>(w * h), 0);
    const int64_t sh = a.h < b.h ? 1 : -1, sv = a.v < b.v ? 1 : -1;
    int64_t err = dx - dy, x = a.h, y = a.v;
    for (;;) {
        for (int64_t r = 0; r < pv; ++r)
            for (int64_t c = 0; c < ph; ++c)
                grid[static_cast<size_t>((y - minV + r) * w + (x - minH + c))] = 1;
        if (x == b.h && y == b.v)
            break;
        const int64_t e2 = 2 * err;
        if (e2 >= -dy) {
            err -= dy;
            x += sh;
        }
        if (e2 <= dx) {
            err += dx;
            y += sv;
        }
    }
    for (int64_t r = 0; r < h; ++r)
        for (int64_t c = 0; c < w;) {
            if (!grid[static_cast<size_t>(r * w + c)]) {
                ++c;
                continue;
            }
            const int64_t c0 = c;
            while (c < w && grid[static_cast<size_t>(r * w + c)])
                ++c;
            spans.push_back(Span{minV + r, minH + c0, minH + c});
        }
    return spans;
}

} // namespace qdtest
