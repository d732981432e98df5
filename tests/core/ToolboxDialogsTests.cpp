// Dialogs and controls, alerts, the cursor and the sound calls.
#include "CoreTest.h"

namespace {

using Values = std::map<int64_t, int64_t>;
using ToolboxDialogs = CoreTest;

TEST_F(ToolboxDialogs, ControlValuesArePushedAsSnapshotsAndUnsetItemsReadZero) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1002);
    EXPECT_EQ(host->openDialogID(), 1002);
    const ControlHandle three{dialog, 3}, four{dialog, 4};
    tb.setCRefCon(three, 77);
    for (const auto& [control, value] : {std::pair{three, 1}, {four, 0}, {four, 0}, {three, 0}, {four, 1}})
        tb.setCtlValue(control, value); // an unchanged value is pushed all the same
    // The first entry is what openDialog saw; refCons never reach the host.
    const std::vector<Values> expected{{}, {{3, 1}}, {{3, 1}, {4, 0}}, {{3, 1}, {4, 0}}, {{3, 0}, {4, 0}},
                                       {{3, 0}, {4, 1}}};
    EXPECT_EQ(host->dialogs().at(0).pushes, expected);
    EXPECT_EQ((std::vector{tb.getCtlValue(three), tb.getCtlValue(four), tb.getCRefCon(three)}), (std::vector<int64_t>{0, 1, 77}));
    for (int64_t item : {0, 1, -3, 1000})
        EXPECT_EQ(tb.getCtlValue({dialog, item}) | tb.getCRefCon({dialog, item}), 0) << item;
}

TEST_F(ToolboxDialogs, ModalDialogReturnsClicksInOrderAndANewDialogDropsOldOnes) {
    const std::shared_ptr<Dialog> first = tb.getNewDialog(1000);
    for (int64_t item : {4, 2, 5})
        host->offerDialogHit(item);
    tb.flushEvents(Toolbox::everyEvent, 0); // forgets the button, not the dialog's clicks
    int64_t item = 0;
    for (int64_t expected : {4, 2}) {
        tb.modalDialog(first, item);
        EXPECT_EQ(item, expected);
    }
    tb.disposDialog(first);
    EXPECT_TRUE(host->dialogs()[0].closed);
    const std::shared_ptr<Dialog> second = tb.getNewDialog(1002);
    EXPECT_TRUE(host->pendingHits().empty()) << "the unread click 5 belonged to the first dialog";
    host->answerDialog(1002, {6});
    tb.modalDialog(second, item);
    EXPECT_EQ(item, 6);
    EXPECT_TRUE(host->protocolErrors().empty());
}

TEST_F(ToolboxDialogs, AlertReturnsTheClosingItemAndAnUnknownIdAnswersOneAtOnce) {
    host->answerDialog(1001, {2});
    EXPECT_EQ(tb.alert(1001), 2);
    const int64_t before = host->clockMicroseconds();
    EXPECT_EQ(tb.alert(4242), 1);
    EXPECT_LE(host->clockMicroseconds() - before, 1) << "no waiting";
    ASSERT_EQ(host->alerts().size(), 2u);
    EXPECT_FALSE(host->alerts()[1].known) << "nothing was shown";
}

TEST_F(ToolboxDialogs, CursorCallsReachTheHostAndHidesNest) {
    tb.initCursor();
    tb.setCursor(CursorKind::watch);
    tb.setCursor(CursorKind::cross);
    tb.initCursor();
    EXPECT_EQ(host->cursorChanges(),
              (std::vector<CursorKind>{CursorKind::arrow, CursorKind::watch, CursorKind::cross, CursorKind::arrow}));
    // Two hides need two shows; a show with nothing hidden does nothing.
    for (const auto& [hide, depth] : {std::pair{true, 1}, {true, 2}, {false, 1}, {false, 0}, {false, 0}, {true, 1}}) {
        hide ? tb.hideCursor() : tb.showCursor();
        EXPECT_EQ(host->cursorHideDepth(), depth);
    }
}

TEST_F(ToolboxDialogs, SoundCallsReachTheHostAndWaitingSleepsUntilTheSoundEnds) {
    for (const auto& [set, read] : {std::pair{3, 3}, {9, 7}, {-2, 0}, {7, 7}}) {
        tb.setSoundVol(set);
        int64_t volume = -1;
        tb.getSoundVol(volume);
        EXPECT_EQ(volume, read) << "set " << set;
    }
    EXPECT_EQ(host->volumeWrites(), (std::vector<int64_t>{3, 9, -2, 7}));
    host->playSound(128);
    EXPECT_FALSE(tb.soundDone());
    tb.stopSound();
    EXPECT_TRUE(tb.soundDone());
    tb.sysBeep(30);
    tb.sysBeep(1);
    EXPECT_EQ(std::pair(host->log().back().op, host->log().back().count), std::pair(HostOp::sysBeep, int64_t{2}))
        << "two identical calls: the duration plays no part";

    host->setSoundTicks(129, 12);
    host->playSound(129);
    const int64_t idles = host->calls(HostOp::idle), start = host->ticks();
    int64_t polls = 0;
    while (!tb.soundDone())
        ++polls;
    EXPECT_GE(host->ticks() - start, 12);
    EXPECT_LE(host->ticks() - start, 13);
    EXPECT_EQ(host->calls(HostOp::idle) - idles, polls + 1) << "soundDone idles on every call";
}


} // namespace
