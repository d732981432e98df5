// Windows, ports, pictures, the rectangle utilities and the drawing calls on the current port.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::GrafPort;
using QuickDraw::Pattern;
using QuickDraw::Point;
using QuickDraw::QuickDrawContext;
using QuickDraw::Rect;

struct ToolboxWindows : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};

    int64_t blackPixels(WindowID id) {
        const auto pixels = tb.window(id).port().bitmap.pixels();
        return std::count(pixels.begin(), pixels.end(), 1);
    }
};

TEST_F(ToolboxWindows, ConstructionCreatesThreeHiddenWindowsAndTellsTheHostNothing) {
    struct Case {
        WindowID id;
        int64_t raw;
        Rect bounds; // left, top, right, bottom
    };
    const Case cases[] = {
        {WindowID::field, 256, Rect(0, 20, 512, 342)},
        {WindowID::targets, 257, Rect(10, 35, 500, 320)},
        {WindowID::ballSpeed, 258, Rect(97, 55, 397, 205)},
    };
    for (const Case& c : cases) {
        Window& window = tb.window(c.id);
        const Rect local(0, 0, c.bounds.right - c.bounds.left, c.bounds.bottom - c.bounds.top);
        EXPECT_EQ(std::tuple(window.id(), rawValue(c.id), fromRaw<WindowID>(c.raw)), std::tuple(c.id, c.raw, c.id));
        EXPECT_EQ(window.bounds(), c.bounds);
        EXPECT_FALSE(window.visible());
        EXPECT_EQ(Rect(0, 0, window.port().bitmap.width(), window.port().bitmap.height()), local);
        EXPECT_EQ(window.port().portRect, local);
        EXPECT_EQ(&tb.windows().at(c.id), &window);
        EXPECT_EQ(&tb.getNewWindow(c.raw), &window) << "getNewWindow hands out the existing window";
    }
    for (int64_t raw : {0, 255, 259, -256, 1000})
        EXPECT_FALSE(fromRaw<WindowID>(raw).has_value()) << raw;
    EXPECT_EQ(tb.windows().size(), 3u) << "and creates none";
    EXPECT_EQ(&tb.currentWindow(), &tb.window(WindowID::field));
    EXPECT_EQ(&tb.qd().thePort(), &tb.window(WindowID::field).port());
    EXPECT_TRUE(host->log().empty());
}

using ToolboxWindowsDeathTest = ToolboxWindows;

TEST_F(ToolboxWindowsDeathTest, AnUndefinedWindowAborts) {
    EXPECT_DEATH(tb.getNewWindow(259), "getNewWindow: the window number is 256, 257 or 258");
    EXPECT_DEATH(tb.getNewWindow(0), "getNewWindow");
    EXPECT_DEATH(tb.window(static_cast<WindowID>(259)), "window: the id names one of the three windows");
}

TEST_F(ToolboxWindows, VisibilityTransitionsNotifyTheHostOnce) {
    // Calls: s showWindow, h hideWindow, l selectWindow, f bringToFront. Notes: + shown, - hidden.
    const std::pair<const char*, const char*> cases[] = {
        {"ss", "+"}, {"h", ""}, {"shh", "+-"}, {"ls", "+"}, {"fl", "+"}, {"hshs", "+-+"}, {"slfhf", "+-+"},
    };
    for (const auto& [calls, notes] : cases) {
        auto caseHost = std::make_shared<ScriptedHost>();
        Toolbox toolbox(caseHost);
        Window& window = toolbox.window(WindowID::targets);
        for (const char* call = calls; *call != 0; ++call) {
            if (*call == 's')
                toolbox.showWindow(window);
            else if (*call == 'h')
                toolbox.hideWindow(window);
            else if (*call == 'l')
                toolbox.selectWindow(window);
            else
                toolbox.bringToFront(window);
        }
        std::string seen;
        for (const ScriptedHost::WindowEvent& event : caseHost->windowEvents()) {
            EXPECT_EQ(event.id, WindowID::targets) << calls;
            seen += event.shown ? '+' : '-';
        }
        EXPECT_EQ(seen, notes) << calls;
        EXPECT_EQ(window.visible(), !seen.empty() && seen.back() == '+') << calls;
        EXPECT_FALSE(toolbox.window(WindowID::field).visible()) << calls;
        EXPECT_TRUE(caseHost->protocolErrors().empty()) << calls;
    }
}

