// Span rasterizers: the documented small shapes, literal transcriptions of each rule over every small
// shape, windows, and the int64 extremes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

namespace {

// The all-octant Bresenham walk stamping the pen on a grid, then maximal runs row by row.
Spans referenceLine(Point a, Point b, int64_t ph, int64_t pv) {
    if (ph < 1 || pv < 1)
        return {};
    const int64_t minV = std::min(a.v, b.v), minH = std::min(a.h, b.h);
    const int64_t dx = std::abs(b.h - a.h), dy = std::abs(b.v - a.v), w = dx + ph, h = dy + pv;
    std::vector<uint8_t> grid(static_cast<size_t>(w * h), 0);
    const auto cell = [&](int64_t r, int64_t c) -> uint8_t& { return grid[static_cast<size_t>(r * w + c)]; };
    int64_t err = dx - dy, x = a.h, y = a.v;
    for (;;) {
        for (int64_t r = 0; r < pv; ++r)
            for (int64_t c = 0; c < ph; ++c)
                cell(y - minV + r, x - minH + c) = 1;
        if (x == b.h && y == b.v)
            break;
        const int64_t e2 = 2 * err;
        if (e2 >= -dy)
            err -= dy, x += a.h < b.h ? 1 : -1;
        if (e2 <= dx)
            err += dx, y += a.v < b.v ? 1 : -1;
    }
    Spans spans;
    for (int64_t r = 0; r < h; ++r)
        for (int64_t c = 0; c < w; ++c)
            if (cell(r, c)) {
                const int64_t c0 = c;
                while (c < w && cell(r, c))
                    ++c;
                spans.push_back(Span{minV + r, minH + c0, minH + c});
            }
    return spans;
}

// Columns [x0, x1) of row i of the ellipse inscribed in a w x h box, sampled at pixel centres.
std::pair<int64_t, int64_t> ellipseRow(int64_t w, int64_t h, int64_t i) {
    const double a = static_cast<double>(w) / 2, b = static_cast<double>(h) / 2;
    const double d = (static_cast<double>(i) + 0.5 - b) / b;
    const double half = a * std::sqrt(1 - d * d);
    const double lo = std::ceil(((a - half) + (-0.5)) + (-1e-9));
    const double hi = std::floor(((a + half) + (-0.5)) + 1e-9);
    return {std::max(static_cast<int64_t>(lo), int64_t{0}), std::min(static_cast<int64_t>(hi) + 1, w)};
}

Spans referenceRoundRect(const Rect& r, int64_t cw, int64_t ch) {
    Spans spans;
    const int64_t w = r.right - r.left, h = r.bottom - r.top, ow = std::min(w, cw), oh = std::min(h, ch);
    for (int64_t y = r.top; w > 0 && y < r.bottom; ++y) {
        const int64_t dt = y - r.top, db = (r.bottom - 1) - y, k = oh / 2;
        if (ow < 2 || oh < 2 || (dt >= k && db >= k)) {
            spans.push_back(Span{y, r.left, r.right});
            continue;
        }
        const auto [x0, x1] = ellipseRow(ow, oh, dt < k ? dt : (oh - 1) - db);
        if (x0 < x1)
            spans.push_back(Span{y, r.left + x0, r.right - (ow - x1)});
    }
    return spans;
}

// An oval is a round rectangle whose corners are the whole rectangle.
Spans referenceOval(const Rect& r) { return referenceRoundRect(r, r.width(), r.height()); }

// Per-pixel angle from twelve o'clock, clockwise, measured on the rectangle.
Spans referenceArc(const Rect& r, int64_t start, int64_t arc) {
    const Spans spans = referenceOval(r);
    if (arc <= -360 || arc >= 360)
        return spans;
    if (arc < 0)
        start += arc, arc = -arc;
    const double cx = static_cast<double>(r.left + r.right) / 2, cy = static_cast<double>(r.top + r.bottom) / 2;
    const double sw = static_cast<double>(std::max<int64_t>(r.width(), 1));
    const double sh = static_cast<double>(std::max<int64_t>(r.height(), 1));
    Spans wedge;
    for (const Span& s : spans)
        for (int64_t x = s.x0; x < s.x1; ++x) {
            const double yn = -((static_cast<double>(s.y) + 0.5) - cy) / sh;
            const double xn = ((static_cast<double>(x) + 0.5) - cx) / sw;
            double rel = std::fmod(std::atan2(xn, yn) * 180 / std::numbers::pi - static_cast<double>(start), 360);
            if ((rel < 0 ? rel + 360 : rel) >= static_cast<double>(arc))
                continue;
            if (!wedge.empty() && wedge.back().y == s.y && wedge.back().x1 == x)
                ++wedge.back().x1;
            else
                wedge.push_back(Span{s.y, x, x + 1});
        }
    return wedge;
}

// Even-odd crossings at each row's top edge, halves rounded away from zero, lower end row excluded.
Spans referenceOutline(const std::vector<Edge>& edges) {
    std::map<int64_t, std::vector<int64_t>> rows;
    for (const auto& [p, q] : edges) {
        const Point top = p.v < q.v ? p : q, bottom = p.v < q.v ? q : p;
        const int64_t dy = bottom.v - top.v, dx = bottom.h - top.h;
        for (int64_t y = top.v; y < bottom.v; ++y) {
            const int64_t P = (y - top.v) * dx;
            rows[y].push_back(top.h + (P >= 0 ? (dy + 2 * P) / (2 * dy) : -((dy - 2 * P) / (2 * dy))));
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

} // namespace

TEST(Shapes, DocumentedSmallShapes) {
    const Rect r8 = tlbr(0, 0, 8, 8);
    const Spans quarter{{0, 4, 6}, {1, 4, 7}, {2, 4, 8}, {3, 4, 8}};
    const std::vector<std::pair<Spans, Spans>> cases = {
        {Shapes::line(Point(0, 0), Point(5, 2), 1, 1), {{0, 0, 2}, {1, 2, 4}, {2, 4, 6}}},
        {Shapes::line(Point(3, 4), Point(3, 4), 2, 3), {{4, 3, 5}, {5, 3, 5}, {6, 3, 5}}},
        {Shapes::line(Point(0, 0), Point(5, 2), 0, 1), {}}, {Shapes::rect(tlbr(3, 2, 1, 5)), {}},
        {Shapes::rect(tlbr(1, 2, 3, 5)), {{1, 2, 5}, {2, 2, 5}}},
        {Shapes::frame(Shapes::rect(tlbr(0, 0, 4, 4)), Shapes::rect(tlbr(1, 1, 3, 3))),
         {{0, 0, 4}, {1, 0, 1}, {1, 3, 4}, {2, 0, 1}, {2, 3, 4}, {3, 0, 4}}},
        // The last inner span of a row counts; an empty inner span leaves the outer one whole.
        {Shapes::frame(Spans{{0, 0, 10}}, Spans{{0, 2, 4}, {0, 6, 8}}), {{0, 0, 6}, {0, 8, 10}}},
        {Shapes::frame(Spans{{0, 0, 10}}, Spans{{0, 5, 5}}), {{0, 0, 10}}}, {Shapes::frame(Spans{{0, 3, 6}}, Spans{{0, 0, 4}}), {{0, 4, 6}}},
        {Shapes::oval(tlbr(0, 0, 4, 4)), {{0, 1, 3}, {1, 0, 4}, {2, 0, 4}, {3, 1, 3}}},
        {Shapes::oval(tlbr(0, 0, 3, 5)), {{0, 1, 4}, {1, 0, 5}, {2, 1, 4}}},
        {Shapes::oval(tlbr(0, 0, 1, 1)), {{0, 0, 1}}}, {Shapes::oval(tlbr(0, 4, 4, 4)), {}},
        {Shapes::arc(r8, 0, 90), quarter}, {Shapes::arc(r8, 90, -90), quarter}, {Shapes::arc(r8, 30, 0), {}},
        {Shapes::arc(r8, 17, 1000), Shapes::oval(r8)},
        {Shapes::roundRect(tlbr(1, 2, 6, 5), kMax, kMax), Shapes::roundRect(tlbr(1, 2, 6, 5), 3, 5)},
        // Triangle and square: the right crossing and the bottom row are exclusive; a closing point adds nothing.
        {Shapes::polySpans(Polygon{{Point(0, 0), Point(4, 4), Point(0, 4), Point(0, 0)}}), {{1, 0, 1}, {2, 0, 2}, {3, 0, 3}}},
        {Shapes::polySpans(Polygon{{Point(1, 1), Point(5, 1), Point(5, 4), Point(1, 4)}}), {{1, 1, 5}, {2, 1, 5}, {3, 1, 5}}},
        // Crossings round halves away from zero, to the right and to the left.
        {Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(2, 4)}, {Point(9, 0), Point(9, 4)}}), {{0, 0, 9}, {1, 1, 9}, {2, 1, 9}, {3, 2, 9}}},
        {Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(-2, 4)}, {Point(9, 0), Point(9, 4)}}), {{0, 0, 9}, {1, -1, 9}, {2, -1, 9}, {3, -2, 9}}},
        {Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(9, 0)}}), {}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    const std::vector<std::pair<Spans, Rows>> pictures = {
        {Shapes::line(Point(0, 0), Point(5, 2), 2, 2), {"###.....", "#####...", "..#####.", "....###.", "........", "........", "........", "........"}},
        {Shapes::oval(r8), {"..####..", ".######.", "########", "########", "########", "########", ".######.", "..####.."}},
        {Shapes::roundRect(tlbr(0, 0, 8, 8), 4, 4), {".######.", "########", "########", "########", "########", "########", "########", ".######."}},
        {Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(0, 6)}, {Point(6, 0), Point(6, 6)}, {Point(2, 2), Point(2, 4)}, {Point(4, 2), Point(4, 4)}}),
         {"######..", "######..", "##..##..", "##..##..", "######..", "######..", "........", "........"}},
    };
    for (size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(picture(pictures[i].first, r8), pictures[i].second) << "picture " << i;
}

