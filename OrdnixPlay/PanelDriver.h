// PanelDriver: a MacHost between the core and the real host that plays the control panel for the
// cannons the computer owns, as a hand on the pointer and the button would.
//
// It passes every call through to the inner host, except that during a computer's turn it answers
// button() and mouse() itself: a short think, the powder slider pressed and dragged to its value,
// the elevation slider likewise, then one click on "Fire" (about 2.3 s after the turn began). The
// person's presses during that turn are read from the inner host and dropped; menu choices (such as
// "STOP A BATTLE") pass through untouched.
//
// What it knows comes from the core's own calls and its documented state, read on the game thread
// inside those calls: a player aims while the published menus offer only the Battle menu with
// "STOP A BATTLE" enabled; gTurn names the shooter; gPowSlider, gEleSlider and gFireRect place the
// panel. Who plays which cannon may be changed from any thread; it takes effect at the next turn.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "ComputerPlayer.h"
#include "ForwardingHost.h"
#include "ShotSimulator.h"

class Ordnix;

class PanelDriver : public ForwardingHost {
public:
    // Who plays one cannon: a person, or the computer at a skill.
    struct Player {
        std::optional<Skill> computer;
        bool operator==(const Player&) const = default;
    };

    // Ticks after the turn began at which the hand moves (60 ticks a second). The search for the shot
    // counts as thinking; a search longer than that speeds the hand up so that "Fire" comes by
    // latestFireTick unless the search alone took nearly that long.
    static constexpr int64_t thinkTicks = 20, dragTicks = 30, holdTicks = 6, moveTicks = 18, fireTick = 136;
    static constexpr int64_t latestFireTick = 170, shortestMotion = 40;

    PanelDriver(std::shared_ptr<MacHost> inner, uint64_t seed);

    // The game whose panel is played; its state is read only from inside the core's calls.
    void attach(const Ordnix& game) { game_ = &game; }
    // side: 1 left, 2 right. Thread-safe; used from the next turn on.
    void setPlayer(int64_t side, Player player);
    Player player(int64_t side) const;

    // The computer's pointer in field-window pixels while it plays a turn; thread-safe.
    std::optional<QuickDraw::Point> drivenPointer() const;
    // Called on the game thread when the hand starts (true) or stops (false) driving the pointer, so
    // that a desktop follows it only meanwhile and rests otherwise.
    void setDrivingChanged(std::function<void(bool)> callback);
    // Shots the computer has fired (clicked "Fire") so far for one side (1 left, 2 right).
    int64_t computerShots(int64_t side) const {
        return side == 1 || side == 2 ? computerShots_[static_cast<size_t>(side - 1)].load() : 0;
    }

    bool button() override;
    QuickDraw::Point mouse(const Window& in) override;
    void menusChanged(const std::vector<MenuState>& menus) override;

private:
    struct Turn {
        int64_t shooter = 0;
        // The hand's schedule in nominal ticks: nominalStart at tick `start`, then remaining nominal
        // ticks spread over `budget` real ones (fewer when the search took long: Fire stays in time).
        int64_t start = 0;
        int64_t nominalStart = 0, remaining = fireTick, budget = fireTick;
        QuickDraw::Point from{};
        ShotSimulator::Shot shot;
        bool fired = false;
    };
    // Starts the computer's turn when a computer player aims now and none is under way.
    bool computerAims();
    // Where the hand is and whether the button is down, `elapsed` ticks into the turn.
    struct Hand {
        QuickDraw::Point at;
        bool down = false;
        bool fire = false;
    };
    Hand handAt(int64_t elapsed) const;
    Hand handNow();
    void publishPointer(std::optional<QuickDraw::Point> p);

    const Ordnix* game_ = nullptr;
    uint64_t seed_;

    mutable std::mutex mutex_; // guards players_, pointer_ and drivingChanged_
    std::array<Player, 2> players_{};
    std::optional<QuickDraw::Point> pointer_;
    std::function<void(bool)> drivingChanged_;

    bool aiming_ = false;         // the published menus say a player aims
    bool battleAtRest_ = true;    // the menus offer "START A BATTLE": the next turn opens a battle
    std::optional<Turn> turn_;
    std::array<std::unique_ptr<ComputerPlayer>, 2> computers_{};
    std::unique_ptr<ShotSimulator> simulator_;
    QuickDraw::Point lastPointer_{};
    std::array<std::atomic<int64_t>, 2> computerShots_{};
};
