// Shared helpers of the game tests: a game on a scripted host, field pixel readers, and the rules of
// the battlefield written out as checks that print every coordinate on failure.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Ordnix.h"
#include "QuickDrawContext.h"
#include "ScriptedHost.h"

namespace gametest {

using QuickDraw::Rect;

// Field rectangles in the spec's (top, left, bottom, right) order.
inline Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) { return Rect(left, top, right, bottom); }

// Roughness of each Terrain menu item (index = gTerrain).
inline constexpr int64_t roughnessOf[5] = {0, 3, 8, 35, 35};
inline const char* const terrainNames[5] = {"DESERT", "HILL AND DALE", "FOOTHILLS", "MOUNTAINS", "DO IT YOURSELF"};

// Test names for terrain-parameterised suites.
inline std::string terrainParamName(const ::testing::TestParamInfo<int64_t>& info) {
    static const char* const names[] = {"Desert", "HillAndDale", "Foothills", "Mountains", "DoItYourself"};
    return names[info.param];
}

struct Game {
    explicit Game(int32_t seed = 1) { host->setRandSeed(seed); }

    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    // Runs body as the game thread would; a script failure fails the test.
    void play(const std::function<void()>& body) { ASSERT_TRUE(host->run(body)); }
    // Start-up only, as run() does it before the main loop.
    void startUp() {
        play([&] { game.startUp(); });
    }

    QuickDraw::Bitmap& field() { return game.window(WindowID::field).port().bitmap; }
    bool pixel(int64_t h, int64_t v) { return field().pixel(h, v); }

    // The first black row of column h at or below row `from`; nullopt for a column without black.
    std::optional<int64_t> firstBlack(int64_t h, int64_t from = 0) {
        for (int64_t v = from; v < field().height(); ++v)
            if (field().pixel(h, v))
                return v;
        return std::nullopt;
    }

    // Per column: the first black row at or below `from` and whether everything below it is black
    // down to the bottom row (-1 for a column without black).
    struct Column {
        int64_t surface = -1;
        bool solidBelow = false;
    };
    std::vector<Column> columns(int64_t from = 0) {
        const std::vector<uint8_t> bits = field().bits();
        const int64_t width = field().width();
        const int64_t height = field().height();
        std::vector<Column> result(static_cast<size_t>(width));
        for (int64_t h = 0; h < width; ++h) {
            Column& c = result[static_cast<size_t>(h)];
            for (int64_t v = from; v < height; ++v) {
                const bool black = bits[static_cast<size_t>(v * width + h)] != 0;
                if (c.surface < 0 && black) {
                    c.surface = v;
                    c.solidBelow = true;
                } else if (c.surface >= 0 && !black) {
                    c.solidBelow = false;
                }
            }
        }
        return result;
    }

    int64_t blackIn(const Rect& r) {
        int64_t n = 0;
        for (int64_t v = r.top; v < r.bottom; ++v)
            for (int64_t h = r.left; h < r.right; ++h)
                n += field().pixel(h, v) ? 1 : 0;
        return n;
    }

    // A generated field of one terrain with the given targets, drawn as a new battlefield is.
    void buildField(int64_t terrain, bool hospitals, bool posts, bool trees, int32_t seed) {
        game.gTerrain = terrain;
        game.gRoughness = roughnessOf[terrain];
        game.gHospitals = hospitals ? 1 : 0;
        game.gPosts = posts ? 1 : 0;
        game.gTrees = trees ? 1 : 0;
        game.gNewField = 1;
        game.setRandSeed(seed);
        play([&] { game.buildField(); });
    }

    // Only cannons sited and the ground drawn, on an erased field.
    void drawGroundOnly(int64_t terrain, int32_t seed) {
        game.gTerrain = terrain;
        game.gRoughness = roughnessOf[terrain];
        game.setRandSeed(seed);
        game.eraseRect(tlbr(0, 0, 350, 520));
        game.siteCannons();
        game.drawGround();
    }
};

// The raw random() values that follow the game's current seed; R(n) replays them by the rules.
struct Draws {
    std::vector<int64_t> raw;
    size_t next = 0;

    explicit Draws(Ordnix& game, size_t count = 4000) {
        const int32_t seed = game.randSeed();
        for (size_t i = 0; i < count; ++i)
            raw.push_back(game.random());
        game.setRandSeed(seed);
    }
    // r remainder n with the sign of r, made non-negative.
    int64_t R(int64_t n) {
        const int64_t m = raw.at(next++) % n;
        return m < 0 ? m + n : m;
    }
    // The game must have used exactly the draws replayed so far.
    void expectConsumedBy(Ordnix& game) { EXPECT_EQ(game.random(), raw.at(next)) << "after " << next << " draws"; }
};

// Column ranges [left, right) overlap.
inline bool columnsOverlap(int64_t l1, int64_t r1, int64_t l2, int64_t r2) { return std::max(l1, l2) < std::min(r1, r2); }

inline std::string describe(const Rect& r) {
    return "(top " + std::to_string(r.top) + ", left " + std::to_string(r.left) + ", bottom " + std::to_string(r.bottom) +
           ", right " + std::to_string(r.right) + ")";
}

// The score line as the rules describe it, drawn on a port of its own: rows 0..19 of the field.
inline std::vector<std::string> expectedScoreLine(int64_t left, int64_t right) {
    QuickDraw::GrafPort port(512, 322);
    QuickDraw::QuickDrawContext qd(port);
    qd.textFace(QuickDraw::Style::bold);
    qd.moveTo(217, 10);
    qd.drawString("<-SCORE->");
    qd.moveTo(50, 10);
    qd.drawString(std::to_string(left));
    qd.moveTo(420, 10);
    qd.drawString(std::to_string(right));
    return port.bitmap.dump(tlbr(0, 0, 20, 512));
}

} // namespace gametest
