// Drawing context: transfer modes, pattern anchoring, every painter, pen visibility and recording,
// regions, polygons, clipping and random numbers.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

namespace {
using Draw = std::function<void(QuickDrawContext&)>;

// Each mode's truth table: the new pixel for (d 0, p 1), (d 0, p 0), (d 1, p 1), (d 1, p 0); whether it flashes.
const std::vector<std::tuple<PenMode, std::string, bool>> kModes = {
    {PenMode::patCopy, "#.#.", false},    {PenMode::patOr, "#.##", false},    {PenMode::patXor, "#..#", true},
    {PenMode::patBic, "...#", false},     {PenMode::notPatCopy, ".#.#", false}, {PenMode::notPatOr, ".###", false},
    {PenMode::notPatXor, ".##.", true},   {PenMode::notPatBic, "..#.", false},
};
} // namespace

// Runs at every alignment over a random destination, pixel for pixel against the truth tables. XOR modes
// mark every visited pixel, changed or not: after a second pass the whole run shows inverted once.
TEST(Context, TransferModesFollowTheirTruthTables) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (const auto& [mode, result, flashes] : kModes)
        for (const Pattern& pattern : {Pattern::white, Pattern::black, Pattern::gray, Pattern::dkGray,
                                       Pattern({0x01, 0x80, 0x0F, 0xF0, 0x3C, 0xC3, 0x00, 0xFF})})
            for (const Rect& r : {tlbr(0, 0, 9, 600), tlbr(1, 3, 8, 597), tlbr(2, 7, 5, 270), tlbr(0, 5, 9, 12)}) {
                SCOPED_TRACE("mode " + std::to_string(rawValue(mode)) + " fill " + describe(r));
                Canvas canvas(600, 9);
                for (int64_t y = 0; y < 9; ++y)
                    for (int64_t x = 0; x < 600; ++x)
                        canvas.port.bitmap.setPixel(x, y, (rng() & 1) != 0);
                const std::vector<uint8_t> before = sample(canvas.port.bitmap);
                canvas.qd.penPat(pattern), canvas.qd.penMode(mode), canvas.qd.paintRect(r);
                EXPECT_EQ(canvas.port.bitmap.hasFlashes(), flashes);
                std::vector<uint8_t> shown = before;
                for (int64_t y = 0; y < 9; ++y)
                    for (int64_t x = 0; x < 600; ++x) {
                        const bool d = before[static_cast<size_t>(y * 600 + x)] != 0, in = r.contains(Point(x, y));
                        const bool want = result[static_cast<size_t>(2 * d + !pattern.bit(x, y))] == '#';
                        ASSERT_EQ(canvas.port.bitmap.pixel(x, y), in ? want : d) << "pixel " << x << "," << y;
                        shown[static_cast<size_t>(y * 600 + x)] ^= in && flashes;
                    }
                const std::vector<uint8_t> once = canvas.port.bitmap.bits();
                canvas.qd.paintRect(r); // XOR undoes itself; the other modes give the same pixels again
                EXPECT_EQ(canvas.port.bitmap.bits(), flashes ? before : once);
                EXPECT_EQ(sample(canvas.port.bitmap), flashes ? shown : once);
            }
}

TEST(Context, PatternsAreAnchoredToTheBitmap) {
    // Adjacent fills of odd widths, and the pen pattern in any shape, continue one pattern.
    Canvas pieces(16, 16);
    for (const Rect& r : {tlbr(0, 0, 3, 5), tlbr(0, 5, 3, 16), tlbr(3, 0, 8, 11), tlbr(3, 11, 8, 16)})
        pieces.qd.fillRect(r, Pattern::gray);
    pieces.qd.penPat(Pattern::ltGray), pieces.qd.paintOval(tlbr(8, 3, 16, 14));
    const Spans oval = Shapes::oval(tlbr(8, 3, 16, 14));
    for (int64_t y = 0; y < 16; ++y)
        for (int64_t x = 0; x < 16; ++x) {
            const bool inOval = !clipped(oval, tlbr(y, x, y + 1, x + 1)).empty();
            EXPECT_EQ(pieces.port.bitmap.pixel(x, y), y < 8 ? Pattern::gray.bit(x, y) : inOval && Pattern::ltGray.bit(x, y)) << x << "," << y;
        }
}

