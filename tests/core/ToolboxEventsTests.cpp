// Event calls: ticks, the button, the mouse, event polling and menu readiness.
#include <gtest/gtest.h>

#include <functional>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Point;

struct ToolboxEvents : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};
};

TEST_F(ToolboxEvents, TickCountIdlesOnlyWhenTheTickStandsStill) {
    const int64_t start = tb.tickCount();
    EXPECT_EQ(host->calls(HostOp::idle), 0) << "the first call has no earlier tick to compare with";
    int64_t now = start;
    while (now == start) {
        now = tb.tickCount();
        EXPECT_EQ(tb.lastTick(), now);
    }
    EXPECT_EQ(now, start + 1) << "ticks never jump or go back while polled";
    // Every call in between saw the same tick and idled; the first and the last did not.
    EXPECT_GT(host->calls(HostOp::idle), 0);
    EXPECT_EQ(host->calls(HostOp::idle), host->calls(HostOp::tickCount) - 2);
}

TEST_F(ToolboxEvents, ButtonSeesAShortClickOnceAndWaitMouseUpDoesNotIdle) {
    ScriptedHost& h = *host;
    const auto click = [&] { h.setButton(true), h.setButton(false); };
    const auto flush = [&] { tb.flushEvents(Toolbox::everyEvent, 0); };
    const auto button = [&] { return tb.button(); };
    const auto waitMouseUp = [&] { return tb.waitMouseUp(); };
    struct Step {
        const char* what;
        std::function<void()> input;
        std::function<bool()> call;
        bool result;
        int64_t idles; // idle calls the call makes
    };
    const Step steps[] = {
        {"a click between two polls", click, button, true, 1},
        {"nothing since", [] {}, button, false, 1},
        {"held", [&] { h.setButton(true); }, waitMouseUp, true, 0},
        {"held and flushed", flush, button, true, 1},
        {"released", [&] { h.setButton(false); }, waitMouseUp, false, 0},
        {"a click, then flushEvents", [&] { click(), flush(); }, button, false, 1},
    };
    for (const Step& step : steps) {
        step.input();
        const int64_t idles = host->calls(HostOp::idle);
        EXPECT_EQ(step.call(), step.result) << step.what;
        EXPECT_EQ(host->calls(HostOp::idle) - idles, step.idles) << step.what;
    }
    EXPECT_EQ(host->log()[0].op, HostOp::idle) << "button idles before it asks the host";
}

TEST_F(ToolboxEvents, GetMouseAnswersInTheCurrentWindowsLocalCoordinates) {
    struct Case {
        WindowID port;
        Point global;
        Point local;
    };
    // Window tops and lefts: field (20, 0), targets (35, 10), ballSpeed (55, 97).
    const Case cases[] = {
        {WindowID::field, Point(100, 120), Point(100, 100)},
        {WindowID::targets, Point(100, 120), Point(90, 85)},
        {WindowID::ballSpeed, Point(100, 120), Point(3, 65)},
        {WindowID::field, Point(-3, 5), Point(-3, -15)},         // left of and above: negative
        {WindowID::ballSpeed, Point(600, 400), Point(503, 345)}, // beyond: not clamped
    };
    for (const Case& c : cases) {
        tb.setPort(tb.window(c.port));
        host->setMouseGlobal(c.global);
        Point mouse;
        Point hv;
        tb.getMouse(mouse);
        tb.getMouseHV(hv);
        EXPECT_EQ(mouse, c.local) << "window " << rawValue(c.port);
        EXPECT_EQ(hv, c.local) << "window " << rawValue(c.port);
    }
}

TEST_F(ToolboxEvents, GetNextEventWithoutAChoiceIdlesAndLeavesTheEventAlone) {
    Toolbox::EventRecord event{7, 8, 9, Point(1, 2), 10};
    const Toolbox::EventRecord before = event;
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, before);
    EXPECT_FALSE(tb.pendingMenuChoice().has_value());
    const HostOp expected[] = {HostOp::setReadyForMenus, HostOp::takeMenuChoice, HostOp::idle};
    ASSERT_EQ(host->log().size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(host->log()[i].op, expected[i]) << i;
    EXPECT_EQ(host->log()[0].arg, 1) << "ready for menus";
}

TEST_F(ToolboxEvents, GetNextEventTurnsAChoiceIntoAPressInTheMenuBar) {
    Toolbox::EventRecord event;
    tb.getNextEvent(Toolbox::everyEvent, event); // the core is now ready
    const int64_t choice = (258 << 16) + 3;
    ASSERT_TRUE(host->offerMenuChoice(choice));
    host->spin(5000);
    const int64_t idlesBefore = host->calls(HostOp::idle);

    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, (Toolbox::EventRecord{Toolbox::mouseDown, 0, 3, Point(0, -10), 0}))
        << "50 ms of virtual time are 3 ticks";
    EXPECT_EQ(tb.pendingMenuChoice(), choice);
    EXPECT_EQ(host->calls(HostOp::idle), idlesBefore) << "no idle when a choice was waiting";

    // findWindow puts the synthesized press in the menu bar: everything above the screen's top edge.
    const std::pair<Point, int64_t> parts[] = {
        {event.where, Toolbox::inMenuBar}, {Point(300, -1), Toolbox::inMenuBar},
        {Point(0, 0), Toolbox::inContent}, {Point(-50, 200), Toolbox::inContent},
    };
    for (const auto& [where, part] : parts) {
        Window* window = &tb.window(WindowID::field);
        EXPECT_EQ(tb.findWindow(where, window), part) << "v " << where.v << " h " << where.h;
        EXPECT_EQ(window, nullptr);
    }
}

TEST_F(ToolboxEvents, ReadinessLastsFromGetNextEventUntilMenuSelect) {
    for (int64_t id = 256; id <= 264; ++id)
        tb.getMenu(id);
    Toolbox::EventRecord event;
    EXPECT_FALSE(host->offerMenuChoice((258 << 16) + 1)) << "not ready before the first poll";
    tb.getNextEvent(Toolbox::everyEvent, event);
    EXPECT_TRUE(host->readyForMenus());
    ASSERT_TRUE(host->offerMenuChoice((258 << 16) + 2));
    ASSERT_TRUE(host->offerMenuChoice((258 << 16) + 3));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_TRUE(host->readyForMenus()) << "still ready until menuSelect";
    EXPECT_EQ(tb.menuSelect(event.where), (258 << 16) + 2);
    EXPECT_FALSE(host->readyForMenus());

    // Neither the choice made before readiness nor the one discarded by menuSelect arrives later.
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(host->deliveredMenuChoices(), std::vector<int64_t>{(258 << 16) + 2});
    EXPECT_EQ(host->droppedMenuChoices(), (std::vector<int64_t>{(258 << 16) + 1, (258 << 16) + 3}));

    // A second event before menuSelect replaces the pending choice.
    host->offerMenuChoice((260 << 16) + 1);
    host->offerMenuChoice((260 << 16) + 2);
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(tb.menuSelect(event.where), (260 << 16) + 2);
    EXPECT_EQ(tb.menuSelect(event.where), 0) << "the pending choice is consumed";
}

} // namespace
