// Span rasterizers: the documented small shapes, invariants over many shapes, windows and extremes.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <random>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace QuickDraw;
using qdtest::clipped;
using qdtest::picture;
using qdtest::tlbr;
using Spans = std::vector<Span>;
using Rows = std::vector<std::string>;

namespace {
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// Rows ascending, and within a row runs left to right without overlap.
void expectOrdered(const Spans& spans) {
    for (size_t i = 1; i < spans.size(); ++i) {
        const Span& a = spans[i - 1];
        const Span& b = spans[i];
        EXPECT_TRUE(a.y < b.y || (a.y == b.y && a.x1 <= b.x0))
            << "span " << i - 1 << " (" << a.y << "," << a.x0 << "," << a.x1 << ") before (" << b.y << "," << b.x0
            << "," << b.x1 << ")";
    }
}

// Which of the four quarter arcs covers each pixel of the oval.
std::map<std::pair<int64_t, int64_t>, int> coverage(const std::vector<Spans>& lists) {
    std::map<std::pair<int64_t, int64_t>, int> count;
    for (const Spans& spans : lists)
        for (const Span& s : spans)
            for (int64_t x = s.x0; x < s.x1; ++x)
                ++count[{x, s.y}];
    return count;
}
} // namespace

TEST(Shapes, LineDocumentedExamples) {
    EXPECT_EQ(Shapes::line(Point(0, 0), Point(5, 2), 1, 1), (Spans{{0, 0, 2}, {1, 2, 4}, {2, 4, 6}}));
    EXPECT_EQ(picture(Shapes::line(Point(0, 0), Point(5, 2), 2, 2), tlbr(0, 0, 4, 7)),
              (Rows{"###....", "#####..", "..#####", "....###"}));
    EXPECT_TRUE(Shapes::line(Point(0, 0), Point(5, 2), 0, 1).empty());
    EXPECT_TRUE(Shapes::line(Point(0, 0), Point(5, 2), 1, 0).empty());
    EXPECT_TRUE(Shapes::line(Point(0, 0), Point(5, 2), -3, 4).empty());
    EXPECT_EQ(Shapes::line(Point(3, 4), Point(3, 4), 2, 3), (Spans{{4, 3, 5}, {5, 3, 5}, {6, 3, 5}}));
}

TEST(Shapes, LineMatchesTheBresenhamGridWalk) {
    const uint32_t seed = std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uniform_int_distribution<int64_t> coordinate(-40, 40);
    std::uniform_int_distribution<int64_t> pen(0, 6);
    for (int i = 0; i < 3000; ++i) {
        const Point a(coordinate(rng), coordinate(rng));
        const Point b(coordinate(rng), coordinate(rng));
        const int64_t ph = pen(rng), pv = pen(rng);
        const Spans spans = Shapes::line(a, b, ph, pv);
        ASSERT_EQ(spans, qdtest::referenceLine(a, b, ph, pv))
            << "from (h " << a.h << ", v " << a.v << ") to (h " << b.h << ", v " << b.v << ") pen " << ph << "x" << pv;
    }
    // Every octant and both directions of the steep and flat cases, exhaustively near the origin.
    for (int64_t h = -9; h <= 9; ++h)
        for (int64_t v = -9; v <= 9; ++v)
            for (int64_t ph : {1, 3})
                ASSERT_EQ(Shapes::line(Point(0, 0), Point(h, v), ph, 2), qdtest::referenceLine(Point(0, 0), Point(h, v), ph, 2))
                    << "to (h " << h << ", v " << v << ") pen " << ph;
}