TEST(Shapes, LinesMatchTheBresenhamWalk) {
    for (int64_t h = -9; h <= 9; ++h) // every octant, both directions
        for (int64_t v = -9; v <= 9; ++v)
            for (int64_t ph : {1, 3})
                ASSERT_EQ(Shapes::line(Point(0, 0), Point(h, v), ph, 2), referenceLine(Point(0, 0), Point(h, v), ph, 2))
                    << "to (h " << h << ", v " << v << ") pen " << ph;
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> c(-40, 40), pen(0, 6);
    for (int i = 0; i < 2000; ++i) {
        const Point a(c(rng), c(rng)), b(c(rng), c(rng));
        const int64_t ph = pen(rng), pv = pen(rng);
        ASSERT_EQ(Shapes::line(a, b, ph, pv), referenceLine(a, b, ph, pv))
            << testing::PrintToString(a) << " to " << testing::PrintToString(b) << " pen " << ph << "x" << pv;
    }
}

TEST(Shapes, OvalsAndRoundRectsOfEverySmallRectangleAndCorner) {
    for (int64_t h = -1; h <= 24; ++h)
        for (int64_t w = -1; w <= 24; ++w) {
            const Rect r = tlbr(-3, 5, -3 + h, 5 + w);
            ASSERT_EQ(Shapes::oval(r), referenceOval(r)) << describe(r);
            for (int64_t cw : {-1, 0, 1, 2, 3, 4, 5, 7, 8, 11, 16, 30})
                for (int64_t ch : {-1, 1, 2, 3, 4, 6, 9, 16, 30})
                    ASSERT_EQ(Shapes::roundRect(r, cw, ch), referenceRoundRect(r, cw, ch)) << describe(r) << " corner " << cw << "x" << ch;
        }
}

