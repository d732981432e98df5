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

TEST_F(ToolboxDialogs, GetNewDialogOpensAnEmptyDialog) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->id(), 1000);
    EXPECT_TRUE(dialog->values().empty());
    EXPECT_TRUE(dialog->refCons().empty());
    ASSERT_EQ(host->dialogs().size(), 1u);
    EXPECT_EQ(host->dialogs()[0].id, 1000);
    EXPECT_EQ(host->dialogs()[0].pushes, std::vector<Values>{Values{}});
    EXPECT_EQ(host->openDialogID(), 1000);
}

TEST_F(ToolboxDialogs, ControlValuesArePushedAsSnapshotsOnEverySet) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1002);
    const ControlHandle three{dialog, 3};
    const ControlHandle four{dialog, 4};
    tb.setCtlValue(three, 1);
    tb.setCtlValue(four, 0);
    tb.setCtlValue(four, 0); // unchanged, pushed all the same
    tb.setCtlValue(three, 0);
    tb.setCtlValue(four, 1);
    const std::vector<Values> expected{
        {}, {{3, 1}}, {{3, 1}, {4, 0}}, {{3, 1}, {4, 0}}, {{3, 0}, {4, 0}}, {{3, 0}, {4, 1}},
    };
    EXPECT_EQ(host->dialogs()[0].pushes, expected);
    EXPECT_EQ(host->calls(HostOp::dialogChanged), 5);
    EXPECT_EQ(tb.getCtlValue(three), 0);
    EXPECT_EQ(tb.getCtlValue(four), 1);
}

TEST_F(ToolboxDialogs, RefConsStayInTheCoreAndUnsetItemsReadZero) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1000);
    const int64_t callsBefore = static_cast<int64_t>(host->log().size());
    tb.setCRefCon(ControlHandle{dialog, 5}, 77);
    EXPECT_EQ(static_cast<int64_t>(host->log().size()), callsBefore) << "setCRefCon makes no host call";
    EXPECT_EQ(tb.getCRefCon(ControlHandle{dialog, 5}), 77);
    EXPECT_EQ(dialog->refCon(5), 77);
    for (int64_t item : {0, 1, 6, -3, 1000}) {
        EXPECT_EQ(tb.getCtlValue(ControlHandle{dialog, item}), 0) << item;
        EXPECT_EQ(tb.getCRefCon(ControlHandle{dialog, item}), 0) << item;
    }
    tb.setCtlValue(ControlHandle{dialog, 2}, 1);
    EXPECT_EQ(host->dialogs()[0].pushes.back(), (Values{{2, 1}})) << "refCons are never sent to the host";
}

TEST_F(ToolboxDialogs, ModalDialogReturnsClicksInClickOrder) {
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1000);
    host->offerDialogHit(4);
    host->offerDialogHit(2);
    host->offerDialogHit(1);
    tb.flushEvents(Toolbox::everyEvent, 0);
    int64_t item = 0;
    tb.modalDialog(dialog, item);
    EXPECT_EQ(item, 4);
    tb.modalDialog(dialog, item);
    EXPECT_EQ(item, 2);
    tb.modalDialog(dialog, item);
    EXPECT_EQ(item, 1);
    tb.disposDialog(dialog);
    EXPECT_TRUE(host->dialogs()[0].closed);
    EXPECT_EQ(host->dialogs()[0].hits, (std::vector<int64_t>{4, 2, 1}));
    EXPECT_FALSE(host->openDialogID().has_value());
    EXPECT_TRUE(host->protocolErrors().empty());
}

TEST_F(ToolboxDialogs, HitsLeftFromAnEarlierDialogAreDiscarded) {
    const std::shared_ptr<Dialog> first = tb.getNewDialog(1000);
    host->offerDialogHit(3);
    host->offerDialogHit(5);
    int64_t item = 0;
    tb.modalDialog(first, item);
    tb.disposDialog(first);
    const std::shared_ptr<Dialog> second = tb.getNewDialog(1002);
    EXPECT_TRUE(host->pendingHits().empty()) << "the unread click 5 belonged to the first dialog";
    host->answerDialog(1002, {6});
    tb.modalDialog(second, item);
    EXPECT_EQ(item, 6);
}