TEST(Shapes, RectAndFrame) {
    EXPECT_EQ(Shapes::rect(tlbr(1, 2, 3, 5)), (Spans{{1, 2, 5}, {2, 2, 5}}));
    EXPECT_TRUE(Shapes::rect(tlbr(1, 2, 1, 5)).empty());
    EXPECT_TRUE(Shapes::rect(tlbr(1, 5, 3, 5)).empty());
    EXPECT_TRUE(Shapes::rect(tlbr(3, 2, 1, 5)).empty());
    EXPECT_EQ(Shapes::frame(Shapes::rect(tlbr(0, 0, 4, 4)), Shapes::rect(tlbr(1, 1, 3, 3))),
              (Spans{{0, 0, 4}, {1, 0, 1}, {1, 3, 4}, {2, 0, 1}, {2, 3, 4}, {3, 0, 4}}));
    // The last inner span of a row counts; an empty inner span leaves the outer one whole.
    EXPECT_EQ(Shapes::frame(Spans{{0, 0, 10}}, Spans{{0, 2, 4}, {0, 6, 8}}), (Spans{{0, 0, 6}, {0, 8, 10}}));
    EXPECT_EQ(Shapes::frame(Spans{{0, 0, 10}}, Spans{{0, 5, 5}}), (Spans{{0, 0, 10}}));
    EXPECT_EQ(Shapes::frame(Spans{{0, 3, 6}}, Spans{{0, 0, 10}}), Spans{});
    EXPECT_EQ(Shapes::frame(Spans{{0, 3, 6}}, Spans{{0, 5, 10}}), (Spans{{0, 3, 5}}));
    EXPECT_EQ(Shapes::frame(Spans{{0, 3, 6}}, Spans{{0, 0, 4}}), (Spans{{0, 4, 6}}));
}

TEST(Shapes, OvalDocumentedExamples) {
    EXPECT_EQ(Shapes::oval(tlbr(0, 0, 4, 4)), (Spans{{0, 1, 3}, {1, 0, 4}, {2, 0, 4}, {3, 1, 3}}));
    EXPECT_EQ(Shapes::oval(tlbr(0, 0, 1, 1)), (Spans{{0, 0, 1}}));
    EXPECT_EQ(Shapes::oval(tlbr(0, 0, 3, 5)), (Spans{{0, 1, 4}, {1, 0, 5}, {2, 1, 4}}));
    EXPECT_EQ(picture(Shapes::oval(tlbr(0, 0, 8, 8)), tlbr(0, 0, 8, 8)),
              (Rows{"..####..", ".######.", "########", "########", "########", "########", ".######.", "..####.."}));
    EXPECT_TRUE(Shapes::oval(tlbr(0, 0, 0, 4)).empty());
    EXPECT_TRUE(Shapes::oval(tlbr(0, 4, 4, 4)).empty());
    // Moving the rectangle moves the oval.
    Spans moved = Shapes::oval(tlbr(0, 0, 4, 4));
    for (Span& s : moved)
        s = Span{s.y + 10, s.x0 - 7, s.x1 - 7};
    EXPECT_EQ(Shapes::oval(tlbr(10, -7, 14, -3)), moved);
}

// At most one run per row, mirrored left to right and top to bottom; the middle row is never empty
// (a thin oval may lose its end rows).
void expectSymmetricRows(const Spans& spans, int64_t w, int64_t h, const std::string& what) {
    std::map<int64_t, Span> byRow;
    for (const Span& s : spans) {
        ASSERT_TRUE(s.y >= 0 && s.y < h && s.x0 < s.x1) << what;
        ASSERT_TRUE(byRow.emplace(s.y, s).second) << what << ": row " << s.y << " has two runs";
    }
    ASSERT_TRUE(byRow.count(h / 2)) << what << ": middle row";
    for (const auto& [y, s] : byRow) {
        EXPECT_EQ(s.x0, w - s.x1) << what << " row " << y << " is centred";
        const auto mirror = byRow.find(h - 1 - y);
        ASSERT_NE(mirror, byRow.end()) << what << " row " << y << " has no mirror row";
        EXPECT_EQ(mirror->second.x0, s.x0) << what << " rows " << y << " and " << h - 1 - y;
    }
}

