// Shared helpers for the QuickDraw tests: printing, span pictures, clipping and a canvas.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QuickDraw.h"

namespace QuickDraw {
inline void PrintTo(const Span& s, std::ostream* os) { *os << "(y " << s.y << ", x0 " << s.x0 << ", x1 " << s.x1 << ")"; }
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(v " << p.v << ", h " << p.h << ")"; }
} // namespace QuickDraw

namespace qdtest {

using namespace QuickDraw;
using Spans = std::vector<Span>;
using Rows = std::vector<std::string>;
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// Rect in storage order, as the documented examples write them.
inline Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) { return Rect(left, top, right, bottom); }

// The spans drawn as rows of '#' and '.' over area; a pixel listed twice is 'X'.
inline Rows picture(const Spans& spans, const Rect& area) {
    Rows rows(static_cast<size_t>(area.height()), std::string(static_cast<size_t>(area.width()), '.'));
    for (const Span& s : spans)
        for (int64_t x = s.x0; x < s.x1; ++x)
            if (area.contains(Point(x, s.y))) {
                char& c = rows[static_cast<size_t>(s.y - area.top)][static_cast<size_t>(x - area.left)];
                c = c == '.' ? '#' : 'X';
            }
    return rows;
}

// The host's view, taken under the lock as the host takes it.
inline std::vector<uint8_t> sample(Bitmap& bitmap) {
    std::lock_guard lock(screenLock());
    return bitmap.snapshot();
}

struct Canvas {
    GrafPort port;
    QuickDrawContext qd{port};
    Canvas(int64_t w, int64_t h) : port(w, h) {}
    Rows rows() const { return port.bitmap.dump(tlbr(0, 0, port.bitmap.height(), port.bitmap.width())); }
    int64_t count() const { return port.bitmap.changeCount(); }
    int64_t black() const {
        const auto bits = port.bitmap.pixels();
        return std::count(bits.begin(), bits.end(), 1);
    }
};

} // namespace qdtest
