// Choosing the players: the command line's values and the headless match between two computers.
#include <gtest/gtest.h>

#include <QSettings>

#include "AppDelegate.h"
#include "AppTestSupport.h"
#include "CommandLine.h"
#include "Match.h"
#include "PlayersMenu.h"

namespace {

TEST(PlayersTest, CommandLineTakesTheFourPlayerValuesAndRejectsAnythingElseInOneLine) {
    struct Case {
        QStringList arguments;
        std::optional<Skill> left, right; // nullopt: person (when the error is empty)
        bool error;
    };
    const Case cases[] = {
        {{"--left", "person", "--right", "computer:novice"}, std::nullopt, Skill::novice, false},
        {{"--left", "computer:good", "--right", "computer:deadly"}, Skill::good, Skill::deadly, false},
        {{"--left", "computer"}, std::nullopt, std::nullopt, true},
        {{"--right", "computer:Good"}, std::nullopt, std::nullopt, true},
        {{"--left", "robot"}, std::nullopt, std::nullopt, true},
        {{"match", "--left", "computer:deadly"}, std::nullopt, std::nullopt, true}, // both sides needed
        {{"match", "--left", "person", "--right", "computer:good"}, std::nullopt, std::nullopt, true},
        {{"match", "--left", "computer:good", "--right", "person"}, std::nullopt, std::nullopt, true},
        {{"--battles", "3"}, std::nullopt, std::nullopt, true}, // only for a match
        {{"match", "--left", "computer:good", "--right", "computer:good", "--battles", "0"}, std::nullopt,
         std::nullopt, true},
    };
    for (const Case& c : cases) {
        const CommandLine line = CommandLine::parse(QStringList{"ordnix"} + c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(!line.error.isEmpty(), c.error) << line.error.toStdString();
        EXPECT_FALSE(line.error.contains('\n'));
        if (c.error)
            continue;
        ASSERT_TRUE(line.left && line.right);
        EXPECT_EQ(line.left->computer, c.left);
        EXPECT_EQ(line.right->computer, c.right);
    }
    // A match's field options are the Terrain and Wind menus' item numbers.
    const CommandLine match = CommandLine::parse({"ordnix", "match", "--left", "computer:good", "--right", "computer:good",
                                                  "--terrain", "foothills", "--wind", "gusty"});
    EXPECT_EQ(std::make_pair(match.terrain, match.wind), std::make_pair(int64_t{3}, int64_t{3})) << match.error.toStdString();
    EXPECT_TRUE(CommandLine::parse({"ordnix", "--left", "robot"})
                    .error.contains("person, computer:novice, computer:good, computer:deadly"));
}

// Deadly against Deadly on the windless desert: each opener destroys the other cannon with its
// first shot; with losers' outs the loser opens the next battle, so the battles alternate.
TEST(PlayersTest, AMatchOfTwoDeadlyComputersAlternatesFirstShotWins) {
    MatchOptions options;
    options.battles = 3;
    options.seed = 5;
    std::vector<BattleResult> seen;
    const MatchSummary summary = playMatch(options, [&](const BattleResult& r) { seen.push_back(r); });
    ASSERT_EQ(summary.battles.size(), 3u);
    EXPECT_EQ(seen.size(), 3u);
    const int64_t winners[] = {1, 2, 1};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(summary.battles[i].winner, winners[i]) << "battle " << i + 1;
        EXPECT_EQ(summary.battles[i].shots, 1) << "battle " << i + 1;
    }
    EXPECT_EQ(summary.battles[2].scoreL, 20);
    EXPECT_EQ(summary.battles[2].scoreR, 10);
    EXPECT_EQ(summary.line(), "left wins 2, right wins 1, stopped 0");
}

} // namespace