TEST(Shapes, OvalsAreSymmetricAndNeverEmpty) {
    for (int64_t h = 1; h <= 40; ++h)
        for (int64_t w = 1; w <= 40; ++w) {
            const Spans spans = Shapes::oval(tlbr(0, 0, h, w));
            expectOrdered(spans);
            expectSymmetricRows(spans, w, h, std::to_string(w) + "x" + std::to_string(h));
        }
    // A thin oval keeps only its middle rows.
    EXPECT_EQ(Shapes::oval(tlbr(0, 0, 8, 2)).size(), 6u);
}

TEST(Shapes, RoundRect) {
    Rows expected(8, "##########");
    expected.front() = expected.back() = ".########.";
    EXPECT_EQ(picture(Shapes::roundRect(tlbr(0, 0, 8, 10), 4, 4), tlbr(0, 0, 8, 10)), expected);
    for (auto [cw, ch] : std::vector<std::pair<int64_t, int64_t>>{{1, 8}, {8, 1}, {0, 0}, {-5, 6}, {kMin, kMax}})
        EXPECT_EQ(Shapes::roundRect(tlbr(2, 3, 9, 12), cw, ch), Shapes::rect(tlbr(2, 3, 9, 12))) << cw << "x" << ch;
    // Corners larger than the rectangle shrink to its size.
    for (auto r : {tlbr(0, 0, 8, 10), tlbr(1, 2, 6, 5), tlbr(0, 0, 3, 3)}) {
        EXPECT_EQ(Shapes::roundRect(r, 1000, 1000), Shapes::roundRect(r, r.width(), r.height()));
        EXPECT_EQ(Shapes::roundRect(r, kMax, kMax), Shapes::roundRect(r, r.width(), r.height()));
    }
    EXPECT_TRUE(Shapes::roundRect(tlbr(0, 0, 0, 10), 4, 4).empty());
    // Round rectangles are symmetric like ovals and never empty.
    for (int64_t h = 1; h <= 20; ++h)
        for (int64_t w = 1; w <= 20; ++w)
            for (int64_t c : {2, 3, 5, 8, 30})
                expectSymmetricRows(Shapes::roundRect(tlbr(0, 0, h, w), c, c), w, h,
                                    std::to_string(w) + "x" + std::to_string(h) + " corner " + std::to_string(c));
}

TEST(Shapes, ArcDocumentedExamples) {
    const Rect r = tlbr(0, 0, 8, 8);
    const Spans quarter{{0, 4, 6}, {1, 4, 7}, {2, 4, 8}, {3, 4, 8}};
    EXPECT_EQ(Shapes::arc(r, 0, 90), quarter);
    EXPECT_EQ(Shapes::arc(r, 90, -90), quarter);
    EXPECT_EQ(Shapes::arc(r, 0, 360), Shapes::oval(r));
    EXPECT_EQ(Shapes::arc(r, 45, -360), Shapes::oval(r));
    EXPECT_EQ(Shapes::arc(r, 17, 1000), Shapes::oval(r));
    EXPECT_TRUE(Shapes::arc(r, 30, 0).empty());
    EXPECT_TRUE(Shapes::arc(tlbr(0, 0, 0, 8), 0, 90).empty());
    // Start angles are taken modulo 360.
    EXPECT_EQ(Shapes::arc(r, 360, 90), quarter);
    EXPECT_EQ(Shapes::arc(r, -720, 90), quarter);
}

