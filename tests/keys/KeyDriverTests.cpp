// Keys play the panel and the option screens through the same clicks a hand makes, in games played
// against the scripted host: core -> KeyDriver -> PanelDriver -> ScriptedHost.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "KeyDriver.h"
#include "Ordnix.h"
#include "PanelDriver.h"
#include "RecordingHost.h"
#include "ReplayHost.h"
#include "ScriptedHost.h"

namespace {

using Key = KeyDriver::Key;
using Place = KeyDriver::Place;
constexpr int64_t battleMenu = 262, startItem = 1, stopItem = 2;

KeyDriver::KeyPress k(Key key) { return {key, false}; }
KeyDriver::KeyPress shift(Key key) { return {key, true}; }
std::vector<KeyDriver::KeyPress> times(int n, KeyDriver::KeyPress key) { return std::vector(static_cast<size_t>(n), key); }
std::vector<KeyDriver::KeyPress> seq(std::initializer_list<std::vector<KeyDriver::KeyPress>> parts) {
    std::vector<KeyDriver::KeyPress> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct KeyGame {
    explicit KeyGame(int32_t seed) {
        host->setRandSeed(seed);
        host->setIdleMicroseconds(4000);
        host->setTimeLimitTicks(60 * 60 * 30);
        panel->attach(game);
        keys->attach(game);
        keys->setComputerPlays([this](int64_t side) { return panel->player(side).computer.has_value(); });
        keys->setListener([this](const KeyDriver::News& news) {
            last = news;
            said.insert(said.end(), news.said.begin(), news.said.end());
        });
    }
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    std::shared_ptr<PanelDriver> panel = std::make_shared<PanelDriver>(host, 5);
    std::shared_ptr<KeyDriver> keys = std::make_shared<KeyDriver>(panel);
    // Recorded above the keys, as the application records.
    std::shared_ptr<RecordingHost> recorder = std::make_shared<RecordingHost>(keys, std::string());
    Ordnix game{recorder};
    KeyDriver::News last;
    std::vector<std::string> said; // every announcement so far

    bool atRest() const {
        const MenuState* m = host->menu(battleMenu);
        return host->corePollsForMenus() && m && m->enabled && m->itemEnabled[startItem] && game.gNewField == 0;
    }
    bool aims(int64_t side) const {
        return host->readyForMenus() && keys->place() == Place::aiming && game.gTurn == side && !game.gFired;
    }
    // Presses the keys at once, then lets one tick pass: a burst is taken without waiting on the host.
    void type(std::vector<KeyDriver::KeyPress> presses) {
        host->perform("keys", [this, presses](ScriptedHost&) {
            for (const KeyDriver::KeyPress& p : presses)
                keys->press(p);
        });
        host->waitTicks(1);
    }
    void check(std::string what, std::function<void()> expectations) {
        host->perform(std::move(what), [expectations](ScriptedHost&) { expectations(); });
    }
};

// Left and right are people on the start-up field (a desert, no wind); the right player becomes the
// computer from the fourth turn. Values follow the panel's documented ranges: powder 10 to 100,
// elevation 0 to 89, both starting at 10 and 0.
TEST(KeyPlayTest, AimingKeysSetExactValuesClampFireAndDoNothingOutsideAPersonsTurn) {
    KeyGame g(4242);
    struct Step {
        std::vector<KeyDriver::KeyPress> keys;
        int64_t powder, elevation, focus;
    };
    const std::vector<Step> table = {
        {{k(Key::right)}, 11, 0, 0},
        {times(3, shift(Key::right)), 41, 0, 0},
        {{k(Key::left)}, 40, 0, 0},
        {times(5, shift(Key::left)), 10, 0, 0},         // clamped at the bottom
        {seq({times(8, shift(Key::right)), times(5, k(Key::right))}), 95, 0, 0},
        {{shift(Key::right)}, 100, 0, 0},               // and at the top
        {{k(Key::right)}, 100, 0, 0},
        {seq({{k(Key::down)}, times(3, k(Key::right))}), 100, 3, 1},
        {{shift(Key::left)}, 100, 0, 1},
        {times(9, shift(Key::right)), 100, 89, 1},
        {{k(Key::up), k(Key::left)}, 99, 89, 0},
        {{k(Key::tab), shift(Key::left)}, 99, 79, 1},
        // A flat, weak shot: it falls short whatever the field, so the battle goes on.
        {seq({{k(Key::up)}, times(9, shift(Key::left)), {k(Key::right)}}), 11, 79, 0},
        {seq({{k(Key::down)}, times(8, shift(Key::left))}), 11, 0, 1},
    };

    g.host->waitUntil("the field", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->chooseMenu(battleMenu, startItem);
    g.host->waitUntil("the left player aims", [&](const ScriptedHost&) { return g.aims(1); });
    for (size_t i = 0; i < table.size(); ++i) {
        g.type(table[i].keys);
        g.check("step " + std::to_string(i), [&g, i, s = table[i]] {
            EXPECT_EQ(g.game.gPowderL, s.powder) << "step " << i;
            EXPECT_EQ(g.game.gElevL, s.elevation) << "step " << i;
            EXPECT_EQ(g.keys->focus(), s.focus) << "step " << i;
            ASSERT_TRUE(g.last.mark.has_value()) << "step " << i;
            EXPECT_EQ(g.last.mark->rect, s.focus == 0 ? g.game.gPowSlider : g.game.gEleSlider) << "step " << i;
        });
    }
    g.type({k(Key::enter)});
    // Keys while the ball flies belong to no turn.
    g.host->waitUntil("the ball flies", [&](const ScriptedHost&) { return g.game.gFired && g.keys->place() == Place::elsewhere; });
    g.check("keys in flight", [&] { g.keys->press(k(Key::right)); g.keys->press(k(Key::space)); });

    g.host->waitUntil("the right player aims", [&](const ScriptedHost&) { return g.aims(2); });
    g.check("the focus follows the turn", [&] {
        EXPECT_EQ(g.keys->focus(), 0);
        ASSERT_TRUE(g.last.mark.has_value());
        EXPECT_EQ(g.last.mark->rect.left, 256 + 89) << "the right panel's powder slider";
        EXPECT_EQ(g.game.gPowderR, 10) << "a key pressed in flight acted on this turn";
        g.panel->setPlayer(2, PanelDriver::Player{Skill::novice});
    });
    g.type({k(Key::right), k(Key::space)});
    g.host->waitUntil("the left player aims again", [&](const ScriptedHost&) { return g.aims(1); });
    g.check("the left keeps its values", [&] {
        EXPECT_EQ(g.game.gPowderR, 11);
        EXPECT_EQ(g.game.gPowderL, 11);
        EXPECT_EQ(g.game.gElevL, 0);
        EXPECT_EQ(g.keys->focus(), 0) << "every turn starts on the powder";
    });
    g.type({k(Key::enter)});
    g.host->waitUntil("the computer aims", [&](const ScriptedHost&) { return g.aims(2); });
    // The computer thinks for a third of a second before its hand moves: keys now would show at once.
    g.type(seq({times(3, shift(Key::right)), {k(Key::enter)}}));
    g.check("keys in the computer's turn", [&] {
        EXPECT_EQ(g.game.gPowderR, 11);
        EXPECT_FALSE(g.game.gFired);
        EXPECT_FALSE(g.last.mark.has_value());
        EXPECT_EQ(g.panel->computerShots(2), 0);
    });
    g.host->chooseMenu(battleMenu, stopItem);
    g.host->waitUntil("the battle's end", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->quit();
    ASSERT_TRUE(g.host->run([&] { g.game.run(); }));
    EXPECT_TRUE(g.game.gStopBattle);
    EXPECT_TRUE(g.host->protocolErrors().empty());
    g.recorder->finish();
    const ReplayResult replay = replayHeadless(RecordingReader::read(g.recorder->writer().bytes()));
    EXPECT_EQ(replay.status, ReplayResult::Status::exact) << "key play replays from its recording: " << replay.message;
}

// The target values screen (rows 1 to 12, "Default Settings", "OK") and the ball speed screen
// (slider, "OBSERVE", "OK"), each played from the keyboard alone; then the field editor, which keys
// leave alone.
TEST(KeyPlayTest, OptionScreensFollowTabArrowsSpaceAndReturnWhileTheFieldEditorStaysThePointers) {
    KeyGame g(7);
    struct Step {
        std::vector<KeyDriver::KeyPress> keys;
        int64_t row1, row2, focus;
    };
    // Row 1 is a penalty row (-20 to 0, default -20), row 2 a reward row (0 to 20, default 10).
    const std::vector<Step> table = {
        {{k(Key::right)}, -19, 10, 1},
        {times(3, shift(Key::right)), 0, 10, 1},
        {{k(Key::tab), k(Key::left)}, 0, 9, 2},
        {{k(Key::down), shift(Key::left)}, 0, 0, 2},
        {{k(Key::up), shift(Key::up), shift(Key::right)}, 0, 20, 2},
        {{shift(Key::tab), k(Key::left)}, -1, 20, 1},
        {{shift(Key::tab)}, -1, 20, 14},
    };
    g.host->waitUntil("the field", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->chooseMenu(259, 5); // "SET TARGET VALUES"
    g.host->waitForWindowShown(WindowID::targets);
    g.host->waitTicks(2);
    for (size_t i = 0; i < table.size(); ++i) {
        g.type(table[i].keys);
        g.check("row step " + std::to_string(i), [&g, i, s = table[i]] {
            EXPECT_EQ(g.game.gValLLCannon, s.row1) << "step " << i;
            EXPECT_EQ(g.game.gValLRCannon, s.row2) << "step " << i;
            EXPECT_EQ(g.keys->focus(), s.focus) << "step " << i;
            ASSERT_TRUE(g.last.mark.has_value());
            EXPECT_EQ(g.last.mark->window, WindowID::targets);
        });
    }
    g.type({shift(Key::tab), k(Key::space)}); // "Default Settings"
    g.check("defaults", [&] {
        EXPECT_EQ(g.game.gValLLCannon, -20);
        EXPECT_EQ(g.game.gValLRCannon, 10);
        EXPECT_EQ(g.last.mark->rect, g.game.gDefaultRect);
    });
    g.type({k(Key::tab), k(Key::tab), k(Key::right), k(Key::enter)});
    g.host->waitForWindowHidden(WindowID::targets);
    g.check("closed", [&] { EXPECT_EQ(g.game.gValLLCannon, -19); });

    g.host->waitUntil("the field again", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->chooseMenu(261, 6); // "SET BALL SPEED"
    g.host->waitForWindowShown(WindowID::ballSpeed);
    g.host->waitTicks(2);
    g.type({shift(Key::left), shift(Key::left), shift(Key::left), k(Key::left), k(Key::right), k(Key::right)});
    g.check("speed", [&] { EXPECT_EQ(g.game.gSpeedX, 249 - 30 + 1); });
    // Round the three controls and back to "OK"; arrows act only on the slider.
    g.type({k(Key::tab), k(Key::tab), k(Key::tab), shift(Key::tab), k(Key::left), k(Key::space)});
    g.host->waitForWindowHidden(WindowID::ballSpeed);
    g.host->waitUntil("the field after", [&](const ScriptedHost&) { return g.atRest(); });

    // The field editor is the pointer's: it says so, and keys leave it alone until "CANCEL" is clicked.
    g.host->chooseMenu(258, 5); // "DO IT YOURSELF"
    g.host->waitUntil("the hand-made field's notice", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->chooseMenu(battleMenu, startItem);
    g.host->waitTicks(10);
    g.type({k(Key::enter), k(Key::space), k(Key::right)});
    g.check("the editor", [&] {
        const std::vector<std::string> told(g.said.end() - 2, g.said.end());
        EXPECT_EQ(told, (std::vector<std::string>{"Battle started.",
                                                  "Draw your own field with the pointer: the field editor has no keys."}));
        EXPECT_EQ(g.keys->place(), Place::elsewhere);
    });
    g.host->clickAt(WindowID::field, 344, 295); // "CANCEL" while painting
    g.host->waitUntil("the battle given up", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->quit();
    ASSERT_TRUE(g.host->run([&] { g.game.run(); }));
    EXPECT_EQ(g.game.gSpeedX, 220);
    EXPECT_EQ(g.game.gBallDelay, 57 * 20) << "(220 - (x - 57)) * 20 at x 220";
    EXPECT_TRUE(g.host->protocolErrors().empty());
}

} // namespace
