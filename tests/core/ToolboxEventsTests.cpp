// Event calls: ticks, the button, the mouse, event polling and menu readiness.
#include <gtest/gtest.h>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Point;

struct ToolboxEvents : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};
};

TEST_F(ToolboxEvents, TickCountIdlesOnlyWhenTheTickStandsStill) {
    const int64_t first = tb.tickCount();
    EXPECT_EQ(host->calls(HostOp::idle), 0) << "the first call has no earlier tick to compare with";
    const int64_t second = tb.tickCount();
    EXPECT_EQ(second, first);
    EXPECT_EQ(host->calls(HostOp::idle), 1);
    EXPECT_EQ(tb.lastTick(), second);

    host->spin(2000); // 20 ms: more than one tick later
    const int64_t third = tb.tickCount();
    EXPECT_GT(third, second);
    EXPECT_EQ(host->calls(HostOp::idle), 1) << "a moved tick does not idle";
}

TEST_F(ToolboxEvents, LoopWaitingForTheNextTickSleepsInsteadOfSpinning) {
    const int64_t start = tb.tickCount();
    int64_t now = start;
    while (now == start)
        now = tb.tickCount();
    EXPECT_EQ(now, start + 1);
    // Every call in between saw the same tick and idled; the first and the last did not.
    EXPECT_EQ(host->calls(HostOp::idle), host->calls(HostOp::tickCount) - 2);
    EXPECT_GT(host->calls(HostOp::idle), 0);
}

TEST_F(ToolboxEvents, TicksNeverDecrease) {
    int64_t previous = tb.tickCount();
    for (int i = 0; i < 2000; ++i) {
        const int64_t tick = tb.tickCount();
        ASSERT_GE(tick, previous);
        previous = tick;
    }
    EXPECT_GT(previous, 0);
}

TEST_F(ToolboxEvents, ButtonIdlesFirstAndSeesAShortClickExactlyOnce) {
    host->setMouse(WindowID::field, 5, 5);
    host->setButton(true);
    host->setButton(false); // pressed and released between two polls
    EXPECT_TRUE(tb.button());
    EXPECT_FALSE(tb.button());
    EXPECT_EQ(host->calls(HostOp::idle), 2);
    EXPECT_EQ(host->calls(HostOp::button), 2);
    ASSERT_GE(host->log().size(), 2u);
    EXPECT_EQ(host->log()[0].op, HostOp::idle) << "idle comes before the button query";
}

TEST_F(ToolboxEvents, HeldButtonReadsTrueUntilReleased) {
    host->setButton(true);
    EXPECT_TRUE(tb.button());
    EXPECT_TRUE(tb.button());
    EXPECT_TRUE(tb.waitMouseUp());
    host->setButton(false);
    EXPECT_FALSE(tb.waitMouseUp());
    EXPECT_FALSE(tb.button());
}

TEST_F(ToolboxEvents, WaitMouseUpDoesNotIdle) {
    host->setButton(true);
    EXPECT_TRUE(tb.waitMouseUp());
    EXPECT_EQ(host->calls(HostOp::idle), 0);
}

TEST_F(ToolboxEvents, FlushEventsForgetsTheRememberedPressButNotTheHeldButton) {
    host->setButton(true);
    host->setButton(false);
    tb.flushEvents(Toolbox::everyEvent, 0);
    EXPECT_FALSE(tb.button());

    host->setButton(true);
    tb.flushEvents(Toolbox::everyEvent, 0);
    EXPECT_TRUE(tb.button()) << "the button is still held";
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
        {WindowID::field, Point(-3, 5), Point(-3, -15)},       // left of and above: negative
        {WindowID::ballSpeed, Point(600, 400), Point(503, 345)}, // beyond: not clamped
    };
    for (const Case& c : cases) {
        tb.setPort(tb.window(c.port));
        host->setMouseGlobal(c.global);
        Point mouse;
        tb.getMouse(mouse);
        EXPECT_EQ(mouse, c.local) << "window " << rawValue(c.port);
        Point hv;
        tb.getMouseHV(hv);
        EXPECT_EQ(hv, mouse);
    }
}

