// Shared helpers of the option-screen and field-editor tests: a game on a scripted host, pixel checks
// that print every failing coordinate, and text rendered independently for comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Ordnix.h"
#include "ScriptedHost.h"

namespace options_test {

// A game on a scripted host with a fixed seed.
struct Session {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    explicit Session(int32_t seed = 4711) { host->setRandSeed(seed); }

    QuickDraw::Bitmap& bitmap(WindowID id) { return game.window(id).port().bitmap; }
    bool pixel(WindowID id, int64_t h, int64_t v) { return bitmap(id).pixel(h, v); }

    // Runs the game until the script ends it (quit or endScenario); false on a script failure.
    bool play() { return host->run([this] { game.run(); }); }
};

// The pointer moves to (h, v) and rests there for a tick, as a player's does before a click; then a
// press held for two ticks and released, which every polling loop sees whatever it reads per pass.
inline void press(ScriptedHost& host, WindowID window, int64_t h, int64_t v) {
    host.moveMouse(window, h, v);
    host.waitTicks(1);
    host.pressAt(window, h, v);
    host.waitTicks(2);
    host.release();
    host.waitTicks(2);
}

inline QuickDraw::Rect tlbr(int64_t top, int64_t left, int64_t bottom, int64_t right) {
    return QuickDraw::Rect(left, top, right, bottom);
}

// Every pixel of r follows the pattern (anchored to the bitmap's own grid).
inline ::testing::AssertionResult filledWith(const QuickDraw::Bitmap& bitmap, const QuickDraw::Rect& r,
                                             const QuickDraw::Pattern& pattern) {
    std::ostringstream wrong;
    int64_t bad = 0;
    for (int64_t v = r.top; v < r.bottom; ++v)
        for (int64_t h = r.left; h < r.right; ++h)
            if (bitmap.pixel(h, v) != pattern.bit(h, v)) {
                if (++bad <= 12)
                    wrong << " (h " << h << ", v " << v << ")";
            }
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " pixels of (" << r.top << ", " << r.left << ", " << r.bottom
                                         << ", " << r.right << ") differ from the pattern:" << wrong.str();
}

inline ::testing::AssertionResult allWhite(const QuickDraw::Bitmap& bitmap, const QuickDraw::Rect& r) {
    return filledWith(bitmap, r, QuickDraw::Pattern::white);
}

inline ::testing::AssertionResult allBlack(const QuickDraw::Bitmap& bitmap, const QuickDraw::Rect& r) {
    return filledWith(bitmap, r, QuickDraw::Pattern::black);
}

inline int64_t blackCount(const QuickDraw::Bitmap& bitmap, const QuickDraw::Rect& r) {
    int64_t n = 0;
    for (int64_t v = r.top; v < r.bottom; ++v)
        for (int64_t h = r.left; h < r.right; ++h)
            n += bitmap.pixel(h, v) ? 1 : 0;
    return n;
}

// The rows of r after drawing `text` alone at (h, v) in a fresh white port of the given size: what a
// number or label drawn there must look like.
inline std::vector<std::string> renderedText(int64_t width, int64_t height, const std::string& text, int64_t h,
                                             int64_t v, int64_t font, QuickDraw::Style face, int64_t size,
                                             const QuickDraw::Rect& r) {
    QuickDraw::GrafPort port(width, height);
    QuickDraw::QuickDrawContext qd(port);
    qd.textFont(font);
    qd.textFace(face);
    qd.textSize(size);
    qd.moveTo(h, v);
    qd.drawString(text);
    return port.bitmap.dump(r);
}

// The bitmap's snapshot as the host would show it now (flashes included), as rows of r.
inline std::vector<std::string> shownRows(QuickDraw::Bitmap& bitmap, const QuickDraw::Rect& r) {
    std::vector<uint8_t> shown;
    {
        std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
        shown = bitmap.snapshot();
    }
    std::vector<std::string> rows;
    for (int64_t v = r.top; v < r.bottom; ++v) {
        std::string row;
        for (int64_t h = r.left; h < r.right; ++h) {
            bool inside = h >= 0 && v >= 0 && h < bitmap.width() && v < bitmap.height();
            row += inside && shown[static_cast<size_t>(v * bitmap.width() + h)] ? '#' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace options_test