TEST(Shapes, QuarterArcsPartitionTheOval) {
    for (const Rect& r : {tlbr(0, 0, 8, 8), tlbr(0, 0, 7, 12), tlbr(3, -4, 20, 9), tlbr(0, 0, 1, 1), tlbr(0, 0, 2, 9)}) {
        const auto count = coverage({Shapes::arc(r, 0, 90), Shapes::arc(r, 90, 90), Shapes::arc(r, 180, 90),
                                     Shapes::arc(r, 270, 90)});
        const auto whole = coverage({Shapes::oval(r)});
        ASSERT_EQ(count.size(), whole.size());
        for (const auto& [pixel, n] : count)
            EXPECT_EQ(n, 1) << "pixel " << pixel.first << "," << pixel.second << " covered " << n << " times";
        for (int64_t start : {-30, 0, 45, 200})
            for (int64_t sweep : {1, 45, 100, 359}) {
                EXPECT_EQ(Shapes::arc(r, start, -sweep), Shapes::arc(r, start - sweep, sweep));
                expectOrdered(Shapes::arc(r, start, sweep));
            }
    }
}

TEST(Shapes, OutlineAndPolygons) {
    const std::vector<Edge> triangle{{Point(0, 0), Point(4, 4)}, {Point(4, 4), Point(0, 4)}, {Point(0, 4), Point(0, 0)}};
    EXPECT_EQ(Shapes::outline(triangle), (Spans{{1, 0, 1}, {2, 0, 2}, {3, 0, 3}}));
    Polygon polygon;
    polygon.points = {Point(0, 0), Point(4, 4), Point(0, 4)};
    EXPECT_EQ(Shapes::polySpans(polygon), Shapes::outline(triangle));
    polygon.points.push_back(Point(0, 0)); // already closed: no extra edge
    EXPECT_EQ(Shapes::polySpans(polygon), Shapes::outline(triangle));
    EXPECT_TRUE(Shapes::polySpans(Polygon{{Point(3, 3)}}).empty());
    EXPECT_TRUE(Shapes::polySpans(Polygon{}).empty());
    // A square: the left column is in, the right one (exclusive crossing) and the bottom row are out.
    Polygon square{{Point(1, 1), Point(5, 1), Point(5, 4), Point(1, 4)}};
    EXPECT_EQ(Shapes::polySpans(square), (Spans{{1, 1, 5}, {2, 1, 5}, {3, 1, 5}}));
    // Even-odd: a square inside a square leaves a hole.
    const std::vector<Edge> nested{{Point(0, 0), Point(0, 6)}, {Point(6, 0), Point(6, 6)},
                                   {Point(2, 2), Point(2, 4)}, {Point(4, 2), Point(4, 4)}};
    EXPECT_EQ(picture(Shapes::outline(nested), tlbr(0, 0, 6, 6)),
              (Rows{"######", "######", "##..##", "##..##", "######", "######"}));
    // Crossings round halves away from zero: slope 1/2 to the right and to the left.
    EXPECT_EQ(Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(2, 4)}, {Point(9, 0), Point(9, 4)}}),
              (Spans{{0, 0, 9}, {1, 1, 9}, {2, 1, 9}, {3, 2, 9}}));
    EXPECT_EQ(Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(-2, 4)}, {Point(9, 0), Point(9, 4)}}),
              (Spans{{0, 0, 9}, {1, -1, 9}, {2, -1, 9}, {3, -2, 9}}));
    // Horizontal edges and an odd crossing give nothing.
    EXPECT_TRUE(Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(9, 0)}}).empty());
    EXPECT_TRUE(Shapes::outline(std::vector<Edge>{{Point(0, 0), Point(0, 9)}}).empty());
}

