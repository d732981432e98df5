// The outs and player-type dialogs: values shown on opening and after each click, the option recorded at the
// radio click, "OK" ending the dialog, static items and stale clicks ignored.
#include "OptionsTestSupport.h"

namespace {

using options_test::Session;
using Values = std::map<int64_t, int64_t>;

constexpr int64_t rrMenu = 261, outsItem = 4, playerItem = 5;

bool optionOf(const Ordnix& g, int64_t menuItem) { return menuItem == outsItem ? g.gLosersOut : g.gRambo; }
const RadioGroup& groupOf(const Ordnix& g, int64_t menuItem) { return (menuItem == outsItem ? g.gOutsRadio : g.gPlayerRadio)[1]; }
int64_t dialogOf(int64_t menuItem) { return menuItem == outsItem ? 1000 : 1002; }

// Each case, then the same dialog opened again and closed at once: it shows the last choice. Pushes: the opening,
// then one per control value set (2 at opening, 2 per radio click).
TEST(OptionDialogs, ValuesPushedAndOptionsSetByClicks) {
    const struct {
        const char* name;
        int64_t menuItem;
        std::vector<int64_t> clicks; // ends with "OK" (3)
        int64_t firstOn, pushes;     // the radio button on at the end
    } cases[] = {
        {"outs OK at once", outsItem, {3}, 2, 3},          {"outs winners", outsItem, {1, 3}, 1, 5},
        {"outs winners then losers", outsItem, {1, 2, 3}, 2, 7}, {"outs button already on", outsItem, {2, 3}, 2, 5},
        {"outs static items ignored", outsItem, {4, 5, 6, 9, 3}, 2, 3}, {"outs static between radios", outsItem, {1, 4, 3}, 1, 5},
        {"player OK at once", playerItem, {3}, 1, 3},       {"player sierra", playerItem, {2, 3}, 2, 5},
        {"player sierra then rambo", playerItem, {2, 1, 3}, 1, 7}, {"player static items ignored", playerItem, {7, 4, 3}, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        for (const std::vector<int64_t>& clicks : {c.clicks, std::vector<int64_t>{3}}) {
            s.host->chooseMenu(rrMenu, c.menuItem);
            s.host->answerDialog(dialogOf(c.menuItem), clicks);
        }
        s.host->quit();
        ASSERT_TRUE(s.play());
        ASSERT_EQ(s.host->dialogs().size(), 2u);
        const auto& first = s.host->dialogs()[0];
        const Values atOpening = c.menuItem == outsItem ? Values{{1, 0}, {2, 1}} : Values{{1, 1}, {2, 0}};
        const Values atEnd{{1, c.firstOn == 1 ? 1 : 0}, {2, c.firstOn == 2 ? 1 : 0}};
        EXPECT_EQ(first.id, dialogOf(c.menuItem));
        EXPECT_TRUE(first.closed);
        EXPECT_EQ(first.hits, c.clicks) << "every click up to OK is read, nothing after";
        ASSERT_EQ(static_cast<int64_t>(first.pushes.size()), c.pushes);
        EXPECT_TRUE(first.pushes[0].empty()) << "the dialog opens before any control is set";
        EXPECT_EQ(first.pushes[2], atOpening);
        EXPECT_EQ(first.pushes.back(), atEnd);
        EXPECT_EQ(s.host->dialogs()[1].pushes.back(), atEnd) << "the next opening";
        // Outs: button 2 is "Losers Outs"; player type: button 1 is "Rambo Fan Club".
        EXPECT_EQ(optionOf(s.game, c.menuItem), c.firstOn == (c.menuItem == outsItem ? 2 : 1));
        EXPECT_EQ(groupOf(s.game, c.menuItem), (RadioGroup{1, 2, c.firstOn}));
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

TEST(OptionDialogs, ChoiceRecordedAtTheRadioClickBeforeOK) {
    for (int64_t menuItem : {outsItem, playerItem}) {
        SCOPED_TRACE(menuItem);
        Session s;
        const int64_t click = menuItem == outsItem ? 1 : 2; // the button that is off at start
        bool seenOption = true;
        int64_t seenValue = 0;
        std::optional<int64_t> seenOpen;
        s.host->chooseMenu(rrMenu, menuItem);
        s.host->answerDialog(dialogOf(menuItem), {click});
        s.host->waitForCalls(HostOp::modalDialog, 2); // the click is handled once the game waits again
        s.host->perform("look at the options", [&](ScriptedHost& host) {
            seenOption = optionOf(s.game, menuItem);
            seenValue = groupOf(s.game, menuItem).value;
            seenOpen = host.openDialogID();
        });
        s.host->hitItem(3);
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(seenOpen, dialogOf(menuItem)) << "the dialog was still open";
        EXPECT_FALSE(seenOption);
        EXPECT_EQ(seenValue, click);
    }
}

// Clicks left from an earlier dialog or offered while none is open never answer the next dialog.
TEST(OptionDialogs, StaleClicksNeverAnswerANewDialog) {
    Session s;
    s.host->chooseMenu(256, 1); // the About box takes the first click; the second is left over
    s.host->answerDialog(1001, {1, 1});
    s.host->chooseMenu(rrMenu, outsItem);
    s.host->answerDialog(1000, {3});
    s.host->waitForMenuPoll();
    s.host->hitItem(2);
    s.host->chooseMenu(rrMenu, playerItem);
    s.host->answerDialog(1002, {3});
    s.host->quit();
    ASSERT_TRUE(s.play());
    ASSERT_EQ(s.host->dialogs().size(), 2u);
    EXPECT_EQ(s.host->dialogs()[0].hits, std::vector<int64_t>{3});
    EXPECT_EQ(s.host->dialogs()[1].hits, std::vector<int64_t>{3});
    EXPECT_TRUE(s.game.gLosersOut && s.game.gRambo);
}

// A click made on the field right before a screen's command (nothing reads the button in between) is not a
// press on that screen: the ball speed and target values screens stay open although it lies on their "OK",
// and the field editor neither paints where it lies nor cancels.
TEST(OptionScreens, AClickJustBeforeAScreenOpensIsForgotten) {
    struct Case {
        const char* name;
        int64_t menu, item;
        WindowID window;
        int64_t h, v; // on "OK" of the screen, or in the editor's painting band and on its "CANCEL"
    };
    const Case cases[] = {{"ball speed", rrMenu, 6, WindowID::ballSpeed, 240, 120},
                          {"target values", 259, 5, WindowID::targets, 375, 272},
                          {"painting", 262, 1, WindowID::field, 200, 150},
                          {"painting, on CANCEL", 262, 1, WindowID::field, 340, 295}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        const bool editor = c.window == WindowID::field;
        if (editor)
            s.host->chooseMenu(258, 5); // "DO IT YOURSELF"
        s.host->waitForMenuPoll();
        s.host->clickAt(c.window, c.h, c.v);
        s.host->chooseMenu(c.menu, c.item);
        s.host->waitUntil("the screen polls", [&](const ScriptedHost& h) {
            return editor ? h.cursor() == CursorKind::cross : h.windowShown(c.window);
        });
        s.host->waitForCalls(HostOp::button, 3);
        s.host->endScenario();
        ASSERT_TRUE(s.play());
        EXPECT_TRUE(editor || s.host->windowShown(c.window)) << "the screen is still open";
        EXPECT_EQ(s.game.gBallDelay, 540) << "\"OK\" of the ball speed screen was not pressed";
        EXPECT_FALSE(s.game.gCancelled);
        EXPECT_TRUE(!editor || options_test::allWhite(s.bitmap(WindowID::field), options_test::tlbr(100, 190, 275, 210)))
            << "no ground painted";
    }
}

} // namespace
