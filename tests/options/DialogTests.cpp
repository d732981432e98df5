// The outs and player-type dialogs: values shown on opening and after each click, the option recorded
// at the radio click, "OK" ending the dialog, static items and stale clicks ignored.
#include "OptionsTestSupport.h"

namespace {

using options_test::Session;
using Values = std::map<int64_t, int64_t>;

constexpr int64_t rrMenu = 261;
constexpr int64_t outsItem = 4;
constexpr int64_t playerItem = 5;

struct DialogCase {
    const char* name;
    int64_t menuItem;            // "OUTS" or "PLAYER TYPE"
    int64_t dialogID;
    std::vector<int64_t> clicks; // ends with "OK" (3)
    Values shownAtOpening;       // values after the opening pushes
    Values finalValues;
    int64_t pushes;               // openDialog + every dialogChanged
    bool option;                  // gLosersOut or gRambo afterwards
    int64_t groupValue;
};

// Opening pushes the empty dialog, then one push per radio button: 3 pushes; every radio click pushes
// both buttons again.
const DialogCase dialogCases[] = {
    {"outs OK at once", outsItem, 1000, {3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 3, true, 2},
    {"outs winners", outsItem, 1000, {1, 3}, {{1, 0}, {2, 1}}, {{1, 1}, {2, 0}}, 5, false, 1},
    {"outs winners then losers", outsItem, 1000, {1, 2, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 7, true, 2},
    {"outs button already on", outsItem, 1000, {2, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 5, true, 2},
    {"outs static items ignored", outsItem, 1000, {4, 5, 6, 9, 3}, {{1, 0}, {2, 1}}, {{1, 0}, {2, 1}}, 3, true, 2},
    {"outs static between radios", outsItem, 1000, {1, 4, 3}, {{1, 0}, {2, 1}}, {{1, 1}, {2, 0}}, 5, false, 1},
    {"player OK at once", playerItem, 1002, {3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 3, true, 1},
    {"player sierra", playerItem, 1002, {2, 3}, {{1, 1}, {2, 0}}, {{1, 0}, {2, 1}}, 5, false, 2},
    {"player sierra then rambo", playerItem, 1002, {2, 1, 3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 7, true, 1},
    {"player static items ignored", playerItem, 1002, {7, 4, 3}, {{1, 1}, {2, 0}}, {{1, 1}, {2, 0}}, 3, true, 1},
};

TEST(OptionDialogs, ValuesPushedAndOptionsSetByClicks) {
    for (const DialogCase& c : dialogCases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.host->chooseMenu(rrMenu, c.menuItem);
        s.host->answerDialog(c.dialogID, c.clicks);
        s.host->quit();
        ASSERT_TRUE(s.play());

        ASSERT_EQ(s.host->dialogs().size(), 1u);
        const auto& record = s.host->dialogs()[0];
        EXPECT_EQ(record.id, c.dialogID);
        EXPECT_TRUE(record.closed);
        EXPECT_EQ(record.hits, c.clicks) << "every click up to OK is read, nothing after";
        ASSERT_EQ(static_cast<int64_t>(record.pushes.size()), c.pushes);
        EXPECT_TRUE(record.pushes[0].empty()) << "the dialog opens before any control is set";
        EXPECT_EQ(record.pushes[2], c.shownAtOpening);
        EXPECT_EQ(record.pushes.back(), c.finalValues);

        bool option = c.menuItem == outsItem ? s.game.gLosersOut : s.game.gRambo;
        EXPECT_EQ(option, c.option);
        const RadioGroup& group = c.menuItem == outsItem ? s.game.gOutsRadio[1] : s.game.gPlayerRadio[1];
        EXPECT_EQ(group, (RadioGroup{1, 2, c.groupValue}));
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

TEST(OptionDialogs, ChoiceRecordedAtTheRadioClickBeforeOK) {
    for (int64_t menuItem : {outsItem, playerItem}) {
        SCOPED_TRACE(menuItem);
        Session s;
        int64_t dialogID = menuItem == outsItem ? 1000 : 1002;
        int64_t click = menuItem == outsItem ? 1 : 2; // the button that is off at start
        bool seenOption = true;
        int64_t seenGroupValue = 0;
        std::optional<int64_t> seenOpen;
        s.host->chooseMenu(rrMenu, menuItem);
        s.host->answerDialog(dialogID, {click});
        // The game has handled the click once it waits for the next one (its second wait).
        s.host->waitForCalls(HostOp::modalDialog, 2);
        s.host->perform("look at the options", [&](ScriptedHost& host) {
            seenOption = menuItem == outsItem ? s.game.gLosersOut : s.game.gRambo;
            seenGroupValue = (menuItem == outsItem ? s.game.gOutsRadio : s.game.gPlayerRadio)[1].value;
            seenOpen = host.openDialogID();
        });
        s.host->hitItem(3);
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(seenOpen, dialogID) << "the dialog was still open";
        EXPECT_FALSE(seenOption);
        EXPECT_EQ(seenGroupValue, click);
    }
}

TEST(OptionDialogs, NextOpeningShowsTheLastChoice) {
    Session s;
    s.host->chooseMenu(rrMenu, outsItem);
    s.host->answerDialog(1000, {1, 3});
    s.host->chooseMenu(rrMenu, playerItem);
    s.host->answerDialog(1002, {2, 3});
    s.host->chooseMenu(rrMenu, outsItem);
    s.host->answerDialog(1000, {3});
    s.host->chooseMenu(rrMenu, playerItem);
    s.host->answerDialog(1002, {3});
    s.host->quit();
    ASSERT_TRUE(s.play());
    const auto& dialogs = s.host->dialogs();
    ASSERT_EQ(dialogs.size(), 4u);
    EXPECT_EQ(dialogs[2].pushes.back(), (Values{{1, 1}, {2, 0}})) << "Winners Outs on";
    EXPECT_EQ(dialogs[3].pushes.back(), (Values{{1, 0}, {2, 1}})) << "Sierra Club on";
    EXPECT_FALSE(s.game.gLosersOut);
    EXPECT_FALSE(s.game.gRambo);
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

TEST(OptionDialogs, OutsChoiceNamesTheOpenerOfTheNextBattle) {
    struct Case {
        std::vector<int64_t> clicks;
        int64_t killed;
        int64_t opener;
    };
    // Losers outs: the owner of the destroyed cannon opens; winners outs: the other player.
    const Case cases[] = {
        {{3}, 1, 1}, {{3}, 2, 2}, {{1, 3}, 1, 2}, {{1, 3}, 2, 1}, {{1, 2, 3}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "clicks " << c.clicks.size() << ", killed " << c.killed);
        Session s;
        s.host->chooseMenu(rrMenu, outsItem);
        s.host->answerDialog(1000, c.clicks);
        s.host->quit();
        ASSERT_TRUE(s.play());
        s.game.gKilled = c.killed;
        s.game.gTurn = 0;
        s.game.whoShootsNext();
        EXPECT_EQ(s.game.gTurn, c.opener);
    }
}

TEST(OptionDialogs, PlayerTypeDecidesWhatAFelledTreeScores) {
    struct Case {
        std::vector<int64_t> clicks;
        int64_t shooter;
        int64_t change;
    };
    const Case cases[] = {{{3}, 1, 5}, {{2, 3}, 1, -5}, {{2, 3}, 2, -5}, {{2, 1, 3}, 2, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "shooter " << c.shooter << ", change " << c.change);
        Session s;
        s.host->chooseMenu(rrMenu, playerItem);
        s.host->answerDialog(1002, c.clicks);
        s.host->quit();
        ASSERT_TRUE(s.play());

        s.game.gTurn = c.shooter;
        s.game.gNumTrees = 2;
        s.game.gTreeDown[2] = false;
        s.game.gTreePoly[2] = std::make_shared<QuickDraw::Polygon>();
        int64_t left = s.game.gScoreL;
        int64_t right = s.game.gScoreR;
        bool treeSound = false;
        ASSERT_TRUE(s.host->run([&] { s.game.treeFalls(2, treeSound); }));
        EXPECT_EQ(s.game.gScoreL - left, c.shooter == 1 ? c.change : 0);
        EXPECT_EQ(s.game.gScoreR - right, c.shooter == 2 ? c.change : 0);
        EXPECT_TRUE(s.game.gTreeDown[2]);
    }
}

} // namespace
