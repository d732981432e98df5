#include "DoubleBoxView.h"

#include <QMouseEvent>
#include <QPainter>

DoubleBoxView::DoubleBoxView(std::unique_ptr<ScreenView> content, QWidget* parent)
    : QWidget(parent), content_(std::move(content)) {
    content_->setParent(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    layout(1);
}

DoubleBoxView::~DoubleBoxView() = default;

void DoubleBoxView::layout(int64_t scale) {
    content_->setScale(scale);
    const QSize contentSize = content_->size();
    const int margin = static_cast<int>(8 * scale);
    setFixedSize(contentSize.width() + 2 * margin, contentSize.height() + 2 * margin);
    content_->move(margin, margin);
    update();
}

void DoubleBoxView::paintEvent(QPaintEvent*) {
    const int s = static_cast<int>(content_->scale);
    QPainter painter(this);
    const QRect bounds = rect();
    painter.fillRect(bounds, Qt::white);
    // A frame of width w just inside r: four bars, so every edge is exactly w points thick.
    const auto frame = [&painter](const QRect& r, int w) {
        painter.fillRect(r.left(), r.top(), r.width(), w, Qt::black);
        painter.fillRect(r.left(), r.bottom() + 1 - w, r.width(), w, Qt::black);
        painter.fillRect(r.left(), r.top(), w, r.height(), Qt::black);
        painter.fillRect(r.right() + 1 - w, r.top(), w, r.height(), Qt::black);
    };
    frame(bounds, s);
    frame(bounds.adjusted(3 * s, 3 * s, -3 * s, -3 * s), 2 * s);
}

void DoubleBoxView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void DoubleBoxView::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
