#include "Match.h"

#include <optional>
#include <sstream>

#include "Ordnix.h"
#include "RecordingHost.h"
#include "VirtualHost.h"

namespace {
constexpr int64_t quitMenu = 257, terrainMenu = 258, targetsMenu = 259, windMenu = 260, rAndRMenu = 261,
                  battleMenu = 262;
constexpr int64_t newBattlefieldItem = 2;
constexpr int64_t startBattleItem = 1, stopBattleItem = 2;

int64_t choice(int64_t menu, int64_t item) { return menu << 16 | item; }

bool offered(const MenuState* menu, int64_t item) {
    return menu != nullptr && menu->enabled && item < static_cast<int64_t>(menu->itemEnabled.size()) &&
           menu->itemEnabled[static_cast<size_t>(item)];
}

// The person at the menus of a match.
class MatchHost : public VirtualHost {
public:
    MatchHost(const MatchOptions& options, std::function<void(const BattleResult&)> onBattle)
        : options_(options), onBattle_(std::move(onBattle)) {
        setRandSeed(options.seed);
        setIdleMicroseconds(4000); // fewer calls per tick; the game's pacing is unchanged
        setVolume(0);
        if (options.terrain != 1)
            setup_.push_back(choice(terrainMenu, options.terrain));
        if (options.wind != 1)
            setup_.push_back(choice(windMenu, options.wind));
        if (options.hospitals)
            setup_.push_back(choice(targetsMenu, 1));
        if (options.posts)
            setup_.push_back(choice(targetsMenu, 2));
        if (options.trees)
            setup_.push_back(choice(targetsMenu, 3));
        if (!setup_.empty())
            setup_.push_back(choice(rAndRMenu, newBattlefieldItem)); // the first field with these options
    }

    void attach(const Ordnix& game, const PanelDriver& driver) {
        game_ = &game;
        driver_ = &driver;
    }
    MatchSummary summary;

protected:
    void beginCall(HostOp op, int64_t arg) override {
        VirtualHost::beginCall(op, arg);
        if (op == HostOp::takeMenuChoice && readyForMenus() && queuedMenuChoices().empty())
            choose();
    }

private:
    int64_t shots(int64_t side) const { return driver_->computerShots(side); }

    void choose() {
        const MenuState* battle = menu(battleMenu);
        if (offered(battle, startBattleItem)) {
            if (inBattle_)
                battleEnded();
            // A person sees the new field before choosing again; the main loop draws it after this poll.
            if (game_->gNewField != 0)
                return;
            if (!setup_.empty()) {
                queueMenuChoice(setup_.front());
                setup_.erase(setup_.begin());
            } else if (static_cast<int64_t>(summary.battles.size()) < options_.battles) {
                startShots_ = {shots(1), shots(2)};
                inBattle_ = true;
                queueMenuChoice(choice(battleMenu, startBattleItem));
            } else {
                queueMenuChoice(choice(quitMenu, 1));
            }
        } else if (inBattle_ && offered(battle, stopBattleItem) &&
                   shotsThisBattle(1) + shotsThisBattle(2) >= options_.shotLimit) {
            queueMenuChoice(choice(battleMenu, stopBattleItem));
        }
    }

    int64_t shotsThisBattle(int64_t side) const { return shots(side) - startShots_[static_cast<size_t>(side - 1)]; }

    void battleEnded() {
        inBattle_ = false;
        BattleResult r;
        r.leftShots = shotsThisBattle(1);
        r.rightShots = shotsThisBattle(2);
        r.shots = r.leftShots + r.rightShots;
        r.scoreL = game_->gScoreL;
        r.scoreR = game_->gScoreR;
        if (game_->gRCanDead || game_->gLCanDead) {
            // Both can fall to one burst; the game names the loser in gKilled either way.
            r.winner = game_->gKilled == 2 ? 1 : 2;
        }
        summary.battles.push_back(r);
        (r.winner == 1 ? summary.leftWins : r.winner == 2 ? summary.rightWins : summary.stopped) += 1;
        if (onBattle_)
            onBattle_(r);
    }

    MatchOptions options_;
    std::function<void(const BattleResult&)> onBattle_;
    std::vector<int64_t> setup_;
    const Ordnix* game_ = nullptr;
    const PanelDriver* driver_ = nullptr;
    bool inBattle_ = false;
    std::array<int64_t, 2> startShots_{};
};
} // namespace

std::string BattleResult::line() const {
    std::ostringstream out;
    out << (winner == 1 ? "left wins" : winner == 2 ? "right wins" : "stopped") << ", shots " << shots << " (left "
        << leftShots << ", right " << rightShots << "), scores " << scoreL << " " << scoreR;
    return out.str();
}

std::string MatchSummary::line() const {
    std::ostringstream out;
    out << "left wins " << leftWins << ", right wins " << rightWins << ", stopped " << stopped;
    return out.str();
}

MatchSummary playMatch(const MatchOptions& options, const std::function<void(const BattleResult&)>& onBattle) {
    auto host = std::make_shared<MatchHost>(options, onBattle);
    auto driver = std::make_shared<PanelDriver>(host, static_cast<uint64_t>(static_cast<uint32_t>(options.seed)));
    driver->setPlayer(1, PanelDriver::Player{options.left});
    driver->setPlayer(2, PanelDriver::Player{options.right});
    std::shared_ptr<RecordingHost> recorder;
    if (!options.recordFile.empty())
        recorder = std::make_shared<RecordingHost>(driver, options.recordFile);
    Ordnix game(recorder ? std::shared_ptr<MacHost>(recorder) : std::shared_ptr<MacHost>(driver));
    driver->attach(game);
    host->attach(game, *driver);
    game.run();
    if (recorder)
        recorder->finish();
    return host->summary;
}
