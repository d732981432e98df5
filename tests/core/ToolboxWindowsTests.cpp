// Windows, ports, pictures, the rectangle utilities and the drawing calls on the current port.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Pattern;
using QuickDraw::Point;
using QuickDraw::Rect;

struct ToolboxWindows : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};

    int64_t blackPixels(WindowID id) {
        const QuickDraw::Bitmap& bitmap = tb.window(id).port().bitmap;
        int64_t count = 0;
        for (uint8_t pixel : bitmap.pixels())
            count += pixel;
        return count;
    }
};

TEST_F(ToolboxWindows, ConstructionCreatesThreeHiddenWindowsAndTellsTheHostNothing) {
    struct Case {
        WindowID id;
        int64_t raw;
        int64_t width;
        int64_t height;
    };
    const Case cases[] = {
        {WindowID::field, 256, 512, 322},
        {WindowID::targets, 257, 490, 285},
        {WindowID::ballSpeed, 258, 300, 150},
    };
    ASSERT_EQ(tb.windows().size(), 3u);
    for (const Case& c : cases) {
        const Window& window = tb.window(c.id);
        EXPECT_EQ(window.id(), c.id);
        EXPECT_EQ(rawValue(c.id), c.raw);
        EXPECT_FALSE(window.visible());
        EXPECT_EQ(window.port().bitmap.width(), c.width);
        EXPECT_EQ(window.port().bitmap.height(), c.height);
        EXPECT_EQ(window.port().portRect, Rect(0, 0, c.width, c.height));
        EXPECT_EQ(window.bounds().width(), c.width);
        EXPECT_EQ(window.bounds().height(), c.height);
        EXPECT_EQ(&tb.windows().at(c.id), &window);
    }
    EXPECT_EQ(&tb.currentWindow(), &tb.window(WindowID::field));
    EXPECT_EQ(&tb.qd().thePort(), &tb.window(WindowID::field).port());
    EXPECT_TRUE(host->log().empty());
}

TEST_F(ToolboxWindows, WindowIDsFromRawValues) {
    EXPECT_EQ(fromRaw<WindowID>(256), WindowID::field);
    EXPECT_EQ(fromRaw<WindowID>(257), WindowID::targets);
    EXPECT_EQ(fromRaw<WindowID>(258), WindowID::ballSpeed);
    for (int64_t raw : {0, 255, 259, -256, 1000})
        EXPECT_FALSE(fromRaw<WindowID>(raw).has_value()) << raw;
    EXPECT_EQ(windowBounds(WindowID::field), Rect(0, 20, 512, 342));
    EXPECT_EQ(windowBounds(WindowID::targets), Rect(10, 35, 500, 320));
    EXPECT_EQ(windowBounds(WindowID::ballSpeed), Rect(97, 55, 397, 205));
}

TEST_F(ToolboxWindows, GetNewWindowHandsOutTheExistingWindows) {
    EXPECT_EQ(&tb.getNewWindow(256), &tb.window(WindowID::field));
    EXPECT_EQ(&tb.getNewWindow(257), &tb.window(WindowID::targets));
    EXPECT_EQ(&tb.getNewWindow(258), &tb.window(WindowID::ballSpeed));
    EXPECT_EQ(tb.windows().size(), 3u);
}

using ToolboxWindowsDeathTest = ToolboxWindows;

TEST_F(ToolboxWindowsDeathTest, AnUndefinedWindowAborts) {
    EXPECT_DEATH(tb.getNewWindow(259), "getNewWindow: the window number is 256, 257 or 258");
    EXPECT_DEATH(tb.getNewWindow(0), "getNewWindow");
    EXPECT_DEATH(tb.window(static_cast<WindowID>(259)), "window: the id names one of the three windows");
}

