// KeyDriver: a MacHost between the core and the host below it that plays the game's controls from
// the keyboard, and tells in words what happens on the field.
//
// Keys arrive from the desktop's thread (press) and wait in a queue. On the game thread, inside the
// core's own button() polls, a key becomes a click of the control it stands for: button() answers
// true once with the pointer (mouse()) on the column that sets the wanted value, then false once
// (the release), exactly as a hand would click. The core stays unchanged and a recording above this
// host captures key play like any other input.
//
// Where keys act is read from the core's calls and documented state, on the game thread:
//  - a person aims (the published menus offer only "STOP A BATTLE"): Left/Right move the focused
//    slider by 1 (Shift: 10, clamped), Up/Down (and Tab) move the focus between powder and elevation,
//    Return or Space press "Fire"; the focus starts on the powder at every turn;
//  - the target values or ball speed window is shown: Tab/Shift+Tab move between its controls,
//    arrows change the focused value, Space presses the focused button, Return presses "OK";
//  - anywhere else (the ball in flight, a computer's turn, between battles) keys are dropped, and so
//    are keys left over when the core flushes its events or a new turn or screen begins.
//
// News (what to announce, the situation in words, where the focus mark goes) is handed to the
// listener on the game thread whenever it changes. The focus mark is published only once a key has
// been used, so that a player who never touches the keys sees the documented screen.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ForwardingHost.h"

class Ordnix;

class KeyDriver : public ForwardingHost {
public:
    enum class Key { left, right, up, down, tab, backTab, enter, space };
    struct KeyPress {
        Key key = Key::enter;
        bool shift = false;
    };
    // The control keys act on, in window-local pixels of `window`.
    struct FocusMark {
        WindowID window = WindowID::field;
        QuickDraw::Rect rect{};
        bool operator==(const FocusMark&) const = default;
    };
    struct News {
        std::vector<std::string> said; // announcements, in the order a person should hear them
        std::string situation;         // the whole situation now
        std::optional<FocusMark> mark; // none: no mark is shown
    };
    // Where keys act.
    enum class Place { elsewhere, aiming, targetValues, ballSpeed };

    explicit KeyDriver(std::shared_ptr<MacHost> inner);

    void attach(const Ordnix& game) { game_ = &game; }
    // Whether the computer plays a side (1 left, 2 right); asked on the game thread at each turn.
    void setComputerPlays(std::function<bool(int64_t side)> computerPlays) { computerPlays_ = std::move(computerPlays); }
    // Called on the game thread with every change worth telling; may be set from any thread.
    void setListener(std::function<void(const News&)> listener);

    // Thread-safe: a key pressed now.
    void press(KeyPress key);

    // Game thread (or after the game has rested): where keys act now, and the focused control's
    // index there (aiming: 0 powder, 1 elevation; target values: rows 1 to 12, 13 "Default
    // Settings", 14 "OK"; ball speed: 0 slider, 1 "OBSERVE", 2 "OK").
    Place place() const { return place_; }
    int64_t focus() const { return focus_; }

    int64_t tickCount() override {
        pacing_ = true;
        return inner_->tickCount();
    }
    // Skips the host's wait while keys are to be clicked here and the core polls the button: the host
    // below counted them as input when they arrived and may already have seen its poll, so it could
    // sleep on them. A core pacing itself by the clock (a demo ball) waits as always.
    void idle() override;
    bool button() override;
    QuickDraw::Point mouse(const Window& in) override;
    void flushEvents() override;
    void showWindow(const Window& window) override;
    void hideWindow(const Window& window) override;
    void menusChanged(const std::vector<MenuState>& menus) override;
    void showCursor(bool visible) override;

private:
    // What a shot may change, taken as the ball leaves.
    struct BeforeShot {
        int64_t shooter = 0, scoreL = 0, scoreR = 0, treesDown = 0;
        bool leftCannonDead = false, rightCannonDead = false;
        std::array<bool, 4> buildingsUp{}; // left hospital, left post, right hospital, right post
    };
    // A click the core is about to read: the point, local to `window`.
    struct Click {
        WindowID window = WindowID::field;
        QuickDraw::Point at{};
    };

    std::optional<KeyPress> takeKey();
    bool keysWaiting();
    void dropKeys();
    // Acts on one key; a click when the key presses a control.
    std::optional<Click> act(KeyPress key);
    std::optional<Click> actAiming(KeyPress key);
    std::optional<Click> actTargetValues(KeyPress key);
    std::optional<Click> actBallSpeed(KeyPress key);
    void enter(Place place, int64_t focus);
    // The words for the focused control and its value.
    std::string focusText() const;
    std::string turnText() const;
    std::string situation() const;
    std::vector<std::string> shotText() const;
    std::optional<FocusMark> mark() const;
    void tell(std::vector<std::string> said);

    const Ordnix* game_ = nullptr;
    std::function<bool(int64_t)> computerPlays_;
    std::function<void(const News&)> listener_;

    std::mutex mutex_; // guards keys_ and listener_
    std::deque<KeyPress> keys_;

    // The rest is the game thread's.
    bool keysUsed_ = false;
    bool entering_ = false; // an option screen opened; told once the core polls it
    bool pacing_ = false;   // the core read the clock since it last polled the button

    Place place_ = Place::elsewhere;
    int64_t focus_ = 0;
    bool computerTurn_ = false;
    bool battleRuns_ = false;
    bool startOffered_ = false;
    std::optional<BeforeShot> shot_;
    bool shotFlies_ = false;
    std::optional<Click> click_;
    bool releaseNext_ = false;
    // A value key was clicked: its new value is told on the release pass, read from the game.
    bool tellValue_ = false;
};
