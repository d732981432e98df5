#include <gtest/gtest.h>

#include <mutex>

#include <QPainter>

#include "AppTestSupport.h"
#include "DoubleBoxView.h"
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

TEST(ScreenView, RedrawsOnlyWhenTheBitmapChangedOrHasFlashes) {
    testApplication();
    Window window(WindowID::ballSpeed);
    ScreenView view(window);
    QuickDraw::QuickDrawContext qd(window.port());
    EXPECT_TRUE(view.refresh()); // never drawn yet
    EXPECT_FALSE(view.refresh());

    {
        std::lock_guard guard(QuickDraw::screenLock());
        window.port().bitmap.setPixel(3, 4, true);
    }
    EXPECT_TRUE(view.refresh());
    EXPECT_TRUE(black(view.shownImage().pixel(3, 4)));
    EXPECT_FALSE(view.refresh());

    // Inverted and restored between two ticks: shown once as drawn, then left alone.
    const QuickDraw::Rect flash(10, 20, 15, 25); // left, top, right, bottom
    qd.invertRect(flash);
    qd.invertRect(flash);
    EXPECT_TRUE(view.refresh());
    EXPECT_TRUE(black(view.shownImage().pixel(12, 22)));
    EXPECT_FALSE(view.refresh());
    EXPECT_TRUE(black(view.shownImage().pixel(12, 22)));

    // The next real change shows the true pixels again.
    {
        std::lock_guard guard(QuickDraw::screenLock());
        window.port().bitmap.setPixel(0, 0, true);
    }
    EXPECT_TRUE(view.refresh());
    EXPECT_TRUE(white(view.shownImage().pixel(12, 22)));

    // Changes scattered over rows and columns, some undoing earlier ones: the view shows the bitmap.
    qd.invertRect(QuickDraw::Rect(290, 140, 300, 150));
    qd.invertRect(QuickDraw::Rect(5, 100, 200, 103));
    {
        std::lock_guard guard(QuickDraw::screenLock());
        window.port().bitmap.setPixel(3, 4, false);
    }
    EXPECT_TRUE(view.refresh());
    const QuickDraw::Bitmap& bitmap = window.port().bitmap;
    for (int64_t y = 0; y < bitmap.height(); ++y)
        for (int64_t x = 0; x < bitmap.width(); ++x)
            ASSERT_EQ(black(view.shownImage().pixel(int(x), int(y))), bitmap.pixel(x, y)) << x << ", " << y;
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

TEST(ScreenView, EveryGamePixelIsASharpSquareOfScalePoints) {
    testApplication();
    Window window(WindowID::ballSpeed);
    {
        std::lock_guard guard(QuickDraw::screenLock());
        window.port().bitmap.setPixel(5, 7, true);
    }
    ScreenView view(window);
    for (int64_t scale : {1, 2}) {
        view.setScale(scale);
        EXPECT_EQ(view.size(), QSize(300 * scale, 150 * scale));
        view.refresh();
        const QImage image = rendered(view);
        const int s = static_cast<int>(scale);
        for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
                EXPECT_TRUE(black(image.pixel(5 * s + dx, 7 * s + dy))) << "scale " << s;
        EXPECT_TRUE(white(image.pixel(5 * s - 1, 7 * s)) && white(image.pixel(6 * s, 7 * s)) &&
                    white(image.pixel(5 * s, 8 * s)))
            << "scale " << s;
    }
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
