// Ticks, the button, the mouse, event polling with menu readiness, and the menu manager.
#include <functional>

#include "CoreTest.h"

namespace {

using QuickDraw::Point;

struct ToolboxEvents : CoreTest {
    // One round of the main loop's menu path with this choice queued by the host; -1 when not delivered.
    int64_t select(int64_t offered) {
        Toolbox::EventRecord event;
        tb.getNextEvent(Toolbox::everyEvent, event); // become ready
        if (!host->offerMenuChoice(offered) || !tb.getNextEvent(Toolbox::everyEvent, event))
            return -1;
        return tb.menuSelect(event.where);
    }
};

TEST_F(ToolboxEvents, TickCountIdlesOnlyWhenTheTickStandsStill) {
    const int64_t start = tb.tickCount();
    EXPECT_EQ(host->calls(HostOp::idle), 0) << "the first call has no earlier tick to compare with";
    int64_t now = start;
    while (now == start)
        now = tb.tickCount();
    EXPECT_EQ(now, start + 1) << "ticks never jump or go back while polled";
    EXPECT_GT(host->calls(HostOp::idle), 0);
    EXPECT_EQ(host->calls(HostOp::idle), host->calls(HostOp::tickCount) - 2) << "all but the first and last idle";
}

TEST_F(ToolboxEvents, ButtonSeesAShortClickOnceAndWaitMouseUpDoesNotIdle) {
    const auto click = [&] { host->setButton(true), host->setButton(false); };
    click();
    EXPECT_TRUE(tb.button()) << "a click between two polls";
    EXPECT_EQ(host->log()[0].op, HostOp::idle) << "button idles before it asks the host";
    EXPECT_FALSE(tb.button()) << "nothing since";
    host->setButton(true);
    EXPECT_TRUE(tb.waitMouseUp());
    tb.flushEvents(Toolbox::everyEvent, 0);
    EXPECT_TRUE(tb.button()) << "held and flushed";
    host->setButton(false);
    EXPECT_FALSE(tb.waitMouseUp());
    click();
    tb.flushEvents(Toolbox::everyEvent, 0);
    EXPECT_FALSE(tb.button()) << "a click, then flushEvents";
    EXPECT_EQ(host->calls(HostOp::idle), 4) << "one idle per button call, none for waitMouseUp";
}

TEST_F(ToolboxEvents, GetMouseAnswersInTheCurrentWindowsLocalCoordinates) {
    const std::tuple<WindowID, Point, Point> cases[] = { // window tops/lefts: (20, 0), (35, 10), (55, 97)
        {WindowID::field, Point(-3, 5), Point(-3, -15)}, // negative, not clamped
        {WindowID::targets, Point(100, 120), Point(90, 85)},
        {WindowID::ballSpeed, Point(600, 400), Point(503, 345)},
    };
    for (const auto& [port, global, local] : cases) {
        tb.setPort(tb.window(port));
        host->setMouseGlobal(global);
        Point mouse, hv;
        tb.getMouse(mouse);
        tb.getMouseHV(hv);
        EXPECT_EQ(std::pair(mouse, hv), std::pair(local, local)) << "window " << rawValue(port);
    }
}

TEST_F(ToolboxEvents, GetNextEventTurnsAChoiceIntoAPressInTheMenuBar) {
    // Without a choice: ready, ask, idle; the event is left as it was.
    Toolbox::EventRecord event{7, 8, 9, Point(1, 2), 10};
    const Toolbox::EventRecord before = event;
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, before);
    ASSERT_EQ(host->log().size(), 3u);
    EXPECT_EQ(std::tuple(host->log()[0].op, host->log()[0].arg, host->log()[1].op, host->log()[2].op),
              std::tuple(HostOp::setReadyForMenus, 1, HostOp::takeMenuChoice, HostOp::idle));

    ASSERT_TRUE(host->offerMenuChoice(choice(258, 3)));
    host->spin(5000);
    const int64_t idlesBefore = host->calls(HostOp::idle);
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(event, (Toolbox::EventRecord{Toolbox::mouseDown, 0, 3, Point(0, -10), 0})) << "50 ms are 3 ticks";
    EXPECT_EQ(tb.pendingMenuChoice(), choice(258, 3));
    EXPECT_EQ(host->calls(HostOp::idle), idlesBefore) << "no idle when a choice was waiting";

    // The menu bar is everything above the screen's top edge.
    for (const auto& [where, part] : {std::pair{event.where, Toolbox::inMenuBar}, {Point(300, -1), Toolbox::inMenuBar},
                                      {Point(0, 0), Toolbox::inContent}, {Point(-50, 200), Toolbox::inContent}}) {
        Window* window = &tb.window(WindowID::field);
        EXPECT_EQ(tb.findWindow(where, window), part) << "v " << where.v << " h " << where.h;
        EXPECT_EQ(window, nullptr);
    }
}