TEST_F(ToolboxWindows, SetPortSwitchesTheWindowAndEachPortKeepsItsPen) {
    Window& targets = tb.window(WindowID::targets);
    tb.setPort(targets);
    tb.penSize(3, 2);
    tb.moveTo(40, 50);
    tb.setPort(tb.window(WindowID::field));
    EXPECT_EQ(&tb.currentWindow(), &tb.window(WindowID::field));
    EXPECT_EQ(tb.qd().thePort().pnSize, (QuickDraw::PenSize{1, 1})) << "the field port has its own pen";
    tb.setPort(targets);
    EXPECT_EQ(&tb.currentWindow(), &targets);
    EXPECT_EQ(&tb.qd().thePort(), &targets.port());
    EXPECT_EQ(targets.port().pnSize, (QuickDraw::PenSize{3, 2}));
    EXPECT_EQ(targets.port().pnLoc, Point(40, 50));
}

TEST_F(ToolboxWindows, PicturesSuppressDrawingUntilClosed) {
    const QuickDraw::Bitmap& bitmap = tb.window(WindowID::field).port().bitmap;
    tb.setWindowPic(tb.window(WindowID::field), 1); // window pictures do nothing
    tb.killPicture(1);
    EXPECT_EQ(tb.openPicture(Rect(0, 0, 512, 322)), 1);
    tb.paintRect(Rect(0, 0, 10, 10));
    tb.moveTo(0, 0);
    tb.lineTo(20, 20);
    EXPECT_EQ(bitmap.changeCount(), 0);
    tb.closePicture();
    tb.paintRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(blackPixels(WindowID::field), 100);

    // A picture inside a hidden pen: both must be undone before drawing shows.
    tb.hidePen();
    tb.openPicture(Rect(0, 0, 1, 1));
    tb.closePicture();
    tb.eraseRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(blackPixels(WindowID::field), 100);
    tb.showPen();
    tb.eraseRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(blackPixels(WindowID::field), 0);
    EXPECT_TRUE(host->log().empty());
}

TEST_F(ToolboxWindows, RectangleAndPointUtilities) {
    Rect r;
    Toolbox::setRect(r, 10, 20, 30, 40); // left, top, right, bottom
    EXPECT_EQ(std::vector<int64_t>({r.top, r.left, r.bottom, r.right}), std::vector<int64_t>({20, 10, 40, 30}));
    Point p;
    Toolbox::setPt(p, 7, 9); // h, v
    EXPECT_EQ(std::make_pair(p.v, p.h), std::make_pair(int64_t{9}, int64_t{7}));

    const Rect box(0, 0, 10, 10);
    const std::pair<Point, bool> inside[] = {
        {Point(0, 0), true}, {Point(9, 9), true}, {Point(10, 0), false}, {Point(0, 10), false}, {Point(-1, 5), false},
    };
    for (const auto& [point, in] : inside)
        EXPECT_EQ(Toolbox::ptInRect(point, box), in) << "h " << point.h << " v " << point.v;
    for (const auto& [rect, empty] : {std::pair{box, false}, std::pair{Rect(5, 0, 5, 10), true},
                                      std::pair{Rect(0, 8, 10, 3), true}, std::pair{Rect::zero, true}})
        EXPECT_EQ(Toolbox::emptyRect(rect), empty) << rect.left << " " << rect.top;

    struct Sect {
        Rect a, b, result;
        bool overlaps;
    };
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

    for (const auto& [dh, dv, inset] :
         {std::tuple{-2, -3, Rect(8, 7, 22, 23)}, std::tuple{2, 1, Rect(12, 11, 18, 19)}}) {
        Rect rect(10, 10, 20, 20);
        Toolbox::insetRect(rect, dh, dv);
        EXPECT_EQ(rect, inset) << "dh " << dh << " dv " << dv;
    }
}

