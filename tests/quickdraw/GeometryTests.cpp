// Value types: Point, Rect, Pattern, PenMode, Style.
#include <gtest/gtest.h>

#include <limits>
#include <unordered_set>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace QuickDraw;
using qdtest::tlbr;

namespace {
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
} // namespace

TEST(Geometry, LabelledConstructorsStoreInStorageOrder) {
    const Point p(3, 5);
    EXPECT_EQ(p.v, 5);
    EXPECT_EQ(p.h, 3);
    const Rect r(1, 2, 3, 4);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.bottom, 4);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(Point::zero, Point(0, 0));
    EXPECT_EQ(Rect::zero, Rect(0, 0, 0, 0));
}

TEST(Geometry, RectExtentsAreExclusive) {
    const Rect r(0, 0, 10, 10);
    struct Case {
        Point p;
        bool inside;
    };
    const std::vector<Case> cases = {
        {Point(10, 0), false}, {Point(9, 9), true}, {Point(0, 0), true},  {Point(0, 10), false},
        {Point(-1, 5), false}, {Point(5, -1), false}, {Point(9, 10), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(r.contains(c.p), c.inside) << "h " << c.p.h << " v " << c.p.v;
    EXPECT_EQ(r.width(), 10);
    EXPECT_EQ(r.height(), 10);
}

TEST(Geometry, EmptinessWidthAndInset) {
    EXPECT_FALSE(tlbr(0, 0, 1, 1).isEmpty());
    EXPECT_TRUE(tlbr(0, 0, 0, 5).isEmpty());
    EXPECT_TRUE(tlbr(0, 5, 5, 5).isEmpty());
    EXPECT_TRUE(tlbr(5, 0, 2, 5).isEmpty());
    // Inverted rectangles keep negative extents.
    EXPECT_EQ(tlbr(5, 7, 2, 3).width(), -4);
    EXPECT_EQ(tlbr(5, 7, 2, 3).height(), -3);
    // Inset moves each edge; negative values grow; no normalisation.
    EXPECT_EQ(tlbr(0, 0, 10, 20).insetBy(2, 3), tlbr(3, 2, 7, 18));
    EXPECT_EQ(tlbr(0, 0, 10, 20).insetBy(-1, -2), tlbr(-2, -1, 12, 21));
    EXPECT_EQ(tlbr(0, 0, 4, 4).insetBy(3, 3), tlbr(3, 3, 1, 1));
    // Near the limits the arithmetic saturates instead of overflowing.
    EXPECT_EQ(Rect(kMin, kMin, kMax, kMax).width(), kMax);
    EXPECT_EQ(Rect(kMin, kMin, kMax, kMax).insetBy(-1, -1), Rect(kMin, kMin, kMax, kMax));
}

TEST(Geometry, Intersection) {
    EXPECT_FALSE(tlbr(0, 0, 10, 10).intersection(tlbr(10, 0, 20, 10)).has_value());
    EXPECT_FALSE(tlbr(0, 0, 10, 10).intersection(tlbr(0, 10, 10, 20)).has_value());
    EXPECT_EQ(tlbr(0, 0, 10, 10).intersection(tlbr(5, -3, 20, 7)), tlbr(5, 0, 10, 7));
    EXPECT_EQ(tlbr(2, 3, 4, 5).intersection(tlbr(2, 3, 4, 5)), tlbr(2, 3, 4, 5));
}

TEST(Geometry, EqualityAndHashingAreMemberwise) {
    std::unordered_set<Point> points{Point(1, 2), Point(2, 1), Point(1, 2)};
    EXPECT_EQ(points.size(), 2u);
    std::unordered_set<Rect> rects{Rect(1, 2, 3, 4), Rect(2, 1, 4, 3), Rect(1, 2, 3, 4)};
    EXPECT_EQ(rects.size(), 2u);
    EXPECT_NE(Point(1, 2), Point(2, 1));
    EXPECT_EQ((Span{1, 2, 3}), (Span{1, 2, 3}));
    EXPECT_NE((Span{1, 2, 3}), (Span{1, 2, 4}));
}

TEST(Pattern, NamedPatternsHaveTheirRowBytes) {
    struct Case {
        const Pattern& pattern;
        std::array<uint8_t, 8> rows;
    };
    const std::vector<Case> cases = {
        {Pattern::white, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {Pattern::black, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {Pattern::gray, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}},
        {Pattern::ltGray, {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}},
        {Pattern::dkGray, {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pattern.rows, c.rows);
    EXPECT_EQ(Pattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}), Pattern::gray);
    EXPECT_NE(Pattern::gray, Pattern::ltGray);
}

TEST(Pattern, BitIsMostSignificantFirstAndWrapsNegativeCoordinates) {
    const Pattern& gray = Pattern::gray;
    EXPECT_TRUE(gray.bit(0, 0));
    EXPECT_FALSE(gray.bit(1, 0));
    EXPECT_FALSE(gray.bit(0, 1));
    EXPECT_EQ(gray.bit(-1, 0), gray.bit(7, 0));
    EXPECT_FALSE(gray.bit(-1, 0));
    // One set bit per row walks the pattern: row y has bit 7 - y set, i.e. column y.
    const Pattern diagonal({0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
    for (int64_t y = -16; y < 16; ++y)
        for (int64_t x = -16; x < 16; ++x)
            EXPECT_EQ(diagonal.bit(x, y), ((x - y) & 7) == 0) << x << "," << y;
    EXPECT_EQ(diagonal.bit(kMin, kMin), diagonal.bit(0, 0));
    EXPECT_EQ(diagonal.bit(kMax, kMax), diagonal.bit(7, 7));
}

TEST(PatternDeathTest, OtherThanEightBytesIsAPreconditionFailure) {
    EXPECT_DEATH(Pattern({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "8 row bytes");
    const std::vector<uint8_t> nine(9, 0);
    EXPECT_DEATH(Pattern{std::span<const uint8_t>(nine)}, "8 row bytes");
    EXPECT_DEATH(Pattern{std::span<const uint8_t>()}, "8 row bytes");
}

TEST(PenMode, RawValuesAreOrdinalPlusEight) {
    const std::vector<PenMode> inOrder = {PenMode::patCopy,    PenMode::patOr,    PenMode::patXor,
                                          PenMode::patBic,     PenMode::notPatCopy, PenMode::notPatOr,
                                          PenMode::notPatXor,  PenMode::notPatBic};
    for (size_t i = 0; i < inOrder.size(); ++i) {
        EXPECT_EQ(rawValue(inOrder[i]), static_cast<int64_t>(i) + 8);
        EXPECT_EQ(fromRaw<PenMode>(static_cast<int64_t>(i) + 8), inOrder[i]);
    }
    for (int64_t raw : {kMin, int64_t{-1}, int64_t{0}, int64_t{7}, int64_t{16}, kMax})
        EXPECT_FALSE(fromRaw<PenMode>(raw).has_value()) << raw;
}

TEST(Style, SetAlgebraOverTheByte) {
    EXPECT_EQ(Style::bold.rawValue, 1);
    EXPECT_EQ(Style::italic.rawValue, 2);
    EXPECT_EQ(Style::underline.rawValue, 4);
    EXPECT_EQ(Style::outline.rawValue, 8);
    EXPECT_EQ(Style::shadow.rawValue, 16);
    const Style boldOutline{Style::bold, Style::outline};
    EXPECT_EQ(boldOutline.rawValue, 9);
    EXPECT_TRUE(Style{}.isEmpty());
    EXPECT_TRUE(boldOutline.contains(Style::bold));
    EXPECT_FALSE(boldOutline.contains(Style::italic));
    EXPECT_EQ(boldOutline.unionWith(Style::italic).rawValue, 11);
    EXPECT_EQ(boldOutline.intersection(Style{Style::bold, Style::shadow}), Style::bold);
    EXPECT_EQ(boldOutline.symmetricDifference(Style{Style::bold, Style::shadow}).rawValue, 24);
    EXPECT_TRUE(Style::bold.isSubset(boldOutline));
    EXPECT_FALSE(boldOutline.isSubset(Style::bold));
    EXPECT_TRUE(Style::italic.isDisjoint(boldOutline));
    EXPECT_FALSE(Style::bold.isDisjoint(boldOutline));
    Style s;
    s.insert(Style::underline);
    s.insert(Style::bold);
    s.remove(Style::underline);
    EXPECT_EQ(s, Style::bold);
    EXPECT_EQ((Style::bold | Style::shadow).rawValue, 17);
    EXPECT_EQ(FontID::systemFont, 0);
    EXPECT_EQ(FontID::applFont, 1);
}