TEST_F(ToolboxWindows, VisibilityTransitionsNotifyTheHostOnce) {
    using Op = std::function<void(Toolbox&, Window&)>;
    struct Case {
        const char* name;
        std::vector<Op> ops;
        std::vector<bool> notifications; // true = showWindow, false = hideWindow
        bool visibleAfter;
    };
    const Op show = [](Toolbox& t, Window& w) { t.showWindow(w); };
    const Op hide = [](Toolbox& t, Window& w) { t.hideWindow(w); };
    const Op select = [](Toolbox& t, Window& w) { t.selectWindow(w); };
    const Op front = [](Toolbox& t, Window& w) { t.bringToFront(w); };
    const Case cases[] = {
        {"show twice", {show, show}, {true}, true},
        {"hide a hidden window", {hide}, {}, false},
        {"show, hide, hide", {show, hide, hide}, {true, false}, false},
        {"select then show", {select, show}, {true}, true},
        {"bringToFront then select", {front, select}, {true}, true},
        {"hide, show, hide, show", {hide, show, hide, show}, {true, false, true}, true},
    };
    for (const Case& c : cases) {
        auto caseHost = std::make_shared<ScriptedHost>();
        Toolbox toolbox(caseHost);
        Window& window = toolbox.window(WindowID::targets);
        for (const Op& op : c.ops)
            op(toolbox, window);
        std::vector<bool> seen;
        for (const ScriptedHost::WindowEvent& event : caseHost->windowEvents()) {
            EXPECT_EQ(event.id, WindowID::targets) << c.name;
            seen.push_back(event.shown);
        }
        EXPECT_EQ(seen, c.notifications) << c.name;
        EXPECT_EQ(window.visible(), c.visibleAfter) << c.name;
        EXPECT_FALSE(toolbox.window(WindowID::field).visible()) << c.name;
        EXPECT_TRUE(caseHost->protocolErrors().empty()) << c.name;
    }
}

TEST_F(ToolboxWindows, SetPortSendsDrawingToThatWindowAndKeepsEachPortsPen) {
    Window& targets = tb.window(WindowID::targets);
    tb.setPort(targets);
    EXPECT_EQ(&tb.currentWindow(), &targets);
    EXPECT_EQ(&tb.qd().thePort(), &targets.port());
    tb.penSize(3, 2);
    tb.moveTo(40, 50);
    tb.paintRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(blackPixels(WindowID::targets), 16);
    EXPECT_EQ(blackPixels(WindowID::field), 0);

    tb.setPort(tb.window(WindowID::field));
    EXPECT_EQ(tb.qd().thePort().pnSize, (QuickDraw::PenSize{1, 1})) << "the field port has its own pen";
    tb.setPort(targets);
    EXPECT_EQ(targets.port().pnSize, (QuickDraw::PenSize{3, 2}));
    EXPECT_EQ(targets.port().pnLoc, Point(40, 50));
}

TEST_F(ToolboxWindows, DrawingIntoAHiddenWindowChangesItsBitmap) {
    Window& speed = tb.window(WindowID::ballSpeed);
    tb.setPort(speed);
    tb.paintRect(Rect(10, 10, 20, 12));
    EXPECT_FALSE(speed.visible());
    EXPECT_EQ(blackPixels(WindowID::ballSpeed), 20);
}

TEST_F(ToolboxWindows, PicturesSuppressDrawingUntilClosed) {
    const QuickDraw::Bitmap& bitmap = tb.window(WindowID::field).port().bitmap;
    const int64_t before = bitmap.changeCount();
    EXPECT_EQ(tb.openPicture(Rect(0, 0, 512, 322)), 1);
    EXPECT_EQ(tb.qd().thePort().pnVis, -1);
    tb.paintRect(Rect(0, 0, 10, 10));
    tb.fillRect(Rect(0, 0, 10, 10), Pattern::gray);
    tb.moveTo(0, 0);
    tb.lineTo(20, 20);
    EXPECT_EQ(bitmap.changeCount(), before);
    EXPECT_EQ(blackPixels(WindowID::field), 0);

    tb.closePicture();
    EXPECT_EQ(tb.qd().thePort().pnVis, 0);
    tb.paintRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(blackPixels(WindowID::field), 100);
    EXPECT_EQ(bitmap.changeCount(), before + 1);
}

TEST_F(ToolboxWindows, PictureInsideHiddenPenNeedsBothToBeUndone) {
    tb.hidePen();
    tb.openPicture(Rect(0, 0, 1, 1));
    tb.closePicture();
    tb.paintRect(Rect(0, 0, 5, 5));
    EXPECT_EQ(blackPixels(WindowID::field), 0);
    tb.showPen();
    tb.paintRect(Rect(0, 0, 5, 5));
    EXPECT_EQ(blackPixels(WindowID::field), 25);
}

TEST_F(ToolboxWindows, WindowPicturesDoNothing) {
    Window& field = tb.window(WindowID::field);
    const int64_t before = field.port().bitmap.changeCount();
    tb.setWindowPic(field, 1);
    tb.killPicture(1);
    EXPECT_EQ(field.port().bitmap.changeCount(), before);
    EXPECT_EQ(field.port().pnVis, 0);
    EXPECT_TRUE(host->log().empty());
}

