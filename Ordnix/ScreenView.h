// ScreenView: shows one game window's bitmap, every game pixel as a square of whole device pixels.
//
// The view redraws when the bitmap's changeCount moved since the last redraw or the bitmap has
// flashes (XOR drawing undone between two samples, which the snapshot shows once), and once more on
// the refresh after a flashed image, so that a flash stays on screen for one refresh only. It takes the
// snapshot under screenLock, converts the pixels that changed since the last one into a Format_RGB32
// image (Qt's native raster format, so painting needs no further conversion) and repaints only their
// bounding rectangle, scaled with nearest-neighbour sampling. Presses are accepted here, so they never
// travel on to the widgets behind.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QWidget>

#include "ToolboxTypes.h"

class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(const Window& window, QWidget* parent = nullptr);

    const Window& window_;
    // The bitmap's changeCount at the last redraw; -1 before the first.
    int64_t drawnChangeCount = -1;
    // Screen points per game pixel the player asked for (the View menu's 1 or 2).
    int64_t scale = 1;

    // Sets the scale and the matching fixed size.
    void setScale(int64_t newScale);
    // Device pixels per game pixel: the largest whole number that fits in `scale` points at the view's
    // device-pixel ratio, at least 1. Whole numbers keep every game pixel an even square on a
    // fractionally scaled desktop (125 %, 150 %, ...), where `scale` points are no whole number of
    // device pixels.
    int64_t devicePixels() const;
    // Screen points per game pixel as shown (devicePixels over the ratio; `scale` at a whole ratio).
    double pointsPerPixel() const;
    // Where game pixel (0, 0) is drawn, in points from the view's top-left: on the first whole device
    // pixel, or on the anchor's grid (below). Zero at a whole ratio.
    QPointF imageOffset() const;
    // Puts game pixel (0, 0) of this view exactly on game pixel `offset` (h, v) of `anchor`'s image,
    // so that a box window covers the very device pixels of the field pixels under it.
    void alignTo(const ScreenView* anchor, QPoint offset);
    // Takes a new snapshot when the bitmap changed or has flashes; true when it did.
    bool refresh();
    // A frame the host draws around game pixels `mark` (where the keys act), over the game's picture
    // and never in its bitmap; a null rectangle draws none.
    void setFocusMark(const QRect& mark);
    QRect focusMark() const { return mark_; }
    // The image being shown (one pixel per game pixel).
    const QImage& shownImage() const { return shown_; }

    // Pixel bytes (non-zero set) -> an 8-bit grey image: set pixels black (0), clear ones white (255).
    static QImage image(std::span<const uint8_t> pixels, int64_t width, int64_t height);
    // The same pixels as an opaque Format_RGB32 image for painting.
    static QImage displayImage(std::span<const uint8_t> pixels, int64_t width, int64_t height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Game pixel (0, 0) in device pixels from the top-level widget's top-left.
    QPointF imageOrigin() const;

    QRect mark_;
    const ScreenView* anchor_ = nullptr;
    QPoint anchorOffset_;
    QImage shown_;
    // The image shown holds flashes: the next refresh shows the true pixels.
    bool showingFlashes_ = false;
    // The snapshot shown_ was made from; empty before the first.
    std::vector<uint8_t> drawnPixels_;
};
