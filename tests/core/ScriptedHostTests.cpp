// The scripted host itself: virtual time, the script, input semantics, bounds and the seed seam.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "ScriptedHost.h"
#include "Toolbox.h"

namespace {

using QuickDraw::Point;

// The start-up seed rule of the game: seconds since 1970 plus the seconds from 1904 to 1970, truncated,
// low 32 bits read as a signed number.
int32_t seedFromWallClock(double seconds) {
    const auto since1904 = static_cast<int64_t>(std::trunc(seconds + 2082844800.0));
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(since1904) & 0xFFFFFFFFu));
}

TEST(ScriptedHost, TimeAdvancesOnlyByIdleSpinAndCallCost) {
    ScriptedHost host;
    host.setCallMicroseconds(0);
    host.idle();
    EXPECT_EQ(host.clockMicroseconds(), 300);
    host.spin(100);
    EXPECT_EQ(host.clockMicroseconds(), 1300);
    host.spin(-5);
    EXPECT_EQ(host.clockMicroseconds(), 1300) << "a negative count waits nothing";
    host.spin(0);
    host.button();
    host.tickCount();
    EXPECT_EQ(host.clockMicroseconds(), 1300);
    host.spin(100'000); // one second
    EXPECT_EQ(host.tickCount(), 60);
    // A count far beyond any limit fails the run instead of wrapping the clock around.
    EXPECT_THROW(host.spin(INT64_MAX), ScriptedHost::ScriptFailure);
    host.setTimeLimitTicks(INT64_MAX);
    EXPECT_THROW(host.spin(INT64_MAX / 10), ScriptedHost::ScriptFailure) << "the clock's own end bounds it too";
}

TEST(ScriptedHost, ShortClickIsSeenOnceAndFlushForgetsIt) {
    ScriptedHost host;
    host.clickAt(WindowID::field, 3, 4);
    EXPECT_TRUE(host.button()) << "the press happened before this poll";
    EXPECT_FALSE(host.button());
    host.clickAt(WindowID::field, 3, 4);
    host.flushEvents();
    EXPECT_FALSE(host.button());
}

TEST(ScriptedHost, PressHoldsUntilRelease) {
    ScriptedHost host;
    host.pressAt(WindowID::field, 1, 1);
    host.waitTicks(10);
    host.release();
    int64_t downPolls = 0;
    while (host.button())
        host.idle(), ++downPolls;
    EXPECT_GE(host.ticks(), 10);
    EXPECT_LE(host.ticks(), 11);
    EXPECT_GT(downPolls, 0);
    EXPECT_TRUE(host.scriptDone());
}

TEST(ScriptedHost, MouseIsAnsweredInTheWindowsCoordinates) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    host->setMouse(WindowID::targets, 5, 6);
    EXPECT_EQ(host->mouseGlobal(), Point(15, 41));
    EXPECT_EQ(host->mouse(tb.window(WindowID::targets)), Point(5, 6));
    EXPECT_EQ(host->mouse(tb.window(WindowID::field)), Point(15, 21));
    EXPECT_EQ(host->mouse(tb.window(WindowID::ballSpeed)), Point(-82, -14));
}

TEST(ScriptedHost, MenuChoicesNeedReadinessAndAreNeverDeliveredLate) {
    ScriptedHost host;
    EXPECT_FALSE(host.offerMenuChoice((258 << 16) + 2)) << "offered while not ready: dropped";
    host.setReadyForMenus(true);
    EXPECT_FALSE(host.takeMenuChoice().has_value()) << "a dropped choice does not come back";
    EXPECT_TRUE(host.offerMenuChoice((258 << 16) + 3));
    host.setReadyForMenus(false);
    host.setReadyForMenus(true);
    EXPECT_FALSE(host.takeMenuChoice().has_value()) << "a change to not ready empties the queue";
    EXPECT_EQ(host.droppedMenuChoices(), (std::vector<int64_t>{(258 << 16) + 2, (258 << 16) + 3}));
    EXPECT_TRUE(host.deliveredMenuChoices().empty());
}

TEST(ScriptedHost, WaitTicksCountsFromThePreviousStep) {
    ScriptedHost host;
    host.waitTicks(30);
    host.clickAt(WindowID::field, 0, 0);
    host.waitTicks(15);
    host.clickAt(WindowID::field, 0, 0);
    std::vector<int64_t> clickTicks;
    while (clickTicks.size() < 2) {
        if (host.button())
            clickTicks.push_back(host.ticks());
        host.idle();
    }
    ASSERT_EQ(clickTicks.size(), 2u);
    EXPECT_EQ(clickTicks[0], 30);
    EXPECT_EQ(clickTicks[1], 45);
}

