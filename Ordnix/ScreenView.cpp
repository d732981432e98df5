#include "ScreenView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

ScreenView::ScreenView(const Window& window, QWidget* parent) : QWidget(parent), window_(window) {
    const QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    shown_ = QImage(static_cast<int>(bitmap.width()), static_cast<int>(bitmap.height()), QImage::Format_RGB32);
    shown_.fill(Qt::white);
    setScale(1);
}

namespace {

// Lengths computed from fractional ratios carry rounding errors; a whole number must stay whole.
constexpr double slop = 1e-6;

bool wholeRatio(double ratio) { return std::abs(ratio - std::round(ratio)) < slop; }

} // namespace

void ScreenView::setScale(int64_t newScale) {
    scale = newScale;
    const QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    const double ratio = devicePixelRatioF();
    const double n = static_cast<double>(devicePixels());
    // At a fractional ratio the image starts up to one point in (on a whole device pixel): one point
    // of room for it.
    const int room = wholeRatio(ratio) ? 0 : 1;
    setFixedSize(static_cast<int>(std::ceil(static_cast<double>(bitmap.width()) * n / ratio - slop)) + room,
                 static_cast<int>(std::ceil(static_cast<double>(bitmap.height()) * n / ratio - slop)) + room);
    update();
}

int64_t ScreenView::devicePixels() const {
    const double fits = std::floor(static_cast<double>(scale) * devicePixelRatioF() + slop);
    return std::max<int64_t>(1, static_cast<int64_t>(fits));
}

double ScreenView::pointsPerPixel() const { return static_cast<double>(devicePixels()) / devicePixelRatioF(); }

void ScreenView::alignTo(const ScreenView* anchor, QPoint offset) {
    anchor_ = anchor;
    anchorOffset_ = offset;
    update();
}

QPointF ScreenView::imageOrigin() const {
    if (anchor_) {
        const double n = static_cast<double>(devicePixels());
        return anchor_->imageOrigin() + QPointF(anchorOffset_.x() * n, anchorOffset_.y() * n);
    }
    const QPointF origin = mapTo(window(), QPointF(0, 0)) * devicePixelRatioF();
    return QPointF(std::ceil(origin.x() - slop), std::ceil(origin.y() - slop));
}

QPointF ScreenView::imageOffset() const {
    const double ratio = devicePixelRatioF();
    return (imageOrigin() - mapTo(window(), QPointF(0, 0)) * ratio) / ratio;
}

bool ScreenView::refresh() {
    QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    std::vector<uint8_t> pixels;
    {
        std::lock_guard guard(QuickDraw::screenLock());
        if (bitmap.changeCount() == drawnChangeCount && !bitmap.hasFlashes() && !showingFlashes_)
            return false;
        drawnChangeCount = bitmap.changeCount();
        // A snapshot with flashes shows some pixels inverted; they must not stay so on screen until the
        // bitmap next changes, so the next refresh takes the true pixels even when nothing moved.
        showingFlashes_ = bitmap.hasFlashes();
        pixels = bitmap.snapshot();
    }
    const int64_t width = bitmap.width(), height = bitmap.height();
    if (drawnPixels_.size() != pixels.size() || shown_.width() != width || shown_.height() != height) {
        shown_ = displayImage(pixels, width, height);
        drawnPixels_ = std::move(pixels);
        update();
        return true;
    }
    // Only the pixels that changed are converted and repainted: a flying ball is a few squares a tick,
    // and scaling the whole field for it would cost most of the flight's CPU.
    int64_t top = height, bottom = -1, left = width, right = -1;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* now = pixels.data() + y * width;
        uint8_t* before = drawnPixels_.data() + y * width;
        if (std::memcmp(now, before, static_cast<size_t>(width)) == 0)
            continue;
        auto* row = reinterpret_cast<QRgb*>(shown_.scanLine(static_cast<int>(y)));
        for (int64_t x = 0; x < width; ++x) {
            if (now[x] == before[x])
                continue;
            before[x] = now[x];
            row[x] = now[x] != 0 ? 0xFF000000u : 0xFFFFFFFFu;
            left = std::min(left, x);
            right = std::max(right, x);
        }
        top = std::min(top, y);
        bottom = y;
    }
    if (bottom >= 0) {
        const double points = pointsPerPixel();
        const QRectF changed(imageOffset() + QPointF(static_cast<double>(left), static_cast<double>(top)) * points,
                             QSizeF(static_cast<double>(right - left + 1), static_cast<double>(bottom - top + 1)) * points);
        update(changed.toAlignedRect());
    }
    return true;
}

QImage ScreenView::image(std::span<const uint8_t> pixels, int64_t width, int64_t height) {
    QImage result(static_cast<int>(width), static_cast<int>(height), QImage::Format_Grayscale8);
    if (result.isNull() || static_cast<int64_t>(pixels.size()) < width * height)
        return QImage();
    for (int64_t y = 0; y < height; ++y) {
        uchar* row = result.scanLine(static_cast<int>(y));
        const uint8_t* source = pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x)
            row[x] = source[x] != 0 ? 0 : 255;
    }
    return result;
}

QImage ScreenView::displayImage(std::span<const uint8_t> pixels, int64_t width, int64_t height) {
    QImage result(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (result.isNull() || static_cast<int64_t>(pixels.size()) < width * height)
        return QImage();
    for (int64_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(static_cast<int>(y)));
        const uint8_t* source = pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x)
            row[x] = source[x] != 0 ? 0xFF000000u : 0xFFFFFFFFu;
    }
    return result;
}

void ScreenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double ratio = devicePixelRatioF();
    const double n = static_cast<double>(devicePixels());
    if (!wholeRatio(ratio))
        painter.fillRect(rect(), Qt::white); // the room around the image
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QSizeF size(shown_.width() * n / ratio, shown_.height() * n / ratio);
    painter.drawImage(QRectF(imageOffset(), size), shown_);
    if (!mark_.isNull()) {
        // A colour the 1-bit picture never has, two pixels clear of the control so its own frame shows.
        const double points = pointsPerPixel();
        const QRectF around = QRectF(imageOffset() + QPointF(mark_.left() - 2, mark_.top() - 2) * points,
                                     QSizeF(mark_.width() + 4, mark_.height() + 4) * points);
        painter.setPen(QPen(QColor(0, 110, 230), 2 * points));
        painter.drawRect(around);
    }
}

void ScreenView::setFocusMark(const QRect& mark) {
    if (mark == mark_)
        return;
    mark_ = mark;
    update();
}

void ScreenView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
