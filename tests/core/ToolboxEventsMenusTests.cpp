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

} // namespace
