#include "PlayersMenu.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSettings>

#include "AppDelegate.h"
#include "ScreenView.h"

namespace {
QSettings store() { return QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")); }

const QString sideKeys[2] = {QStringLiteral("players/left"), QStringLiteral("players/right")};
const QString skillKey = QStringLiteral("players/skill");

QActionGroup* radioGroup(QMenu* menu, QObject* owner, const QStringList& names, int checked) {
    auto* group = new QActionGroup(owner);
    for (int i = 0; i < names.size(); ++i) {
        QAction* action = menu->addAction(names[i]);
        action->setCheckable(true);
        action->setData(i);
        action->setChecked(i == checked);
        group->addAction(action);
    }
    return group;
}

int checkedIndex(const QActionGroup* group) {
    const QAction* action = group->checkedAction();
    return action ? action->data().toInt() : 0;
}
} // namespace

std::array<PanelDriver::Player, 2> PlayersMenu::storedPlayers() {
    QSettings settings = store();
    const std::optional<Skill> skill =
        skillFromName(settings.value(skillKey, QStringLiteral("good")).toString().toStdString());
    std::array<PanelDriver::Player, 2> players{};
    for (int side = 0; side < 2; ++side)
        if (settings.value(sideKeys[side]).toString() == QLatin1String("computer"))
            players[static_cast<size_t>(side)].computer = skill.value_or(Skill::good);
    return players;
}

PlayersMenu::PlayersMenu(AppDelegate& delegate, std::shared_ptr<PanelDriver> driver,
                         std::array<std::optional<PanelDriver::Player>, 2> fromCommandLine)
    : delegate_(delegate), driver_(std::move(driver)) {
    std::array<PanelDriver::Player, 2> players = storedPlayers();
    for (size_t side = 0; side < 2; ++side)
        if (fromCommandLine[side])
            players[side] = *fromCommandLine[side];
    Skill skill = Skill::good;
    for (const PanelDriver::Player& p : players)
        if (p.computer) {
            skill = *p.computer;
            break;
        }

    menu_ = new QMenu(QStringLiteral("Players"), delegate_.fieldWindow.get());
    menu_->addSection(QStringLiteral("Left"));
    left_ = radioGroup(menu_, this, {QStringLiteral("Left: Person"), QStringLiteral("Left: Computer")},
                       players[0].computer ? 1 : 0);
    menu_->addSeparator();
    right_ = radioGroup(menu_, this, {QStringLiteral("Right: Person"), QStringLiteral("Right: Computer")},
                        players[1].computer ? 1 : 0);
    menu_->addSeparator();
    skill_ = radioGroup(menu_, this,
                        {QStringLiteral("Computer Skill: Novice"), QStringLiteral("Computer Skill: Good"),
                         QStringLiteral("Computer Skill: Deadly")},
                        static_cast<int>(skill));
    for (QActionGroup* group : {left_, right_, skill_})
        connect(group, &QActionGroup::triggered, this, [this] { apply(true); });

    // Last in the bar, so the game menus keep their places (and their keyboard walk).
    delegate_.fieldWindow->menuBar()->addMenu(menu_);

    for (size_t side = 0; side < 2; ++side)
        driver_->setPlayer(static_cast<int64_t>(side) + 1, players[side]);

    // The pointer follows the computer's hand only while it drives: otherwise the timer would wake
    // the idle program 60 times a second.
    follow_.setInterval(16);
    connect(&follow_, &QTimer::timeout, this, &PlayersMenu::followHand);
    driver_->setDrivingChanged([self = QPointer<PlayersMenu>(this)](bool driving) {
        QMetaObject::invokeMethod(
            qApp,
            [self, driving] {
                if (!self)
                    return;
                if (driving)
                    self->follow_.start();
                else
                    self->follow_.stop();
            },
            Qt::QueuedConnection);
    });
}

PlayersMenu::~PlayersMenu() { driver_->setDrivingChanged({}); }

void PlayersMenu::apply(bool save) {
    const auto skill = static_cast<Skill>(checkedIndex(skill_));
    QSettings settings = store();
    for (int side = 0; side < 2; ++side) {
        const bool computer = checkedIndex(side == 0 ? left_ : right_) == 1;
        driver_->setPlayer(side + 1, PanelDriver::Player{computer ? std::optional<Skill>(skill) : std::nullopt});
        if (save)
            settings.setValue(sideKeys[side], computer ? QStringLiteral("computer") : QStringLiteral("person"));
    }
    if (save)
        settings.setValue(skillKey, QString::fromStdString(skillName(skill)));
}

void PlayersMenu::followHand() {
    const std::optional<QuickDraw::Point> hand = driver_->drivenPointer();
    if (!hand || !delegate_.fieldView)
        return;
    const auto scale = static_cast<int>(delegate_.scale);
    const QPoint local(static_cast<int>(hand->h) * scale + scale / 2, static_cast<int>(hand->v) * scale + scale / 2);
    QCursor::setPos(delegate_.fieldView->mapToGlobal(local));
}
