// Event calls (ticks, the button, the mouse, event polling, menu readiness) and the menu manager
// (creation, marks, acceptance of choices, publishing to the host).
#include <gtest/gtest.h>

#include <functional>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Point;

struct ToolboxEvents : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};

    void createGameMenus() {
        for (int64_t id = 256; id <= 264; ++id)
            tb.getMenu(id);
    }

    // One full round of the main loop's menu path with this choice queued by the host.
    int64_t select(int64_t choice) {
        Toolbox::EventRecord event;
        tb.getNextEvent(Toolbox::everyEvent, event); // become ready
        if (!host->offerMenuChoice(choice) || !tb.getNextEvent(Toolbox::everyEvent, event))
            return -1;
        return tb.menuSelect(event.where);
    }
};
using ToolboxMenus = ToolboxEvents;

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
    // Window tops and lefts: field (20, 0), targets (35, 10), ballSpeed (55, 97).
    const std::tuple<WindowID, Point, Point> cases[] = {
        {WindowID::field, Point(100, 120), Point(100, 100)},
        {WindowID::targets, Point(100, 120), Point(90, 85)},
        {WindowID::ballSpeed, Point(100, 120), Point(3, 65)},
        {WindowID::field, Point(-3, 5), Point(-3, -15)},         // left of and above: negative
        {WindowID::ballSpeed, Point(600, 400), Point(503, 345)}, // beyond: not clamped
    };
    for (const auto& [port, global, local] : cases) {
        tb.setPort(tb.window(port));
        host->setMouseGlobal(global);
        Point mouse;
        Point hv;
        tb.getMouse(mouse);
        tb.getMouseHV(hv);
        EXPECT_EQ(mouse, local) << "window " << rawValue(port);
        EXPECT_EQ(hv, local) << "window " << rawValue(port);
    }
}

TEST_F(ToolboxEvents, GetNextEventTurnsAChoiceIntoAPressInTheMenuBar) {
    // Without a choice: ready, ask, idle; the event is left as it was.
    Toolbox::EventRecord event{7, 8, 9, Point(1, 2), 10};
    const Toolbox::EventRecord before = event;
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, before);
    EXPECT_FALSE(tb.pendingMenuChoice().has_value());
    ASSERT_EQ(host->log().size(), 3u);
    EXPECT_EQ(std::tuple(host->log()[0].op, host->log()[0].arg, host->log()[1].op, host->log()[2].op),
              std::tuple(HostOp::setReadyForMenus, 1, HostOp::takeMenuChoice, HostOp::idle));

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
    createGameMenus();
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

TEST_F(ToolboxMenus, GetMenuSizesItsArraysOnceFromTheItemTable) {
    const std::pair<int64_t, size_t> expected[] = {
        {256, 3}, {257, 2}, {258, 6}, {259, 6}, {260, 4}, {261, 7}, {262, 3}, {263, 9}, {264, 3}, {300, 1},
    };
    for (const auto& [id, entries] : expected) {
        EXPECT_EQ(tb.getMenu(id), id);
        EXPECT_EQ(tb.menus().at(id), (MenuState{id, true, std::vector<bool>(entries, true),
                                                std::vector<bool>(entries, false)}))
            << "menu " << id;
    }
    EXPECT_EQ(host->calls(HostOp::menusChanged), 0) << "creating a menu does not publish";

    tb.checkItem(258, 2, true);
    tb.disableItem(258, 4);
    EXPECT_EQ(tb.getMenu(258), 258);
    EXPECT_TRUE(tb.menus().at(258).itemChecked[2]) << "a second getMenu keeps the state";
    EXPECT_FALSE(tb.menus().at(258).itemEnabled[4]);
}

TEST_F(ToolboxMenus, ItemChangesSetTheirFlagOnly) {
    createGameMenus();
    const std::map<int64_t, MenuState> fresh = tb.menus();
    tb.checkItem(263, 4, true);
    tb.disableItem(262, 2);
    tb.disableItem(259, 0); // item 0: the whole menu, not its items
    std::map<int64_t, MenuState> expected = fresh;
    expected.at(263).itemChecked[4] = true;
    expected.at(262).itemEnabled[2] = false;
    expected.at(259).enabled = false;
    EXPECT_EQ(tb.menus(), expected);

    tb.enableItem(259, 0);
    tb.enableItem(262, 2);
    tb.checkItem(263, 4, false);
    EXPECT_EQ(tb.menus(), fresh);
}

