// QuickDrawContext: the drawing state machine over the current port.
//
// Every drawing call turns its shape into spans (Shapes) and hands them to one of two painters, which
// clip them to the port rectangle and the bitmap and change the pixels under screenLock:
// - paint (a pattern and a transfer mode), anchored to the bitmap's pixel grid;
// - invert (every visited pixel flips and is marked flashed).
// A painter call is suppressed entirely (no pixel, no changeCount step) while the port hides its pen
// (pnVis < 0) or records a region or polygon, and when the shape has no spans at all. Otherwise it takes
// screenLock once, applies the spans in order and adds exactly 1 to changeCount, also when clipping left
// nothing to change, so the host never sees a half-drawn call.
//
// Pen, recording and random state are touched without the lock; only the game thread uses a context.
//
// Text (drawString, stringWidth) follows the same rules; it uses drawingSuppressed(), clipLimits() and
// the Bitmap painter accessors (writablePixels, countChange) under screenLock.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "GrafPort.h"
#include "Geometry.h"
#include "Pattern.h"
#include "Polygon.h"
#include "Region.h"
#include "Style.h"
#include "TextRenderer.h"

namespace QuickDraw {

class QuickDrawContext {
public:
    // The context keeps a reference to the port; the port must outlive it (or be replaced by setPort).
    explicit QuickDrawContext(GrafPort& port) : port_(&port) {}
    QuickDrawContext(const QuickDrawContext&) = delete;
    QuickDrawContext& operator=(const QuickDrawContext&) = delete;

    // State of random(); readable and writable.
    int32_t randSeed = 1;
    // Glyph and font cache, fixed for the context's life.
    TextRenderer text;

    // ---- port and pen ----
    GrafPort& thePort() const { return *port_; }
    void setPort(GrafPort& port) { port_ = &port; }
    void moveTo(int64_t h, int64_t v);
    void lineTo(int64_t h, int64_t v);
    void penSize(int64_t h, int64_t v);
    void penMode(PenMode mode);
    void penPat(const Pattern& pattern);
    // Pen size (1, 1), patCopy, black; pnVis and pnLoc stay.
    void penNormal();
    void hidePen();
    void showPen();
    void textFont(int64_t font);
    void textFace(Style face);
    void textSize(int64_t size);

    // ---- rectangles, ovals, round rectangles, arcs ----
    void frameRect(const Rect& r);
    void paintRect(const Rect& r);
    void eraseRect(const Rect& r);
    void invertRect(const Rect& r);
    void fillRect(const Rect& r, const Pattern& pattern);
    void frameOval(const Rect& r);
    void paintOval(const Rect& r);
    void eraseOval(const Rect& r);
    void invertOval(const Rect& r);
    void frameRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight);
    void invertRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight);
    void fillRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight, const Pattern& pattern);
    void paintArc(const Rect& r, int64_t startAngle, int64_t arcAngle);

    // ---- regions: lineTo between openRgn and closeRgn records edges instead of drawing ----
    std::shared_ptr<Region> newRgn();
    void openRgn();
    // The region becomes the even-odd fill of the recorded edges, all of its rows (see Region for how
    // outlines out to the int64 limits are kept).
    void closeRgn(Region& region);
    void fillRgn(const Region& region, const Pattern& pattern);
    void invertRgn(const Region& region);
    void disposeRgn(const Region& region);

    // ---- polygons: lineTo between openPoly and closePoly records points instead of drawing ----
    std::shared_ptr<Polygon> openPoly();
    void closePoly();
    void fillPoly(const Polygon& polygon, const Pattern& pattern);
    void invertPoly(const Polygon& polygon);

    // ---- pixels and random numbers ----
    // The current port's bitmap pixel (no portRect test; false outside), read under screenLock.
    bool getPixel(int64_t h, int64_t v) const;
    // Park-Miller minimal standard generator mapped to -32767 ... 32767.
    int64_t random();

    // ---- text (TextRenderer.cpp) ----
    // Draws black text at pnLoc (pnLoc.v is the baseline) and advances pnLoc.h by its width.
    void drawString(const std::string& s);
    // The advance drawString would make for the current font, size and face; draws nothing.
    int64_t stringWidth(const std::string& s);

    // ---- rules shared with every painter ----
    // True while the current port's pen is hidden or it records a region or polygon.
    bool drawingSuppressed() const { return port_->drawingSuppressed(); }
    // Where drawing may change pixels: portRect cut to the bitmap (possibly empty).
    Rect clipLimits() const;

private:
    // reaches: whether the unclipped shape has at least one span (spans hold only its clipped part).
    void paint(std::span<const Span> spans, bool reaches, const Pattern& pattern, PenMode mode);
    void invert(std::span<const Span> spans, bool reaches);
    // Paints the ring between a shape and its pen-inset hole with the pen; both are span makers over a window.
    template <typename Outer, typename Hole>
    void paintFrame(const Rect& r, const Outer& outer, const Hole& hole);

    GrafPort* port_;
};

} // namespace QuickDraw
