// The rasterizers against literal transcriptions of their rules: per-row ellipse sampling, corner
// ellipses mirrored row for row, per-pixel wedge angles and per-edge crossings with halves away from zero,
// over every small shape, so that the windowed and closed-form code paths cannot drift from the rules.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace QuickDraw;
using qdtest::tlbr;
using Spans = std::vector<Span>;

namespace {

// Columns [x0, x1) of row i of an ellipse inscribed in a box w wide and h high.
std::pair<int64_t, int64_t> referenceEllipseRow(int64_t w, int64_t h, int64_t i) {
    const double a = static_cast<double>(w) / 2;
    const double b = static_cast<double>(h) / 2;
    const double d = (static_cast<double>(i) + 0.5 - b) / b;
    const double half = a * std::sqrt(1 - d * d);
    const double lo = std::ceil(((a - half) + (-0.5)) + (-1e-9));
    const double hi = std::floor(((a + half) + (-0.5)) + 1e-9);
    return {std::max(static_cast<int64_t>(lo), int64_t{0}), std::min(static_cast<int64_t>(hi) + 1, w)};
}

Spans referenceOval(const Rect& r) {
    Spans spans;
    if (r.top >= r.bottom || r.left >= r.right)
        return spans;
    const int64_t w = r.right - r.left, h = r.bottom - r.top;
    for (int64_t y = r.top; y < r.bottom; ++y) {
        const auto [x0, x1] = referenceEllipseRow(w, h, y - r.top);
        if (x0 < x1)
            spans.push_back(Span{y, r.left + x0, r.left + x1});
    }
    return spans;
}

Spans referenceRoundRect(const Rect& r, int64_t cw, int64_t ch) {
    Spans spans;
    if (r.top >= r.bottom || r.left >= r.right)
        return spans;
    const int64_t w = r.right - r.left, h = r.bottom - r.top;
    const int64_t ow = std::min(w, cw), oh = std::min(h, ch);
    if (ow < 2 || oh < 2) {
        for (int64_t y = r.top; y < r.bottom; ++y)
            spans.push_back(Span{y, r.left, r.right});
        return spans;
    }
    const int64_t k = oh / 2;
    for (int64_t y = r.top; y < r.bottom; ++y) {
        const int64_t dt = y - r.top, db = (r.bottom - 1) - y;
        if (dt >= k && db >= k) {
            spans.push_back(Span{y, r.left, r.right});
            continue;
        }
        const int64_t i = dt < k ? dt : (oh - 1) - db;
        const auto [x0, x1] = referenceEllipseRow(ow, oh, i);
        if (x0 < x1)
            spans.push_back(Span{y, r.left + x0, r.right - (ow - x1)});
    }
    return spans;
}

Spans referenceArc(const Rect& r, int64_t start, int64_t arc) {
    const Spans spans = referenceOval(r);
    if (arc < 0) {
        if (-arc >= 360)
            return spans;
        start = start + arc;
        arc = -arc;
    }
    if (arc >= 360)
        return spans;
    if (spans.empty())
        return {};
    const double cx = static_cast<double>(r.left + r.right) / 2, cy = static_cast<double>(r.top + r.bottom) / 2;
    const double sw = static_cast<double>(std::max<int64_t>(r.right - r.left, 1));
    const double sh = static_cast<double>(std::max<int64_t>(r.bottom - r.top, 1));
    Spans wedge;
    for (const Span& s : spans) {
        int64_t runStart = 0;
        bool inRun = false;
        for (int64_t x = s.x0; x <= s.x1; ++x) {
            bool inside = false;
            if (x < s.x1) {
                const double yn = -((static_cast<double>(s.y) + 0.5) - cy) / sh;
                const double xn = ((static_cast<double>(x) + 0.5) - cx) / sw;
                const double angle = std::atan2(xn, yn) * 180 / std::numbers::pi;
                double rel = std::fmod(angle - static_cast<double>(start), 360);
                if (rel < 0)
                    rel += 360;
                inside = rel < static_cast<double>(arc);
            }
            if (inside && !inRun)
                runStart = x;
            if (!inside && inRun)
                wedge.push_back(Span{s.y, runStart, x});
            inRun = inside;
        }
    }
    return wedge;
}

Spans referenceOutline(const std::vector<Edge>& edges) {
    std::map<int64_t, std::vector<int64_t>> rows;
    for (const auto& [p, q] : edges) {
        if (p.v == q.v)
            continue;
        const Point top = p.v < q.v ? p : q, bottom = p.v < q.v ? q : p;
        const int64_t dy = bottom.v - top.v, dx = bottom.h - top.h;
        for (int64_t y = top.v; y < bottom.v; ++y) {
            const int64_t P = (y - top.v) * dx;
            const int64_t R = P >= 0 ? (dy + 2 * P) / (2 * dy) : -((dy - 2 * P) / (2 * dy));
            rows[y].push_back(top.h + R);
        }
    }
    Spans spans;
    for (auto& [y, xs] : rows) {
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            if (xs[i] < xs[i + 1])
                spans.push_back(Span{y, xs[i], xs[i + 1]});
    }
    return spans;
}

Spans referenceFrame(const Spans& outer, const Spans& inner) {
    std::map<int64_t, Span> byRow;
    for (const Span& s : inner)
        byRow[s.y] = s;
    Spans spans;
    for (const Span& s : outer) {
        const auto found = byRow.find(s.y);
        if (found == byRow.end() || found->second.x0 >= found->second.x1) {
            spans.push_back(s);
            continue;
        }
        const Span& in = found->second;
        if (s.x0 < in.x0)
            spans.push_back(Span{s.y, s.x0, std::min(s.x1, in.x0)});
        if (in.x1 < s.x1)
            spans.push_back(Span{s.y, std::max(s.x0, in.x1), s.x1});
    }
    return spans;
}

Spans referenceRect(const Rect& r) {
    Spans spans;
    for (int64_t y = r.top; r.left < r.right && y < r.bottom; ++y)
        spans.push_back(Span{y, r.left, r.right});
    return spans;
}

std::string describe(const Rect& r) {
    return "(top " + std::to_string(r.top) + ", left " + std::to_string(r.left) + ", bottom " + std::to_string(r.bottom) +
           ", right " + std::to_string(r.right) + ")";
}

} // namespace

