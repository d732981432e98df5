// The menu manager: creation, marks, acceptance of choices and publishing to the host.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

struct ToolboxMenus : ::testing::Test {
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
        if (!host->offerMenuChoice(choice))
            return -1;
        if (!tb.getNextEvent(Toolbox::everyEvent, event))
            return -1;
        return tb.menuSelect(event.where);
    }
};

TEST_F(ToolboxMenus, GetMenuSizesItsArraysFromTheItemTable) {
    const std::pair<int64_t, size_t> expected[] = {
        {256, 3}, {257, 2}, {258, 6}, {259, 6}, {260, 4}, {261, 7}, {262, 3}, {263, 9}, {264, 3}, {300, 1},
    };
    for (const auto& [id, entries] : expected) {
        EXPECT_EQ(tb.getMenu(id), id);
        const MenuState& state = tb.menus().at(id);
        EXPECT_EQ(state.id, id);
        EXPECT_TRUE(state.enabled);
        EXPECT_EQ(state.itemEnabled, std::vector<bool>(entries, true)) << "menu " << id;
        EXPECT_EQ(state.itemChecked, std::vector<bool>(entries, false)) << "menu " << id;
    }
    EXPECT_EQ(host->calls(HostOp::menusChanged), 0) << "creating a menu does not publish";
}

TEST_F(ToolboxMenus, GetMenuTwiceKeepsTheState) {
    tb.getMenu(258);
    tb.checkItem(258, 2, true);
    tb.disableItem(258, 4);
    EXPECT_EQ(tb.getMenu(258), 258);
    EXPECT_TRUE(tb.menus().at(258).itemChecked[2]);
    EXPECT_FALSE(tb.menus().at(258).itemEnabled[4]);
}

TEST_F(ToolboxMenus, ItemChangesSetTheirFlagOnly) {
    createGameMenus();
    tb.checkItem(263, 4, true);
    tb.disableItem(262, 2);
    tb.disableItem(259, 0);
    const auto& menus = tb.menus();
    EXPECT_TRUE(menus.at(263).itemChecked[4]);
    EXPECT_EQ(std::count(menus.at(263).itemChecked.begin(), menus.at(263).itemChecked.end(), true), 1);
    EXPECT_FALSE(menus.at(262).itemEnabled[2]);
    EXPECT_TRUE(menus.at(262).itemEnabled[1]);
    EXPECT_TRUE(menus.at(262).enabled);
    EXPECT_FALSE(menus.at(259).enabled);
    EXPECT_EQ(menus.at(259).itemEnabled, std::vector<bool>(6, true)) << "item 0 switches the whole menu only";
    tb.enableItem(259, 0);
    tb.enableItem(262, 2);
    tb.checkItem(263, 4, false);
    EXPECT_TRUE(tb.menus().at(259).enabled);
    EXPECT_TRUE(tb.menus().at(262).itemEnabled[2]);
    EXPECT_FALSE(tb.menus().at(263).itemChecked[4]);
}

struct SelectCase {
    const char* name;
    int64_t choice;
    bool accepted;
};

void PrintTo(const SelectCase& c, std::ostream* out) { *out << c.name << " (choice " << c.choice << ")"; }

class MenuSelectAcceptance : public ToolboxMenus, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(MenuSelectAcceptance, AcceptsOnlyEnabledItemsOfEnabledMenus) {
    createGameMenus();
    tb.disableItem(262, 2); // "STOP A BATTLE" off
    tb.disableItem(259, 0); // the whole Targets menu off
    const SelectCase& c = GetParam();
    const int64_t result = select(c.choice);
    ASSERT_NE(result, -1) << "the host did not deliver the choice";
    EXPECT_EQ(result, c.accepted ? c.choice : 0);
    EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0) << "a second menuSelect has nothing pending";
    EXPECT_FALSE(tb.pendingMenuChoice().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, MenuSelectAcceptance,
    ::testing::Values(SelectCase{"EnabledItem", (258 << 16) + 3, true},
                      SelectCase{"LastItemOfTheLongestMenu", (263 << 16) + 8, true},
                      SelectCase{"EnabledItemBesideADisabledOne", (262 << 16) + 1, true},
                      SelectCase{"DisabledItem", (262 << 16) + 2, false},
                      SelectCase{"ItemOfADisabledMenu", (259 << 16) + 1, false},
                      SelectCase{"UnknownMenu", (300 << 16) + 1, false},
                      SelectCase{"ItemBeyondTheMenu", (258 << 16) + 6, false},
                      SelectCase{"ItemZero", (258 << 16) + 0, false},
                      SelectCase{"LowHalfAllOnes", (258 << 16) + 0xFFFF, false},
                      SelectCase{"NegativeChoice", -1, false},
                      SelectCase{"NegativeHighHalf", (int64_t{-258} << 16) + 3, false},
                      SelectCase{"BitsAboveTheHighHalf", (int64_t{1} << 40) + (258 << 16) + 3, false},
                      SelectCase{"Zero", 0, false}),
    [](const ::testing::TestParamInfo<SelectCase>& info) { return std::string(info.param.name); });

