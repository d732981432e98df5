// What a screen reader hears of a battle played from the keyboard: the accessibility events of the
// field view, collected in-process where the speaker sends them (no AT-SPI bus).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QAccessible>
#include <QAccessibleEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ClassicDialog.h"
#include "Dialogs.h"
#include "KeyDriver.h"
#include "KeyPlay.h"
#include "Ordnix.h"
#include "ScreenView.h"
#include "ScriptedHost.h"
#include "ShotSimulator.h"
#include "Speaker.h"
#include "app/AppTestSupport.h"

namespace {

using Key = KeyDriver::Key;
constexpr int64_t battleMenu = 262, startItem = 1;

std::vector<std::string>* listening = nullptr; // announcements, in order
QObject* voiceObject = nullptr;

void collect(QAccessibleEvent* event) {
    QAccessibleInterface* face = event->accessibleInterface();
    if (!listening || !face)
        return;
    if (event->type() == QAccessible::NameChanged && event->object() == voiceObject)
        listening->push_back(face->text(QAccessible::Name).toStdString());
}

// The turn's opening words by the documented wind: direction 1 blows to the right (from the left),
// the push is speed x 4 / 10.
std::string turnWords(const Ordnix& g) {
    return std::string(g.gTurn == 1 ? "Left" : "Right") + " cannon to fire. Wind " + std::to_string(g.gWindSpeed) +
           " from the " + (g.gWindDir == 1 ? "left" : "right") + ", push " + std::to_string(g.gWindSpeed * 4 / 10) + ".";
}

// Key presses that move a value from `from` to `to` (tens with Shift first), and the value each one
// shows, within [low, high].
void walk(int64_t from, int64_t to, const std::string& name, std::vector<KeyDriver::KeyPress>& keys,
          std::vector<std::string>& words) {
    while (from != to) {
        const int64_t gap = to - from;
        const bool big = gap >= 10 || gap <= -10;
        const int64_t step = big ? (gap > 0 ? 10 : -10) : (gap > 0 ? 1 : -1);
        keys.push_back({gap > 0 ? Key::right : Key::left, big});
        from += step;
        words.push_back(name + " " + std::to_string(from));
    }
}

TEST(SpokenGameTest, AKeyboardBattleIsHeardInOrderWithDistancesSidesScoresAndItsEnd) {
    testApplication();
    QWidget field;
    Speaker speaker(&field);
    std::vector<std::string> heard;
    listening = &heard;
    voiceObject = speaker.voice();
    speaker.send = collect;

    auto host = std::make_shared<ScriptedHost>();
    host->setRandSeed(2024);
    host->setIdleMicroseconds(4000);
    host->setTimeLimitTicks(60 * 60 * 30);
    auto keys = std::make_shared<KeyDriver>(host);
    Ordnix game(keys);
    keys->attach(game);
    speaker.listen(*keys);

    std::vector<std::string> expected;
    const auto type = [&](std::vector<KeyDriver::KeyPress> presses) {
        host->perform("keys", [keys, presses](ScriptedHost&) {
            for (const auto& p : presses)
                keys->press(p);
        });
        host->waitTicks(3 + 2 * static_cast<int64_t>(presses.size()));
    };
    const auto atRest = [&](const ScriptedHost& h) {
        const MenuState* m = h.menu(battleMenu);
        return h.corePollsForMenus() && m && m->enabled && m->itemEnabled[startItem] && game.gNewField == 0;
    };
    const auto aims = [&](int64_t side) {
        return [&, side](const ScriptedHost& h) {
            return h.readyForMenus() && keys->place() == KeyDriver::Place::aiming && game.gTurn == side && !game.gFired;
        };
    };
    const auto hear = [&](std::string what, std::function<void()> add) {
        host->perform(std::move(what), [add](ScriptedHost&) { add(); });
    };

    host->waitUntil("the field", atRest);
    host->chooseMenu(260, 2); // "LIGHT" wind, from the next battlefield on
    host->waitUntil("the field", atRest);
    host->chooseMenu(261, 2); // "NEW BATTLEFIELD"
    host->waitUntil("the field with wind", [&](const ScriptedHost& h) { return atRest(h) && game.gWindSpeed >= 1; });
    host->chooseMenu(battleMenu, startItem);
    hear("start", [&] { expected.push_back("Battle started."); });

    // Left: powder 30, elevation 0, a short flat shot.
    host->waitUntil("left aims", aims(1));
    hear("left's turn", [&] { expected.push_back(turnWords(game)); });
    type({{Key::right, true}, {Key::right, true}, {Key::down, false}, {Key::enter, false}});
    hear("left's keys", [&] { expected.insert(expected.end(), {"Powder 20", "Powder 30", "Elevation 0"}); });

    // Right: powder 100 at elevation 50 climbs over the whole field (out of sight above it, where
    // nothing is hit) and leaves it to the left.
    host->waitUntil("right aims", aims(2));
    hear("where left's ball fell", [&] {
        ASSERT_TRUE(game.gLanded);
        const int64_t shortBy = game.gCanRX - game.gHitPt.h;
        ASSERT_GT(shortBy, 0) << "a weak flat shot lands on the shooter's side of the enemy";
        EXPECT_LT(game.gHitPt.h - game.gCanLX, 200) << "and near its own cannon";
        expected.push_back("Landed " + std::to_string(shortBy) + " pixels short of the right cannon.");
        expected.push_back(turnWords(game));
    });
    std::vector<KeyDriver::KeyPress> rightKeys;
    std::vector<std::string> rightWords;
    walk(10, 100, "Powder", rightKeys, rightWords);
    rightKeys.push_back({Key::down, false});
    rightWords.push_back("Elevation 0");
    walk(0, 50, "Elevation", rightKeys, rightWords);
    rightKeys.push_back({Key::space, false});
    type(rightKeys);
    hear("right's keys", [&] {
        expected.insert(expected.end(), rightWords.begin(), rightWords.end());
        expected.push_back("Flew off the field to the left.");
    });

    // Left again: the shot that destroys the right cannon, found on a copy of the field.
    host->waitUntil("left aims again", aims(1));
    hear("left's second turn", [&] { expected.push_back(turnWords(game)); });
    host->perform("aim to kill", [&](ScriptedHost&) {
        ShotSimulator simulator;
        simulator.load(game);
        const auto [shot, outcome] = simulator.bestShot(1);
        ASSERT_TRUE(outcome.enemyCannonDestroyed);
        ASSERT_FALSE(outcome.ownCannonDestroyed);
        std::vector<KeyDriver::KeyPress> presses{{Key::up, false}};
        expected.push_back("Powder 30"); // the left's powder is its own from the last turn
        walk(30, shot.powder, "Powder", presses, expected);
        presses.push_back({Key::down, false});
        expected.push_back("Elevation 0");
        walk(0, shot.elevation, "Elevation", presses, expected);
        presses.push_back({Key::enter, false});
        for (const auto& p : presses)
            keys->press(p);
        expected.insert(expected.end(), {"Hit the right cannon.", "Left gains 10 points. Score: left 10, right 0.",
                                         "Battle over: the right cannon is destroyed."});
    });
    host->waitUntil("the battle's end", atRest);
    host->quit();
    ASSERT_TRUE(host->run([&] { game.run(); }));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(heard, expected);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&field);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->text(QAccessible::Description).toStdString(),
              "Between battles. Score: left 10, right 0. Start a battle from the Battle menu.");
    listening = nullptr;
}

