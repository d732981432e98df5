// RemotePanel: a MacHost between the core and the host's desktop that lets a guest on another machine
// play one cannon's panel, the way PanelDriver lets the computer play it.
//
// During the guest's turns it answers button() and mouse() from the guest's input (pointer in field
// window pixels and button state, in the order they were sent: each button() call takes the next one,
// so no press is lost between two polls); the host person's presses meanwhile are read and dropped.
// Every other call, menus included, passes through: the menus stay the host's.
//
// The guest is awaited (not yet joined), present, away (the connection dropped) or replaced. While it
// is not present its turn waits: the button stays up. An away guest may come back within
// Net::rejoinWindowMs of the drop; after that its cannon is handed to the host's person for good.
//
// Aiming is told as PanelDriver tells it (the published menus offer only the Battle menu with
// "STOP A BATTLE" on) with gTurn naming the shooter, read on the game thread inside the core's calls.
// The guest calls (joined, left, input) and the state queries are thread-safe.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "ForwardingHost.h"

class Ordnix;

class RemotePanel : public ForwardingHost {
public:
    enum class Guest { awaited, present, away, replaced };
    struct Input {
        int64_t h = 0, v = 0;
        bool down = false;
    };
    // Inputs held at most; older ones are dropped (a guest cannot make the host's memory grow).
    static constexpr size_t maxQueued = 256;
    static constexpr std::chrono::milliseconds idleSlice{16};

    // side: the guest's cannon, 1 left or 2 right. nowMs: a monotonic clock in milliseconds (the
    // steady clock unless a test supplies one).
    RemotePanel(std::shared_ptr<MacHost> inner, int64_t side, std::function<int64_t()> nowMs = {});

    void attach(const Ordnix& game) { game_ = &game; }
    int64_t side() const { return side_; }

    // ---- the network's side, any thread ----
    // False when the guest was replaced: the seat is no longer free.
    bool guestJoined();
    void guestLeft();
    void guestInput(Input input);
    Guest guest() const;
    // The guest's turn waits for it now: the host shows so in its own drawing.
    bool waitingForGuest() const;

    // During the guest's turn the desktop's idle would sleep until the host's own input, which the
    // guest's does not wake: the wait is here instead, for the guest's input or a tick at most.
    void idle() override;
    bool button() override;
    QuickDraw::Point mouse(const Window& in) override;
    void menusChanged(const std::vector<MenuState>& menus) override;

private:
    // The guest's state, with an away guest replaced once its window has passed; mutex_ held.
    Guest guestLocked() const;
    // The guest aims now and still owns its cannon.
    bool guestAims() const;

    const int64_t side_;
    std::function<int64_t()> nowMs_;
    const Ordnix* game_ = nullptr;

    mutable std::mutex mutex_; // guards everything below but aiming_
    mutable Guest guest_ = Guest::awaited;
    int64_t leftAt_ = 0;
    std::condition_variable inputArrived_;
    std::deque<Input> queue_;
    Input current_;

    std::atomic<bool> aiming_{false}; // the guest's cannon aims now (game thread writes)
};
