#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "Cursors.h"
#include "ToolboxTypes.h"

namespace {

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

} // namespace
