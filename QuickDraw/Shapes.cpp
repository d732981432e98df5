#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>
#include <utility>

namespace QuickDraw::Shapes {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

// Coordinates far outside the window make differences of int64 values overflow, so every offset and
// sum below is taken in 128 bits and only cut back to int64 once it is inside the window.

i128 max128(i128 a, i128 b) { return a > b ? a : b; }
i128 min128(i128 a, i128 b) { return a < b ? a : b; }
u128 abs128(i128 a) { return static_cast<u128>(a < 0 ? -a : a); }

// Cuts [x0, x1) on row y to the window's columns; nothing when the cut is empty.
void emit(std::vector<Span>& out, int64_t y, i128 x0, i128 x1, const Rect& window) {
    const i128 a = max128(x0, window.left);
    const i128 b = min128(x1, window.right);
    if (a < b)
        out.push_back(Span{y, static_cast<int64_t>(a), static_cast<int64_t>(b)});
}

struct RowRange {
    int64_t first;
    int64_t end; // exclusive
};

// The rows top ... bottom - 1 that lie inside the window.
RowRange rowsIn(i128 top, i128 bottom, const Rect& window) {
    const i128 first = max128(top, window.top);
    const i128 end = min128(bottom, window.bottom);
    if (first >= end)
        return {0, 0};
    return {static_cast<int64_t>(first), static_cast<int64_t>(end)};
}

// Room for one span per row, when that is a sensible amount (the window bounds the real count).
void reserveRows(std::vector<Span>& spans, RowRange rows) {
    const i128 count = static_cast<i128>(rows.end) - rows.first;
    if (count > 0 && count <= (1 << 16))
        spans.reserve(static_cast<size_t>(count));
}

// Columns [x0, x1) of one ellipse row, relative to the bounding box: row i of a box w wide with semi-axes
// a and b. A column is inside when its centre lies within the row's half width of the centre; 1e-9
// admits centres that sit on the boundary up to rounding error.
std::pair<i128, i128> ellipseRow(double a, double b, i128 i, i128 w) {
    const double d = (static_cast<double>(i) + 0.5 - b) / b;
    const double half = a * std::sqrt(std::max(0.0, 1.0 - d * d));
    const double lo = std::ceil(((a - half) + (-0.5)) + (-1e-9));
    const double hi = std::floor(((a + half) + (-0.5)) + 1e-9);
    return {max128(static_cast<i128>(lo), 0), min128(static_cast<i128>(hi) + 1, w)};
}

} // namespace

