// ScriptedHost: a MacHost for tests, with virtual time, scripted input and a record of every call.
//
// The virtual clock and the model of input, dialogs and sounds are VirtualHost's (OrdnixPlay); this
// class adds the script, the call record, the time limit and the assertion helpers.
//
// The game runs on the test thread: the test calls game.run() (or a single game method) through
// host->run(...), and every MacHost call the core makes is answered from the host's state and script.
// Nothing sleeps and nothing is random: a whole game plays in milliseconds, the same way every time.
//
// Virtual time
//   A clock in microseconds starts at 0. idle() advances it by idleMicroseconds (default 300, the
//   reference host's sleep), spin(n) by 10 n, and every other call by callMicroseconds (default 1, so
//   that even a loop that never idles moves time and lets the script go on). tickCount() is
//   clock * 60 / 1'000'000. When the clock passes the time limit (default 10 virtual minutes), the
//   call throws ScriptFailure with a message naming the time, the script step being waited for and
//   the last calls; the exception unwinds the game back to run(), which reports it as a test failure.
//   No test hangs: a blocked alert/modalDialog with no step left to answer it fails the same way, and
//   so does a wait so long (a huge spin count) that the clock would reach its int64 end.
//
// The script
//   Steps run in the order they were added. A step may wait for a condition (N ticks, the core
//   polling for menus, a window shown, a dialog open, a number of calls, any predicate); steps after
//   it wait too. At the start of every host call (setReadyForMenus: after its change), after the
//   calls that change what conditions see (showWindow, openDialog, menusChanged, ...) and while a
//   blocking call waits, every step whose condition holds runs. So
//       host->waitTicks(30);                 // half a second after the previous step
//       host->clickAt(WindowID::field, 100, 200);
//   clicks once the core has made a call 30 ticks later.
//
// Input semantics (as a real host keeps them)
//   - The pointer is kept in global screen coordinates; mouse(in:) answers it in the window's local
//     coordinates (global minus the window's top-left), negative or beyond the window unclamped.
//   - A press sets the button down and remembers the press; button() answers down || remembered and
//     forgets the remembered press; flushEvents() forgets it too. clickAt = press and release at once:
//     the next button() is true, the one after false.
//   - Menu choices are queued only while the core is ready for menus and dropped otherwise;
//     setReadyForMenus(false) discards the queue. chooseMenu waits until the core polls and finds the
//     queue empty (corePollsForMenus), so consecutive chooseMenu steps each reach the game.
//   - Dialog hits are queued; openDialog and alert discard hits left from before, so script answers
//     with answerDialog(id, items), which waits until that dialog or alert is open.
//   - Alerts 1000, 1001, 1002 are known (others answer 1 at once). Sounds 128..132 last 30 ticks
//     each and play one after another; soundDone() is true once the clock passes the last one's end.
//
// Random seed
//   The game seeds its generator from secondsSince1970() at start-up. The default wall clock is
//   0.0 (1970-01-01, seed 2082844800); setRandSeed(s) picks the wall clock that yields seed s.
//
// Typical use
//   auto host = std::make_shared<ScriptedHost>();
//   host->setRandSeed(12345);
//   Ordnix game(host);
//   host->chooseMenu(261, 3);                       // "HIDE SETTINGS"
//   host->quit();                                   // menu 257 item 1
//   ASSERT_TRUE(host->run([&] { game.run(); }));
//   EXPECT_TRUE(host->menu(261)->itemChecked[3]);
//   EXPECT_TRUE(host->protocolErrors().empty());
// To stop a run midway (for example once the aiming loop polls), add endScenario() after the steps
// that lead there: the host call that reaches it unwinds the game to run(), which counts that as
// success; the game object can then be inspected (its state is whatever it was at that call).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "MacHost.h"
#include "ToolboxTypes.h"
#include "VirtualHost.h"

class ScriptedHost : public VirtualHost {
public:
    // Thrown out of a host call when the scenario cannot go on (time limit, nothing left to answer a
    // blocking dialog). run() turns it into a test failure; GoogleTest reports it too if uncaught.
    struct ScriptFailure : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    // Thrown by an endScenario() step; deliberately not a std::exception.
    struct ScenarioEnd {};

    // One entry of the call log; consecutive calls with the same op and argument are merged (count).
    struct LogEntry {
        HostOp op;
        int64_t arg = 0; // the id, item, passes, flag or count the call carried, the choice takeMenuChoice
                         // handed out (0 if none)
        int64_t count = 1;
        int64_t tick = 0; // tick of the first merged call
        std::string text() const;
    };
    // One opened dialog: pushes[0] holds the values at openDialog, then one entry per dialogChanged.
    struct DialogRecord {
        int64_t id = 0;
        std::vector<std::map<int64_t, int64_t>> pushes;
        std::vector<int64_t> hits; // items returned by modalDialog, in order
        bool closed = false;
    };