TEST_F(ToolboxMenus, MenuSelectWithoutAnEventReturnsZeroAndEndsReadiness) {
    createGameMenus();
    Toolbox::EventRecord event;
    tb.getNextEvent(Toolbox::everyEvent, event);
    EXPECT_TRUE(host->readyForMenus());
    EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0);
    EXPECT_FALSE(host->readyForMenus());
}

TEST_F(ToolboxMenus, RejectedChoiceIsConsumed) {
    createGameMenus();
    tb.disableItem(258, 3);
    EXPECT_EQ(select((258 << 16) + 3), 0);
    EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0);
    tb.enableItem(258, 3);
    EXPECT_EQ(tb.menuSelect(QuickDraw::Point(0, -10)), 0) << "enabling later does not revive the choice";
}

TEST_F(ToolboxMenus, HiWordAndLoWordReadSigned16BitHalves) {
    struct Case {
        int64_t value;
        int64_t hi;
        int64_t lo;
    };
    const Case cases[] = {
        {(258 << 16) + 3, 258, 3},
        {0x0001FFFF, 1, -1},
        {0x80000000, -32768, 0},
        {0x7FFF7FFF, 32767, 32767},
        {0x00008000, 0, -32768},
        {-1, -1, -1},
        {0, 0, 0},
        {(int64_t{5} << 32) + (264 << 16) + 2, 264, 2}, // bits above 31 play no part
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Toolbox::hiWord(c.value), c.hi) << std::hex << c.value;
        EXPECT_EQ(Toolbox::loWord(c.value), c.lo) << std::hex << c.value;
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
        [&] { tb.checkItem(999, 3, true); },  // a menu never created: nothing changes, still published
        [&] { tb.disableItem(999, 1); },
        [&] { tb.enableItem(999, 0); },
    };
    size_t published = 0;
    for (const auto& change : changes) {
        change();
        ++published;
        ASSERT_EQ(host->menuPublications().size(), published);
        const std::vector<MenuState>& states = host->menus();
        std::vector<int64_t> ids;
        for (const MenuState& state : states)
            ids.push_back(state.id);
        EXPECT_EQ(ids, ascending);
        for (const MenuState& state : states)
            EXPECT_EQ(state, tb.menus().at(state.id)) << "the host sees the core's state of menu " << state.id;
    }
    EXPECT_FALSE(tb.menus().count(999));
    EXPECT_TRUE(host->protocolErrors().empty());
}

TEST_F(ToolboxMenus, PublishedStatesAreSnapshots) {
    createGameMenus();
    tb.drawMenuBar();
    tb.checkItem(260, 2, true);
    ASSERT_EQ(host->menuPublications().size(), 2u);
    EXPECT_FALSE(host->menuPublications()[0][4].itemChecked[2]) << "an earlier publication keeps its values";
    EXPECT_TRUE(host->menuPublications()[1][4].itemChecked[2]);
}

using ToolboxMenusDeathTest = ToolboxMenus;

TEST_F(ToolboxMenusDeathTest, ItemOutsideACreatedMenuIsACallerError) {
    tb.getMenu(258);
    EXPECT_DEATH(tb.checkItem(258, 6, true), "checkItem: the item lies within the menu");
    EXPECT_DEATH(tb.disableItem(258, -1), "the item lies within the menu");
}

} // namespace