// A window keeps exactly the rows inside it and cuts the columns, whatever the shape.
TEST(Shapes, WindowKeepsExactlyTheClippedPixels) {
    const uint32_t seed = std::random_device{}();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uniform_int_distribution<int64_t> c(-20, 20);
    for (int i = 0; i < 800; ++i) {
        const Rect r(c(rng), c(rng), c(rng), c(rng));
        const Rect window(c(rng), c(rng), c(rng), c(rng));
        const int64_t a = c(rng) * 20, b = c(rng) * 20;
        const Point p(c(rng), c(rng)), q(c(rng), c(rng));
        const int64_t ph = c(rng) / 4 + 2, pv = c(rng) / 4 + 2;
        const Polygon polygon{{p, q, Point(c(rng), c(rng)), Point(c(rng), c(rng))}};
        ASSERT_EQ(Shapes::rect(r, window), clipped(Shapes::rect(r), window));
        ASSERT_EQ(Shapes::oval(r, window), clipped(Shapes::oval(r), window));
        ASSERT_EQ(Shapes::roundRect(r, ph * 3, pv * 3, window), clipped(Shapes::roundRect(r, ph * 3, pv * 3), window));
        ASSERT_EQ(Shapes::arc(r, a, b, window), clipped(Shapes::arc(r, a, b), window));
        ASSERT_EQ(Shapes::line(p, q, ph, pv, window), clipped(Shapes::line(p, q, ph, pv), window));
        ASSERT_EQ(Shapes::polySpans(polygon, window), clipped(Shapes::polySpans(polygon), window));
    }
}

TEST(Shapes, ExtremeCoordinatesStayInsideTheWindow) {
    const Rect window = tlbr(0, 0, 4, 6);
    const Spans full = Shapes::rect(window);
    const Rect everything(kMin, kMin, kMax, kMax);
    EXPECT_EQ(Shapes::rect(everything, window), full);
    EXPECT_EQ(Shapes::oval(Rect(-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62), window), full);
    EXPECT_EQ(Shapes::oval(everything, window), full);
    EXPECT_EQ(Shapes::roundRect(everything, kMax, kMax, window), full);
    EXPECT_EQ(Shapes::roundRect(everything, 16, 16, window), full);
    // The lower right quarter of a huge oval centred on the origin covers the whole window.
    EXPECT_EQ(Shapes::arc(Rect(-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62), 90, 90, window), full);
    // Start angles beyond what a double holds exactly still count modulo 360.
    EXPECT_EQ(Shapes::arc(Rect(-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62), 360 * (1LL << 54) + 90, 90, window), full);
    EXPECT_TRUE(Shapes::rect(Rect(kMax - 5, kMax - 5, kMax, kMax), window).empty());
    // The main diagonal from one corner of the plane to the other.
    EXPECT_EQ(Shapes::line(Point(kMin, kMin), Point(kMax, kMax), 1, 1, window),
              (Spans{{0, 0, 1}, {1, 1, 2}, {2, 2, 3}, {3, 3, 4}}));
    EXPECT_EQ(Shapes::line(Point(kMax, kMax), Point(kMin, kMin), 1, 1, window),
              (Spans{{0, 0, 1}, {1, 1, 2}, {2, 2, 3}, {3, 3, 4}}));
    // A flat line rising one row at its middle step (h 0): row 0 ends left of the window.
    EXPECT_EQ(Shapes::line(Point(-(1LL << 62), 0), Point(1LL << 62, 1), 1, 1, window), (Spans{{1, 0, 6}}));
    // A huge pen covers the window from any start.
    EXPECT_EQ(Shapes::line(Point(kMin, kMin), Point(kMin, kMin), kMax, kMax, window), Spans{});
    EXPECT_EQ(Shapes::line(Point(-5, -5), Point(-5, -5), kMax, kMax, window), full);
    EXPECT_EQ(Shapes::line(Point(kMax, kMax), Point(kMax, kMax), kMax, kMax, window), Spans{});
    // A square over the whole plane.
    const Polygon plane{{Point(kMin, kMin), Point(kMax, kMin), Point(kMax, kMax), Point(kMin, kMax)}};
    EXPECT_EQ(Shapes::polySpans(plane, window), full);
    const std::vector<Edge> steep{{Point(kMin, kMin), Point(kMax, kMax)}, {Point(kMax, kMin), Point(kMax, kMax)}};
    EXPECT_EQ(Shapes::outline(steep, window), (Spans{{0, 0, 6}, {1, 1, 6}, {2, 2, 6}, {3, 3, 6}}));
}
