// ShotSimulator: flies candidate shots on a private, headless copy of the game.
//
// load() copies what decides a shot (the field window's pixels, cannons, buildings, trees, wind,
// scores, target values, options, both cannons' settings) from the live game into a second Ordnix
// that runs on its own virtual-clock host. fly() restores that copy, sets one cannon's powder and
// elevation as the panel would, and runs the game's own flight, burst and scoring code on it.
// Invariants: the live game is only read (on its own thread, the one calling load); the copy has its
// own random generator, windows and host, so nothing of the live game's pixels, state or random
// stream changes; every fly() starts from the state of the last load().
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class Ordnix;
class VirtualHost;

class ShotSimulator {
public:
    struct Shot {
        int64_t powder = 10;    // 10..100
        int64_t elevation = 0;  // 0..89
        bool operator==(const Shot&) const = default;
    };
    // What one shot did, seen from its shooter.
    struct Outcome {
        bool landed = false;
        bool enemyCannonDestroyed = false;
        bool ownCannonDestroyed = false;
        int64_t scoreChange = 0;   // the shooter's score after minus before
        int64_t missDistance = 0;  // from the landing point to the enemy cannon's base; large when lost
        // Higher is better: the enemy cannon first, then points, then closeness; never one's own cannon.
        int64_t rank() const;
    };

    ShotSimulator();
    ~ShotSimulator();
    ShotSimulator(const ShotSimulator&) = delete;
    ShotSimulator& operator=(const ShotSimulator&) = delete;

    void load(const Ordnix& live);
    // shooter: 1 left, 2 right.
    Outcome fly(int64_t shooter, Shot shot);
    // Searches powder 10..100 and elevation 0..89, a coarse grid first, then every shot around the
    // best coarse ones; returns the best shot found and its outcome.
    std::pair<Shot, Outcome> bestShot(int64_t shooter);
    int64_t shotsFlown() const { return shotsFlown_; }

    static constexpr int64_t minPowder = 10, maxPowder = 100, minElevation = 0, maxElevation = 89;

private:
    std::shared_ptr<VirtualHost> host_;
    std::unique_ptr<Ordnix> copy_;
    std::vector<uint8_t> pixels_;
    std::unique_ptr<Ordnix> saved_; // the loaded state, copied back before each shot
    int64_t shotsFlown_ = 0;
};
