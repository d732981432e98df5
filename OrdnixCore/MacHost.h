// MacHost: the one interface through which the core reaches the desktop.
//
// The core (Toolbox and the game class built on it) never touches a windowing system, a clock, the
// pointer or an audio device itself: every such need is one call below. A host application implements
// the interface; a test double (tests/support/ScriptedHost) implements it with virtual time and a
// script, and the game runs unchanged on either.
//
// Rules every implementation keeps:
// - All calls come from the game thread, one at a time. The host's own interface runs on another
//   thread, so each call must be safe from a non-interface thread; the calls marked "at once" hand
//   their interface work to that thread and return without waiting for it.
// - Only spin, idle, alert and modalDialog block. alert and modalDialog must not need the game thread
//   to make progress (the user's click arrives on the interface thread).
// - Window, Dialog and MenuState arguments are read during the call only: a host that needs a value
//   later copies it then (menu states and dialog values are snapshots taken at the call). Windows are
//   owned by the Toolbox and live as long as it, so a host may also keep a reference to a Window it
//   was handed and read its port's bitmap under QuickDraw::screenLock().
// - The host object exists before the core, is held by it as std::shared_ptr<MacHost> for the core's
//   whole life, and accepts calls until the game's run() has returned.
//
// Units: a tick is 1/60 s; a spin pass is 10 microseconds; points are in 1-bit screen pixels with
// v down and h right; a menu choice is menu id << 16 plus the 1-based item; a sound volume is 0..7.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "QuickDraw.h"
#include "ToolboxTypes.h"

class MacHost {
public:
    virtual ~MacHost() = default;

    // 1. Current tick, 60 per second since an origin the host chooses; never decreases. At once.
    virtual int64_t tickCount() = 0;
    // 2. Waits passes x 10 microseconds (a negative count waits 0), then returns. Blocks.
    virtual void spin(int64_t passes) = 0;
    // 3. Gives up the processor for a short moment; called by every polling loop. Blocks briefly.
    virtual void idle() = 0;
    // 4. True while the button is down, or when a press happened since the last button() or
    //    flushEvents(); this call consumes the remembered press. At once.
    virtual bool button() = 0;
    // 5. Pointer position in the window's local pixels (origin at its top-left), never clamped:
    //    left of or above the window gives negative values. At once.
    virtual QuickDraw::Point mouse(const Window& in) = 0;
    // 6. Removes and returns the oldest queued menu choice, or nothing. At once.
    virtual std::optional<int64_t> takeMenuChoice() = 0;
    // 7. Whether the core is reading menu choices. While false the host queues none (choices made
    //    then are lost) and shows menu items disabled; a change to false empties the queue. At once.
    virtual void setReadyForMenus(bool ready) = 0;
    // 8. Forgets the remembered press of button(); not the held button, not queued menu choices.
    virtual void flushEvents() = 0;
    // 9. Shows the window. Called only on a change of Window::visible from false to true. At once.
    virtual void showWindow(const Window& window) = 0;
    // 10. Removes the window from the screen. Called only on a change from true to false. At once.
    virtual void hideWindow(const Window& window) = 0;
    // 11. The complete menu state, one entry per menu in ascending id; replaces all earlier state.
    virtual void menusChanged(const std::vector<MenuState>& menus) = 0;
    // 12. The cursor shape over the game's windows. At once.
    virtual void setCursor(CursorKind kind) = 0;
    // 13. false hides the cursor, true shows it; hides nest (each true undoes one false, a true with
    //     nothing hidden does nothing). At once.
    virtual void showCursor(bool visible) = 0;
    // 14. Shows alert or dialog `id` modally and returns the 1-based item that closed it. Hits left
    //     from an earlier dialog are discarded first; an unknown id returns 1 at once. Blocks.
    virtual int64_t alert(int64_t id) = 0;
    // 15. Shows the dialog with dialog.id, its controls set from dialog.values as they are now.
    //     Hits left from an earlier dialog are discarded first. At once.
    virtual void openDialog(const Dialog& dialog) = 0;
    // 16. The dialog's values changed; show them as they are now. At once.
    virtual void dialogChanged(const Dialog& dialog) = 0;
    // 17. Waits for the next clicked item of the open dialog and returns its number; clicks are
    //     queued and returned in click order. Blocks.
    virtual int64_t modalDialog(const Dialog& dialog) = 0;
    // 18. Removes the open dialog from the screen. At once.
    virtual void closeDialog(const Dialog& dialog) = 0;
    // 19. The current volume, 0..7; the core plays nothing while it is 0. At once.
    virtual int64_t soundVolume() = 0;
    // 20. Stores the volume clamped into 0..7; loudness follows volume / 7. At once.
    virtual void setSoundVolume(int64_t volume) = 0;
    // 21. Starts sound `id` (128..132); sounds started while one plays follow it in order. An id
    //     without a sound does nothing. At once.
    virtual void playSound(int64_t id) = 0;
    // 22. Silences every playing and queued sound; soundDone() is true afterwards. At once.
    virtual void stopSound() = 0;
    // 23. True when every sound started by playSound has finished or was stopped. At once.
    virtual bool soundDone() = 0;
    // 24. The desktop's alert sound. At once.
    virtual void sysBeep() = 0;

    // Wall-clock time in seconds since 1970-01-01 00:00:00 UTC, read once at start-up to seed the
    // random generator. Not one of the desktop's duties, so it has a default (the system clock); a
    // test host overrides it to choose the game's random seed.
    virtual double secondsSince1970() {
        return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    }
};
