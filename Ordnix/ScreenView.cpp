#include "ScreenView.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

ScreenView::ScreenView(const Window& window, QWidget* parent) : QWidget(parent), window_(window) {
    const QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    shown_ = QImage(static_cast<int>(bitmap.width()), static_cast<int>(bitmap.height()), QImage::Format_RGB32);
    shown_.fill(Qt::white);
    setScale(1);
}

void ScreenView::setScale(int64_t newScale) {
    scale = newScale;
    const QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    setFixedSize(static_cast<int>(bitmap.width() * scale), static_cast<int>(bitmap.height() * scale));
    update();
}

bool ScreenView::refresh() {
    QuickDraw::Bitmap& bitmap = window_.port().bitmap;
    std::vector<uint8_t> pixels;
    {
        std::lock_guard guard(QuickDraw::screenLock());
        if (bitmap.changeCount() == drawnChangeCount && !bitmap.hasFlashes())
            return false;
        drawnChangeCount = bitmap.changeCount();
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
    if (bottom >= 0)
        update(static_cast<int>(left * scale), static_cast<int>(top * scale), static_cast<int>((right - left + 1) * scale),
               static_cast<int>((bottom - top + 1) * scale));
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

void ScreenView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // The exposed part only, widened to whole game pixels.
    const int s = static_cast<int>(scale);
    const QRect exposed = event->rect();
    const QRect source(QPoint(exposed.left() / s, exposed.top() / s), QPoint(exposed.right() / s, exposed.bottom() / s));
    painter.drawImage(QRect(source.topLeft() * s, source.size() * s), shown_, source);
}

void ScreenView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