TEST(Context, EveryShapeCallPaintsItsSpansAsOneChange) {
    const Rect r = tlbr(2, 1, 13, 15), all = tlbr(0, 0, 16, 16);
    const Region overlapping{{Span{0, 0, 4}, Span{0, 2, 6}}}; // spans are applied one after another
    const std::vector<std::tuple<std::string, Draw, Spans>> cases = {
        {"paintRect", [&](QuickDrawContext& qd) { qd.paintRect(r); }, Shapes::rect(r)},
        {"fillRect", [&](QuickDrawContext& qd) { qd.fillRect(r, Pattern::black); }, Shapes::rect(r)},
        {"invertRect", [&](QuickDrawContext& qd) { qd.invertRect(r); }, Shapes::rect(r)},
        {"paintOval", [&](QuickDrawContext& qd) { qd.paintOval(r); }, Shapes::oval(r)},
        {"invertOval", [&](QuickDrawContext& qd) { qd.invertOval(r); }, Shapes::oval(r)},
        {"invertRoundRect", [&](QuickDrawContext& qd) { qd.invertRoundRect(r, 6, 4); }, Shapes::roundRect(r, 6, 4)},
        {"fillRoundRect", [&](QuickDrawContext& qd) { qd.fillRoundRect(r, 6, 4, Pattern::black); }, Shapes::roundRect(r, 6, 4)},
        {"paintArc", [&](QuickDrawContext& qd) { qd.paintArc(r, 30, 200); }, Shapes::arc(r, 30, 200)},
        {"lineTo", [&](QuickDrawContext& qd) { qd.moveTo(1, 2); qd.penSize(2, 3); qd.lineTo(14, 9); },
         Shapes::line(Point(1, 2), Point(14, 9), 2, 3)},
        // Pen width and height inset the sides separately; oval and round-rectangle frames use the inset shape.
        {"frameRect", [&](QuickDrawContext& qd) { qd.penSize(2, 1); qd.frameRect(tlbr(0, 0, 6, 8)); },
         Shapes::frame(Shapes::rect(tlbr(0, 0, 6, 8)), Shapes::rect(tlbr(1, 2, 5, 6)))},
        {"frameOval", [&](QuickDrawContext& qd) { qd.penSize(2, 1); qd.frameOval(r); },
         Shapes::frame(Shapes::oval(r), Shapes::oval(r.insetBy(2, 1)))},
        {"frameRoundRect", [&](QuickDrawContext& qd) { qd.penSize(1, 2); qd.frameRoundRect(r, 8, 6); },
         Shapes::frame(Shapes::roundRect(r, 8, 6), Shapes::roundRect(r.insetBy(1, 2), 6, 2))},
        {"invertRgn", [&](QuickDrawContext& qd) { qd.invertRgn(overlapping); }, {{0, 0, 2}, {0, 4, 6}}},
        {"fillRgn", [&](QuickDrawContext& qd) { qd.fillRgn(overlapping, Pattern::black); }, {{0, 0, 6}}},
        {"eraseOval", [&](QuickDrawContext& qd) { qd.paintRect(all); qd.eraseOval(r); }, Shapes::frame(Shapes::rect(all), Shapes::oval(r))},
    };
    for (const auto& [name, draw, spans] : cases) {
        Canvas canvas(16, 16);
        draw(canvas.qd);
        EXPECT_EQ(canvas.rows(), picture(spans, all)) << name;
        EXPECT_EQ(canvas.count(), name == "eraseOval" ? 2 : 1) << name;
    }
}

