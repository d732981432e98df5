// The outs and player-type dialogs: values shown on opening and after each click, the option recorded
// at the radio click, "OK" ending the dialog, static items and stale clicks ignored.
#include "OptionsTestSupport.h"

namespace {

using options_test::Session;
using Values = std::map<int64_t, int64_t>;

constexpr int64_t rrMenu = 261, outsItem = 4, playerItem = 5;

bool optionOf(const Ordnix& g, int64_t menuItem) { return menuItem == outsItem ? g.gLosersOut : g.gRambo; }
const RadioGroup& groupOf(const Ordnix& g, int64_t menuItem) {
    return (menuItem == outsItem ? g.gOutsRadio : g.gPlayerRadio)[1];
}

struct DialogCase {
    const char* name;
    int64_t menuItem, dialogID;
    std::vector<int64_t> clicks; // ends with "OK" (3)
    Values atOpening, atEnd;
    int64_t pushes; // openDialog, then one per setCtlValue: 2 at opening, 2 per radio click
    bool option;    // gLosersOut or gRambo afterwards
};

const DialogCase dialogCases[] = {
    {"outs OK at once", outsItem, 1000, {3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 3, true},
    {"outs winners", outsItem, 1000, {1, 3}, {{1, 0}, {2, 1}}, {{1, 1}, {2, 0}}, 5, false},
    {"outs winners then losers", outsItem, 1000, {1, 2, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 7, true},
    {"outs button already on", outsItem, 1000, {2, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 5, true},
    {"outs static items ignored", outsItem, 1000, {4, 5, 6, 9, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 3, true},
    {"outs static between radios", outsItem, 1000, {1, 4, 3}, {{1, 0}, {2, 1}}, {{1, 1}, {2, 0}}, 5, false},
    {"player OK at once", playerItem, 1002, {3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 3, true},
    {"player sierra", playerItem, 1002, {2, 3}, {{1, 1}, {2, 0}}, {{1, 0}, {2, 1}}, 5, false},
    {"player sierra then rambo", playerItem, 1002, {2, 1, 3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 7, true},
    {"player static items ignored", playerItem, 1002, {7, 4, 3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 3, true},
};

// Each case, then the same dialog opened again and closed at once: it shows the last choice.
TEST(OptionDialogs, ValuesPushedAndOptionsSetByClicks) {
    for (const DialogCase& c : dialogCases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.host->chooseMenu(rrMenu, c.menuItem);
        s.host->answerDialog(c.dialogID, c.clicks);
        s.host->chooseMenu(rrMenu, c.menuItem);
        s.host->answerDialog(c.dialogID, {3});
        s.host->quit();
        ASSERT_TRUE(s.play());

        ASSERT_EQ(s.host->dialogs().size(), 2u);
        const auto& first = s.host->dialogs()[0];
        EXPECT_EQ(first.id, c.dialogID);
        EXPECT_TRUE(first.closed);
        EXPECT_EQ(first.hits, c.clicks) << "every click up to OK is read, nothing after";
        ASSERT_EQ(static_cast<int64_t>(first.pushes.size()), c.pushes);
        EXPECT_TRUE(first.pushes[0].empty()) << "the dialog opens before any control is set";
        EXPECT_EQ(first.pushes[2], c.atOpening);
        EXPECT_EQ(first.pushes.back(), c.atEnd);
        EXPECT_EQ(s.host->dialogs()[1].pushes.back(), c.atEnd) << "the next opening";
        EXPECT_EQ(optionOf(s.game, c.menuItem), c.option);
        const int64_t on = c.atEnd.at(1) == 1 ? 1 : 2;
        EXPECT_EQ(groupOf(s.game, c.menuItem), (RadioGroup{1, 2, on}));
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

TEST(OptionDialogs, ChoiceRecordedAtTheRadioClickBeforeOK) {
    for (int64_t menuItem : {outsItem, playerItem}) {
        SCOPED_TRACE(menuItem);
        Session s;
        const int64_t dialogID = menuItem == outsItem ? 1000 : 1002;
        const int64_t click = menuItem == outsItem ? 1 : 2; // the button that is off at start
        bool seenOption = true;
        int64_t seenValue = 0;
        std::optional<int64_t> seenOpen;
        s.host->chooseMenu(rrMenu, menuItem);
        s.host->answerDialog(dialogID, {click});
        s.host->waitForCalls(HostOp::modalDialog, 2); // the click is handled once the game waits again
        s.host->perform("look at the options", [&](ScriptedHost& host) {
            seenOption = optionOf(s.game, menuItem);
            seenValue = groupOf(s.game, menuItem).value;
            seenOpen = host.openDialogID();
        });
        s.host->hitItem(3);
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(seenOpen, dialogID) << "the dialog was still open";
        EXPECT_FALSE(seenOption);
        EXPECT_EQ(seenValue, click);
    }
}

TEST(OptionDialogs, StaleClicksNeverAnswerANewDialog) {
    Session s;
    // The About box takes the first click; the second is left over when the outs dialog opens.
    s.host->chooseMenu(256, 1);
    s.host->answerDialog(1001, {1, 1});
    s.host->chooseMenu(rrMenu, outsItem);
    s.host->answerDialog(1000, {3});
    // A click offered while no dialog is open is stale as well.
    s.host->waitForMenuPoll();
    s.host->hitItem(2);
    s.host->chooseMenu(rrMenu, playerItem);
    s.host->answerDialog(1002, {3});
    s.host->quit();
    ASSERT_TRUE(s.play());
    ASSERT_EQ(s.host->dialogs().size(), 2u);
    EXPECT_EQ(s.host->dialogs()[0].hits, std::vector<int64_t>{3});
    EXPECT_EQ(s.host->dialogs()[1].hits, std::vector<int64_t>{3});
    EXPECT_TRUE(s.game.gLosersOut);
    EXPECT_TRUE(s.game.gRambo);
}

// A press made before a dialog opens is forgotten: the screen opened next waits for a press of its own
// instead of taking the old one on its "OK".
TEST(OptionDialogs, APressFromBeforeTheDialogIsForgotten) {
    Session s;
    s.host->waitForMenuPoll();
    s.host->moveMouse(WindowID::ballSpeed, 240, 120); // where the ball speed screen's "OK" will be
    s.host->clickAt(WindowID::ballSpeed, 240, 120);
    s.host->chooseMenu(rrMenu, outsItem);
    s.host->answerDialog(1000, {3});
    s.host->chooseMenu(rrMenu, 6); // "SET BALL SPEED"
    s.host->waitForWindowShown(WindowID::ballSpeed);
    s.host->waitTicks(2);
    bool stillOpen = false;
    s.host->perform("look at the screen", [&](ScriptedHost& h) { stillOpen = h.windowShown(WindowID::ballSpeed); });
    s.host->clickAt(WindowID::ballSpeed, 240, 120);
    s.host->waitForWindowHidden(WindowID::ballSpeed);
    s.host->quit();
    ASSERT_TRUE(s.play());
    EXPECT_TRUE(stillOpen);
}

} // namespace