TEST(Shapes, ArcsOverEveryStartAndSweep) {
    for (const Rect& r : {tlbr(0, 0, 8, 8), tlbr(0, 0, 7, 12), tlbr(3, -4, 20, 9), tlbr(0, 0, 1, 1), tlbr(0, 0, 2, 9),
                          tlbr(-5, -5, 6, 6), tlbr(1, 1, 4, 2), tlbr(0, 0, 0, 8)})
        for (int64_t start = -400; start <= 400; start += 15)
            for (int64_t sweep : {-361, -360, -359, -200, -91, -90, -45, -1, 0, 1, 30, 45, 89, 90, 91, 180, 270, 359, 360, 725})
                ASSERT_EQ(Shapes::arc(r, start, sweep), referenceArc(r, start, sweep))
                    << describe(r) << " start " << start << " arc " << sweep;
}

TEST(Shapes, OutlinesAndPolygonsOfRandomEdgeSets) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> c(-25, 25);
    std::uniform_int_distribution<int> count(0, 9);
    for (int i = 0; i < 2000; ++i) {
        Polygon polygon;
        for (int e = count(rng); e > 0; --e)
            polygon.points.push_back(Point(c(rng), c(rng)));
        std::vector<Edge> edges, closed;
        for (const Point& p : polygon.points)
            edges.emplace_back(p, Point(c(rng), c(rng)));
        for (size_t k = 0; k + 1 < polygon.points.size(); ++k)
            closed.emplace_back(polygon.points[k], polygon.points[k + 1]);
        if (polygon.points.size() >= 2 && polygon.points.back() != polygon.points.front())
            closed.emplace_back(polygon.points.back(), polygon.points.front());
        ASSERT_EQ(Shapes::outline(edges), referenceOutline(edges)) << "edge set " << i;
        ASSERT_EQ(Shapes::polySpans(polygon), polygon.points.size() < 2 ? Spans{} : referenceOutline(closed)) << "polygon " << i;
    }
}