// Hidden pens (a counter) and open regions or polygons suppress every painter, text included: no pixel,
// no change, no flash, no text advance; pen moves still move the pen.
TEST(Context, HiddenPenAndRecordingSuppressEveryPainter) {
    const Rect r = tlbr(0, 0, 8, 8);
    const Region region{{Span{1, 0, 8}}};
    const Polygon polygon{{Point(0, 0), Point(8, 0), Point(8, 8)}};
    const std::vector<Draw> calls = {
        [&](QuickDrawContext& qd) { qd.paintRect(r); },  [&](QuickDrawContext& qd) { qd.frameRect(r); },
        [&](QuickDrawContext& qd) { qd.eraseRect(r); },  [&](QuickDrawContext& qd) { qd.invertRect(r); },
        [&](QuickDrawContext& qd) { qd.fillRect(r, Pattern::gray); }, [&](QuickDrawContext& qd) { qd.frameOval(r); },
        [&](QuickDrawContext& qd) { qd.paintOval(r); },  [&](QuickDrawContext& qd) { qd.eraseOval(r); },
        [&](QuickDrawContext& qd) { qd.invertOval(r); }, [&](QuickDrawContext& qd) { qd.paintArc(r, 0, 90); },
        [&](QuickDrawContext& qd) { qd.frameRoundRect(r, 4, 4); }, [&](QuickDrawContext& qd) { qd.invertRoundRect(r, 4, 4); },
        [&](QuickDrawContext& qd) { qd.fillRoundRect(r, 4, 4, Pattern::black); },
        [&](QuickDrawContext& qd) { qd.fillRgn(region, Pattern::black); }, [&](QuickDrawContext& qd) { qd.invertRgn(region); },
        [&](QuickDrawContext& qd) { qd.fillPoly(polygon, Pattern::black); }, [&](QuickDrawContext& qd) { qd.invertPoly(polygon); },
        [&](QuickDrawContext& qd) { qd.moveTo(2, 20), qd.drawString("Fire"); }, [&](QuickDrawContext& qd) { qd.lineTo(7, 7); },
    };
    const std::vector<std::tuple<std::string, Draw, Draw>> ways = {
        {"hidePen twice, showPen once", [](QuickDrawContext& qd) { qd.hidePen(), qd.hidePen(), qd.showPen(); },
         [](QuickDrawContext& qd) { qd.showPen(); }},
        {"openRgn", [](QuickDrawContext& qd) { qd.openRgn(); }, [](QuickDrawContext& qd) { Region r; qd.closeRgn(r); }},
        {"openPoly", [](QuickDrawContext& qd) { qd.openPoly(); }, [](QuickDrawContext& qd) { qd.closePoly(); }},
    };
    for (const auto& [how, suppress, resume] : ways) {
        Canvas canvas(8, 30);
        suppress(canvas.qd);
        EXPECT_EQ(canvas.port.pnVis, -1) << how;
        for (size_t i = 0; i < calls.size(); ++i) {
            calls[i](canvas.qd);
            EXPECT_EQ(canvas.black() + canvas.count(), 0) << how << ", call " << i;
            EXPECT_FALSE(canvas.port.bitmap.hasFlashes()) << how << ", call " << i;
            EXPECT_TRUE(i + 2 != calls.size() || canvas.port.pnLoc == Point(2, 20)) << how << ": suppressed text does not advance";
        }
        EXPECT_EQ(canvas.port.pnLoc, Point(7, 7)) << how;
        resume(canvas.qd);
        for (size_t i = 0; i < calls.size(); ++i) {
            calls[i](canvas.qd);
            EXPECT_EQ(canvas.count(), static_cast<int64_t>(i) + 1) << how << ": call " << i << " is one change";
        }
    }
}