TEST_F(ToolboxMenus, MenuSelectAcceptsOnlyEnabledItemsOfEnabledMenus) {
    struct Case {
        const char* name;
        int64_t choice;
        bool accepted;
    };
    const Case cases[] = {
        {"enabled item", (258 << 16) + 3, true},
        {"last item of the longest menu", (263 << 16) + 8, true},
        {"enabled item beside a disabled one", (262 << 16) + 1, true},
        {"disabled item", (262 << 16) + 2, false},
        {"item of a disabled menu", (259 << 16) + 1, false},
        {"unknown menu", (300 << 16) + 1, false},
        {"item beyond the menu", (258 << 16) + 6, false},
        {"item 0", (258 << 16) + 0, false},
        {"low half all ones", (258 << 16) + 0xFFFF, false},
        {"negative choice", -1, false},
        {"negative high half", (int64_t{-258} << 16) + 3, false},
        {"bits above the high half", (int64_t{1} << 40) + (258 << 16) + 3, false},
        {"zero", 0, false},
    };
    createGameMenus();
    tb.disableItem(262, 2); // "STOP A BATTLE" off
    tb.disableItem(259, 0); // the whole Targets menu off
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << " (choice " << c.choice << ")");
        const int64_t result = select(c.choice);
        ASSERT_NE(result, -1) << "the host did not deliver the choice";
        EXPECT_EQ(result, c.accepted ? c.choice : 0);
        EXPECT_FALSE(host->readyForMenus());
        EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0) << "a second menuSelect has nothing pending";
    }
    // A rejected choice is consumed: enabling its item later does not revive it.
    EXPECT_EQ(select((262 << 16) + 2), 0);
    tb.enableItem(262, 2);
    EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0);
}

TEST_F(ToolboxMenus, HiWordAndLoWordReadSigned16BitHalves) {
    const std::tuple<int64_t, int64_t, int64_t> cases[] = { // value, hiWord, loWord
        {(258 << 16) + 3, 258, 3},
        {0x0001FFFF, 1, -1},
        {0x80000000, -32768, 0},
        {0x7FFF7FFF, 32767, 32767},
        {0x00008000, 0, -32768},
        {-1, -1, -1},
        {0, 0, 0},
        {(int64_t{5} << 32) + (264 << 16) + 2, 264, 2}, // bits above 31 play no part
    };
    for (const auto& [value, hi, lo] : cases) {
        EXPECT_EQ(Toolbox::hiWord(value), hi) << std::hex << value;
        EXPECT_EQ(Toolbox::loWord(value), lo) << std::hex << value;
    }
}

TEST_F(ToolboxMenus, EveryChangePublishesTheCompleteStateInAscendingOrder) {
    for (int64_t id : {264, 300, 256, 258, 257})
        tb.getMenu(id);
    const std::vector<int64_t> ascending{256, 257, 258, 264, 300};
    const std::function<void()> changes[] = {
        [&] { tb.drawMenuBar(); },
        [&] { tb.checkItem(258, 1, true); },
        [&] { tb.enableItem(264, 1); },
        [&] { tb.disableItem(256, 0); },
        [&] { tb.checkItem(999, 3, true); }, // a menu never created: nothing changes, still published
        [&] { tb.disableItem(999, 1); },
        [&] { tb.enableItem(999, 0); },
    };
    size_t published = 0;
    for (const auto& change : changes) {
        change();
        ASSERT_EQ(host->menuPublications().size(), ++published);
        std::vector<int64_t> ids;
        for (const MenuState& state : host->menus()) {
            ids.push_back(state.id);
            EXPECT_EQ(state, tb.menus().at(state.id)) << "the host sees the core's state of menu " << state.id;
        }
        EXPECT_EQ(ids, ascending);
    }
    EXPECT_FALSE(tb.menus().count(999));
    EXPECT_FALSE(host->menuPublications()[0][2].itemChecked[1]) << "an earlier publication is a snapshot";
    EXPECT_TRUE(host->protocolErrors().empty());
}

using ToolboxMenusDeathTest = ToolboxMenus;

TEST_F(ToolboxMenusDeathTest, ItemOutsideACreatedMenuIsACallerError) {
    tb.getMenu(258);
    EXPECT_DEATH(tb.checkItem(258, 6, true), "checkItem: the item lies within the menu");
    EXPECT_DEATH(tb.disableItem(258, -1), "the item lies within the menu");
}

} // namespace