TEST(ScriptedHost, DragMovesThePointerInStepsWhileTheButtonIsDown) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    host->drag(WindowID::field, 10, 100, 50, 80, 4, 3);
    while (!tb.button()) {
    }
    std::vector<Point> seen;
    Point mouse;
    while (tb.waitMouseUp()) {
        tb.getMouse(mouse);
        if (seen.empty() || !(seen.back() == mouse))
            seen.push_back(mouse);
        tb.tickCount();
    }
    tb.getMouse(mouse);
    EXPECT_EQ(seen.front(), Point(10, 100));
    EXPECT_EQ(mouse, Point(50, 80)) << "released at the end point";
    EXPECT_EQ(seen, (std::vector<Point>{Point(10, 100), Point(20, 95), Point(30, 90), Point(40, 85), Point(50, 80)}));
}

TEST(ScriptedHost, WaitForConditions) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    std::vector<std::string> order;
    host->waitForWindowShown(WindowID::targets);
    host->perform("note shown", [&](ScriptedHost&) { order.push_back("shown"); });
    host->waitForCalls(HostOp::sysBeep, 2);
    host->perform("note beeps", [&](ScriptedHost&) { order.push_back("two beeps"); });
    host->waitUntil("the volume is 0", [](const ScriptedHost& h) { return h.volume() == 0; });
    host->perform("note silence", [&](ScriptedHost&) { order.push_back("silent"); });

    tb.sysBeep(1);
    tb.showWindow(tb.window(WindowID::targets));
    EXPECT_EQ(order, std::vector<std::string>{"shown"});
    tb.sysBeep(1); // one beep since the wait began
    tb.sysBeep(1);
    EXPECT_EQ(order, (std::vector<std::string>{"shown", "two beeps"}));
    tb.setSoundVol(0);
    EXPECT_EQ(order, (std::vector<std::string>{"shown", "two beeps"})) << "steps run at the start of a call";
    tb.stopSound();
    EXPECT_EQ(order, (std::vector<std::string>{"shown", "two beeps", "silent"}));
    EXPECT_TRUE(host->scriptDone());
}

// A main loop in the manner of the game: poll for a menu choice, dispatch what menuSelect accepts.
std::vector<int64_t> runMenuLoop(ScriptedHost& host, Toolbox& tb) {
    std::vector<int64_t> dispatched;
    for (int64_t id = 256; id <= 264; ++id)
        tb.getMenu(id);
    tb.disableItem(262, 2);
    bool quit = false;
    host.run([&] {
        while (!quit) {
            Toolbox::EventRecord event;
            if (tb.getNextEvent(Toolbox::everyEvent, event)) {
                Window* window = nullptr;
                if (event.what == Toolbox::mouseDown && tb.findWindow(event.where, window) == Toolbox::inMenuBar) {
                    const int64_t choice = tb.menuSelect(event.where);
                    if (choice != 0)
                        dispatched.push_back(choice);
                    if (Toolbox::hiWord(choice) == 257)
                        quit = true;
                }
            }
        }
    });
    return dispatched;
}

TEST(ScriptedHost, DrivesAPollingLoopDeterministically) {
    std::vector<std::vector<ScriptedHost::LogEntry>> logs;
    for (int run = 0; run < 2; ++run) {
        auto host = std::make_shared<ScriptedHost>();
        Toolbox tb(host);
        host->waitTicks(20);
        host->chooseMenu(263, 2);
        host->chooseMenu(262, 2); // disabled: reaches the core, menuSelect drops it
        host->chooseMenuRaw((258 << 16) + 0);
        host->waitTicks(5);
        host->chooseMenu(258, 4);
        host->quit();
        const std::vector<int64_t> dispatched = runMenuLoop(*host, tb);
        EXPECT_EQ(dispatched, (std::vector<int64_t>{(263 << 16) + 2, (258 << 16) + 4, (257 << 16) + 1}));
        EXPECT_EQ(host->deliveredMenuChoices().size(), 5u);
        EXPECT_TRUE(host->droppedMenuChoices().empty());
        EXPECT_TRUE(host->scriptDone());
        EXPECT_GE(host->ticks(), 25);
        std::vector<int64_t> handedOut;
        for (const ScriptedHost::LogEntry& entry : host->log())
            if (entry.op == HostOp::takeMenuChoice && entry.arg != 0)
                handedOut.push_back(entry.arg);
        EXPECT_EQ(handedOut, host->deliveredMenuChoices()) << "the log names each choice handed out";
        logs.push_back(host->log());
    }
    ASSERT_EQ(logs[0].size(), logs[1].size());
    for (size_t i = 0; i < logs[0].size(); ++i)
        EXPECT_EQ(logs[0][i].text(), logs[1][i].text()) << "entry " << i;
}