// Arrows in a dialog report the radio button before or after the one the core has on; Return is "OK".
TEST(SpokenGameTest, DialogArrowsChooseAmongTheRadioButtons) {
    testApplication();
    struct Case {
        int key;
        std::map<int64_t, int64_t> values;
        std::vector<int64_t> hits;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Down, {{1, 1}, {2, 0}}, {2}},
        {Qt::Key_Right, {{1, 1}, {2, 0}}, {2}},
        {Qt::Key_Down, {{1, 0}, {2, 1}}, {}}, // the last stays
        {Qt::Key_Up, {{1, 0}, {2, 1}}, {1}},
        {Qt::Key_Left, {{1, 1}, {2, 0}}, {}},
        {Qt::Key_Up, {{1, 0}, {2, 0}}, {1}}, // none on: the first
        {Qt::Key_Return, {{1, 1}, {2, 0}}, {3}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ClassicDialog> dialog = Dialogs::make(Dialogs::outsId, nullptr);
        ASSERT_TRUE(dialog);
        std::vector<int64_t> hits;
        dialog->onHit = [&hits](int64_t item) { hits.push_back(item); };
        dialog->setValues(c.values);
        dialog->show();
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QCoreApplication::sendEvent(dialog.get(), &press);
        EXPECT_EQ(hits, c.hits) << "key " << c.key;
    }
}

// The keys a Qt key event stands for; Ctrl and Alt chords stay the menus'.
TEST(SpokenGameTest, QtKeysMapToTheGamesKeys) {
    using P = std::optional<KeyDriver::KeyPress>;
    const auto same = [](P a, P b) { return a.has_value() == b.has_value() && (!a || (a->key == b->key && a->shift == b->shift)); };
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Left, Qt::ShiftModifier), KeyDriver::KeyPress{Key::left, true}));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Tab, Qt::ShiftModifier), KeyDriver::KeyPress{Key::backTab, false}));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Backtab, Qt::ShiftModifier), KeyDriver::KeyPress{Key::backTab, false}));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Enter, Qt::KeypadModifier), KeyDriver::KeyPress{Key::enter, false}));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Right, Qt::ControlModifier), std::nullopt));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_Down, Qt::AltModifier), std::nullopt));
    EXPECT_TRUE(same(KeyPlay::keyFor(Qt::Key_B, Qt::NoModifier), std::nullopt));
}

} // namespace
