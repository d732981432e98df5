// BoxWindow: a floating game window (targets, ball speed) as a frameless overlay inside the field view.
//
// Those windows always lie inside the field area, so an overlay at their fixed offset moves with the
// field window on every platform (X11, Wayland, offscreen) without any window-manager help. It holds
// the DoubleBoxView that frames the window's ScreenView and takes its size.
#pragma once

#include <memory>

#include <QWidget>

#include "DoubleBoxView.h"

class BoxWindow : public QWidget {
    Q_OBJECT
public:
    BoxWindow(std::unique_ptr<DoubleBoxView> box, QWidget* parent);
    ~BoxWindow() override;

    DoubleBoxView& box() const { return *box_; }
    ScreenView& contentView() const { return box_->content(); }
    // Takes the box's size.
    void fitBox();

private:
    std::unique_ptr<DoubleBoxView> box_;
};
