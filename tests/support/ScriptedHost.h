// ScriptedHost: a MacHost for tests, with virtual time, scripted input and a record of every call.
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

enum class HostOp : int64_t {
    tickCount,
    spin,
    idle,
    button,
    mouse,
    takeMenuChoice,
    setReadyForMenus,
    flushEvents,
    showWindow,
    hideWindow,
    menusChanged,
    setCursor,
    showCursor,
    alert,
    openDialog,
    dialogChanged,
    modalDialog,
    closeDialog,
    soundVolume,
    setSoundVolume,
    playSound,
    stopSound,
    soundDone,
    sysBeep,
    secondsSince1970,
};
inline constexpr int64_t hostOpCount = static_cast<int64_t>(HostOp::secondsSince1970) + 1;
const char* hostOpName(HostOp op);

class ScriptedHost : public MacHost {
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
    struct WindowEvent {
        WindowID id;
        bool shown = false;
        int64_t tick = 0;
    };
    // One opened dialog: pushes[0] holds the values at openDialog, then one entry per dialogChanged.
    struct DialogRecord {
        int64_t id = 0;
        std::vector<std::map<int64_t, int64_t>> pushes;
        std::vector<int64_t> hits; // items returned by modalDialog, in order
        bool closed = false;
    };
    struct AlertRecord {
        int64_t id = 0;
        int64_t item = 0;
        bool known = false;
    };

    ScriptedHost();

    // ---- configuration (before the run) ----
    void setTimeLimitTicks(int64_t ticks);
    void setIdleMicroseconds(int64_t micros);
    void setCallMicroseconds(int64_t micros);
    // Chooses the wall clock so that the game's start-up seeds its generator with exactly `seed`.
    void setRandSeed(int32_t seed);
    void setWallClock(double secondsSince1970);
    void setKnownDialogs(std::set<int64_t> ids);
    // A sound id that plays for `ticks`; ids not set (by default all but 128..132) have no sound.
    void setSoundTicks(int64_t id, int64_t ticks);

    // ---- running ----
    // Calls body; a ScriptFailure becomes a test failure (false), a ScenarioEnd counts as success.
    bool run(const std::function<void()>& body);

    // ---- script steps (each appended to the script) ----
    // Waits: the following steps wait until the condition holds.
    void waitTicks(int64_t ticks); // ticks counted from when this step is next in line
    void waitUntilTick(int64_t tick);
    void waitForMenuPoll(); // corePollsForMenus()
    void waitForWindowShown(WindowID id);
    void waitForWindowHidden(WindowID id);
    void waitForDialog(int64_t id); // a dialog or alert with this id is open
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
    // The same with a raw choice value (for malformed choices).
    void chooseMenuRaw(int64_t choice);
    // Offers the choice at once: queued if the core is ready, dropped otherwise.
    void chooseMenuNow(int64_t menu, int64_t item);
    // The quit command (menu 257, item 1), when the core polls.
    void quit();
    // Dialogs: waits until dialog or alert `id` is open, then clicks the items in order.
    void answerDialog(int64_t id, std::vector<int64_t> items);
    // Clicks an item of whatever is open now (discarded if a dialog opens later).
    void hitItem(int64_t item);
    // Any action on the host.
    void perform(std::string what, std::function<void(ScriptedHost&)> action);
    // Ends the run: this step throws ScenarioEnd out of the host call that reaches it.
    void endScenario();

    // ---- immediate input (used by the steps; also usable before a run) ----
    void setMouse(WindowID window, int64_t h, int64_t v);
    void setMouseGlobal(QuickDraw::Point global);
    void setButton(bool down); // down also remembers a press
    bool offerMenuChoice(int64_t choice); // true when queued, false when dropped
    void offerDialogHit(int64_t item);

    // ---- what the core did ----
    int64_t clockMicroseconds() const { return clock_; }
    int64_t ticks() const;
    const std::vector<LogEntry>& log() const { return log_; }
    int64_t calls(HostOp op) const { return callCounts_[static_cast<size_t>(op)]; }
    // Contract breaches seen (e.g. showWindow for a window already shown, closeDialog with none open,
    // a publication that leaves out a menu published before, playSound while the volume is 0).
    const std::vector<std::string>& protocolErrors() const { return protocolErrors_; }

    const std::vector<WindowEvent>& windowEvents() const { return windowEvents_; }
    bool windowShown(WindowID id) const { return shownWindows_.count(id) != 0; }

    const std::vector<std::vector<MenuState>>& menuPublications() const { return menuPublications_; }
    // The last published state (empty before the first publication); nullptr for an unknown menu.
    const std::vector<MenuState>& menus() const;
    const MenuState* menu(int64_t id) const;
    bool readyForMenus() const { return ready_; }
    // Ready, nothing queued, and the core's last look at the queue found it empty: it is waiting.
    bool corePollsForMenus() const { return ready_ && menuQueue_.empty() && polledEmpty_; }
    const std::deque<int64_t>& queuedMenuChoices() const { return menuQueue_; }
    const std::vector<int64_t>& deliveredMenuChoices() const { return delivered_; }
    // Choices offered while the core was not ready, or discarded by setReadyForMenus(false).
    const std::vector<int64_t>& droppedMenuChoices() const { return dropped_; }