TEST(Context, PenNormalLinesAndSetPort) {
    Canvas canvas(6, 3);
    QuickDrawContext& qd = canvas.qd;
    qd.penSize(3, 4), qd.penMode(PenMode::notPatOr), qd.penPat(Pattern::dkGray), qd.hidePen(), qd.moveTo(10, 5);
    qd.penNormal(); // leaves visibility and location alone
    EXPECT_EQ(std::tie(canvas.port.pnSize, canvas.port.pnMode, canvas.port.pnPat, canvas.port.pnVis, canvas.port.pnLoc),
              std::make_tuple(PenSize{1, 1}, PenMode::patCopy, Pattern::black, -1, Point(10, 5)));
    qd.showPen(), qd.moveTo(0, 0), qd.lineTo(5, 2);
    EXPECT_EQ(canvas.rows(), (Rows{"##....", "..##..", "....##"}));
    EXPECT_EQ(canvas.port.pnLoc, Point(5, 2)) << "a line leaves the pen at its end";
    GrafPort other(8, 8); // each port has its own pen and recording state
    qd.openRgn(), qd.penSize(3, 3), qd.setPort(other);
    EXPECT_EQ(&qd.thePort(), &other);
    qd.paintRect(tlbr(0, 0, 2, 2));
    EXPECT_EQ(other.bitmap.dump(tlbr(0, 0, 3, 3)), (Rows{"##.", "##.", "..."}));
    qd.setPort(canvas.port), qd.paintRect(tlbr(0, 0, 2, 2));
    EXPECT_EQ(canvas.count(), 1) << "the first port still records";
}

TEST(Context, RegionsAndPolygonsRecordInsteadOfDrawingAndFillEvenOdd) {
    Canvas canvas(8, 8);
    QuickDrawContext& qd = canvas.qd;
    auto region = qd.newRgn();
    ASSERT_TRUE(region && region->spans.empty());
    qd.openRgn(), qd.moveTo(1, 1), qd.lineTo(6, 1), qd.lineTo(6, 5), qd.lineTo(1, 5), qd.lineTo(1, 1);
    ASSERT_TRUE(canvas.port.regionEdges.has_value());
    EXPECT_EQ(canvas.port.regionEdges->size(), 4u) << "moveTo records no edge";
    qd.closeRgn(*region);
    EXPECT_FALSE(canvas.port.regionEdges.has_value());
    EXPECT_EQ(canvas.port.pnVis + canvas.count(), 0);
    qd.fillRgn(*region, Pattern::black);
    EXPECT_EQ(canvas.rows(), (Rows{"........", ".#####..", ".#####..", ".#####..", ".#####..", "........", "........", "........"}));
    qd.invertRgn(*region), qd.disposeRgn(*region);
    EXPECT_EQ(canvas.black(), 0);
    Region other{{Span{0, 0, 1}}}; // closing without opening: an empty region, the pen level raised
    qd.closeRgn(other);
    EXPECT_TRUE(other.spans.empty());
    EXPECT_EQ(canvas.port.pnVis, 1);
    qd.hidePen();
    auto polygon = qd.openPoly();
    EXPECT_EQ(canvas.port.polygon, polygon);
    qd.moveTo(0, 0), qd.lineTo(6, 0); // the first point, then an edge
    qd.moveTo(3, 3), qd.lineTo(6, 6), qd.lineTo(0, 6); // later moves move the pen only
    qd.closePoly();
    EXPECT_EQ(canvas.port.polygon, nullptr);
    EXPECT_EQ(canvas.port.pnVis, 0);
    EXPECT_EQ(polygon->points, (std::vector<Point>{Point(0, 0), Point(6, 0), Point(6, 6), Point(0, 6)}));
    qd.fillPoly(*polygon, Pattern::black);
    EXPECT_EQ(canvas.rows(), (Rows{"######..", "######..", "######..", "######..", "######..", "######..", "........", "........"}));
    auto second = qd.openPoly(); // without a moveTo the first lineTo starts at the pen
    qd.lineTo(2, 2), qd.closePoly();
    EXPECT_EQ(second->points, (std::vector<Point>{Point(0, 6), Point(2, 2)}));
    auto third = qd.openPoly(); // a region open at the same time takes the edges
    qd.openRgn(), qd.lineTo(5, 5);
    EXPECT_TRUE(third->points.empty());
    EXPECT_EQ(canvas.port.regionEdges->size(), 1u);
}

