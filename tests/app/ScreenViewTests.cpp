#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include <QPainter>

#include "AppHost.h"
#include "AppTestSupport.h"
#include "DoubleBoxView.h"
#include "Ordnix.h"
#include "QuickDraw.h"
#include "ScreenView.h"
#include "ToolboxTypes.h"

namespace {

QImage rendered(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::red);
    widget.render(&image);
    return image;
}

bool black(QRgb pixel) { return pixel == qRgb(0, 0, 0); }
bool white(QRgb pixel) { return pixel == qRgb(255, 255, 255); }

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

TEST(ScreenView, APartialRepaintShowsWhatAWholeOneShows) {
    testApplication();
    Window window(WindowID::ballSpeed);
    QuickDraw::QuickDrawContext qd(window.port());
    qd.invertRect(QuickDraw::Rect(3, 5, 40, 9));
    qd.invertRect(QuickDraw::Rect(100, 60, 103, 140));
    ScreenView view(window);
    view.setScale(2);
    view.refresh();
    const QImage whole = rendered(view);
    // Exposed rectangles that start and end inside game pixels.
    for (const QRect exposed : {QRect(5, 9, 77, 3), QRect(199, 119, 9, 161), QRect(0, 0, 1, 1)}) {
        QImage part(view.size(), QImage::Format_RGB32);
        part.fill(Qt::red);
        view.render(&part, exposed.topLeft(), QRegion(exposed));
        for (int y = exposed.top(); y <= exposed.bottom(); ++y)
            for (int x = exposed.left(); x <= exposed.right(); ++x)
                ASSERT_EQ(part.pixel(x, y), whole.pixel(x, y)) << x << ", " << y;
    }
}

TEST(ScreenView, ImagesMapSetPixelsToBlackAndRejectTooFewBytes) {
    testApplication();
    const std::vector<uint8_t> pixels = {1, 0, 0, 7, 0, 1};
    const QImage grey = ScreenView::image(pixels, 3, 2);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale8);
    EXPECT_TRUE(grey.constScanLine(1)[0] == 0 && grey.constScanLine(1)[1] == 255 && grey.constScanLine(1)[2] == 0);
    const QImage display = ScreenView::displayImage(pixels, 3, 2);
    EXPECT_TRUE(black(display.pixel(0, 0)) && white(display.pixel(1, 0)) && black(display.pixel(2, 1)));
    EXPECT_TRUE(ScreenView::image(pixels, 4, 2).isNull());
}

TEST(DoubleBoxView, FrameIsOneBlackTwoWhiteTwoBlackThreeWhite) {
    testApplication();
    Window window(WindowID::targets);
    DoubleBoxView box(std::make_unique<ScreenView>(window));
    // From the outside in, in game pixels.
    const std::vector<bool> stripes = {true, false, false, true, true, false, false, false};
    for (int64_t scale : {1, 2}) {
        box.layout(scale);
        const int s = static_cast<int>(scale);
        EXPECT_EQ(box.size(), QSize((490 + 16) * s, (285 + 16) * s));
        EXPECT_EQ(box.content().geometry().topLeft(), QPoint(8 * s, 8 * s));
        box.content().refresh();
        const QImage image = rendered(box);
        const int middleY = image.height() / 2;
        const int middleX = image.width() / 2;
        for (int i = 0; i < 8 * s; ++i) {
            const bool expectBlack = stripes[static_cast<size_t>(i / s)];
            const bool edges[4] = {black(image.pixel(i, middleY)), black(image.pixel(image.width() - 1 - i, middleY)),
                                   black(image.pixel(middleX, i)), black(image.pixel(middleX, image.height() - 1 - i))};
            for (int e = 0; e < 4; ++e)
                EXPECT_EQ(edges[e], expectBlack) << "edge " << e << " (left, right, top, bottom), point " << i
                                                 << " scale " << s;
        }
        EXPECT_TRUE(white(image.pixel(8 * s, middleY))); // the (white) window content starts here
    }
}

} // namespace
