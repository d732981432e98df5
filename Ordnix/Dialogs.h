// Dialogs: the item lists of the game's three alerts and dialogs.
//
// Ids are the core's: 1000 the outs dialog, 1001 the About box, 1002 the player-type dialog. Sizes are
// those of the item area; rectangles are (top, left, bottom, right) in points.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ClassicDialog.h"

namespace Dialogs {

inline constexpr int64_t outsId = 1000;
inline constexpr int64_t aboutId = 1001;
inline constexpr int64_t playerTypeId = 1002;

// The tree picture: 15 characters wide, 34 rows high.
const std::vector<std::string>& treeRows();

std::unique_ptr<ClassicDialog> outs(QWidget* parent = nullptr);
std::unique_ptr<ClassicDialog> playerType(QWidget* parent = nullptr);
std::unique_ptr<ClassicDialog> about(QWidget* parent = nullptr);

// The dialog with this id, or null for an id the host has no dialog for.
std::unique_ptr<ClassicDialog> make(int64_t id, QWidget* parent = nullptr);

} // namespace Dialogs
