// The nine menus: creating and marking them, switching them on and off, and every command.
#include "Ordnix.h"

namespace {
constexpr int64_t appleMenu = 256;
constexpr int64_t quitMenu = 257;
constexpr int64_t terrainMenu = 258;
constexpr int64_t targetsMenu = 259;
constexpr int64_t windMenu = 260;
constexpr int64_t rAndRMenu = 261;
constexpr int64_t battleMenu = 262;
constexpr int64_t soundMenu = 263;
constexpr int64_t explosionsMenu = 264;

constexpr int64_t startBattleItem = 1;
constexpr int64_t stopBattleItem = 2;
} // namespace

void Ordnix::setUpMenus() {
    for (int64_t i = 1; i <= 9; ++i)
        gMenus[static_cast<size_t>(i)] = getMenu(255 + i);
    drawMenuBar();
    checkItem(terrainMenu, 1, true);
    checkItem(windMenu, 1, true);
    disableItem(battleMenu, stopBattleItem);
    checkItem(soundMenu, 4, true);
    checkItem(explosionsMenu, 1, true);
    drawMenuBar();
}

void Ordnix::disableMenus() {
    for (int64_t i = 1; i <= 9; ++i)
        disableItem(gMenus[static_cast<size_t>(i)], 0);
    drawMenuBar();
}

void Ordnix::enableMenus() {
    for (int64_t i = 1; i <= 7; ++i)
        enableItem(gMenus[static_cast<size_t>(i)], 0);
    disableItem(battleMenu, stopBattleItem);
    enableItem(battleMenu, startBattleItem);
    enableItem(soundMenu, 0);
    enableItem(explosionsMenu, 0);
    drawMenuBar();
    drawMenuBar();
}

void Ordnix::doCommand(int64_t choice) {
    const int64_t menu = hiWord(choice);
    gMenuItem = loWord(choice);
    const int64_t item = gMenuItem;

    switch (menu) {
    case appleMenu:
        if (item == 1)
            gMenuItem = alert(1001);
        break;
    case quitMenu:
        gQuit = true;
        break;
    case terrainMenu:
        if (item >= 1 && item <= 5)
            chooseTerrain(item);
        break;
    case targetsMenu:
        if (item == 1)
            toggleTarget(gHospitals, 1, &gLHospRect, &gRHospRect);
        else if (item == 2)
            toggleTarget(gPosts, 2, &gLPostRect, &gRPostRect);
        else if (item == 3)
            toggleTarget(gTrees, 3, nullptr, nullptr);
        else if (item == 5)
            setTargetValues();
        break;
    case windMenu:
        if (item >= 1 && item <= 3)
            chooseWind(item);
        break;
    case rAndRMenu:
        switch (item) {
        case 1: // NEW GAME
            gScoreL = gScoreR = 0;
            gNewField = 1;
            gKilled = 0;
            gTurn = 1;
            break;
        case 2: // NEW BATTLEFIELD
            setPort(*gFieldWindow);
            gNewField = 1;
            break;
        case 3: // HIDE SETTINGS
            gHideSettings = !gHideSettings;
            checkItem(rAndRMenu, 3, gHideSettings);
            break;
        case 4: // OUTS
            openOutsDialog();
            doOutsDialog();
            disposDialog(gDialog);
            break;
        case 5: // PLAYER TYPE
            openPlayerDialog();
            doPlayerDialog();
            disposDialog(gDialog);
            break;
        case 6:
            setBallSpeed();
            break;
        default:
            break;
        }
        break;
    case battleMenu:
        if (item == startBattleItem)
            startBattle();
        break;
    case soundMenu:
        if (item >= 1 && item <= 8)
            chooseVolume(item);
        break;
    case explosionsMenu:
        if (item >= 1 && item <= 2)
            chooseExplosions(item);
        break;
    default:
        break;
    }
}

void Ordnix::doBattleMenu(int64_t choice) {
    const int64_t menu = hiWord(choice);
    gMenuItem = loWord(choice);
    if (menu != battleMenu || gMenuItem != stopBattleItem)
        return;
    enableItem(battleMenu, 0);
    disableItem(battleMenu, stopBattleItem);
    enableItem(battleMenu, startBattleItem);
    drawMenuBar();
    drawMenuBar();
    gStopBattle = true;
    gBattleOver = true;
    gNewField = 1;
    gFired = true;
    textFont(QuickDraw::FontID::applFont);
    textFace(QuickDraw::Style{});
    textSize(9);
}

void Ordnix::chooseTerrain(int64_t item) {
    for (int64_t i = 1; i <= 5; ++i)
        checkItem(terrainMenu, i, i == item);
    static constexpr int64_t roughness[] = {0, 0, 3, 8, 35, 35};
    gRoughness = roughness[item];
    // Leaving the hand-made terrain shows a generated field at once instead of the editor's notice.
    if (item != 5 && gTerrain == 4)
        gNewField = 1;
    gTerrain = item - 1;
}

void Ordnix::toggleTarget(int64_t& counter, int64_t item, QuickDraw::Rect* r1, QuickDraw::Rect* r2) {
    if (counter == 0) {
        checkItem(targetsMenu, item, true);
        // No stale target of an earlier field may be hit.
        if (r1)
            *r1 = QuickDraw::Rect::zero;
        if (r2)
            *r2 = QuickDraw::Rect::zero;
    }
    if (counter == 1)
        checkItem(targetsMenu, item, false);
    counter = counter == 0 ? 1 : 0;
}

void Ordnix::chooseWind(int64_t item) {
    for (int64_t i = 1; i <= 3; ++i)
        checkItem(windMenu, i, i == item);
    switch (item) {
    case 1:
        gWindMax = 0;
        gWindKept = false;
        gWindLeft = gWindRight = 0;
        break;
    case 2:
        gWindMax = 4;
        gWindKept = true;
        break;
    default:
        gWindMax = 14;
        gWindKept = true;
        break;
    }
}

void Ordnix::chooseVolume(int64_t item) {
    for (int64_t i = 1; i <= 8; ++i)
        checkItem(soundMenu, i, i == item);
    setSoundVol(item - 1);
}

void Ordnix::chooseExplosions(int64_t item) {
    checkItem(explosionsMenu, 1, item == 1);
    checkItem(explosionsMenu, 2, item == 2);
    gTunnels = item == 1;
}
