// Settings: the one stored user default, the window scale.
//
// "scale" holds 1 or 2 (screen points per game pixel). It is written only when the player picks a
// size from the View menu; anything else stored under the key (3, 0, text) is ignored and the screen
// decides.
#pragma once

#include <cstdint>
#include <optional>

#include <QRect>

namespace Settings {

inline constexpr const char* scaleKey = "scale";

// The stored scale when it is 1 or 2; else 2 when the visible screen area holds the doubled window
// with its frame (1064 x 704 points), 1 when it does not or when there is no screen.
int64_t scale(std::optional<QRect> fitting);

// Remembers the player's choice for the next launch.
void storeScale(int64_t scale);

} // namespace Settings
