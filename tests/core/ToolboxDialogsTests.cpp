// Dialogs and controls, alerts, the cursor and the sound calls.
#include <gtest/gtest.h>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using Values = std::map<int64_t, int64_t>;

struct ToolboxDialogs : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};
};

TEST_F(ToolboxDialogs, ControlValuesArePushedAsSnapshotsOnEverySet) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1002);
    EXPECT_EQ(dialog->id(), 1002);
    EXPECT_EQ(host->openDialogID(), 1002);
    const ControlHandle three{dialog, 3};
    const ControlHandle four{dialog, 4};
    tb.setCtlValue(three, 1);
    tb.setCtlValue(four, 0);
    tb.setCtlValue(four, 0); // unchanged, pushed all the same
    tb.setCtlValue(three, 0);
    tb.setCtlValue(four, 1);
    // The first entry is what openDialog saw: a new dialog has no values.
    const std::vector<Values> expected{
        {}, {{3, 1}}, {{3, 1}, {4, 0}}, {{3, 1}, {4, 0}}, {{3, 0}, {4, 0}}, {{3, 0}, {4, 1}},
    };
    EXPECT_EQ(host->dialogs().at(0).pushes, expected);
    EXPECT_EQ(tb.getCtlValue(three), 0);
    EXPECT_EQ(tb.getCtlValue(four), 1);
}

TEST_F(ToolboxDialogs, RefConsStayInTheCoreAndUnsetItemsReadZero) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1000);
    const size_t calls = host->log().size();
    tb.setCRefCon(ControlHandle{dialog, 5}, 77);
    EXPECT_EQ(host->log().size(), calls) << "setCRefCon makes no host call";
    EXPECT_EQ(tb.getCRefCon(ControlHandle{dialog, 5}), 77);
    for (int64_t item : {0, 1, 6, -3, 1000}) {
        EXPECT_EQ(tb.getCtlValue(ControlHandle{dialog, item}), 0) << item;
        EXPECT_EQ(tb.getCRefCon(ControlHandle{dialog, item}), 0) << item;
    }
    tb.setCtlValue(ControlHandle{dialog, 2}, 1);
    EXPECT_EQ(host->dialogs()[0].pushes.back(), (Values{{2, 1}})) << "refCons are never sent to the host";
}

TEST_F(ToolboxDialogs, ModalDialogReturnsClicksInClickOrderAndANewDialogDropsOldOnes) {
    const std::shared_ptr<Dialog> first = tb.getNewDialog(1000);
    for (int64_t item : {4, 2, 1, 5})
        host->offerDialogHit(item);
    tb.flushEvents(Toolbox::everyEvent, 0); // forgets the button, not the dialog's clicks
    int64_t item = 0;
    for (int64_t expected : {4, 2, 1}) {
        tb.modalDialog(first, item);
        EXPECT_EQ(item, expected);
    }
    tb.disposDialog(first);
    EXPECT_TRUE(host->dialogs()[0].closed);
    EXPECT_FALSE(host->openDialogID().has_value());

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
    EXPECT_TRUE(host->alerts()[0].known);
    EXPECT_FALSE(host->alerts()[1].known) << "nothing was shown";
}

TEST_F(ToolboxDialogs, CursorCallsReachTheHostAndHidesNest) {
    tb.initCursor();
    tb.setCursor(CursorKind::watch);
    tb.setCursor(CursorKind::cross);
    tb.initCursor();
    EXPECT_EQ(host->cursorChanges(),
              (std::vector<CursorKind>{CursorKind::arrow, CursorKind::watch, CursorKind::cross, CursorKind::arrow}));
    for (const auto& [kind, raw] : {std::pair{CursorKind::arrow, 0}, {CursorKind::watch, 1}, {CursorKind::cross, 2}}) {
        EXPECT_EQ(rawValue(kind), raw);
        EXPECT_EQ(fromRaw<CursorKind>(raw), kind);
    }
    EXPECT_FALSE(fromRaw<CursorKind>(3).has_value());
    EXPECT_FALSE(fromRaw<CursorKind>(-1).has_value());

    // Two hides need two shows; a show with nothing hidden does nothing.
    const std::pair<bool, int64_t> steps[] = {{true, 1}, {true, 2}, {false, 1}, {false, 0}, {false, 0}, {true, 1}};
    for (const auto& [hide, depth] : steps) {
        hide ? tb.hideCursor() : tb.showCursor();
        EXPECT_EQ(host->cursorHideDepth(), depth);
    }
}

TEST_F(ToolboxDialogs, SoundCallsReachTheHost) {
    const std::pair<int64_t, int64_t> volumes[] = {{3, 3}, {9, 7}, {-2, 0}, {0, 0}, {7, 7}};
    for (const auto& [set, read] : volumes) {
        tb.setSoundVol(set);
        int64_t volume = -1;
        tb.getSoundVol(volume);
        EXPECT_EQ(volume, read) << "set " << set;
    }
    EXPECT_EQ(host->volumeWrites(), (std::vector<int64_t>{3, 9, -2, 0, 7}));

    host->playSound(128);
    host->playSound(131);
    const int64_t idles = host->calls(HostOp::idle);
    EXPECT_FALSE(tb.soundDone());
    EXPECT_EQ(host->calls(HostOp::idle), idles + 1) << "soundDone idles";
    tb.stopSound();
    EXPECT_TRUE(tb.soundDone());
    host->playSound(999); // no such sound: nothing plays
    EXPECT_TRUE(tb.soundDone());
    EXPECT_EQ(host->soundsPlayed(), (std::vector<int64_t>{128, 131}));

    tb.sysBeep(30);
    tb.sysBeep(1);
    ASSERT_EQ(host->log().back().op, HostOp::sysBeep);
    EXPECT_EQ(host->log().back().count, 2) << "two identical calls: the duration plays no part";
}

TEST_F(ToolboxDialogs, WaitingForASoundSleepsUntilItEnds) {
    host->setSoundTicks(129, 12);
    host->playSound(129);
    int64_t polls = 0;
    while (!tb.soundDone())
        ++polls;
    EXPECT_GE(host->ticks(), 12);
    EXPECT_LE(host->ticks(), 13);
    EXPECT_EQ(host->calls(HostOp::idle), polls + 1);
}

using ToolboxDialogsDeathTest = ToolboxDialogs;

TEST_F(ToolboxDialogsDeathTest, ControlWithoutADialogIsACallerError) {
    EXPECT_DEATH(tb.setCtlValue(ControlHandle{nullptr, 1}, 1), "a control belongs to a dialog");
}

} // namespace