TEST(ScriptedHost, TimeLimitEndsARunawayLoopWithAClearMessage) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    host->setTimeLimitTicks(120);
    host->chooseMenu(258, 1);
    std::string message;
    try {
        for (;;)
            tb.button(); // never polls for menus, so the script cannot go on
    } catch (const ScriptedHost::ScriptFailure& failure) {
        message = failure.what();
    }
    EXPECT_NE(message.find("virtual time limit of 120 ticks exceeded"), std::string::npos) << message;
    EXPECT_NE(message.find("choose menu 258/1"), std::string::npos) << "names the step waited for: " << message;
    EXPECT_NE(message.find("button"), std::string::npos) << "lists the last calls: " << message;
    EXPECT_EQ(host->ticks(), 121);
}

TEST(ScriptedHost, LoopThatNeverIdlesIsBoundedToo) {
    ScriptedHost host;
    host.setTimeLimitTicks(6);
    const Window field(WindowID::field);
    EXPECT_THROW(
        {
            for (;;)
                host.mouse(field);
        },
        ScriptedHost::ScriptFailure);
}

TEST(ScriptedHost, BlockedDialogWithNothingScriptedFails) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    const std::shared_ptr<Dialog> dialog = tb.getNewDialog(1000);
    int64_t item = 0;
    std::string message;
    try {
        tb.modalDialog(dialog, item);
    } catch (const ScriptedHost::ScriptFailure& failure) {
        message = failure.what();
    }
    EXPECT_NE(message.find("modalDialog(1000) waits for a click"), std::string::npos) << message;
    EXPECT_EQ(item, 0);
}

TEST(ScriptedHost, BlockedAlertWaitsInVirtualTimeForALaterStep) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    host->hitItem(2); // runs as the alert is called, before it opens: discarded when it does
    host->answerDialog(1001, {1});
    EXPECT_EQ(tb.alert(1001), 1);
    EXPECT_EQ(host->ticks(), 0) << "answered at once";
    host->waitTicks(90);
    host->answerDialog(1001, {3});
    EXPECT_EQ(tb.alert(1001), 3);
    EXPECT_EQ(host->ticks(), 90) << "the user took a second and a half";
}

TEST(ScriptedHost, RunReportsSuccessWhenTheScenarioEndsOnPurpose) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    host->waitTicks(10);
    host->endScenario();
    int64_t polls = 0;
    const bool ok = host->run([&] {
        for (;;) {
            tb.button();
            ++polls;
        }
    });
    EXPECT_TRUE(ok);
    EXPECT_GT(polls, 0);
    EXPECT_EQ(host->ticks(), 10);
    EXPECT_THROW(host->idle(), ScriptedHost::ScenarioEnd) << "the ended scenario takes no more calls";
}

TEST(ScriptedHost, SeedSeamGivesTheChosenSeedByTheStartUpRule) {
    ScriptedHost host;
    EXPECT_EQ(seedFromWallClock(host.secondsSince1970()), static_cast<int32_t>(2082844800))
        << "the default clock is 1970-01-01 00:00:00";
    for (int32_t seed : {0, 1, -1, 42, 12345, INT32_MAX, INT32_MIN, 2082844800}) {
        host.setRandSeed(seed);
        const double seconds = host.secondsSince1970();
        EXPECT_TRUE(std::isfinite(seconds));
        EXPECT_EQ(seedFromWallClock(seconds), seed) << "seed " << seed;
    }
}

TEST(ScriptedHost, ProtocolBreachesAreRecorded) {
    const MenuState m256{256, true, {true, true}, {false, false}};
    const MenuState m258{258, true, {true, true}, {false, false}};
    struct Case {
        const char* breach;
        std::function<void(ScriptedHost&, Toolbox&)> calls;
        const char* message;
    };
    const Case cases[] = {
        {"shown twice", [](ScriptedHost& h, Toolbox& t) { h.showWindow(t.window(WindowID::targets)); h.showWindow(t.window(WindowID::targets)); },
         "showWindow(257) while shown"},
        {"hidden while hidden", [](ScriptedHost& h, Toolbox& t) { h.hideWindow(t.window(WindowID::field)); },
         "hideWindow(256) while hidden"},
        {"closed with none open", [](ScriptedHost& h, Toolbox&) { h.closeDialog(Dialog(1000)); },
         "closeDialog(1000) for a dialog that is not open"},
        {"descending ids", [&](ScriptedHost& h, Toolbox&) { h.menusChanged({m258, m256}); },
         "menu ids not strictly ascending"},
        {"a menu left out", [&](ScriptedHost& h, Toolbox&) { h.menusChanged({m256, m258}); h.menusChanged({m258}); },
         "menusChanged without menu 256"},
        {"sound at volume 0", [](ScriptedHost& h, Toolbox&) { h.setSoundVolume(0); h.playSound(128); },
         "playSound(128) while the volume is 0"},
    };
    for (const Case& c : cases) {
        auto host = std::make_shared<ScriptedHost>();
        Toolbox tb(host);
        c.calls(*host, tb);
        ASSERT_EQ(host->protocolErrors().size(), 1u) << c.breach;
        EXPECT_NE(host->protocolErrors()[0].find(c.message), std::string::npos) << host->protocolErrors()[0];
    }
}

} // namespace
