// Span rasterizers: the documented small shapes, lines against an independent Bresenham walk.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

namespace {

// The all-octant Bresenham walk stamping the pen on a grid, then maximal runs row by row.
Spans referenceLine(Point a, Point b, int64_t ph, int64_t pv) {
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
        {Shapes::oval(tlbr(0, 0, 4, 4)), {{0, 1, 3}, {1, 0, 4}, {2, 0, 4}, {3, 1, 3}}},
        {Shapes::oval(tlbr(0, 0, 3, 5)), {{0, 1, 4}, {1, 0, 5}, {2, 1, 4}}},
        {Shapes::oval(tlbr(0, 0, 1, 1)), {{0, 0, 1}}}, {Shapes::oval(tlbr(0, 4, 4, 4)), {}},
        {Shapes::arc(r8, 0, 90), quarter}, {Shapes::arc(r8, 90, -90), quarter}, {Shapes::arc(r8, 30, 0), {}},
        {Shapes::arc(r8, 17, 1000), Shapes::oval(r8)},
        // The wedge ends before the ray at start + sweep: the pixels due east (90 degrees) are left out.
        {Shapes::arc(tlbr(0, 0, 3, 4), 0, 90), {{0, 2, 3}}},
        {Shapes::roundRect(tlbr(1, 2, 6, 5), kMax, kMax), Shapes::roundRect(tlbr(1, 2, 6, 5), 3, 5)},
        // Rows at least half the corner height from the top and the bottom are whole, however wide the corner.
        {Shapes::roundRect(tlbr(0, 0, 6, 40), 40, 4, tlbr(2, -9, 4, 49)), {{2, 0, 40}, {3, 0, 40}}},
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
}