std::vector<Span> line(Point from, Point to, int64_t penH, int64_t penV, const Rect& window) {
    std::vector<Span> spans;
    if (penH < 1 || penV < 1)
        return spans;
    // The Bresenham walk from `from` takes n = max(dx, dy) steps; the major coordinate moves every step
    // and after k steps the minor one has moved round(k * m / n) (halves up), m = min(dx, dy). Closed
    // forms let each row find its steps directly instead of walking the whole line.
    const u128 dx = abs128(static_cast<i128>(to.h) - from.h);
    const u128 dy = abs128(static_cast<i128>(to.v) - from.v);
    const bool hUp = from.h < to.h;
    const bool vUp = from.v < to.v;
    const bool hMajor = dx >= dy;
    const u128 n = hMajor ? dx : dy;
    const u128 m = hMajor ? dy : dx;
    auto minor = [n, m](u128 k) -> u128 {
        if (n == 0)
            return 0;
        const u128 km = k * m; // k, m < 2^64
        const u128 q = km / n;
        const u128 r = km % n;
        return q + (2 * r >= n ? 1 : 0);
    };
    auto vOffset = [&](u128 k) { return hMajor ? minor(k) : k; };
    auto hOffset = [&](u128 k) { return hMajor ? k : minor(k); };
    // Smallest step whose vertical offset reaches `target` (n + 1 when none does).
    auto firstStepAt = [&](u128 target) {
        u128 lo = 0, hi = n + 1;
        while (lo < hi) {
            const u128 mid = lo + (hi - lo) / 2;
            if (vOffset(mid) >= target)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };

    const i128 minV = std::min(from.v, to.v);
    const RowRange rows = rowsIn(minV, minV + static_cast<i128>(dy) + penV, window);
    reserveRows(spans, rows);
    for (int64_t y = rows.first; y < rows.end; ++y) {
        // Steps whose pen stamp covers row y: vertical offsets lo ... hi. They are consecutive steps, and
        // their horizontal positions are consecutive too, so the stamps merge into one run.
        i128 lo = vUp ? static_cast<i128>(y) - penV + 1 - from.v : static_cast<i128>(from.v) - y;
        i128 hi = vUp ? static_cast<i128>(y) - from.v : static_cast<i128>(from.v) - y + penV - 1;
        lo = max128(lo, 0);
        hi = min128(hi, static_cast<i128>(dy));
        if (lo > hi)
            continue;
        u128 kFirst = static_cast<u128>(lo);
        u128 kLast = static_cast<u128>(hi);
        if (hMajor) {
            kFirst = firstStepAt(static_cast<u128>(lo));
            kLast = firstStepAt(static_cast<u128>(hi) + 1) - 1;
        }
        if (kFirst > kLast)
            continue;
        const i128 hFirst = static_cast<i128>(hOffset(kFirst));
        const i128 hLast = static_cast<i128>(hOffset(kLast));
        if (hUp)
            emit(spans, y, from.h + hFirst, from.h + hLast + penH, window);
        else
            emit(spans, y, from.h - hLast, from.h - hFirst + penH, window);
    }
    return spans;
}

std::vector<Span> rect(const Rect& r, const Rect& window) {
    std::vector<Span> spans;
    if (r.isEmpty())
        return spans;
    const int64_t x0 = std::max(r.left, window.left);
    const int64_t x1 = std::min(r.right, window.right);
    const RowRange rows = rowsIn(r.top, r.bottom, window);
    if (x0 >= x1 || rows.first >= rows.end)
        return spans;
    reserveRows(spans, rows);
    for (int64_t y = rows.first; y < rows.end; ++y)
        spans.push_back(Span{y, x0, x1});
    return spans;
}

std::vector<Span> frame(std::span<const Span> outer, std::span<const Span> inner) {
    std::unordered_map<int64_t, Span> innerByRow;
    innerByRow.reserve(inner.size());
    for (const Span& s : inner)
        innerByRow[s.y] = s;
    std::vector<Span> spans;
    spans.reserve(outer.size() * 2);
    for (const Span& s : outer) {
        const auto found = innerByRow.find(s.y);
        if (found == innerByRow.end() || found->second.x0 >= found->second.x1) {
            spans.push_back(s);
            continue;
        }
        const Span& in = found->second;
        if (s.x0 < in.x0)
            spans.push_back(Span{s.y, s.x0, std::min(s.x1, in.x0)});
        if (in.x1 >= s.x1)
            continue;
        spans.push_back(Span{s.y, std::max(s.x0, in.x1), s.x1});
    }
    return spans;
}

std::vector<Span> oval(const Rect& r, const Rect& window) {
    std::vector<Span> spans;
    if (r.isEmpty())
        return spans;
    const i128 w = static_cast<i128>(r.right) - r.left;
    const i128 h = static_cast<i128>(r.bottom) - r.top;
    const double a = static_cast<double>(w) / 2;
    const double b = static_cast<double>(h) / 2;
    const RowRange rows = rowsIn(r.top, r.bottom, window);
    reserveRows(spans, rows);
    for (int64_t y = rows.first; y < rows.end; ++y) {
        const auto [x0, x1] = ellipseRow(a, b, static_cast<i128>(y) - r.top, w);
        if (x0 < x1)
            emit(spans, y, r.left + x0, r.left + x1, window);
    }
    return spans;
}

std::vector<Span> roundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight, const Rect& window) {
    if (r.isEmpty())
        return {};
    const i128 w = static_cast<i128>(r.right) - r.left;
    const i128 h = static_cast<i128>(r.bottom) - r.top;
    const i128 ow = min128(w, cornerWidth);
    const i128 oh = min128(h, cornerHeight);
    if (ow < 2 || oh < 2)
        return rect(r, window);
    const double a = static_cast<double>(ow) / 2;
    const double b = static_cast<double>(oh) / 2;
    const i128 k = oh / 2;
    std::vector<Span> spans;
    const RowRange rows = rowsIn(r.top, r.bottom, window);
    reserveRows(spans, rows);
    for (int64_t y = rows.first; y < rows.end; ++y) {
        const i128 dt = static_cast<i128>(y) - r.top;
        const i128 db = static_cast<i128>(r.bottom) - 1 - y;
        if (dt >= k && db >= k) {
            emit(spans, y, r.left, r.right, window);
            continue;
        }
        // Bottom corners mirror the top ones row for row.
        const i128 i = dt < k ? dt : (oh - 1) - db;
        const auto [x0, x1] = ellipseRow(a, b, i, ow);
        if (x0 < x1)
            emit(spans, y, r.left + x0, r.right - (ow - x1), window);
    }
    return spans;
}

