#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "AppHost.h"
#include "AppTestSupport.h"
#include "Ordnix.h"
#include "QuickDraw.h"
#include "ScreenView.h"
#include "ToolboxTypes.h"

namespace {

// The true pixels of a window, as the view would show them without flashes.
QImage truePixels(const Window& window) {
    const QuickDraw::Bitmap& bitmap = window.port().bitmap;
    std::lock_guard guard(QuickDraw::screenLock());
    return ScreenView::displayImage(bitmap.bits(), bitmap.width(), bitmap.height());
}

TEST(ScreenView, AFlashIsShownForOneRefreshAndThenTheTruePixels) {
    testApplication();
    Ordnix game(std::make_shared<AppHost>());
    game.startUp();
    game.chooseWind(3);
    game.buildField();
    Window& field = game.window(WindowID::field);
    ScreenView view(field);
    // The new field's windsock was inverted since the last (no) snapshot: two refreshes, then rest.
    EXPECT_TRUE(view.refresh());
    EXPECT_TRUE(view.refresh());
    EXPECT_EQ(view.shownImage(), truePixels(field));
    EXPECT_FALSE(view.refresh());

    // Each step leaves inverted pixels as they were at the last refresh: the next refresh shows them
    // flashed (the snapshot rule), the one after it the true pixels, and then the view rests.
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"the windsock of a new turn, same wind",
         [&] {
             game.gWindKept = true;
             game.drawWindsock();
         }},
        {"a button inverted twice",
         [&] {
             const QuickDraw::Rect button(20, 290, 80, 310); // left, top, right, bottom
             game.inverRect(button);
             game.inverRect(button);
         }},
    };
    for (const auto& [name, step] : steps) {
        step();
        EXPECT_TRUE(view.refresh()) << name;
        EXPECT_NE(view.shownImage(), truePixels(field)) << name << ": the flash is shown once";
        EXPECT_TRUE(view.refresh()) << name;
        EXPECT_EQ(view.shownImage(), truePixels(field)) << name;
        EXPECT_FALSE(view.refresh()) << name;
    }
}

} // namespace
