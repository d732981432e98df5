#include "BoxWindow.h"

BoxWindow::BoxWindow(std::unique_ptr<DoubleBoxView> box, QWidget* parent) : QWidget(parent), box_(std::move(box)) {
    box_->setParent(this);
    box_->move(0, 0);
    fitBox();
}

BoxWindow::~BoxWindow() = default;

void BoxWindow::fitBox() {
    setFixedSize(box_->size());
    box_->move(0, 0);
}
