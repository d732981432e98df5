#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "AppTestSupport.h"
#include "Cursors.h"
#include "ToolboxTypes.h"

namespace {

// A row from its '#' runs as (first, last) columns, 16 wide.
std::string rowFromRuns(std::vector<std::pair<int, int>> runs) {
    std::string row(16, '.');
    for (const auto& [first, last] : runs)
        for (int c = first; c <= last; ++c)
            row[static_cast<size_t>(c)] = '#';
    return row;
}

TEST(Cursors, CrossAndWatchDecodeToTheirPictures) {
    using Runs = std::vector<std::vector<std::pair<int, int>>>;
    const Runs cross = {
        {}, {{7, 7}}, {{7, 7}}, {{5, 9}}, {{4, 4}, {7, 7}, {10, 10}}, {{3, 3}, {7, 7}, {11, 11}},
        {{3, 3}, {7, 7}, {11, 11}}, {{1, 13}}, {{3, 3}, {7, 7}, {11, 11}}, {{3, 3}, {7, 7}, {11, 11}},
        {{4, 4}, {7, 7}, {10, 10}}, {{5, 9}}, {{7, 7}}, {{7, 7}}, {}, {},
    };
    const Runs watch = {
        {{4, 11}}, {{4, 11}}, {{4, 11}}, {{3, 12}}, {{2, 3}, {12, 13}}, {{1, 2}, {7, 7}, {13, 14}},
        {{1, 1}, {7, 7}, {14, 14}}, {{1, 1}, {7, 7}, {14, 15}}, {{1, 1}, {7, 10}, {14, 15}}, {{1, 1}, {14, 14}},
        {{1, 2}, {13, 14}}, {{2, 3}, {12, 13}}, {{3, 12}}, {{4, 11}}, {{4, 11}}, {{4, 11}},
    };
    for (const auto& [name, rows, runs] : {std::tuple{"cross", Cursors::rows(Cursors::crossHex), cross},
                                           std::tuple{"watch", Cursors::watchRows(), watch}}) {
        ASSERT_EQ(rows.size(), 16u) << name;
        for (size_t r = 0; r < 16; ++r)
            EXPECT_EQ(rows[r], rowFromRuns(runs[r])) << name << " row " << r;
    }
    // Row 7 of the cross: one clear cell, thirteen black, two clear.
    EXPECT_EQ(Cursors::rows(Cursors::crossHex)[7], ".#############..");
}

TEST(Cursors, HexPiecesThatAreNotHexReadAsZero) {
    struct Case {
        std::string firstFour; // the first two bytes: row 0
        std::string row0;
    };
    const std::vector<Case> cases = {
        {"FFFF", "################"},
        {"G0FF", "........########"},
        {"8001", "#..............#"},
        {"zz80", "........#......."},
        {"ffff", "################"},
    };
    for (const Case& c : cases) {
        const std::string text = c.firstFour + std::string(60, '0');
        EXPECT_EQ(Cursors::rows(text)[0], c.row0) << c.firstFour;
    }
    // A last single character forms its own piece: 65 characters make 33 bytes, the extra one unused.
    EXPECT_EQ(Cursors::rows(std::string(64, 'F') + "X")[15], std::string(16, '#'));
}

TEST(CursorsDeathTest, FewerThanThirtyTwoBytesIsAProgrammingError) {
    EXPECT_DEATH(Cursors::rows(std::string(62, '0')), "32 bytes");
}

TEST(Cursors, ImageIsEighteenUnitsWithTheHotSpotMovedInByOne) {
    testApplication();
    struct Case {
        CursorKind kind;
        int64_t scale;
        int size;
        QPoint hotSpot;
    };
    const std::vector<Case> cases = {
        {CursorKind::cross, 1, 18, {8, 8}},
        {CursorKind::cross, 2, 36, {16, 16}},
        {CursorKind::watch, 1, 18, {9, 9}},
        {CursorKind::watch, 2, 36, {18, 18}},
    };
    for (const Case& c : cases) {
        const QCursor cursor = Cursors::cursor(c.kind, c.scale);
        EXPECT_TRUE(cursor.pixmap().size() == QSize(c.size, c.size) && cursor.hotSpot() == c.hotSpot)
            << static_cast<int>(c.kind) << " x" << c.scale;
    }
    EXPECT_EQ(Cursors::cursor(CursorKind::arrow, 2).shape(), Qt::ArrowCursor);
}

TEST(Cursors, EveryBlackPixelHasAWhiteOutline) {
    testApplication();
    Cursors::Rows rows(16, std::string(16, '.'));
    rows[2][3] = '#';
    const int s = 2;
    const QImage image = Cursors::make(rows, QPointF(0, 0), s).pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    // The picture sits one unit in: the black pixel is unit (4, 3), its eight neighbours white.
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            EXPECT_EQ(image.pixel((4 + dx) * s + 1, (3 + dy) * s + 1),
                      dx == 0 && dy == 0 ? qRgba(0, 0, 0, 255) : qRgba(255, 255, 255, 255))
                << dx << "," << dy;
    EXPECT_EQ(qAlpha(image.pixel(10 * s + 1, 10 * s + 1)), 0);
    EXPECT_EQ(qAlpha(image.pixel(6 * s + 1, 3 * s + 1)), 0);
}

} // namespace