std::vector<Span> arc(const Rect& r, int64_t startAngle, int64_t arcAngle, const Rect& window) {
    std::vector<Span> spans = oval(r, window);
    i128 start = startAngle;
    i128 sweep = arcAngle;
    if (sweep < 0) {
        if (-sweep >= 360)
            return spans;
        start += sweep;
        sweep = -sweep;
    }
    if (sweep >= 360)
        return spans;
    if (spans.empty())
        return {};
    // Beyond 2^53 a double no longer holds every whole degree; only the angle modulo 360 matters.
    constexpr i128 exactLimit = static_cast<i128>(1) << 53;
    if (start > exactLimit || start < -exactLimit)
        start %= 360;
    const double startDegrees = static_cast<double>(start);
    const double sweepDegrees = static_cast<double>(sweep);
    const double cx = static_cast<double>(static_cast<i128>(r.left) + r.right) / 2;
    const double cy = static_cast<double>(static_cast<i128>(r.top) + r.bottom) / 2;
    const double sw = static_cast<double>(max128(static_cast<i128>(r.right) - r.left, 1));
    const double sh = static_cast<double>(max128(static_cast<i128>(r.bottom) - r.top, 1));

    std::vector<Span> wedge;
    wedge.reserve(spans.size());
    for (const Span& s : spans) {
        const double yn = -((static_cast<double>(s.y) + 0.5) - cy) / sh;
        int64_t runStart = 0;
        bool inRun = false;
        for (int64_t x = s.x0; x < s.x1; ++x) {
            const double xn = ((static_cast<double>(x) + 0.5) - cx) / sw;
            const double angle = std::atan2(xn, yn) * 180 / std::numbers::pi;
            double rel = std::fmod(angle - startDegrees, 360.0);
            if (rel < 0)
                rel += 360;
            const bool inside = rel < sweepDegrees;
            if (inside && !inRun) {
                runStart = x;
                inRun = true;
            } else if (!inside && inRun) {
                wedge.push_back(Span{s.y, runStart, x});
                inRun = false;
            }
        }
        if (inRun)
            wedge.push_back(Span{s.y, runStart, s.x1});
    }
    return wedge;
}

std::vector<Span> outline(std::span<const Edge> edges, const Rect& window) {
    // (row, crossing) pairs; crossings beyond the window's sides are pinned to them, which keeps their
    // order and therefore the pairing.
    std::vector<std::pair<int64_t, int64_t>> crossings;
    for (const Edge& edge : edges) {
        const Point& p = edge.first;
        const Point& q = edge.second;
        if (p.v == q.v)
            continue;
        const Point& upper = p.v < q.v ? p : q;
        const Point& lower = p.v < q.v ? q : p;
        const u128 dy = static_cast<u128>(static_cast<i128>(lower.v) - upper.v);
        const i128 dxSigned = static_cast<i128>(lower.h) - upper.h;
        const u128 dx = abs128(dxSigned);
        const RowRange rows = rowsIn(upper.v, lower.v, window);
        for (int64_t y = rows.first; y < rows.end; ++y) {
            // t * dx / dy rounded to nearest, halves away from zero.
            const u128 t = static_cast<u128>(static_cast<i128>(y) - upper.v);
            const u128 product = t * dx; // t < 2^64, dx < 2^64
            const u128 rounded = product / dy + (2 * (product % dy) >= dy ? 1 : 0);
            const i128 x = dxSigned < 0 ? upper.h - static_cast<i128>(rounded) : upper.h + static_cast<i128>(rounded);
            const i128 pinned = min128(max128(x, window.left), window.right);
            crossings.emplace_back(y, static_cast<int64_t>(pinned));
        }
    }
    std::sort(crossings.begin(), crossings.end());
    std::vector<Span> spans;
    for (size_t i = 0; i < crossings.size();) {
        size_t rowEnd = i;
        while (rowEnd < crossings.size() && crossings[rowEnd].first == crossings[i].first)
            ++rowEnd;
        // Even-odd pairs; a trailing odd crossing is ignored.
        for (size_t j = i; j + 1 < rowEnd; j += 2) {
            const int64_t xa = crossings[j].second;
            const int64_t xb = crossings[j + 1].second;
            if (xa < xb)
                spans.push_back(Span{crossings[i].first, xa, xb});
        }
        i = rowEnd;
    }
    return spans;
}

std::vector<Span> polySpans(const Polygon& polygon, const Rect& window) {
    const std::vector<Point>& points = polygon.points;
    if (points.size() < 2)
        return {};
    std::vector<Edge> edges;
    edges.reserve(points.size());
    for (size_t i = 0; i + 1 < points.size(); ++i)
        edges.emplace_back(points[i], points[i + 1]);
    if (points.back() != points.front())
        edges.emplace_back(points.back(), points.front());
    return outline(edges, window);
}

} // namespace QuickDraw::Shapes