TEST_F(ToolboxEvents, GetNextEventWithoutAChoiceIdlesAndLeavesTheEventAlone) {
    Toolbox::EventRecord event{7, 8, 9, Point(1, 2), 10};
    const Toolbox::EventRecord before = event;
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, before);
    EXPECT_TRUE(host->readyForMenus());
    EXPECT_FALSE(tb.pendingMenuChoice().has_value());
    ASSERT_EQ(host->log().size(), 3u);
    EXPECT_EQ(host->log()[0].op, HostOp::setReadyForMenus);
    EXPECT_EQ(host->log()[0].arg, 1);
    EXPECT_EQ(host->log()[1].op, HostOp::takeMenuChoice);
    EXPECT_EQ(host->log()[2].op, HostOp::idle);
}

TEST_F(ToolboxEvents, GetNextEventTurnsAChoiceIntoAPressInTheMenuBar) {
    Toolbox::EventRecord event;
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event)); // the core is now ready
    const int64_t choice = (258 << 16) + 3;
    ASSERT_TRUE(host->offerMenuChoice(choice));
    host->spin(5000);
    const int64_t idlesBefore = host->calls(HostOp::idle);

    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event.what, Toolbox::mouseDown);
    EXPECT_EQ(event.message, 0);
    EXPECT_EQ(event.where, Point(0, -10));
    EXPECT_EQ(event.modifiers, 0);
    EXPECT_EQ(event.when, host->ticks());
    EXPECT_EQ(event.when, 3) << "50 ms of virtual time are 3 ticks";
    EXPECT_EQ(tb.pendingMenuChoice(), choice);
    EXPECT_EQ(host->calls(HostOp::idle), idlesBefore) << "no idle when a choice was waiting";

    Window* window = &tb.window(WindowID::field);
    EXPECT_EQ(tb.findWindow(event.where, window), Toolbox::inMenuBar);
    EXPECT_EQ(window, nullptr);
}

TEST_F(ToolboxEvents, FindWindowClassifiesByTheScreensTopEdge) {
    struct Case {
        Point where;
        int64_t part;
    };
    const Case cases[] = {
        {Point(0, -10), Toolbox::inMenuBar},
        {Point(300, -1), Toolbox::inMenuBar},
        {Point(0, 0), Toolbox::inContent},
        {Point(-50, 200), Toolbox::inContent},
    };
    for (const Case& c : cases) {
        Window* window = &tb.window(WindowID::targets);
        EXPECT_EQ(tb.findWindow(c.where, window), c.part) << "v " << c.where.v << " h " << c.where.h;
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
    EXPECT_EQ(tb.menuSelect(event.where), (258 << 16) + 2);
    EXPECT_FALSE(host->readyForMenus());
    EXPECT_TRUE(host->queuedMenuChoices().empty()) << "ending readiness discards the queue";

    // Neither the choice made before readiness nor the discarded one arrives later.
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(host->deliveredMenuChoices(), std::vector<int64_t>{(258 << 16) + 2});
    EXPECT_EQ(host->droppedMenuChoices(), (std::vector<int64_t>{(258 << 16) + 1, (258 << 16) + 3}));
}

TEST_F(ToolboxEvents, SecondEventBeforeMenuSelectReplacesThePendingChoice) {
    for (int64_t id = 256; id <= 264; ++id)
        tb.getMenu(id);
    Toolbox::EventRecord event;
    tb.getNextEvent(Toolbox::everyEvent, event);
    host->offerMenuChoice((260 << 16) + 1);
    host->offerMenuChoice((260 << 16) + 2);
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(tb.menuSelect(event.where), (260 << 16) + 2);
    EXPECT_EQ(tb.menuSelect(event.where), 0) << "the pending choice is consumed";
}

} // namespace
