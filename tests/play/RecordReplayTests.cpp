// Record and replay: a whole scripted game recorded through RecordingHost replays exactly, and bad
// files and a replay that goes another way are reported with where it happened.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <set>

#include "Ordnix.h"
#include "RecordingHost.h"
#include "ReplayHost.h"
#include "ScriptedHost.h"

namespace {

// A game whose core talks to a RecordingHost over a ScriptedHost.
struct RecordedGame {
    explicit RecordedGame(int32_t seed, const std::string& path = {}) {
        host->setRandSeed(seed);
        host->setIdleMicroseconds(4000); // fewer host calls per tick; the game's pacing is unchanged
        host->setTimeLimitTicks(60 * 60 * 60);
        recorder = std::make_shared<RecordingHost>(host, path);
        game = std::make_unique<Ordnix>(recorder);
    }
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    std::shared_ptr<RecordingHost> recorder;
    std::unique_ptr<Ordnix> game;

    bool play() {
        const bool ok = host->run([this] { game->run(); });
        recorder->finish();
        return ok;
    }
    Recording recording() const { return RecordingReader::read(recorder->writer().bytes()); }
};

// Plays battles with random aims once the fixed part of the script is done: a shot is a click on the
// powder slider, one on the elevation slider and one on "Fire"; a battle is stopped after a few shots.
class Shooter {
public:
    Shooter(RecordedGame& g, uint32_t seed, int64_t battles) : g_(g), rng_(seed), battles_(battles) { schedule(1); }
    int64_t battlesStarted = 0;

private:
    int64_t pick(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
    void schedule(int64_t ticks) {
        g_.host->waitTicks(ticks);
        g_.host->perform("shooter", [this](ScriptedHost& h) { act(h); });
    }
    bool aiming(const ScriptedHost& h) const {
        const MenuState* m = h.menu(262);
        return h.readyForMenus() && h.queuedMenuChoices().empty() && m != nullptr && m->enabled &&
               m->itemEnabled[2] && !g_.game->gFired;
    }
    void act(ScriptedHost& h) {
        const MenuState* battle = h.menu(262);
        if (h.corePollsForMenus() && battle->itemEnabled[1]) { // between battles
            if (battlesStarted == battles_) {
                h.offerMenuChoice(257 << 16 | 1);
                return;
            }
            // Each terrain in turn; the choice redraws the field, so the battle starts on the next poll.
            if (!terrainChosen_) {
                h.offerMenuChoice(258 << 16 | (1 + battlesStarted % 4));
            } else {
                h.offerMenuChoice(262 << 16 | 1);
                ++battlesStarted;
                shots_ = 0;
                phase_ = 0;
            }
            terrainChosen_ = !terrainChosen_;
        } else if (aiming(h)) {
            const int64_t box = g_.game->gTurn == 2 ? 256 : 6;
            if (phase_ == 0 && ++shots_ > 14) {
                h.offerMenuChoice(262 << 16 | 2); // "STOP A BATTLE"
            } else if (phase_ == 0) {
                h.clickAt(WindowID::field, box + 89 + pick(40, 100) - 10, 290); // powder
            } else if (phase_ == 1) {
                h.clickAt(WindowID::field, box + 89 + pick(10, 80), 305); // elevation
            } else {
                h.clickAt(WindowID::field, box + 215, 298); // "Fire"
            }
            phase_ = (phase_ + 1) % 3;
        }
        schedule(3);
    }

    RecordedGame& g_;
    std::mt19937 rng_;
    int64_t battles_;
    int64_t shots_ = 0, phase_ = 0;
    bool terrainChosen_ = false;
};

// A short session: start-up, one battle started and stopped, then the host ends the session from
// inside a call, as the desktop does when the window closes.
Recording shortSession(std::vector<uint8_t>& bytes) {
    RecordedGame g(4711);
    g.host->chooseMenu(262, 1);
    g.host->waitForMenuPoll();
    g.host->chooseMenu(262, 2);
    g.host->waitForMenuPoll();
    g.host->endScenario();
    EXPECT_TRUE(g.play());
    bytes = g.recorder->writer().bytes();
    return g.recording();
}

// Damaged files name the byte where reading failed; a cut file replays to its last whole chunk and says
// where it stopped; a recording that asks for another call than the game makes names the call.
TEST(RecordReplay, DamagedFilesAndDivergenceAreReported) {
    std::vector<uint8_t> good;
    const Recording recording = shortSession(good);
    ASSERT_TRUE(recording.complete);
    ASSERT_GE(recording.chunks.size(), 2u) << "a chunk ends at the battle's end";
    const int64_t lastChunk = recording.chunks.back().offset;
    const int64_t headerEnd = recording.chunks.front().offset;

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        int64_t offset;
        const char* message;
    };
    const Case cases[] = {
        {"magic", [](auto& b) { b[0] = 'X'; }, 0, "magic"},
        {"version", [](auto& b) { b[8] = 9; }, 8, "format version 9"},
        {"header", [](auto& b) { b[16] ^= 1; }, headerEnd - 4, "header checksum"},
        {"chunk marker", [&](auto& b) { b[static_cast<size_t>(lastChunk)] = 'X'; }, lastChunk, "chunk marker"},
        {"bit flip", [&](auto& b) { b[static_cast<size_t>(lastChunk) + 17] ^= 0x10; }, lastChunk + 16, "checksum"},
        {"raw size", [&](auto& b) { b[static_cast<size_t>(lastChunk) + 7] = 0x7F; }, lastChunk + 4, "chunk size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        try {
            RecordingReader::read(bytes);
            ADD_FAILURE() << "read without an error";
        } catch (const RecordingError& e) {
            EXPECT_EQ(e.offset, c.offset) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }

    // Answers no host gives are damage too: the game would trip over them.
    const struct {
        HostEvent call;
        const char* message;
    } impossible[] = {
        {{HostOp::mouse, 256, 40000, 0}, "position out of range"},
        {{HostOp::button, 0, 2}, "not a yes or no"},
        {{HostOp::modalDialog, 1000, 0}, "dialog item out of range"},
        {{HostOp::soundVolume, 0, 8}, "volume out of range"},
        {{HostOp::secondsSince1970, 0, std::bit_cast<int64_t>(std::numeric_limits<double>::quiet_NaN())},
         "clock out of range"},
        {{HostOp::tickCount, 0, 5}, "tick 5 before tick 9"},
    };
    for (const auto& c : impossible) {
        SCOPED_TRACE(c.message);
        RecordingWriter writer(recording.header);
        writer.append({HostOp::tickCount, 0, 9});
        writer.flush();
        writer.append(c.call);
        writer.finish();
        try {
            RecordingReader::read(writer.bytes());
            ADD_FAILURE() << "read without an error";
        } catch (const RecordingError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }

    // Cut inside the last chunk: every earlier chunk replays, the note names the chunk's byte.
    std::vector<uint8_t> cut(good.begin(), good.end() - 3);
    const Recording truncated = RecordingReader::read(cut);
    EXPECT_FALSE(truncated.complete);
    EXPECT_EQ(truncated.chunks.size(), recording.chunks.size() - 1);
    ASSERT_TRUE(truncated.truncation);
    EXPECT_NE(truncated.truncation->find("byte " + std::to_string(lastChunk)), std::string::npos)
        << *truncated.truncation;
    const ReplayResult partial = replayHeadless(truncated);
    EXPECT_EQ(partial.status, ReplayResult::Status::exact) << partial.message;
    EXPECT_EQ(partial.truncation, truncated.truncation);
    EXPECT_FALSE(partial.checkpoints.empty());

    // A path that cannot be written is reported before the game starts.
    try {
        RecordingHost(std::make_shared<ScriptedHost>(), "/nonexistent-directory/session.rec");
        ADD_FAILURE() << "no error for an unwritable path";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-directory/session.rec"), std::string::npos) << e.what();
    }

    // Rewritten item by item with one call or one checkpoint changed: the replay stops at the changed
    // call naming both calls, or runs on and reports the changed checkpoint as the first mismatch.
    std::vector<StreamItem> items;
    int64_t callCount = 0, endedInCall = 0;
    for (RecordingCursor cursor(recording); auto item = cursor.next();) {
        items.push_back(*item);
        callCount += item->kind == StreamItem::Kind::call ? item->repeat : 0;
        endedInCall += item->kind == StreamItem::Kind::interrupted ? 1 : 0;
    }
    EXPECT_EQ(endedInCall, 1);
    const auto rewritten = [&](int64_t changedCall, bool changeCheckpoint) {
        RecordingWriter writer(recording.header);
        int64_t call = 0;
        bool checkpointChanged = false;
        for (const StreamItem& item : items) {
            if (item.kind == StreamItem::Kind::checkpoint) {
                Checkpoint c = item.checkpoint;
                if (changeCheckpoint && !checkpointChanged)
                    c.hash ^= 1;
                checkpointChanged = true;
                writer.checkpoint(c);
            }
            if (item.kind == StreamItem::Kind::interrupted)
                writer.interrupted(item.event.op, item.event.arg);
            for (int64_t i = 0; item.kind == StreamItem::Kind::call && i < item.repeat; ++i, ++call)
                writer.append(call == changedCall ? HostEvent{HostOp::sysBeep} : item.event);
        }
        writer.finish();
        return replayHeadless(RecordingReader::read(writer.bytes()));
    };
    EXPECT_EQ(rewritten(-1, false).status, ReplayResult::Status::exact) << "a faithful copy replays exactly";

    const int64_t changed = callCount / 2;
    HostOp original{};
    for (int64_t call = 0; const StreamItem& item : items)
        if (item.kind == StreamItem::Kind::call && (call += item.repeat) > changed) {
            original = item.event.op;
            break;
        }
    ASSERT_NE(original, HostOp::sysBeep);
    const ReplayResult diverged = rewritten(changed, false);
    EXPECT_EQ(diverged.status, ReplayResult::Status::diverged);
    const std::string expected =
        "call " + std::to_string(changed) + ": expected sysBeep, the game asked " + hostOpName(original);
    EXPECT_EQ(diverged.message.rfind(expected, 0), 0u) << diverged.message;

    const ReplayResult mismatched = rewritten(-1, true);
    EXPECT_EQ(mismatched.status, ReplayResult::Status::checkpointMismatch);
    EXPECT_EQ(mismatched.message.rfind("checkpoint 1 (battle start", 0), 0u) << mismatched.message;
    ASSERT_EQ(mismatched.checkpoints.size(), 3u) << "start, end, session end";
    EXPECT_FALSE(mismatched.checkpoints[0].matches());
    EXPECT_TRUE(mismatched.checkpoints[1].matches());
    EXPECT_TRUE(mismatched.checkpoints[2].matches());
}

} // namespace
