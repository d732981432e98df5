// ScreenView: shows one game window's bitmap, every game pixel as a scale x scale square.
//
// The view redraws only when the bitmap's changeCount moved since the last redraw or the bitmap has
// flashes (XOR drawing undone between two samples, which the snapshot shows once). It takes the
// snapshot under screenLock, converts the pixels that changed since the last one into a Format_RGB32
// image (Qt's native raster format, so painting needs no further conversion) and repaints only their
// bounding rectangle, scaled with nearest-neighbour sampling. Presses are accepted here, so they never travel on to the widgets behind.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>
#include <QWidget>

#include "ToolboxTypes.h"

class ScreenView : public QWidget {
    Q_OBJECT
public:
    explicit ScreenView(const Window& window, QWidget* parent = nullptr);

    const Window& window_;
    // The bitmap's changeCount at the last redraw; -1 before the first.
    int64_t drawnChangeCount = -1;
    // Screen points per game pixel.
    int64_t scale = 1;

    // Sets the scale and the matching fixed size.
    void setScale(int64_t newScale);
    // Takes a new snapshot when the bitmap changed or has flashes; true when it did.
    bool refresh();
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
    QImage shown_;
    // The snapshot shown_ was made from; empty before the first.
    std::vector<uint8_t> drawnPixels_;
};
