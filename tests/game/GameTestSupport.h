// Shared helpers of the game tests: a game on a scripted host, field pixel readers, and random-draw replay.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// Field rectangles in (top, left, bottom, right) order.
inline Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) { return Rect(left, top, right, bottom); }

// Roughness of each Terrain menu item (index = gTerrain).
inline constexpr int64_t roughnessOf[5] = {0, 3, 8, 35, 35};
inline const char* const terrainNames[5] = {"DESERT", "HILL AND DALE", "FOOTHILLS", "MOUNTAINS", "DO IT YOURSELF"};

struct Game {
    explicit Game(int32_t seed = 1) { host->setRandSeed(seed); }

    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    void play(const std::function<void()>& body) { ASSERT_TRUE(host->run(body)); }
    void run() { play([&] { game.run(); }); }
    void startUp() { play([&] { game.startUp(); }); }

    QuickDraw::Bitmap& field() { return game.window(WindowID::field).port().bitmap; }
    bool pixel(int64_t h, int64_t v) { return field().pixel(h, v); }

    // The first black row of column h at or below row `from`.
    std::optional<int64_t> firstBlack(int64_t h, int64_t from = 0) {
        for (int64_t v = from; v < field().height(); ++v)
            if (field().pixel(h, v))
                return v;
        return std::nullopt;
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

// The raw random() values that follow the game's current seed; R(n) replays one draw by the rules.
struct Draws {
    std::vector<int64_t> raw;
    size_t next = 0;

    explicit Draws(Ordnix& game, size_t count = 4000) {
        const int32_t seed = game.randSeed();
        for (size_t i = 0; i < count; ++i)
            raw.push_back(game.random());
        game.setRandSeed(seed);
    }
    int64_t R(int64_t n) {
        const int64_t m = raw.at(next++) % n;
        return m < 0 ? m + n : m;
    }
    // The game must have used exactly the draws replayed so far.
    void expectConsumedBy(Ordnix& game) { EXPECT_EQ(game.random(), raw.at(next)) << "after " << next << " draws"; }
};

// The score line drawn by the rules on a port of its own: rows 0..19 of the field, always in the bold 9-point
// application font that the later score lines use.
inline std::vector<std::string> expectedScoreLine(int64_t left, int64_t right) {
    QuickDraw::GrafPort port(512, 322);
    QuickDraw::QuickDrawContext qd(port);
    qd.textFont(QuickDraw::FontID::applFont);
    qd.textSize(9);
    qd.textFace(QuickDraw::Style::bold);
    for (auto [h, text] : {std::pair<int64_t, std::string>{217, "<-SCORE->"}, {50, std::to_string(left)},
                           {420, std::to_string(right)}}) {
        qd.moveTo(h, 10);
        qd.drawString(text);
    }
    return port.bitmap.dump(tlbr(0, 0, 20, 512));
}

// Menu ids 256..264 with the items checked in each.
inline std::vector<int64_t> checkedItems(const ScriptedHost& host, int64_t menu) {
    std::vector<int64_t> items;
    if (const MenuState* m = host.menu(menu))
        for (int64_t i = 1; i <= m->itemCount(); ++i)
            if (m->itemChecked[static_cast<size_t>(i)])
                items.push_back(i);
    return items;
}

} // namespace gametest
