// ScreenDump: the diagnostic picture of the game's screens, as files in a directory.
//
// <name>.png is a window's bitmap as an 8-bit grey image (set pixels 0, clear ones 255) and menus.txt
// the menu state (AppDelegate::menusText). The live game writes them once a second when ORDNIX_DUMP
// is set; a headless replay writes the same files from its final state, so the two compare byte for
// byte (the stored resolution is fixed, not the screen's). Each file is written whole or not at all
// (QSaveFile); a failure skips that file (the live dump
// carries on silently, a replay reports it).
#pragma once

#include <vector>

#include <QDir>
#include <QString>

#include "ToolboxTypes.h"

namespace ScreenDump {

// 96 dots per inch, stored in every PNG.
inline constexpr int dotsPerMeter = 3780;

// Reads the bitmap under screenLock.
bool writeWindow(const QDir& directory, const QString& name, const Window& window);
// field.png, one PNG per window in `visibleBoxes` (named by AppDelegate::windowName) and menus.txt;
// true when every file was written.
bool write(const QDir& directory, const Window& field, const std::vector<const Window*>& visibleBoxes,
           const std::vector<MenuState>& menus, bool ready);

} // namespace ScreenDump
