#include "ComputerPlayer.h"

#include <algorithm>
#include <cmath>

std::optional<Skill> skillFromName(std::string_view name) {
    if (name == "novice")
        return Skill::novice;
    if (name == "good")
        return Skill::good;
    if (name == "deadly")
        return Skill::deadly;
    return std::nullopt;
}

std::string skillName(Skill skill) {
    switch (skill) {
    case Skill::novice:
        return "novice";
    case Skill::good:
        return "good";
    case Skill::deadly:
        return "deadly";
    }
    return "deadly";
}

AimError AimError::of(Skill skill) {
    switch (skill) {
    case Skill::novice:
        return AimError{12.0, 8.0, 0.8, 3.0, 2.0};
    case Skill::good:
        return AimError{4.0, 3.0, 0.6, 0.0, 0.0};
    case Skill::deadly:
        break;
    }
    return AimError{};
}

ComputerPlayer::ComputerPlayer(Skill skill, uint64_t seed) : skill_(skill), random_(seed) {}

ShotSimulator::Shot ComputerPlayer::withError(ShotSimulator::Shot aimed, int64_t shotNumber) {
    const AimError error = AimError::of(skill_);
    const double factor = std::pow(error.shrink, static_cast<double>(shotNumber));
    const auto draw = [&](double start, double floor) {
        const double spread = std::max(floor, start * factor);
        if (spread <= 0)
            return int64_t{0};
        return static_cast<int64_t>(std::lround(std::normal_distribution<double>(0.0, spread)(random_)));
    };
    const int64_t powder = aimed.powder + draw(error.powderStart, error.powderFloor);
    const int64_t elevation = aimed.elevation + draw(error.elevationStart, error.elevationFloor);
    return ShotSimulator::Shot{std::clamp(powder, ShotSimulator::minPowder, ShotSimulator::maxPowder),
                               std::clamp(elevation, ShotSimulator::minElevation, ShotSimulator::maxElevation)};
}

ShotSimulator::Shot ComputerPlayer::choose(ShotSimulator& simulator, int64_t shooter) {
    const ShotSimulator::Shot aimed = simulator.bestShot(shooter).first;
    return withError(aimed, shotsThisBattle_++);
}