TEST_F(ToolboxWindows, RectangleAndPointUtilities) {
    Rect r;
    Toolbox::setRect(r, 10, 20, 30, 40);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 40);
    EXPECT_EQ(r.right, 30);

    Point p;
    Toolbox::setPt(p, 7, 9);
    EXPECT_EQ(p.h, 7);
    EXPECT_EQ(p.v, 9);

    const Rect box(0, 0, 10, 10);
    struct Inside {
        Point p;
        bool in;
    };
    for (const Inside& c : {Inside{Point(0, 0), true}, Inside{Point(9, 9), true}, Inside{Point(10, 0), false},
                            Inside{Point(0, 10), false}, Inside{Point(-1, 5), false}})
        EXPECT_EQ(Toolbox::ptInRect(c.p, box), c.in) << "h " << c.p.h << " v " << c.p.v;

    EXPECT_FALSE(Toolbox::emptyRect(box));
    EXPECT_TRUE(Toolbox::emptyRect(Rect(5, 0, 5, 10)));  // left == right
    EXPECT_TRUE(Toolbox::emptyRect(Rect(0, 8, 10, 3)));  // top > bottom
    EXPECT_TRUE(Toolbox::emptyRect(Rect::zero));

    struct Sect {
        Rect a;
        Rect b;
        Rect result;
        bool overlaps;
    };
    // Rect takes left, top, right, bottom.
    const Sect sects[] = {
        {Rect(0, 0, 10, 10), Rect(5, 5, 20, 20), Rect(5, 5, 10, 10), true},
        {Rect(0, 0, 10, 10), Rect(0, 10, 10, 20), Rect::zero, false}, // touching rows
        {Rect(0, 0, 10, 10), Rect(10, 0, 20, 10), Rect::zero, false}, // touching columns
        {Rect(0, 0, 10, 10), Rect(2, 3, 4, 5), Rect(2, 3, 4, 5), true},
        {Rect(-5, -5, 5, 5), Rect(0, 0, 10, 10), Rect(0, 0, 5, 5), true},
    };
    for (const Sect& c : sects) {
        Rect result(1, 2, 3, 4);
        EXPECT_EQ(Toolbox::sectRect(c.a, c.b, result), c.overlaps);
        EXPECT_EQ(result, c.result);
    }

    Rect grown(10, 10, 20, 20);
    Toolbox::insetRect(grown, -2, -3);
    EXPECT_EQ(grown, Rect(8, 7, 22, 23));
    Rect shrunk(10, 10, 20, 20);
    Toolbox::insetRect(shrunk, 2, 1);
    EXPECT_EQ(shrunk, Rect(12, 11, 18, 19));
}

TEST_F(ToolboxWindows, NumToStringIsPlainDecimal) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0"}, {-5, "-5"}, {42, "42"}, {1000000, "1000000"}, {INT64_MIN, "-9223372036854775808"},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(Toolbox::numToString(n), text);
}

