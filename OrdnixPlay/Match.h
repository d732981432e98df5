// Match: battles between two computer players, headless and on virtual time.
//
// The game runs unchanged on the caller's thread: core -> (RecordingHost) -> PanelDriver -> a
// virtual-clock host that, whenever the core polls the menus, chooses as a person at the menus
// would: the match's terrain, wind and targets first, then "START A BATTLE" for each battle, "STOP A
// BATTLE" once a battle has seen shotLimit shots without a destroyed cannon, and the quit command
// after the last battle.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PanelDriver.h"

struct MatchOptions {
    Skill left = Skill::deadly, right = Skill::deadly;
    int64_t battles = 1;
    int32_t seed = 1;
    int64_t terrain = 1; // Terrain menu item: 1 DESERT .. 4 MOUNTAINS
    int64_t wind = 1;    // Wind menu item: 1 NONE, 2 LIGHT, 3 GUSTY
    bool hospitals = false, posts = false, trees = false;
    int64_t shotLimit = 30;
    std::string recordFile; // empty: no recording
};

struct BattleResult {
    int64_t winner = 0; // 1 left, 2 right, 0 stopped
    int64_t shots = 0;
    int64_t leftShots = 0, rightShots = 0;
    int64_t scoreL = 0, scoreR = 0; // the game's scores after the battle
    // "left wins, shots 3 (left 2, right 1), scores 10 0"; "stopped" instead when no cannon fell.
    std::string line() const;
};

struct MatchSummary {
    std::vector<BattleResult> battles;
    int64_t leftWins = 0, rightWins = 0, stopped = 0;
    std::string line() const; // "left wins A, right wins B, stopped C"
};

// Plays the match; onBattle sees each result as it comes. Throws std::runtime_error when the
// recording file cannot be written.
MatchSummary playMatch(const MatchOptions& options, const std::function<void(const BattleResult&)>& onBattle = {});
