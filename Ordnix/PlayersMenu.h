// PlayersMenu: the host's "Players" menu, who plays each cannon, and the computer's pointer on screen.
//
// "Left: Person / Computer" and "Right: Person / Computer" are radio groups, "Computer Skill: Novice
// / Good / Deadly" one more; the choice is stored with QSettings (keys players/left, players/right:
// person or computer; players/skill: novice, good or deadly) and applies from the next turn. Nothing
// stored means person against person, the documented game. Players named on the command line
// override the stored ones for this session (and are stored only once the menu is used).
//
// While the computer plays a turn, the desktop pointer follows its hand over the panel.
#pragma once

#include <memory>
#include <optional>

#include <QActionGroup>
#include <QObject>
#include <QTimer>

#include "PanelDriver.h"

class AppDelegate;
class QMenu;

class PlayersMenu : public QObject {
public:
    // The stored players, or person against person.
    static std::array<PanelDriver::Player, 2> storedPlayers();

    PlayersMenu(AppDelegate& delegate, std::shared_ptr<PanelDriver> driver,
                std::array<std::optional<PanelDriver::Player>, 2> fromCommandLine);
    ~PlayersMenu() override;

    QMenu* menu() const { return menu_; }
    QActionGroup* sideGroup(int64_t side) const { return side == 1 ? left_ : right_; }
    QActionGroup* skillGroup() const { return skill_; }

private:
    void apply(bool store);
    void followHand();

    AppDelegate& delegate_;
    std::shared_ptr<PanelDriver> driver_;
    QMenu* menu_ = nullptr;
    QActionGroup* left_ = nullptr;
    QActionGroup* right_ = nullptr;
    QActionGroup* skill_ = nullptr;
    QTimer follow_;
};