TEST_F(ToolboxDialogs, AlertForwardsToTheHost) {
    host->answerDialog(1001, {1});
    EXPECT_EQ(tb.alert(1001), 1);
    host->answerDialog(1001, {2});
    EXPECT_EQ(tb.alert(1001), 2);
    ASSERT_EQ(host->alerts().size(), 2u);
    EXPECT_TRUE(host->alerts()[1].known);
    EXPECT_EQ(host->alerts()[1].item, 2);
}

TEST_F(ToolboxDialogs, AlertWithAnUnknownIdAnswersOneAtOnce) {
    const int64_t before = host->clockMicroseconds();
    EXPECT_EQ(tb.alert(4242), 1);
    EXPECT_LE(host->clockMicroseconds() - before, 1) << "no waiting";
    ASSERT_EQ(host->alerts().size(), 1u);
    EXPECT_FALSE(host->alerts()[0].known);
    EXPECT_TRUE(host->scriptDone());
}

TEST_F(ToolboxDialogs, CursorCallsReachTheHostAndHidesNest) {
    tb.initCursor();
    tb.setCursor(CursorKind::watch);
    tb.setCursor(CursorKind::cross);
    tb.initCursor();
    EXPECT_EQ(host->cursorChanges(),
              (std::vector<CursorKind>{CursorKind::arrow, CursorKind::watch, CursorKind::cross, CursorKind::arrow}));

    struct Step {
        bool hide;
        int64_t depthAfter;
    };
    // Two hides need two shows; a show with nothing hidden does nothing.
    const Step steps[] = {{true, 1}, {true, 2}, {false, 1}, {false, 0}, {false, 0}, {true, 1}, {false, 0}};
    for (const Step& step : steps) {
        if (step.hide)
            tb.hideCursor();
        else
            tb.showCursor();
        EXPECT_EQ(host->cursorHideDepth(), step.depthAfter);
        EXPECT_EQ(host->cursorVisible(), step.depthAfter == 0);
    }
    EXPECT_EQ(host->calls(HostOp::showCursor), 7);
}

TEST_F(ToolboxDialogs, CursorKindsHaveTheirRawOrder) {
    EXPECT_EQ(rawValue(CursorKind::arrow), 0);
    EXPECT_EQ(rawValue(CursorKind::watch), 1);
    EXPECT_EQ(rawValue(CursorKind::cross), 2);
    EXPECT_EQ(fromRaw<CursorKind>(2), CursorKind::cross);
    EXPECT_FALSE(fromRaw<CursorKind>(3).has_value());
    EXPECT_FALSE(fromRaw<CursorKind>(-1).has_value());
}

TEST_F(ToolboxDialogs, SoundVolumeIsTheHostsClampedValue) {
    const std::pair<int64_t, int64_t> cases[] = {{3, 3}, {9, 7}, {-2, 0}, {0, 0}, {7, 7}};
    for (const auto& [set, read] : cases) {
        tb.setSoundVol(set);
        int64_t volume = -1;
        tb.getSoundVol(volume);
        EXPECT_EQ(volume, read) << "set " << set;
    }
    EXPECT_EQ(host->volumeWrites(), (std::vector<int64_t>{3, 9, -2, 0, 7}));
}

TEST_F(ToolboxDialogs, SoundDoneIdlesAndStopSoundEndsEverySound) {
    host->playSound(128);
    host->playSound(131);
    const int64_t idles = host->calls(HostOp::idle);
    EXPECT_FALSE(tb.soundDone());
    EXPECT_EQ(host->calls(HostOp::idle), idles + 1);
    tb.stopSound();
    EXPECT_EQ(host->stopSoundCount(), 1);
    EXPECT_TRUE(tb.soundDone());
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

TEST_F(ToolboxDialogs, SysBeepIgnoresItsDuration) {
    tb.sysBeep(30);
    tb.sysBeep(1);
    EXPECT_EQ(host->beeps(), 2);
    ASSERT_EQ(host->log().size(), 1u) << "two identical calls";
    EXPECT_EQ(host->log()[0].op, HostOp::sysBeep);
    EXPECT_EQ(host->log()[0].count, 2);
}

using ToolboxDialogsDeathTest = ToolboxDialogs;

TEST_F(ToolboxDialogsDeathTest, ControlWithoutADialogIsACallerError) {
    EXPECT_DEATH(tb.setCtlValue(ControlHandle{nullptr, 1}, 1), "a control belongs to a dialog");
}

} // namespace
