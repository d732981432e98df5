// Menu choices through event polling, and rectangle intersection.
#include <gtest/gtest.h>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Point;
using QuickDraw::Rect;

constexpr int64_t choice(int64_t menu, int64_t item) { return (menu << 16) + item; }

struct ToolboxEvents : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};

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
        {"disabled item", choice(262, 2), false},
        {"item of a disabled menu", choice(259, 1), false},
        {"unknown menu", choice(300, 1), false},
        {"item beyond the menu", choice(258, 6), false},
        {"item 0", choice(258, 0), false},
        {"negative high half", choice(-258, 3), false},
        {"bits above the high half", (int64_t{1} << 40) + choice(258, 3), false},
    };
    for (int64_t id = 256; id <= 264; ++id)
        tb.getMenu(id);
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
}

TEST(ToolboxRects, IntersectionIsZeroWhenApart) {
    const Rect box(0, 0, 10, 10);
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
}

} // namespace
