// VirtualHost: a MacHost with a virtual clock and a model of the desktop's input, dialogs and sounds.
//
// Nothing sleeps and nothing comes from a device: the game runs on the caller's thread and every
// answer follows from the host's state, which a driver (a test script, a headless replay, an input
// driver) sets through the input calls below. The same calls give the same answers on any machine.
//
// Virtual time: a clock in microseconds starts at 0. idle() advances it by idleMicroseconds (default
// 300, the reference host's sleep), spin(n) by 10 n, and every other call by callMicroseconds (default
// 1, so that a loop that never idles still moves time). tickCount() is clock * 60 / 1'000'000. The
// clock stops at a limit where ticks cannot overflow; reaching it throws Stalled.
//
// Input, as a real host keeps it:
// - The pointer is kept in global screen coordinates; mouse(in:) answers it local to the window
//   (global minus the window's top-left, windowBounds), unclamped.
// - press() sets the button down and remembers the press; button() answers down || remembered and
//   forgets the remembered press; flushEvents() forgets it too.
// - Menu choices are queued only while the core is ready for menus and dropped otherwise;
//   setReadyForMenus(false) discards the queue.
// - Dialog hits are queued; openDialog and alert discard hits left from before. A blocking alert or
//   modalDialog with no hit queued asks awaitHit() for one; the default throws Stalled.
// - Alerts 1000, 1001, 1002 are known (others answer 1 at once). Sounds 128..132 last 30 ticks each
//   and play one after another; soundDone() is true once the clock passes the last one's end.
// - Contract breaches by the core (showing a shown window, closing no dialog, playing at volume 0,
//   menus out of order or left out) are collected in protocolErrors().
//
// Hooks for a derived driver (a test script): beginCall runs first in every call, callDone after the
// call's effect, stateChanged after the calls that change what a waiting driver sees and while a
// blocking call waits, clockMoved after every advance of the clock.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostOp.h"
#include "MacHost.h"
#include "ToolboxTypes.h"

class VirtualHost : public MacHost {
public:
    // Thrown out of a host call when the virtual world cannot go on (nobody answers a blocking dialog,
    // the clock reached its end).
    struct Stalled : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // What one call did, handed to callDone: the op, its argument (window id, passes, dialog id, flag,
    // menu count, cursor kind, volume, sound id), its result (0 when it has none) and, for the calls
    // that carry one, the window, menus or dialog.
    struct CallDetail {
        HostOp op;
        int64_t arg = 0;
        int64_t result = 0;
        bool hasResult = false; // takeMenuChoice: a choice was handed out; playSound: the id had a sound;
                                // alert: the id was known
        const Window* window = nullptr;
        const std::vector<MenuState>* menus = nullptr;
        const Dialog* dialog = nullptr;
    };

    static constexpr int64_t microsPerSecond = 1'000'000;
    static constexpr int64_t ticksPerSecond = 60;
    static constexpr int64_t microsPerSpinPass = 10;
    static constexpr int64_t defaultSoundTicks = 30;
    // Seconds from 1904-01-01 to 1970-01-01: the game's seed counts from the older epoch.
    static constexpr int64_t classicEpochOffset = 2082844800;
    // The clock stops here, so that ticks (clock x 60) never overflow.
    static constexpr int64_t maxClock = INT64_MAX / ticksPerSecond;

    VirtualHost();

    // ---- configuration ----
    void setIdleMicroseconds(int64_t micros);
    void setCallMicroseconds(int64_t micros);
    // Chooses the wall clock so that the game's start-up seeds its generator with exactly `seed`.
    void setRandSeed(int32_t seed);
    void setWallClock(double secondsSince1970);
    void setKnownDialogs(std::set<int64_t> ids);
    // A sound id that plays for `ticks`; ids not set (by default all but 128..132) have no sound.
    void setSoundTicks(int64_t id, int64_t ticks);
    void setVolume(int64_t volume); // the user's volume, clamped into 0..7

    // ---- input ----
    void movePointer(QuickDraw::Point global);
    void movePointer(WindowID window, int64_t h, int64_t v); // local to the window
    void press();
    void release();
    bool queueMenuChoice(int64_t choice); // true when queued, false when dropped
    void queueDialogHit(int64_t item);

    // ---- state ----
    int64_t clockMicroseconds() const { return clock_; }
    int64_t ticks() const { return ticksAt(clock_); }
    static int64_t ticksAt(int64_t micros) { return micros * ticksPerSecond / microsPerSecond; }
    QuickDraw::Point mouseGlobal() const { return mouse_; }
    bool buttonDown() const { return down_; }
    bool pressRemembered() const { return remembered_; }
    bool readyForMenus() const { return ready_; }
    // Ready, nothing queued, and the core's last look at the queue found it empty: it is waiting.
    bool corePollsForMenus() const { return ready_ && menuQueue_.empty() && polledEmpty_; }
    const std::deque<int64_t>& queuedMenuChoices() const { return menuQueue_; }
    // Choices offered while the core was not ready, or discarded by setReadyForMenus(false).
    const std::vector<int64_t>& droppedMenuChoices() const { return dropped_; }
    bool windowShown(WindowID id) const { return shownWindows_.count(id) != 0; }
    // The last published menu state (empty before the first publication); nullptr for an unknown menu.
    const std::vector<MenuState>& menus() const { return menus_; }
    const MenuState* menu(int64_t id) const;
    CursorKind cursor() const { return cursor_; }
    int64_t cursorHideDepth() const { return hideDepth_; }
    bool cursorVisible() const { return hideDepth_ == 0; }
    // The id of the open dialog or the alert being shown.
    std::optional<int64_t> openDialogID() const { return showingAlert_ ? showingAlert_ : openDialog_; }
    const std::deque<int64_t>& pendingHits() const { return hits_; }
    int64_t volume() const { return volume_; }
    bool soundPlaying() const { return clock_ < soundEnd_; }
    const std::vector<std::string>& protocolErrors() const { return protocolErrors_; }

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

protected:
    // First in every call, before its effect. The default charges callMicroseconds.
    virtual void beginCall(HostOp op, int64_t arg);
    virtual void callDone(const CallDetail&) {}
    virtual void stateChanged() {}
    virtual void clockMoved();
    // A blocking call (what names it) has no hit queued: supply one or throw. The default throws Stalled.
    virtual void awaitHit(const std::string& what);

    // Advances the clock by non-negative micros, held at maxClock, then calls clockMoved().
    void advance(int64_t micros);
    int64_t callMicroseconds() const { return callMicros_; }

private:
    int64_t nextHit(const std::string& what);

    int64_t idleMicros_ = 300;
    int64_t callMicros_ = 1;
    double wallClock_ = 0.0;
    std::set<int64_t> knownDialogs_{1000, 1001, 1002};
    std::map<int64_t, int64_t> soundTicks_;

    int64_t clock_ = 0;
    QuickDraw::Point mouse_{};
    bool down_ = false;
    bool remembered_ = false;
    bool ready_ = false;
    bool polledEmpty_ = false; // the core's last takeMenuChoice found no choice
    std::deque<int64_t> menuQueue_;
    std::vector<int64_t> dropped_;
    std::deque<int64_t> hits_;
    std::set<WindowID> shownWindows_;
    std::vector<MenuState> menus_;
    CursorKind cursor_ = CursorKind::arrow;
    int64_t hideDepth_ = 0;
    std::optional<int64_t> openDialog_;
    std::optional<int64_t> showingAlert_;
    int64_t volume_ = 7;
    int64_t soundEnd_ = 0;
    std::vector<std::string> protocolErrors_;
};