TEST_F(ToolboxWindows, DrawingCallsActOnTheCurrentPort) {
    // Each call is made on the targets window; the field window must stay untouched.
    struct Case {
        const char* name;
        std::function<void(Toolbox&)> draw;
        int64_t blackAfter; // black pixels in a 20 x 20 area after the call on a white port
    };
    const Case cases[] = {
        {"paintRect", [](Toolbox& t) { t.paintRect(Rect(0, 0, 4, 5)); }, 20},
        {"frameRect", [](Toolbox& t) { t.frameRect(Rect(0, 0, 4, 4)); }, 12},
        {"fillRect gray", [](Toolbox& t) { t.fillRect(Rect(0, 0, 4, 4), Pattern::gray); }, 8},
        {"inverRect", [](Toolbox& t) { t.inverRect(Rect(0, 0, 3, 3)); }, 9},
        {"inverRect twice", [](Toolbox& t) { t.inverRect(Rect(0, 0, 3, 3)); t.inverRect(Rect(0, 0, 3, 3)); }, 0},
        {"eraseRect", [](Toolbox& t) { t.paintRect(Rect(0, 0, 4, 4)); t.eraseRect(Rect(1, 1, 3, 3)); }, 12},
        {"lineTo", [](Toolbox& t) { t.moveTo(0, 0); t.lineTo(5, 0); }, 6},
        {"penSize lineTo", [](Toolbox& t) { t.penSize(2, 2); t.moveTo(0, 0); t.lineTo(0, 3); }, 10},
        {"hidePen", [](Toolbox& t) { t.hidePen(); t.paintRect(Rect(0, 0, 4, 4)); }, 0},
        {"hide and showPen", [](Toolbox& t) { t.hidePen(); t.showPen(); t.paintRect(Rect(0, 0, 2, 2)); }, 4},
        {"penPat white", [](Toolbox& t) { t.penPat(Pattern::white); t.paintRect(Rect(0, 0, 4, 4)); }, 0},
        {"penMode xor", [](Toolbox& t) {
             t.paintRect(Rect(0, 0, 4, 4));
             t.penMode(QuickDraw::PenMode::patXor);
             t.paintRect(Rect(0, 0, 2, 4));
         }, 8},
        {"penNormal", [](Toolbox& t) {
             t.penPat(Pattern::white);
             t.penSize(3, 3);
             t.penNormal();
             t.paintRect(Rect(0, 0, 2, 3));
         }, 6},
        {"frameOval", [](Toolbox& t) { t.frameOval(Rect(0, 0, 8, 8)); }, 20},
        {"invertOval", [](Toolbox& t) { t.invertOval(Rect(0, 0, 4, 4)); }, 12},
        {"eraseOval", [](Toolbox& t) { t.paintRect(Rect(0, 0, 4, 4)); t.eraseOval(Rect(0, 0, 4, 4)); }, 4},
        {"fillRoundRect", [](Toolbox& t) { t.fillRoundRect(Rect(0, 0, 10, 8), 4, 4, Pattern::black); }, 76},
        {"inverRoundRect", [](Toolbox& t) { t.inverRoundRect(Rect(0, 0, 10, 8), 4, 4); }, 76},
        {"frameRoundRect", [](Toolbox& t) { t.frameRoundRect(Rect(0, 0, 4, 4), 0, 0); }, 12},
        {"paintArc", [](Toolbox& t) { t.paintArc(Rect(0, 0, 8, 8), 0, 90); }, 13},
        {"region", [](Toolbox& t) {
             auto region = t.newRgn();
             t.openRgn();
             t.moveTo(0, 0);
             t.lineTo(4, 0);
             t.lineTo(4, 3);
             t.lineTo(0, 3);
             t.lineTo(0, 0);
             t.closeRgn(region);
             t.fillRgn(region, Pattern::black);
             t.disposeRgn(region);
         }, 12},
        {"polygon", [](Toolbox& t) {
             auto polygon = t.openPoly();
             t.moveTo(0, 0);
             t.lineTo(5, 0);
             t.lineTo(5, 2);
             t.lineTo(0, 2);
             t.closePoly();
             t.fillPoly(polygon, Pattern::black);
         }, 10},
    };
    for (const Case& c : cases) {
        auto caseHost = std::make_shared<ScriptedHost>();
        Toolbox toolbox(caseHost);
        toolbox.setPort(toolbox.window(WindowID::targets));
        c.draw(toolbox);
        int64_t black = 0;
        for (int64_t y = 0; y < 20; ++y)
            for (int64_t x = 0; x < 20; ++x)
                black += toolbox.getPixel(x, y) ? 1 : 0;
        EXPECT_EQ(black, c.blackAfter) << c.name;
        EXPECT_EQ(toolbox.window(WindowID::field).port().bitmap.changeCount(), 0) << c.name;
    }
}

TEST_F(ToolboxWindows, TextCallsSetTheCurrentPortsTextState) {
    tb.setPort(tb.window(WindowID::ballSpeed));
    tb.textFont(QuickDraw::FontID::applFont);
    tb.textFace(QuickDraw::Style::bold);
    tb.textSize(9);
    const QuickDraw::GrafPort& port = tb.window(WindowID::ballSpeed).port();
    EXPECT_EQ(port.txFont, 1);
    EXPECT_EQ(port.txFace, QuickDraw::Style::bold);
    EXPECT_EQ(port.txSize, 9);
    EXPECT_EQ(tb.window(WindowID::field).port().txSize, 0);

    // drawString and writeDraw are the same call: each advances the pen by the text's width and counts
    // one change.
    const int64_t width = tb.qd().stringWidth("42");
    const int64_t changes = port.bitmap.changeCount();
    tb.moveTo(10, 50);
    tb.drawString("42");
    EXPECT_EQ(port.pnLoc, Point(10 + width, 50));
    tb.writeDraw("42");
    EXPECT_EQ(port.pnLoc, Point(10 + 2 * width, 50));
    EXPECT_EQ(port.bitmap.changeCount(), changes + 2);
}

TEST_F(ToolboxWindows, RandomUsesTheContextsSeed) {
    EXPECT_EQ(tb.randSeed(), 1);
    EXPECT_EQ(tb.random(), 16807);
    EXPECT_EQ(tb.randSeed(), 16807);
    tb.setRandSeed(1);
    EXPECT_EQ(tb.qd().randSeed, 1);
    EXPECT_EQ(tb.random(), 16807);
    // Seed 16807 * 16807 = 282475249 = 0x10D63AF1: low 16 bits 0x3AF1.
    EXPECT_EQ(tb.random(), 0x3AF1);
    tb.setRandSeed(0);
    EXPECT_EQ(tb.random(), 0);
    EXPECT_EQ(tb.randSeed(), 0);
}

} // namespace