TEST(ReferenceShapes, OvalsOfEverySmallRectangle) {
    for (int64_t h = -1; h <= 33; ++h)
        for (int64_t w = -1; w <= 33; ++w) {
            const Rect r = tlbr(-3, 5, -3 + h, 5 + w);
            ASSERT_EQ(Shapes::oval(r), referenceOval(r)) << describe(r);
        }
}

TEST(ReferenceShapes, RoundRectsOfEverySmallRectangleAndCorner) {
    for (int64_t h = 0; h <= 16; ++h)
        for (int64_t w = 0; w <= 16; ++w)
            for (int64_t cw = -1; cw <= 18; cw += 1)
                for (int64_t ch : {-1, 0, 1, 2, 3, 4, 5, 7, 8, 11, 16, 20}) {
                    const Rect r = tlbr(2, -4, 2 + h, -4 + w);
                    ASSERT_EQ(Shapes::roundRect(r, cw, ch), referenceRoundRect(r, cw, ch))
                        << describe(r) << " corner " << cw << "x" << ch;
                }
}

TEST(ReferenceShapes, ArcsOverEveryStartAndSweep) {
    for (const Rect& r : {tlbr(0, 0, 8, 8), tlbr(0, 0, 7, 12), tlbr(3, -4, 20, 9), tlbr(0, 0, 1, 1), tlbr(0, 0, 2, 9),
                          tlbr(-5, -5, 6, 6), tlbr(1, 1, 4, 2)})
        for (int64_t start = -400; start <= 400; start += 15)
            for (int64_t sweep : {-361, -360, -359, -200, -91, -90, -45, -1, 0, 1, 30, 45, 89, 90, 91, 180, 270, 359,
                                  360, 725})
                ASSERT_EQ(Shapes::arc(r, start, sweep), referenceArc(r, start, sweep))
                    << describe(r) << " start " << start << " arc " << sweep;
}

TEST(ReferenceShapes, OutlinesOfRandomEdgeSets) {
    const uint32_t seed = std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uniform_int_distribution<int64_t> coordinate(-25, 25);
    std::uniform_int_distribution<int> count(0, 9);
    for (int i = 0; i < 3000; ++i) {
        std::vector<Edge> edges;
        for (int e = count(rng); e > 0; --e)
            edges.emplace_back(Point(coordinate(rng), coordinate(rng)), Point(coordinate(rng), coordinate(rng)));
        ASSERT_EQ(Shapes::outline(edges), referenceOutline(edges)) << "edge set " << i;
        // Polygons are the outline of their edges closed back to the first point.
        Polygon polygon;
        for (const Edge& edge : edges)
            polygon.points.push_back(edge.first);
        std::vector<Edge> closed;
        for (size_t k = 0; k + 1 < polygon.points.size(); ++k)
            closed.emplace_back(polygon.points[k], polygon.points[k + 1]);
        if (polygon.points.size() >= 2 && polygon.points.back() != polygon.points.front())
            closed.emplace_back(polygon.points.back(), polygon.points.front());
        ASSERT_EQ(Shapes::polySpans(polygon), polygon.points.size() < 2 ? Spans{} : referenceOutline(closed))
            << "polygon " << i;
    }
}

TEST(ReferenceShapes, FramesOfRectanglesOvalsAndRoundRectsWithEveryPen) {
    for (int64_t h = 0; h <= 12; ++h)
        for (int64_t w = 0; w <= 12; ++w)
            for (int64_t ph = -1; ph <= 4; ++ph)
                for (int64_t pv = -1; pv <= 4; ++pv) {
                    const Rect r = tlbr(1, 2, 1 + h, 2 + w);
                    const Rect inner = r.insetBy(ph, pv);
                    const std::string what = describe(r) + " pen " + std::to_string(ph) + "x" + std::to_string(pv);
                    ASSERT_EQ(Shapes::frame(Shapes::rect(r), Shapes::rect(inner)),
                              referenceFrame(referenceRect(r), referenceRect(inner)))
                        << what;
                    ASSERT_EQ(Shapes::frame(Shapes::oval(r), Shapes::oval(inner)),
                              referenceFrame(referenceOval(r), referenceOval(inner)))
                        << what;
                    ASSERT_EQ(Shapes::frame(Shapes::roundRect(r, 6, 5), Shapes::roundRect(inner, 6 - 2 * ph, 5 - 2 * pv)),
                              referenceFrame(referenceRoundRect(r, 6, 5), referenceRoundRect(inner, 6 - 2 * ph, 5 - 2 * pv)))
                        << what;
                }
}