TEST_F(ToolboxEvents, ReadinessLastsFromGetNextEventUntilMenuSelect) {
    createGameMenus();
    Toolbox::EventRecord event;
    EXPECT_FALSE(host->offerMenuChoice(choice(258, 1))) << "not ready before the first poll";
    tb.getNextEvent(Toolbox::everyEvent, event);
    ASSERT_TRUE(host->offerMenuChoice(choice(258, 2)));
    ASSERT_TRUE(host->offerMenuChoice(choice(258, 3)));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_TRUE(host->readyForMenus()) << "still ready until menuSelect";
    EXPECT_EQ(tb.menuSelect(event.where), choice(258, 2));
    EXPECT_FALSE(host->readyForMenus());
    // Neither the choice made before readiness nor the one discarded by menuSelect arrives later.
    EXPECT_FALSE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(host->deliveredMenuChoices(), std::vector<int64_t>{choice(258, 2)});
    EXPECT_EQ(host->droppedMenuChoices(), (std::vector<int64_t>{choice(258, 1), choice(258, 3)}));

    // A second event before menuSelect replaces the pending choice, which menuSelect then consumes.
    host->offerMenuChoice(choice(260, 1));
    host->offerMenuChoice(choice(260, 2));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    ASSERT_TRUE(tb.getNextEvent(Toolbox::everyEvent, event));
    EXPECT_EQ(tb.menuSelect(event.where), choice(260, 2));
    EXPECT_EQ(tb.menuSelect(event.where), 0);
}

TEST_F(ToolboxEvents, GetMenuSizesItsArraysOnceFromTheItemTable) {
    for (const auto& [id, entries] : {std::pair<int64_t, size_t>{256, 3}, {257, 2}, {258, 6}, {259, 6}, {260, 4},
                                      {261, 7}, {262, 3}, {263, 9}, {264, 3}, {300, 1}}) {
        EXPECT_EQ(tb.getMenu(id), id);
        EXPECT_EQ(tb.menus().at(id), (MenuState{id, true, std::vector<bool>(entries, true),
                                                std::vector<bool>(entries, false)}))
            << "menu " << id;
    }
    EXPECT_EQ(host->calls(HostOp::menusChanged), 0) << "creating a menu does not publish";
}

TEST_F(ToolboxEvents, MenuSelectAcceptsOnlyEnabledItemsOfEnabledMenus) {
    const std::tuple<const char*, int64_t, bool> cases[] = {
        {"enabled item", choice(258, 3), true},
        {"last item of the longest menu", choice(263, 8), true},
        {"disabled item", choice(262, 2), false},
        {"item of a disabled menu", choice(259, 1), false},
        {"unknown menu", choice(300, 1), false},
        {"item beyond the menu", choice(258, 6), false},
        {"item 0", choice(258, 0), false},
        {"low half all ones", choice(258, 0xFFFF), false},
        {"negative high half", choice(-258, 3), false},
        {"bits above the high half", (int64_t{1} << 40) + choice(258, 3), false},
    };
    createGameMenus();
    tb.disableItem(262, 2);
    tb.disableItem(259, 0); // the whole menu
    for (const auto& [name, offered, accepted] : cases) {
        SCOPED_TRACE(::testing::Message() << name << " (choice " << offered << ")");
        const int64_t result = select(offered);
        ASSERT_NE(result, -1) << "the host did not deliver the choice";
        EXPECT_EQ(result, accepted ? offered : 0);
        EXPECT_FALSE(host->readyForMenus());
        EXPECT_EQ(tb.menuSelect(Point(0, -10)), 0) << "a second menuSelect has nothing pending";
    }
    // A rejected choice is consumed: enabling its item later does not revive it.
    EXPECT_EQ(select(choice(262, 2)), 0);
    tb.enableItem(262, 2);
    EXPECT_EQ(tb.menuSelect(Point(0, -10)), 0);
}

TEST_F(ToolboxEvents, HiWordAndLoWordReadSigned16BitHalves) {
    const std::tuple<int64_t, int64_t, int64_t> cases[] = { // value, hiWord, loWord
        {choice(258, 3), 258, 3}, {0x0001FFFF, 1, -1}, {0x80000000, -32768, 0}, {0x7FFF7FFF, 32767, 32767},
        {-1, -1, -1}, {(int64_t{5} << 32) + choice(264, 2), 264, 2}, // bits above 31 play no part
    };
    for (const auto& [value, hi, lo] : cases)
        EXPECT_EQ(std::pair(Toolbox::hiWord(value), Toolbox::loWord(value)), std::pair(hi, lo)) << std::hex << value;
}

TEST_F(ToolboxEvents, EveryChangePublishesTheCompleteStateInAscendingOrder) {
    for (int64_t id : {264, 300, 256, 258, 257})
        tb.getMenu(id);
    const std::function<void()> changes[] = {
        [&] { tb.drawMenuBar(); },           [&] { tb.checkItem(258, 1, true); },
        [&] { tb.enableItem(264, 1); },      [&] { tb.disableItem(256, 0); },
        [&] { tb.checkItem(999, 3, true); }, // a menu never created: nothing changes, still published
        [&] { tb.disableItem(999, 1); },     [&] { tb.enableItem(999, 0); },
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
        EXPECT_EQ(ids, (std::vector<int64_t>{256, 257, 258, 264, 300}));
    }
    EXPECT_FALSE(tb.menus().count(999));
    tb.getMenu(258);
    EXPECT_TRUE(tb.menus().at(258).itemChecked[1]) << "a second getMenu keeps the state";
    EXPECT_FALSE(tb.menus().at(256).enabled);
    EXPECT_FALSE(host->menuPublications()[0][2].itemChecked[1]) << "an earlier publication is a snapshot";
    EXPECT_TRUE(host->protocolErrors().empty());
}


} // namespace
