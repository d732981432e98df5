// ComputerPlayer: chooses a cannon's powder and elevation at one of three skills.
//
// Every skill searches the best shot on a simulated copy of the field (ShotSimulator). Deadly fires
// it as found. Good and Novice aim with a normal error on powder and elevation whose spread shrinks
// with each of their shots in a battle, as a person learns the range, down to a floor:
//   spread on the k-th shot (k = 0, 1, ...) = max(floor, start x shrink^k), rounded to whole units,
//   then clamped into powder 10..100 and elevation 0..89.
// The error draws come from the player's own generator (seeded by the caller), never the game's.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "ShotSimulator.h"

enum class Skill { novice, good, deadly };

// "novice", "good", "deadly"; nothing for any other text.
std::optional<Skill> skillFromName(std::string_view name);
std::string skillName(Skill skill);

struct AimError {
    double powderStart = 0, elevationStart = 0; // standard deviations of the first shot
    double shrink = 1;                          // factor per shot
    double powderFloor = 0, elevationFloor = 0;
    static AimError of(Skill skill);
};

class ComputerPlayer {
public:
    ComputerPlayer(Skill skill, uint64_t seed);

    Skill skill() const { return skill_; }
    // A new battle: the error starts wide again.
    void newBattle() { shotsThisBattle_ = 0; }
    // The shot to fire now for `shooter` (1 left, 2 right), on the state loaded into the simulator.
    ShotSimulator::Shot choose(ShotSimulator& simulator, int64_t shooter);
    // The aimed shot with this skill's error for the given shot number of the battle.
    ShotSimulator::Shot withError(ShotSimulator::Shot aimed, int64_t shotNumber);

private:
    Skill skill_;
    std::mt19937_64 random_;
    int64_t shotsThisBattle_ = 0;
};
