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

TEST(ScriptedHost, StepsWaitTicksCountedFromThePreviousStep) {
    ScriptedHost host;
    host.waitTicks(30);
    host.clickAt(WindowID::field, 0, 0);
    host.waitTicks(15);
    host.pressAt(WindowID::field, 1, 1);
    host.waitTicks(10);
    host.release();
    std::vector<std::pair<int64_t, bool>> changes; // tick and answer whenever button() changes its answer
    bool last = false;
    while (!host.scriptDone() || last) {
        const bool down = host.button();
        if (down != last)
            changes.emplace_back(host.ticks(), down);
        last = down;
        host.idle();
    }
    // The click is seen by one poll; the press holds from tick 45 until the release 10 ticks later.
    EXPECT_EQ(changes, (std::vector<std::pair<int64_t, bool>>{{30, true}, {30, false}, {45, true}, {55, false}}));
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
    EXPECT_EQ(mouse, Point(50, 80)) << "released at the end point";
    EXPECT_EQ(seen, (std::vector<Point>{Point(10, 100), Point(20, 95), Point(30, 90), Point(40, 85), Point(50, 80)}));

    host->setMouse(WindowID::targets, 5, 6); // positions are local to the window named
    EXPECT_EQ(host->mouseGlobal(), Point(15, 41));
}

TEST(ScriptedHost, StepsWaitForConditionsCheckedAtTheStartOfEachCall) {
    auto host = std::make_shared<ScriptedHost>();
    Toolbox tb(host);
    std::string order;
    const auto note = [&](std::string what) { host->perform(what, [&order, what](ScriptedHost&) { order += what; }); };
    host->waitForWindowShown(WindowID::targets);
    note("shown ");
    host->waitForCalls(HostOp::sysBeep, 2);
    note("two beeps ");
    host->waitUntil("the volume is 0", [](const ScriptedHost& h) { return h.volume() == 0; });
    note("silent");

    tb.sysBeep(1);
    tb.showWindow(tb.window(WindowID::targets));
    EXPECT_EQ(order, "shown ");
    tb.sysBeep(1); // one beep since the wait began
    tb.sysBeep(1);
    EXPECT_EQ(order, "shown two beeps ");
    tb.setSoundVol(0);
    EXPECT_EQ(order, "shown two beeps ") << "the volume changed after this call's check";
    tb.stopSound();
    EXPECT_EQ(order, "shown two beeps silent");
    EXPECT_TRUE(host->scriptDone());
}

// A main loop in the manner of the game, polling for menu choices, twice with the same script: the
// choices that menuSelect accepts reach it, and the two runs make the very same calls.
TEST(ScriptedHost, DrivesAPollingLoopDeterministically) {
    std::vector<std::string> logs[2];
    for (std::vector<std::string>& log : logs) {
        auto host = std::make_shared<ScriptedHost>();
        Toolbox tb(host);
        for (int64_t id = 256; id <= 264; ++id)
            tb.getMenu(id);
        tb.disableItem(262, 2);
        host->waitTicks(20);
        host->chooseMenu(263, 2);
        host->chooseMenu(262, 2); // disabled: reaches the core, menuSelect drops it
        host->chooseMenuRaw((258 << 16) + 0);
        host->waitTicks(5);
        host->chooseMenu(258, 4);
        host->quit();
        std::vector<int64_t> dispatched;
        EXPECT_TRUE(host->run([&] {
            while (dispatched.empty() || Toolbox::hiWord(dispatched.back()) != 257) {
                Toolbox::EventRecord event;
                Window* window = nullptr;
                if (tb.getNextEvent(Toolbox::everyEvent, event) && event.what == Toolbox::mouseDown &&
                    tb.findWindow(event.where, window) == Toolbox::inMenuBar)
                    if (const int64_t choice = tb.menuSelect(event.where); choice != 0)
                        dispatched.push_back(choice);
            }
        }));
        EXPECT_EQ(dispatched, (std::vector<int64_t>{(263 << 16) + 2, (258 << 16) + 4, (257 << 16) + 1}));
        EXPECT_EQ(host->deliveredMenuChoices().size(), 5u);
        EXPECT_TRUE(host->droppedMenuChoices().empty());
        EXPECT_TRUE(host->scriptDone());
        EXPECT_GE(host->ticks(), 25);
        std::vector<int64_t> handedOut;
        for (const ScriptedHost::LogEntry& entry : host->log()) {
            log.push_back(entry.text());
            if (entry.op == HostOp::takeMenuChoice && entry.arg != 0)
                handedOut.push_back(entry.arg);
        }
        EXPECT_EQ(handedOut, host->deliveredMenuChoices()) << "the log names each choice handed out";
    }
    EXPECT_EQ(logs[0], logs[1]);
}

TEST(ScriptedHost, RunawayScenariosFailWithAClearMessage) {
    struct Case {
        const char* name;
        std::function<void(ScriptedHost&, Toolbox&)> body;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {"a loop that never polls for menus",
         [](ScriptedHost& h, Toolbox& t) {
             h.chooseMenu(258, 1);
             for (;;)
                 t.button();
         },
         {"virtual time limit of 120 ticks exceeded", "choose menu 258/1", "button("}},
        {"a loop that never idles",
         [](ScriptedHost& h, Toolbox& t) {
             for (;;)
                 h.mouse(t.window(WindowID::field));
         },
         {"virtual time limit of 120 ticks exceeded", "mouse(256)"}},
        {"a dialog nobody answers",
         [](ScriptedHost&, Toolbox& t) {
             int64_t item = 0;
             t.modalDialog(t.getNewDialog(1000), item);
         },
         {"modalDialog(1000) waits for a click but the script has no step left"}},
    };
    for (const Case& c : cases) {
        auto host = std::make_shared<ScriptedHost>();
        Toolbox tb(host);
        host->setTimeLimitTicks(120);
        std::string message;
        try {
            c.body(*host, tb);
        } catch (const ScriptedHost::ScriptFailure& failure) {
            message = failure.what();
        }
        for (const std::string& mention : c.mentions)
            EXPECT_NE(message.find(mention), std::string::npos) << c.name << ": " << message;
        EXPECT_LE(host->ticks(), 121) << c.name;
    }
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
        {"shown twice", [](ScriptedHost& h, Toolbox& t) { h.showWindow(t.window(WindowID::targets)); },
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
        host->showWindow(tb.window(WindowID::targets)); // a correct call to build on
        c.calls(*host, tb);
        ASSERT_EQ(host->protocolErrors().size(), 1u) << c.breach;
        EXPECT_NE(host->protocolErrors()[0].find(c.message), std::string::npos) << host->protocolErrors()[0];
    }
}

} // namespace