TEST(Shapes, WindowKeepsExactlyTheClippedPixels) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> c(-20, 20);
    for (int i = 0; i < 800; ++i) {
        const Rect r(c(rng), c(rng), c(rng), c(rng)), window(c(rng), c(rng), c(rng), c(rng));
        const int64_t a = c(rng) * 20, b = c(rng) * 20, ph = c(rng) / 4 + 2, pv = c(rng) / 4 + 2;
        const Point p(c(rng), c(rng)), q(c(rng), c(rng));
        const Polygon polygon{{p, q, Point(c(rng), c(rng)), Point(c(rng), c(rng))}};
        SCOPED_TRACE(describe(r) + " window " + describe(window));
        ASSERT_EQ(Shapes::rect(r, window), clipped(Shapes::rect(r), window));
        ASSERT_EQ(Shapes::oval(r, window), clipped(Shapes::oval(r), window));
        ASSERT_EQ(Shapes::roundRect(r, ph * 3, pv * 3, window), clipped(Shapes::roundRect(r, ph * 3, pv * 3), window));
        ASSERT_EQ(Shapes::arc(r, a, b, window), clipped(Shapes::arc(r, a, b), window));
        ASSERT_EQ(Shapes::line(p, q, ph, pv, window), clipped(Shapes::line(p, q, ph, pv), window));
        ASSERT_EQ(Shapes::polySpans(polygon, window), clipped(Shapes::polySpans(polygon), window));
    }
}

TEST(Shapes, ExtremeCoordinatesStayInsideTheWindow) {
    const Rect window = tlbr(0, 0, 4, 6), plane(kMin, kMin, kMax, kMax);
    const Rect huge(-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62);
    const Spans full = Shapes::rect(window), diagonal{{0, 0, 1}, {1, 1, 2}, {2, 2, 3}, {3, 3, 4}};
    const std::vector<std::pair<Spans, Spans>> cases = {
        {Shapes::rect(Rect(kMax - 5, kMax - 5, kMax, kMax), window), {}},
        {Shapes::oval(huge, window), full},
        {Shapes::roundRect(plane, 16, 16, window), full},
        // The lower right quarter of a huge oval centred on the origin; starts beyond a double's precision.
        {Shapes::arc(huge, 90, 90, window), full},
        {Shapes::arc(huge, 360 * (1LL << 54) + 90, 90, window), full},
        {Shapes::line(Point(kMin, kMin), Point(kMax, kMax), 1, 1, window), diagonal},
        // A flat line rising one row at its middle step (h 0): row 0 ends left of the window.
        {Shapes::line(Point(-(1LL << 62), 0), Point(1LL << 62, 1), 1, 1, window), {{1, 0, 6}}},
        {Shapes::line(Point(kMin, kMin), Point(kMin, kMin), kMax, kMax, window), {}},
        {Shapes::line(Point(kMax, kMax), Point(kMax, kMax), kMax, kMax, window), {}},
        {Shapes::polySpans(Polygon{{Point(kMin, kMin), Point(kMax, kMin), Point(kMax, kMax), Point(kMin, kMax)}}, window), full},
        {Shapes::outline(std::vector<Edge>{{Point(kMin, kMin), Point(kMax, kMax)}, {Point(kMax, kMin), Point(kMax, kMax)}}, window),
         {{0, 0, 6}, {1, 1, 6}, {2, 2, 6}, {3, 3, 6}}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}