    bool buttonDown() const { return down_; }
    bool pressRemembered() const { return remembered_; }
    QuickDraw::Point mouseGlobal() const { return mouse_; }

    const std::vector<CursorKind>& cursorChanges() const { return cursors_; }
    CursorKind cursor() const { return cursors_.empty() ? CursorKind::arrow : cursors_.back(); }
    int64_t cursorHideDepth() const { return hideDepth_; }
    bool cursorVisible() const { return hideDepth_ == 0; }

    const std::vector<DialogRecord>& dialogs() const { return dialogs_; }
    const std::vector<AlertRecord>& alerts() const { return alerts_; }
    // The id of the open dialog or the alert being shown.
    std::optional<int64_t> openDialogID() const;
    const std::deque<int64_t>& pendingHits() const { return hits_; }

    int64_t volume() const { return volume_; }
    const std::vector<int64_t>& volumeWrites() const { return volumeWrites_; }
    const std::vector<int64_t>& soundsPlayed() const { return soundsPlayed_; } // ids that had a sound
    int64_t stopSoundCount() const { return stops_; }
    bool soundPlaying() const { return clock_ < soundEnd_; }
    int64_t beeps() const { return beeps_; }

    // Script progress.
    bool scriptDone() const { return steps_.empty(); }
    size_t pendingSteps() const { return steps_.size(); }
    int64_t stepsDone() const { return stepsDone_; }
    std::string nextStep() const;

    // ---- MacHost ----
    int64_t tickCount() override;
    void spin(int64_t passes) override;
    void idle() override;
    bool button() override;
    QuickDraw::Point mouse(const Window& in) override;
    std::optional<int64_t> takeMenuChoice() override;
    void setReadyForMenus(bool ready) override;
    void flushEvents() override;
    void showWindow(const Window& window) override;
    void hideWindow(const Window& window) override;
    void menusChanged(const std::vector<MenuState>& menus) override;
    void setCursor(CursorKind kind) override;
    void showCursor(bool visible) override;
    int64_t alert(int64_t id) override;
    void openDialog(const Dialog& dialog) override;
    void dialogChanged(const Dialog& dialog) override;
    int64_t modalDialog(const Dialog& dialog) override;
    void closeDialog(const Dialog& dialog) override;
    int64_t soundVolume() override;
    void setSoundVolume(int64_t volume) override;
    void playSound(int64_t id) override;
    void stopSound() override;
    bool soundDone() override;
    void sysBeep() override;
    double secondsSince1970() override;

private:
    struct Step {
        std::string what;
        std::function<bool(const ScriptedHost&)> ready; // empty: ready at once
        std::function<void(ScriptedHost&)> action;       // empty: a pure wait
    };

    void addStep(std::string what, std::function<bool(const ScriptedHost&)> ready,
                 std::function<void(ScriptedHost&)> action);
    // Records the call, charges its virtual time and runs the steps that are due.
    void enter(HostOp op, int64_t arg, bool runDueSteps = true);
    void advance(int64_t micros);
    void pump();
    int64_t waitForHit(const std::string& what);
    [[noreturn]] void fail(const std::string& why) const;
    std::string recentCalls() const;
    int64_t ticksAt(int64_t micros) const;

    // configuration
    int64_t timeLimitTicks_;
    int64_t idleMicros_ = 300;
    int64_t callMicros_ = 1;
    double wallClock_ = 0.0;
    std::set<int64_t> knownDialogs_{1000, 1001, 1002};
    std::map<int64_t, int64_t> soundTicks_;

    // time and script
    int64_t clock_ = 0;
    std::deque<Step> steps_;
    int64_t stepsDone_ = 0;
    int64_t frontSince_ = 0;                 // clock when the first step became first in line
    std::vector<int64_t> frontCalls_;        // call counts at that moment
    bool pumping_ = false;
    bool ended_ = false;

    // input state
    QuickDraw::Point mouse_{};
    bool down_ = false;
    bool remembered_ = false;
    bool ready_ = false;
    bool polledEmpty_ = false; // the core's last takeMenuChoice found no choice
    std::deque<int64_t> menuQueue_;
    std::deque<int64_t> hits_;

    // records
    std::vector<LogEntry> log_;
    std::vector<int64_t> callCounts_;
    std::vector<std::string> protocolErrors_;
    std::vector<WindowEvent> windowEvents_;
    std::set<WindowID> shownWindows_;
    std::vector<std::vector<MenuState>> menuPublications_;
    std::vector<int64_t> delivered_;
    std::vector<int64_t> dropped_;
    std::vector<CursorKind> cursors_;
    int64_t hideDepth_ = 0;
    std::vector<DialogRecord> dialogs_;
    std::optional<size_t> openDialog_;
    std::optional<int64_t> showingAlert_;
    std::vector<AlertRecord> alerts_;
    int64_t volume_ = 7;
    std::vector<int64_t> volumeWrites_;
    std::vector<int64_t> soundsPlayed_;
    int64_t soundEnd_ = 0;
    int64_t stops_ = 0;
    int64_t beeps_ = 0;
};