// A region is its whole recorded outline, whatever port recorded it: rows beyond that port's bitmap stay
// in it and paint into a larger port.
TEST(Context, RegionsKeepEveryRecordedRow) {
    const auto record = [](QuickDrawContext& qd, const std::vector<Point>& corners) {
        Region region;
        qd.openRgn(), qd.moveTo(corners.back().h, corners.back().v);
        for (const Point& p : corners)
            qd.lineTo(p.h, p.v);
        qd.closeRgn(region);
        return region;
    };
    Canvas small(8, 4);
    const Region tall = record(small.qd, {Point(1, 1), Point(6, 1), Point(6, 10), Point(1, 10)});
    EXPECT_TRUE(tall.contains(1, 9) && tall.contains(5, 4));
    EXPECT_FALSE(tall.contains(6, 5) || tall.contains(3, 10) || tall.contains(0, 5));
    GrafPort large(8, 11);
    small.qd.setPort(large), small.qd.fillRgn(tall, Pattern::black);
    const Rows rows = large.bitmap.dump(tlbr(0, 0, 11, 8));
    EXPECT_EQ(rows, (Rows{"........", ".#####..", ".#####..", ".#####..", ".#####..", ".#####..", ".#####..", ".#####..",
                          ".#####..", ".#####..", "........"}));

}

TEST(Context, ClippingToPortRectAndBitmap) {
    Canvas canvas(8, 6);
    canvas.port.portRect = tlbr(1, 2, 4, 20);
    canvas.qd.paintRect(tlbr(-5, -5, 50, 50));
    EXPECT_EQ(canvas.rows(), (Rows{"........", "..######", "..######", "..######", "........", "........"}));
    canvas.port.portRect = tlbr(-1, 0, 1, 8); // getPixel ignores portRect and answers white outside the bitmap
    EXPECT_TRUE(canvas.qd.getPixel(7, 1));
    EXPECT_FALSE(canvas.qd.getPixel(8, 1));
    EXPECT_FALSE(canvas.qd.getPixel(kMax, kMin));
    canvas.port.portRect = tlbr(-10, -10, -1, -1); // off the bitmap: everything clipped, the call still counts
    const Rows rows = canvas.rows();
    canvas.qd.paintRect(tlbr(0, 0, 6, 8));
    EXPECT_EQ(canvas.rows(), rows);
    EXPECT_EQ(canvas.count(), 2);
}

TEST(Random, MinimalStandardSequenceFromSeedOne) {
    GrafPort port(1, 1);
    QuickDrawContext qd(port);
    EXPECT_EQ(qd.randSeed, 1);
    for (int64_t seed : {16807, 282475249, 1622650073, 984943658, 1144108930, 470211272, 101027544, 1457850878,
                         1458777923, 2007237709}) {
        const auto low = static_cast<uint16_t>(seed & 0xFFFF); // the low half word, signed; 0x8000 answers 0
        EXPECT_EQ(qd.random(), low == 0x8000 ? 0 : static_cast<int16_t>(low));
        EXPECT_EQ(qd.randSeed, seed);
    }
    qd.randSeed = 1;
    for (int i = 0; i < 10000; ++i) {
        const int64_t r = qd.random();
        ASSERT_TRUE(r >= -32767 && r <= 32767) << r;
    }
    EXPECT_EQ(qd.randSeed, 1043618065) << "the generator's published check value";
    // The seed whose successor's low half word is 0x8000 answers 0, not -32768.
    constexpr int32_t before = 728562614;
    static_assert(int64_t{before} * 16807 % 0x7FFFFFFF == 0x18000);
    qd.randSeed = before;
    EXPECT_EQ(qd.random(), 0);
    EXPECT_EQ(qd.randSeed, 0x18000);
}
