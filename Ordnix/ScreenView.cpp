#include "ScreenView.h"

#include <mutex>
#include <vector>

#include <QMouseEvent>
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
    shown_ = displayImage(pixels, bitmap.width(), bitmap.height());
    update();
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
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), shown_);
}

void ScreenView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void ScreenView::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
