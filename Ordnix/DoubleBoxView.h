// DoubleBoxView: the double-line frame around a floating game window's ScreenView.
//
// From the outside in: 1 game pixel black, 2 white, 2 black, 3 white, then the window's content, so
// the content sits 8 game pixels in from every edge and the frame is 16 pixels wider and higher.
#pragma once

#include <cstdint>
#include <memory>

#include <QWidget>

#include "ScreenView.h"

class DoubleBoxView : public QWidget {
    Q_OBJECT
public:
    DoubleBoxView(std::unique_ptr<ScreenView> content, QWidget* parent = nullptr);
    ~DoubleBoxView() override;

    ScreenView& content() const { return *content_; }
    // Sizes the content and the frame for `scale` and places the content 8 game pixels in.
    void layout(int64_t scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<ScreenView> content_;
};
