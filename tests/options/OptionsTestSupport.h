// Shared helpers of the option-screen and field-editor tests: a game on a scripted host, pixel checks that
// print the failing coordinates, and text rendered independently.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Ordnix.h"
#include "ScriptedHost.h"

namespace options_test {

using QuickDraw::Rect;

struct Session {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    explicit Session(int32_t seed = 4711) { host->setRandSeed(seed); }
    QuickDraw::Bitmap& bitmap(WindowID id) { return game.window(id).port().bitmap; }
    bool play() { return host->run([this] { game.run(); }); }
};

inline Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) { return Rect(left, top, right, bottom); }

// The pointer rests at (h, v) for a tick, then a press held for two ticks: every polling loop sees it.
inline void press(ScriptedHost& host, WindowID window, int64_t h, int64_t v) {
    host.moveMouse(window, h, v);
    host.waitTicks(1);
    host.pressAt(window, h, v);
    host.waitTicks(2);
    host.release();
    host.waitTicks(2);
}

// Opens a screen from its menu item, runs `script` in its polling loop, clicks "OK" at (okH, okV) and quits.
template <typename Script>
bool onScreen(Session& s, int64_t menu, int64_t item, WindowID window, int64_t okH, int64_t okV, Script script) {
    s.host->chooseMenu(menu, item);
    s.host->waitForWindowShown(window);
    s.host->waitForCalls(HostOp::button, 1);
    script(*s.host);
    s.host->clickAt(window, okH, okV);
    s.host->waitForWindowHidden(window);
    s.host->quit();
    return s.play();
}

// The field editor's presses (field window coordinates).
using Presses = std::vector<std::pair<int64_t, int64_t>>;
inline constexpr int64_t buttonV = 295, continueH = 260, leftButtonH = 150, rightButtonH = 380;

inline Presses operator+(Presses a, const Presses& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline void pressAll(ScriptedHost& host, const Presses& presses) {
    for (auto [h, v] : presses)
        press(host, WindowID::field, h, v);
}
// "CONTINUE", then each cannon's "PLACE CANNON" and its spot.
inline Presses cannons(int64_t lh, int64_t lv, int64_t rh, int64_t rv) {
    return {{continueH, buttonV}, {leftButtonH, buttonV}, {lh, lv}, {rightButtonH, buttonV}, {rh, rv}};
}

// "DO IT YOURSELF" with the chosen targets, then "START A BATTLE"; returns once the editor paints.
inline void startEditor(ScriptedHost& host, bool hospitals, bool posts, bool trees) {
    host.chooseMenu(258, 5);
    for (auto [on, item] : {std::pair{hospitals, 1}, {posts, 2}, {trees, 3}})
        if (on)
            host.chooseMenu(259, item);
    host.chooseMenu(262, 1);
    host.waitUntil("the editor paints", [](const ScriptedHost& h) { return h.cursor() == CursorKind::cross; });
    host.waitForCalls(HostOp::button, 1);
}

// Every pixel of r follows the pattern (anchored to the bitmap's grid).
inline ::testing::AssertionResult filledWith(const QuickDraw::Bitmap& b, const Rect& r, const QuickDraw::Pattern& p) {
    std::ostringstream wrong;
    int64_t bad = 0;
    for (int64_t v = r.top; v < r.bottom; ++v)
        for (int64_t h = r.left; h < r.right; ++h)
            if (b.pixel(h, v) != p.bit(h, v) && ++bad <= 12)
                wrong << " (h " << h << ", v " << v << ")";
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels of (" << r.top << ", " << r.left << ", " << r.bottom << ", "
                                         << r.right << ") differ:" << wrong.str();
}
inline auto allWhite(const QuickDraw::Bitmap& b, const Rect& r) { return filledWith(b, r, QuickDraw::Pattern::white); }
inline auto allBlack(const QuickDraw::Bitmap& b, const Rect& r) { return filledWith(b, r, QuickDraw::Pattern::black); }

// Rows of r after drawing `text` alone at (h, v) in a fresh white port: what that text must look like.
inline std::vector<std::string> renderedText(const std::string& text, int64_t h, int64_t v, int64_t font,
                                             QuickDraw::Style face, int64_t size, const Rect& r) {
    QuickDraw::GrafPort port(512, 322);
    QuickDraw::QuickDrawContext qd(port);
    qd.textFont(font);
    qd.textFace(face);
    qd.textSize(size);
    qd.moveTo(h, v);
    qd.drawString(text);
    return port.bitmap.dump(r);
}

} // namespace options_test