TEST_F(ToolboxWindows, NumToStringIsPlainDecimal) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0"}, {-5, "-5"}, {42, "42"}, {1000000, "1000000"}, {INT64_MIN, "-9223372036854775808"},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(Toolbox::numToString(n), text);
}

// Each drawing call of the toolbox does what its graphics call does on the current port: the targets
// window (hidden), over a gray background, must end up exactly like a twin port drawn by a context directly.
// Calls of the same name are one generic lambda run on both.
struct DrawCase {
    const char* name;
    std::function<void(Toolbox&)> toolbox;
    std::function<void(QuickDrawContext&)> direct;
};

template <class Draw>
DrawCase same(const char* name, Draw draw) {
    return DrawCase{name, draw, draw};
}

TEST_F(ToolboxWindows, DrawingCallsForwardToTheContextOnTheCurrentPort) {
    using QuickDraw::PenMode;
    using QuickDraw::Style;
    const Rect r(2, 3, 30, 21);
    const DrawCase cases[] = {
        same("moveTo lineTo", [&](auto& d) { d.moveTo(3, 4), d.lineTo(40, 30); }),
        same("pen", [&](auto& d) { d.penSize(3, 2), d.penMode(PenMode::patXor), d.penPat(Pattern::ltGray); }),
        same("pen paints", [&](auto& d) { d.penMode(PenMode::patXor), d.penPat(Pattern::ltGray), d.paintRect(r); }),
        same("penNormal", [&](auto& d) { d.penSize(4, 4), d.penPat(Pattern::white), d.penNormal(), d.frameRect(r); }),
        same("hidePen", [&](auto& d) { d.hidePen(), d.paintRect(r); }),
        same("showPen", [&](auto& d) { d.hidePen(), d.showPen(), d.paintRect(r); }),
        same("frameRect", [&](auto& d) { d.frameRect(r); }),
        same("paintRect", [&](auto& d) { d.paintRect(r); }),
        same("eraseRect", [&](auto& d) { d.eraseRect(r); }),
        same("fillRect", [&](auto& d) { d.fillRect(r, Pattern::dkGray); }),
        {"inverRect", [&](Toolbox& t) { t.inverRect(r); }, [&](QuickDrawContext& q) { q.invertRect(r); }},
        same("frameOval", [&](auto& d) { d.frameOval(r); }),
        same("eraseOval", [&](auto& d) { d.eraseOval(r); }),
        same("invertOval", [&](auto& d) { d.invertOval(r); }),
        same("frameRoundRect", [&](auto& d) { d.frameRoundRect(r, 8, 6); }),
        same("fillRoundRect", [&](auto& d) { d.fillRoundRect(r, 8, 6, Pattern::black); }),
        {"inverRoundRect", [&](Toolbox& t) { t.inverRoundRect(r, 8, 6); },
         [&](QuickDrawContext& q) { q.invertRoundRect(r, 8, 6); }},
        same("paintArc", [&](auto& d) { d.paintArc(r, 45, 120); }),
        // Regions and polygons: the toolbox passes shared objects where the context takes references.
        {"region",
         [&](Toolbox& t) {
             auto rgn = t.newRgn();
             t.openRgn(), t.moveTo(0, 0), t.lineTo(24, 2), t.lineTo(9, 17), t.lineTo(0, 0), t.closeRgn(rgn);
             t.fillRgn(rgn, Pattern::black), t.disposeRgn(rgn);
         },
         [&](QuickDrawContext& q) {
             auto rgn = q.newRgn();
             q.openRgn(), q.moveTo(0, 0), q.lineTo(24, 2), q.lineTo(9, 17), q.lineTo(0, 0), q.closeRgn(*rgn);
             q.fillRgn(*rgn, Pattern::black);
         }},
        {"polygon",
         [&](Toolbox& t) {
             auto poly = t.openPoly();
             t.moveTo(1, 1), t.lineTo(30, 5), t.lineTo(12, 20), t.closePoly(), t.fillPoly(poly, Pattern::black);
         },
         [&](QuickDrawContext& q) {
             auto poly = q.openPoly();
             q.moveTo(1, 1), q.lineTo(30, 5), q.lineTo(12, 20), q.closePoly(), q.fillPoly(*poly, Pattern::black);
         }},
        same("text", [&](auto& d) { d.textFont(QuickDraw::FontID::applFont), d.textFace(Style::bold), d.textSize(9); }),
        same("drawString", [&](auto& d) { d.textSize(9), d.moveTo(4, 20), d.drawString("42"); }),
        {"writeDraw", [&](Toolbox& t) { t.moveTo(4, 20), t.writeDraw("Ab"); },
         [&](QuickDrawContext& q) { q.moveTo(4, 20), q.drawString("Ab"); }},
    };
    for (const DrawCase& c : cases) {
        Toolbox toolbox(std::make_shared<ScriptedHost>());
        GrafPort& port = toolbox.window(WindowID::targets).port();
        GrafPort twin(port.portRect.right, port.portRect.bottom);
        GrafPort background(port.portRect.right, port.portRect.bottom);
        for (GrafPort* each : {&port, &twin, &background})
            QuickDrawContext(*each).fillRect(each->portRect, Pattern::gray);
        toolbox.setPort(toolbox.window(WindowID::targets));
        c.toolbox(toolbox);
        QuickDrawContext direct(twin);
        c.direct(direct);

        const auto pixels = port.bitmap.pixels();
        const auto expected = twin.bitmap.pixels();
        const auto blank = background.bitmap.pixels();
        EXPECT_TRUE(std::ranges::equal(pixels, expected)) << c.name;
        EXPECT_EQ(std::tuple(port.pnLoc, port.pnSize, port.pnMode, port.pnVis, port.txFont, port.txSize),
                  std::tuple(twin.pnLoc, twin.pnSize, twin.pnMode, twin.pnVis, twin.txFont, twin.txSize))
            << c.name;
        EXPECT_TRUE(port.pnPat == twin.pnPat && port.txFace == twin.txFace) << c.name;
        EXPECT_TRUE(!std::ranges::equal(expected, blank) || twin.pnSize != background.pnSize || twin.pnVis != 0 ||
                    twin.txSize != 0)
            << c.name << ": the case changes nothing to compare";
        int64_t getPixelMismatches = 0;
        for (int64_t v = 0; v < 24; ++v)
            for (int64_t h = 0; h < 34; ++h)
                getPixelMismatches += toolbox.getPixel(h, v) != twin.bitmap.pixel(h, v);
        EXPECT_EQ(getPixelMismatches, 0) << c.name << ": getPixel reads the current port";
        EXPECT_EQ(toolbox.window(WindowID::field).port().bitmap.changeCount(), 0) << c.name;
    }
}

TEST_F(ToolboxWindows, RandomAndItsSeedAreTheContexts) {
    GrafPort port(8, 8);
    QuickDrawContext direct(port);
    for (int32_t seed : {1, 12345, -7, 0}) {
        tb.setRandSeed(seed);
        direct.randSeed = seed;
        EXPECT_EQ(tb.qd().randSeed, seed);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(tb.random(), direct.random()) << "seed " << seed << " draw " << i;
        EXPECT_EQ(tb.randSeed(), direct.randSeed);
    }
}

} // namespace
