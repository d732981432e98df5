// BattleMenu: what the core's published menus say about the battle. A player aims while the menus
// offer only the Battle menu, with "STOP A BATTLE" enabled; the hands that play the panel (computer,
// keys, a network guest) all read the turn from there.
#pragma once

#include <vector>

#include "MacHost.h"

struct BattleMenu {
    static constexpr int64_t id = 262, startItem = 1, stopItem = 2;

    bool battleOn = false; // the Battle menu is enabled
    bool startOn = false;  // ... with "START A BATTLE"
    bool stopOn = false;   // ... with "STOP A BATTLE"
    bool othersOff = true; // every other menu is disabled

    bool aiming() const { return battleOn && stopOn && othersOff; }

    static BattleMenu read(const std::vector<MenuState>& menus) {
        const auto on = [](const MenuState& menu, int64_t item) {
            return menu.enabled && item < static_cast<int64_t>(menu.itemEnabled.size()) &&
                   menu.itemEnabled[static_cast<size_t>(item)];
        };
        BattleMenu state;
        for (const MenuState& menu : menus) {
            if (menu.id == id) {
                state.battleOn = menu.enabled;
                state.startOn = on(menu, startItem);
                state.stopOn = on(menu, stopItem);
            } else if (menu.enabled) {
                state.othersOff = false;
            }
        }
        return state;
    }
};
