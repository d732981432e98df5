// Windows, pictures, the rectangle utilities and the drawing calls on the current port.
#include <algorithm>
#include <climits>

#include "CoreTest.h"
#include "QuickDrawContext.h"

namespace {

using QuickDraw::Point;
using QuickDraw::Rect;

using ToolboxWindows = CoreTest;

TEST_F(ToolboxWindows, ConstructionCreatesThreeHiddenWindowsAndTellsTheHostNothing) {
    const std::tuple<WindowID, int64_t, Rect> cases[] = { // bounds: left, top, right, bottom
        {WindowID::field, 256, Rect(0, 20, 512, 342)},
        {WindowID::targets, 257, Rect(10, 35, 500, 320)},
        {WindowID::ballSpeed, 258, Rect(97, 55, 397, 205)},
    };
    for (const auto& [id, raw, bounds] : cases) {
        Window& window = tb.window(id);
        const Rect local(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
        EXPECT_EQ(std::tuple(window.id(), window.bounds(), window.visible(), window.port().portRect),
                  std::tuple(id, bounds, false, local));
        EXPECT_EQ(Rect(0, 0, window.port().bitmap.width(), window.port().bitmap.height()), local);
        EXPECT_EQ(&tb.getNewWindow(raw), &window) << "getNewWindow hands out the existing window";
    }
    EXPECT_EQ(tb.windows().size(), 3u) << "and creates none";
    EXPECT_EQ(&tb.qd().thePort(), &tb.window(WindowID::field).port());
    EXPECT_TRUE(host->log().empty());
}


// Drawing lands in the current port's bitmap only, and each port keeps its own pen and text state across
// switches: the field's wide pen and large bold text are there again after drawing in the ball-speed window.
TEST_F(ToolboxWindows, DrawingFollowsSetPortAndEachPortKeepsItsPenAndText) {
    const auto rendered = [](int64_t size, QuickDraw::Style face, int64_t h, int64_t v, int64_t endH, int64_t penH) {
        QuickDraw::GrafPort port(512, 322);
        QuickDraw::QuickDrawContext qd(port);
        qd.penSize(penH, 2);
        qd.moveTo(h, v);
        qd.lineTo(endH, v);
        qd.textSize(size);
        qd.textFace(face);
        qd.drawString("Ab");
        return port.bitmap.dump(Rect(0, 0, 300, 150));
    };
    Window& field = tb.window(WindowID::field);
    Window& speed = tb.window(WindowID::ballSpeed);
    tb.penSize(3, 2);
    tb.textSize(18);
    tb.textFace(QuickDraw::Style::bold);
    tb.moveTo(10, 40);
    tb.setPort(speed);
    EXPECT_EQ(&tb.currentWindow(), &speed);
    tb.penSize(1, 2);
    tb.moveTo(20, 60);
    tb.lineTo(40, 60);
    tb.drawString("Ab");
    EXPECT_EQ(field.port().bitmap.changeCount(), 0) << "nothing reaches the field";
    tb.setPort(field);
    tb.lineTo(60, 40);
    tb.drawString("Ab");
    EXPECT_EQ(field.port().bitmap.dump(Rect(0, 0, 300, 150)), rendered(18, QuickDraw::Style::bold, 10, 40, 60, 3));
    EXPECT_EQ(speed.port().bitmap.dump(Rect(0, 0, 300, 150)), rendered(0, QuickDraw::Style{}, 20, 60, 40, 1));
}

TEST_F(ToolboxWindows, VisibilityTransitionsNotifyTheHostOnce) {
    // Calls: s showWindow, h hideWindow, l selectWindow, f bringToFront. Notes: + shown, - hidden.
    const std::pair<std::string, std::string> cases[] = {
        {"ss", "+"}, {"h", ""}, {"shh", "+-"}, {"ls", "+"}, {"fl", "+"}, {"hshs", "+-+"}, {"slfhf", "+-+"},
    };
    for (const auto& [calls, notes] : cases) {
        auto caseHost = std::make_shared<ScriptedHost>();
        Toolbox toolbox(caseHost);
        Window& window = toolbox.window(WindowID::targets);
        for (char call : calls)
            call == 's' ? toolbox.showWindow(window) : call == 'h' ? toolbox.hideWindow(window)
                : call == 'l' ? toolbox.selectWindow(window) : toolbox.bringToFront(window);
        std::string seen;
        for (const ScriptedHost::WindowEvent& event : caseHost->windowEvents())
            seen += event.id != WindowID::targets ? '?' : event.shown ? '+' : '-';
        EXPECT_EQ(seen, notes) << calls;
        EXPECT_EQ(window.visible(), notes.ends_with('+')) << calls;
        EXPECT_TRUE(caseHost->protocolErrors().empty()) << calls;
    }
}

TEST_F(ToolboxWindows, PicturesSuppressDrawingUntilClosed) {
    const auto black = [&] {
        const auto pixels = tb.window(WindowID::field).port().bitmap.pixels();
        return std::count(pixels.begin(), pixels.end(), 1);
    };
    tb.setWindowPic(tb.window(WindowID::field), 1); // window pictures do nothing
    tb.killPicture(1);
    EXPECT_EQ(tb.openPicture(Rect(0, 0, 512, 322)), 1);
    tb.paintRect(Rect(0, 0, 10, 10));
    tb.moveTo(0, 0);
    tb.lineTo(20, 20);
    EXPECT_EQ(tb.window(WindowID::field).port().bitmap.changeCount(), 0);
    tb.closePicture();
    tb.paintRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(black(), 100);
    // A picture inside a hidden pen: both must be undone before drawing shows.
    tb.hidePen();
    tb.openPicture(Rect(0, 0, 1, 1));
    tb.closePicture();
    tb.eraseRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(black(), 100);
    tb.showPen();
    tb.eraseRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(black(), 0);
    EXPECT_TRUE(host->log().empty());
}

TEST_F(ToolboxWindows, RectangleAndPointUtilities) {
    Rect r;
    Toolbox::setRect(r, 10, 20, 30, 40); // left, top, right, bottom
    EXPECT_EQ((std::vector{r.top, r.left, r.bottom, r.right}), (std::vector<int64_t>{20, 10, 40, 30}));
    Point p;
    Toolbox::setPt(p, 7, 9); // h, v
    EXPECT_EQ(std::pair(p.v, p.h), std::pair(int64_t{9}, int64_t{7}));
    const Rect box(0, 0, 10, 10);
    for (const auto& [point, in] : {std::pair{Point(0, 0), true}, {Point(9, 9), true}, {Point(10, 0), false},
                                    {Point(0, 10), false}, {Point(-1, 5), false}})
        EXPECT_EQ(Toolbox::ptInRect(point, box), in) << "h " << point.h << " v " << point.v;
    for (const auto& [rect, empty] : {std::pair{box, false}, {Rect(5, 0, 5, 10), true}, {Rect(0, 8, 10, 3), true}})
        EXPECT_EQ(Toolbox::emptyRect(rect), empty) << rect.left << " " << rect.top;
    const std::tuple<Rect, Rect, Rect> sects[] = { // a, b, intersection (zero when apart)
        {box, Rect(5, 5, 20, 20), Rect(5, 5, 10, 10)},
        {box, Rect(0, 10, 10, 20), Rect::zero}, // touching rows
        {box, Rect(10, 0, 20, 10), Rect::zero}, // touching columns
        {Rect(-5, -5, 5, 5), box, Rect(0, 0, 5, 5)},
    };
    for (const auto& [a, b, expected] : sects) {
        Rect result(1, 2, 3, 4);
        EXPECT_EQ(Toolbox::sectRect(a, b, result), !(expected == Rect::zero));
        EXPECT_EQ(result, expected);
    }
    for (const auto& [dh, dv, inset] : {std::tuple{-2, -3, Rect(8, 7, 22, 23)}, {2, 1, Rect(12, 11, 18, 19)}}) {
        Rect rect(10, 10, 20, 20);
        Toolbox::insetRect(rect, dh, dv);
        EXPECT_EQ(rect, inset) << "dh " << dh << " dv " << dv;
    }
    for (const auto& [n, text] : {std::pair<int64_t, const char*>{-5, "-5"}, {INT64_MIN, "-9223372036854775808"}})
        EXPECT_EQ(Toolbox::numToString(n), text);
}

} // namespace
