// The scripted host itself: virtual time, script steps, bounded runs and the seed seam.
#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "CoreTest.h"

namespace {

TEST(ScriptedHost, TimeAdvancesOnlyByIdleAndSpinAndNeverWraps) {
    ScriptedHost host;
    host.setCallMicroseconds(0);
    host.idle();
    host.spin(100);
    host.spin(-5); // waits nothing
    host.button();
    EXPECT_EQ(host.clockMicroseconds(), 1300) << "an idle is 300 us, a spin count 10 us";
    host.spin(100'000);
    EXPECT_EQ(host.tickCount(), 60) << "60 ticks a second";
    EXPECT_THROW(host.spin(INT64_MAX), ScriptedHost::ScriptFailure);
    host.setTimeLimitTicks(INT64_MAX);
    EXPECT_THROW(host.spin(INT64_MAX / 10), ScriptedHost::ScriptFailure) << "the clock's own end bounds it too";
}

TEST(ScriptedHost, StepsWaitTicksOrConditionsCheckedAtTheStartOfEachCall) {
    ScriptedHost host;
    host.waitTicks(30);
    host.clickAt(WindowID::field, 0, 0);
    host.waitTicks(15);
    host.pressAt(WindowID::field, 1, 1);
    host.waitTicks(10);
    host.release();
    std::vector<std::pair<int64_t, bool>> changes; // tick and answer whenever button() changes its answer
    for (bool last = false; !host.scriptDone() || last; host.idle())
        if (const bool down = host.button(); down != last)
            changes.emplace_back(host.ticks(), last = down);
    EXPECT_EQ(changes, (std::vector<std::pair<int64_t, bool>>{{30, true}, {30, false}, {45, true}, {55, false}}));

    auto shared = std::make_shared<ScriptedHost>();
    Toolbox tb(shared);
    std::string order;
    const auto note = [&](std::string what) { shared->perform(what, [&order, what](ScriptedHost&) { order += what; }); };
    shared->waitForWindowShown(WindowID::targets);
    note("shown ");
    shared->waitForCalls(HostOp::sysBeep, 2);
    note("beeps ");
    shared->waitUntil("the volume is 0", [](const ScriptedHost& h) { return h.volume() == 0; });
    note("silent");
    tb.sysBeep(1); // before the wait began: not counted
    tb.showWindow(tb.window(WindowID::targets));
    tb.sysBeep(1);
    EXPECT_EQ(order, "shown ");
    tb.sysBeep(1);
    tb.setSoundVol(0);
    EXPECT_EQ(order, "shown beeps ") << "the volume changed after this call's check";
    tb.stopSound();
    EXPECT_EQ(order, "shown beeps silent");
}

// A main loop in the manner of the game, run twice with the same script: the choices menuSelect accepts reach
// it, and both runs make the very same calls.
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
        host->chooseMenuRaw(choice(258, 0));
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
                    if (const int64_t chosen = tb.menuSelect(event.where); chosen != 0)
                        dispatched.push_back(chosen);
            }
        }));
        EXPECT_EQ(dispatched, (std::vector<int64_t>{choice(263, 2), choice(258, 4), choice(257, 1)}));
        EXPECT_EQ(host->deliveredMenuChoices().size(), 5u);
        EXPECT_TRUE(host->scriptDone());
        EXPECT_GE(host->ticks(), 25);
        for (const ScriptedHost::LogEntry& entry : host->log())
            log.push_back(entry.text());
    }
    EXPECT_EQ(logs[0], logs[1]);
}

TEST(ScriptedHost, RunawayScenariosFailWithAClearMessage) {
    const std::tuple<const char*, std::function<void(ScriptedHost&, Toolbox&)>, std::vector<std::string>> cases[] = {
        {"a loop that never polls for menus",
         [](ScriptedHost& h, Toolbox& t) {
             h.chooseMenu(258, 1);
             for (;;)
                 t.button();
         },
         {"virtual time limit of 120 ticks exceeded", "choose menu 258/1", "button("}},
        {"a dialog nobody answers",
         [](ScriptedHost&, Toolbox& t) {
             int64_t item = 0;
             t.modalDialog(t.getNewDialog(1000), item);
         },
         {"modalDialog(1000) waits for a click but the script has no step left"}},
    };
    for (const auto& [name, body, mentions] : cases) {
        auto host = std::make_shared<ScriptedHost>();
        Toolbox tb(host);
        host->setTimeLimitTicks(120);
        std::string message;
        try {
            body(*host, tb);
        } catch (const ScriptedHost::ScriptFailure& failure) {
            message = failure.what();
        }
        for (const std::string& mention : mentions)
            EXPECT_NE(message.find(mention), std::string::npos) << name << ": " << message;
        EXPECT_LE(host->ticks(), 121) << name;
    }
}

TEST(ScriptedHost, SeedSeamGivesTheChosenSeedByTheStartUpRule) {
    // Seconds since 1970 plus those from 1904 to 1970, truncated, low 32 bits read as signed.
    const auto seedOf = [](double seconds) {
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(std::trunc(seconds + 2082844800.0))));
    };
    ScriptedHost host;
    EXPECT_EQ(seedOf(host.secondsSince1970()), static_cast<int32_t>(2082844800)) << "default: 1970-01-01";
    for (int32_t seed : {0, -1, 12345, INT32_MAX, INT32_MIN}) {
        host.setRandSeed(seed);
        EXPECT_EQ(seedOf(host.secondsSince1970()), seed) << "seed " << seed;
    }
}

} // namespace
