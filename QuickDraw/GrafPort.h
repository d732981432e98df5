// GrafPort: a bitmap with the pen, text and recording state that drawing calls use.
//
// Port coordinates are bitmap coordinates: portRect only clips, it does not move the origin. The port
// owns its bitmap for its whole life; every other field is read and written directly by the drawing
// context, the text renderer and the toolbox.
//
// Drawing happens only while pnVis >= 0 and nothing is being recorded (regionEdges and polygon absent).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Bitmap.h"
#include "Geometry.h"
#include "Pattern.h"
#include "Polygon.h"
#include "Style.h"

namespace QuickDraw {

// Pen width and height, width first (unlike Point).
struct PenSize {
    int64_t h = 1;
    int64_t v = 1;

    constexpr bool operator==(const PenSize&) const = default;
};

class GrafPort {
public:
    GrafPort(int64_t width, int64_t height) : bitmap(width, height), portRect(0, 0, width, height) {}
    GrafPort(const GrafPort&) = delete;
    GrafPort& operator=(const GrafPort&) = delete;

    Bitmap bitmap;
    Rect portRect;                // clip rectangle, bitmap coordinates
    Point pnLoc{};                // pen position
    PenSize pnSize{};             // (1, 1)
    PenMode pnMode = PenMode::patCopy;
    Pattern pnPat = Pattern::black;
    int64_t pnVis = 0;            // drawing only while >= 0
    int64_t txFont = FontID::systemFont;
    Style txFace{};
    int64_t txSize = 0;           // 0 means the default size 12
    std::optional<std::vector<Edge>> regionEdges; // present while a region is open
    std::shared_ptr<Polygon> polygon;             // non-null while a polygon is open

    // Whether drawing calls are suppressed: pen hidden or a region or polygon being recorded.
    bool drawingSuppressed() const { return pnVis < 0 || regionEdges.has_value() || polygon != nullptr; }
};

} // namespace QuickDraw