    ScriptedHost();

    // ---- configuration (before the run; the clock, seed, dialogs and sounds are VirtualHost's) ----
    void setTimeLimitTicks(int64_t ticks);

    // ---- running ----
    // Calls body; a ScriptFailure becomes a test failure (false), a ScenarioEnd counts as success.
    bool run(const std::function<void()>& body);

    // ---- script steps (each appended to the script) ----
    // Waits: the following steps wait until the condition holds.
    void waitTicks(int64_t ticks); // ticks counted from when this step is next in line
    void waitForMenuPoll(); // corePollsForMenus()
    void waitForWindowShown(WindowID id);
    void waitForWindowHidden(WindowID id);
    void waitForCalls(HostOp op, int64_t count = 1); // count more calls of op, from when next in line
    void waitUntil(std::string what, std::function<bool(const ScriptedHost&)> condition);
    // Pointer and button, positions local to the window.
    void pressAt(WindowID window, int64_t h, int64_t v);
    void moveMouse(WindowID window, int64_t h, int64_t v);
    void release();
    void clickAt(WindowID window, int64_t h, int64_t v);
    // Press at (h0, v0), move in `steps` equal steps, waiting ticksPerStep before each, release at (h1, v1).
    void drag(WindowID window, int64_t h0, int64_t v0, int64_t h1, int64_t v1, int64_t steps = 8,
              int64_t ticksPerStep = 2);
    // Menus: waits for the core to poll, then queues menu << 16 | item.
    void chooseMenu(int64_t menu, int64_t item);
    // The quit command (menu 257, item 1), when the core polls.
    void quit();
    // Dialogs: waits until dialog or alert `id` is open, then clicks the items in order.
    void answerDialog(int64_t id, std::vector<int64_t> items);
    // Any action on the host.
    void perform(std::string what, std::function<void(ScriptedHost&)> action);
    // Ends the run: this step throws ScenarioEnd out of the host call that reaches it.
    void endScenario();

    // Offers a menu choice at once: true when queued, false when dropped.
    bool offerMenuChoice(int64_t choice) { return queueMenuChoice(choice); }

    // ---- what the core did (the host's current state is VirtualHost's) ----
    const std::vector<LogEntry>& log() const { return log_; }
    int64_t calls(HostOp op) const { return callCounts_[static_cast<size_t>(op)]; }

    const std::vector<std::vector<MenuState>>& menuPublications() const { return menuPublications_; }

    const std::vector<CursorKind>& cursorChanges() const { return cursors_; }

    const std::vector<DialogRecord>& dialogs() const { return dialogs_; }

    const std::vector<int64_t>& volumeWrites() const { return volumeWrites_; }
    const std::vector<int64_t>& soundsPlayed() const { return soundsPlayed_; } // ids that had a sound
    int64_t beeps() const { return beeps_; }

    // Script progress.
    bool scriptDone() const { return steps_.empty(); }
    std::string nextStep() const;

protected:
    void beginCall(HostOp op, int64_t arg) override;
    void callDone(const CallDetail& call) override;
    void stateChanged() override { pump(); }
    void clockMoved() override;
    void awaitHit(const std::string& what) override;

private:
    struct Step {
        std::string what;
        std::function<bool(const ScriptedHost&)> ready; // empty: ready at once
        std::function<void(ScriptedHost&)> action;       // empty: a pure wait
    };

    void addStep(std::string what, std::function<bool(const ScriptedHost&)> ready,
                 std::function<void(ScriptedHost&)> action);
    void pump();
    [[noreturn]] void fail(const std::string& why) const;
    std::string recentCalls() const;

    int64_t timeLimitTicks_;

    // script
    std::deque<Step> steps_;
    int64_t stepsDone_ = 0;
    int64_t frontSince_ = 0;                 // clock when the first step became first in line
    std::vector<int64_t> frontCalls_;        // call counts at that moment
    bool pumping_ = false;
    bool ended_ = false;

    // records
    std::vector<LogEntry> log_;
    std::vector<int64_t> callCounts_;
    std::vector<std::vector<MenuState>> menuPublications_;
    std::vector<CursorKind> cursors_;
    std::vector<DialogRecord> dialogs_;
    std::optional<size_t> openDialog_;
    std::vector<int64_t> volumeWrites_;
    std::vector<int64_t> soundsPlayed_;
    int64_t beeps_ = 0;
};
