#include "DoubleBoxView.h"

#include <cmath>

#include <QMouseEvent>
#include <QPainter>

DoubleBoxView::DoubleBoxView(std::unique_ptr<ScreenView> content, QWidget* parent)
    : QWidget(parent), content_(std::move(content)) {
    content_->setParent(this);
    setMouseTracking(true);
    layout(1);
}

DoubleBoxView::~DoubleBoxView() = default;

void DoubleBoxView::layout(int64_t scale) {
    content_->setScale(scale);
    const QSize contentSize = content_->size();
    const int margin = static_cast<int>(std::ceil(8 * content_->pointsPerPixel() - 1e-6));
    setFixedSize(contentSize.width() + 2 * margin, contentSize.height() + 2 * margin);
    content_->move(margin, margin);
    update();
}

void DoubleBoxView::paintEvent(QPaintEvent*) {
    // The rings lie on the content's device-pixel grid, 8 game pixels around its image; on a
    // fractionally scaled desktop the view is a little larger than that, and the rest of it is left
    // unpainted so that the field shows through.
    const double pixel = content_->pointsPerPixel();
    const QuickDraw::Bitmap& bitmap = content_->window_.port().bitmap;
    const QRectF image(QPointF(content_->pos()) + content_->imageOffset(),
                       QSizeF(static_cast<double>(bitmap.width()) * pixel, static_cast<double>(bitmap.height()) * pixel));
    const QRectF bounds = image.adjusted(-8 * pixel, -8 * pixel, 8 * pixel, 8 * pixel);
    QPainter painter(this);
    painter.fillRect(bounds, Qt::white);
    // A frame of width w just inside r: four bars, so every edge is exactly w thick.
    const auto frame = [&painter](const QRectF& r, double w) {
        painter.fillRect(QRectF(r.left(), r.top(), r.width(), w), Qt::black);
        painter.fillRect(QRectF(r.left(), r.bottom() - w, r.width(), w), Qt::black);
        painter.fillRect(QRectF(r.left(), r.top(), w, r.height()), Qt::black);
        painter.fillRect(QRectF(r.right() - w, r.top(), w, r.height()), Qt::black);
    };
    frame(bounds, pixel);
    frame(bounds.adjusted(3 * pixel, 3 * pixel, -3 * pixel, -3 * pixel), 2 * pixel);
}

void DoubleBoxView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void DoubleBoxView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
