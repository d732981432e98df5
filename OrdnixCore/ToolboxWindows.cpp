// Toolbox windows, pictures, rectangle utilities and the drawing calls on the current port.
#include "Toolbox.h"

#include "Check.h"

// ---- windows ----

Window& Toolbox::window(WindowID id) {
    const auto found = windows_.find(id);
    ORDNIX_CHECK(found != windows_.end(), "window: the id names one of the three windows");
    return found->second;
}

Window& Toolbox::getNewWindow(int64_t windowNumber) {
    const std::optional<WindowID> id = fromRaw<WindowID>(windowNumber);
    ORDNIX_CHECK(id.has_value(), "getNewWindow: the window number is 256, 257 or 258");
    return window(*id);
}

void Toolbox::setPort(Window& window) {
    currentWindow_ = &window;
    qd_.setPort(window.port());
}

void Toolbox::showWindow(Window& window) {
    if (window.visible_)
        return;
    window.visible_ = true;
    host_->showWindow(window);
}

void Toolbox::hideWindow(Window& window) {
    if (!window.visible_)
        return;
    window.visible_ = false;
    host_->hideWindow(window);
}

void Toolbox::selectWindow(Window& window) { showWindow(window); }

void Toolbox::bringToFront(Window& window) { showWindow(window); }

void Toolbox::setWindowPic(Window& /*window*/, int64_t /*picture*/) {}

void Toolbox::killPicture(int64_t /*picture*/) {}

int64_t Toolbox::openPicture(const Rect& /*frame*/) {
    qd_.hidePen();
    return 1;
}

void Toolbox::closePicture() { qd_.showPen(); }

// ---- rectangle and point utilities ----

void Toolbox::setRect(Rect& rect, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    rect = Rect(left, top, right, bottom);
}

void Toolbox::setPt(Point& point, int64_t h, int64_t v) { point = Point(h, v); }

bool Toolbox::ptInRect(Point point, const Rect& rect) { return rect.contains(point); }

bool Toolbox::emptyRect(const Rect& rect) { return rect.isEmpty(); }

bool Toolbox::sectRect(const Rect& a, const Rect& b, Rect& result) {
    const std::optional<Rect> overlap = a.intersection(b);
    result = overlap.value_or(Rect::zero);
    return overlap.has_value();
}

void Toolbox::insetRect(Rect& rect, int64_t dh, int64_t dv) { rect = rect.insetBy(dh, dv); }

std::string Toolbox::numToString(int64_t n) { return std::to_string(n); }

// ---- drawing calls ----

void Toolbox::moveTo(int64_t h, int64_t v) { qd_.moveTo(h, v); }
void Toolbox::lineTo(int64_t h, int64_t v) { qd_.lineTo(h, v); }
void Toolbox::penSize(int64_t h, int64_t v) { qd_.penSize(h, v); }
void Toolbox::penMode(PenMode mode) { qd_.penMode(mode); }
void Toolbox::penPat(const Pattern& pattern) { qd_.penPat(pattern); }
void Toolbox::penNormal() { qd_.penNormal(); }
void Toolbox::hidePen() { qd_.hidePen(); }
void Toolbox::showPen() { qd_.showPen(); }

void Toolbox::frameRect(const Rect& rect) { qd_.frameRect(rect); }
void Toolbox::paintRect(const Rect& rect) { qd_.paintRect(rect); }
void Toolbox::eraseRect(const Rect& rect) { qd_.eraseRect(rect); }
void Toolbox::fillRect(const Rect& rect, const Pattern& pattern) { qd_.fillRect(rect, pattern); }
void Toolbox::inverRect(const Rect& rect) { qd_.invertRect(rect); }
void Toolbox::frameOval(const Rect& rect) { qd_.frameOval(rect); }
void Toolbox::eraseOval(const Rect& rect) { qd_.eraseOval(rect); }
void Toolbox::invertOval(const Rect& rect) { qd_.invertOval(rect); }

void Toolbox::frameRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight) {
    qd_.frameRoundRect(rect, cornerWidth, cornerHeight);
}

void Toolbox::fillRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight, const Pattern& pattern) {
    qd_.fillRoundRect(rect, cornerWidth, cornerHeight, pattern);
}

void Toolbox::inverRoundRect(const Rect& rect, int64_t cornerWidth, int64_t cornerHeight) {
    qd_.invertRoundRect(rect, cornerWidth, cornerHeight);
}

void Toolbox::paintArc(const Rect& rect, int64_t startAngle, int64_t arcAngle) {
    qd_.paintArc(rect, startAngle, arcAngle);
}

std::shared_ptr<Toolbox::Region> Toolbox::newRgn() { return qd_.newRgn(); }

void Toolbox::openRgn() { qd_.openRgn(); }

void Toolbox::closeRgn(const std::shared_ptr<Region>& region) {
    ORDNIX_CHECK(region != nullptr, "closeRgn: a region from newRgn");
    qd_.closeRgn(*region);
}

void Toolbox::fillRgn(const std::shared_ptr<Region>& region, const Pattern& pattern) {
    ORDNIX_CHECK(region != nullptr, "fillRgn: a region from newRgn");
    qd_.fillRgn(*region, pattern);
}

// Regions are shared objects: the last owner frees them, so there is nothing to dispose of.
void Toolbox::disposeRgn(const std::shared_ptr<Region>& /*region*/) {}

std::shared_ptr<Toolbox::Polygon> Toolbox::openPoly() { return qd_.openPoly(); }

void Toolbox::closePoly() { qd_.closePoly(); }

void Toolbox::fillPoly(const std::shared_ptr<Polygon>& polygon, const Pattern& pattern) {
    ORDNIX_CHECK(polygon != nullptr, "fillPoly: a polygon from openPoly");
    qd_.fillPoly(*polygon, pattern);
}

void Toolbox::textFont(int64_t font) { qd_.textFont(font); }
void Toolbox::textFace(Style face) { qd_.textFace(face); }
void Toolbox::textSize(int64_t size) { qd_.textSize(size); }
void Toolbox::drawString(const std::string& text) { qd_.drawString(text); }
void Toolbox::writeDraw(const std::string& text) { qd_.drawString(text); }

bool Toolbox::getPixel(int64_t h, int64_t v) { return qd_.getPixel(h, v); }
int64_t Toolbox::random() { return qd_.random(); }
int32_t Toolbox::randSeed() const { return qd_.randSeed; }
void Toolbox::setRandSeed(int32_t seed) { qd_.randSeed = seed; }
