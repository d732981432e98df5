#include <gtest/gtest.h>

#include <mutex>

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
    const auto flashesOnce = [&](const char* name) {
        EXPECT_TRUE(view.refresh()) << name;
        EXPECT_NE(view.shownImage(), truePixels(field)) << name << ": the flash is shown once";
        EXPECT_TRUE(view.refresh()) << name;
        EXPECT_EQ(view.shownImage(), truePixels(field)) << name;
        EXPECT_FALSE(view.refresh()) << name;
    };
    game.gWindKept = true;
    game.drawWindsock();
    flashesOnce("the windsock of a new turn, same wind");
    const QuickDraw::Rect button(20, 290, 80, 310); // left, top, right, bottom
    game.inverRect(button);
    game.inverRect(button);
    flashesOnce("a button inverted twice");
}

} // namespace
