// AppHost: the desktop's MacHost, the bridge between the game thread and the Qt main thread.
//
// Input travels from the main thread into the fields below under `lock`, where the game thread polls
// it; visible changes travel the other way as work items queued on the main thread, which run
// against the AppDelegate (and do nothing once it is gone). The game thread waits for the main
// thread only in alert and modalDialog, through the counting semaphore `dialogSignal`.
//
// Quitting: once beginQuit() has been called, every MacHost call of the game thread parks it for
// good at that call (it never returns into the game), and every blocking call wakes up to do so.
// A parked game thread holds no lock and touches nothing, so the process can end without joining it.
//
// Screen coordinates are Qt's global coordinates: y grows downward.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>

#include <QPointer>

#include "MacHost.h"
#include "ToolboxTypes.h"

class AppDelegate;
class SoundPlayer;

class AppHost final : public MacHost, public std::enable_shared_from_this<AppHost> {
public:
    struct ScreenPoint {
        double x = 0, y = 0;
    };
    struct ScreenRect {
        double x = 0, y = 0, width = 0, height = 0;
    };
    using Work = std::function<void(AppDelegate&)>;

    // Opens the audio output; call on the main thread.
    AppHost();
    ~AppHost() override;

    // ---- MacHost: called on the game thread ----
    int64_t tickCount() override;
    void spin(int64_t passes) override;
    // Waits for new input or the next tick edge, whichever comes first. While the core only polls
    // for input (button, menu choices) and reads nothing that changes by itself (the clock, the
    // pointer, the sound), nothing can change before new input arrives: then it waits for input
    // alone, and the main thread's tick rests meanwhile.
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

    // ---- main thread ----
    // The delegate; read and written on the main thread only.
    QPointer<AppDelegate> app;
    // Where work for the main thread goes. The default posts it to the Qt event loop; tests may
    // replace it to see what the game thread asked for.
    std::function<void(std::function<void()>)> mainQueue;

    // A menu command: queued when the game reads menus now, dropped otherwise.
    void choose(int64_t menu, int64_t item);
    // An item clicked in the open alert or dialog.
    void dialogHit(int64_t item);
    // Pointer input: a press that is a game click (in the field view or a box window), a release
    // anywhere, and any other pointer news (moves, drags, presses elsewhere, the tick's sample).
    void mousePressed(ScreenPoint pointer);
    void mouseReleased(ScreenPoint pointer);
    void mouseMoved(ScreenPoint pointer);
    // Input that reaches the game another way (a key for the key driver): the game's wait for input ends.
    void inputArrived();
    // The field view's area on the screen (from the top-left of its game pixel (0, 0)) and the screen
    // points per game pixel, fractional on a fractionally scaled desktop.
    void setFieldRect(ScreenRect rect, double scale);
    bool isReady();
    // True while the game has read the pointer within the last two seconds.
    bool pointerWanted();

    // ---- quitting ----
    // Set once the game thread can no longer touch the game, the host or the screens: it is parked
    // for good, or it has left run() and dropped its references. Shared with the game thread's body,
    // which announces the end of run() after letting go of the host.
    class Rest {
    public:
        void announce();
        bool waitFor(std::chrono::milliseconds timeout);
        bool resting();

    private:
        std::mutex mutex;
        std::condition_variable changed;
        bool resting_ = false;
    };

    void beginQuit();
    bool quitting();
    const std::shared_ptr<Rest>& rest() const { return rest_; }
    // Waits up to `timeout` until the game thread rests; true when it does.
    bool waitForGameToRest(std::chrono::milliseconds timeout);
    // Closes the audio output once the game thread rests (it would be the player's only other user).
    void shutDownSound();

    // The tick for the uptime `microseconds`, and the uptime at which the next tick starts.
    static int64_t tickAt(int64_t microseconds);
    static int64_t nextTickEdge(int64_t microseconds);

private:
    void queue(Work work);
    void parkIfQuitting();
    [[noreturn]] void park();
    int64_t waitForHit();
    int64_t takeHit();
    void noteInput(); // with lock held
    void notePoll();  // with lock held
    void waitForInput();

    std::unique_ptr<SoundPlayer> sound;

    std::mutex lock;
    ScreenPoint mouseScreen;
    bool down = false;
    bool clickPending = false;
    ScreenRect fieldRect;
    double scale = 1;
    std::deque<int64_t> menuChoices;
    bool ready = false;
    std::deque<int64_t> dialogHits;
    std::counting_semaphore<> dialogSignal{0};

    // Wakes idle on new input and every wait on quitting; both guarded by `lock`.
    std::condition_variable wake;
    uint64_t inputSerial = 0;
    std::atomic<bool> quitRequested{false};
    std::shared_ptr<Rest> rest_ = std::make_shared<Rest>();
    // What the core did since its last idle (game thread only): polled for input, and the input
    // serial at its first poll; read something that changes without input.
    bool polled = false;
    uint64_t polledSerial = 0;
    bool readsTime = true;
    // The tick of the game's last mouse() call; -1 before the first.
    std::atomic<int64_t> lastPointerRead{-1};
};
