#include "FrameComposer.h"

#include <algorithm>

#include "Check.h"

namespace FrameComposer {

namespace {

// Whether (x, y) of a box of size w x h (frame included) lies on the black lines of its frame.
bool onFrameLine(int64_t x, int64_t y, int64_t w, int64_t h) {
    const int64_t edge = std::min({x, y, w - 1 - x, h - 1 - y});
    return edge == 0 || edge == 3 || edge == 4;
}

void layBox(std::vector<uint8_t>& frame, const Layer& box) {
    const QuickDraw::Rect bounds = windowBounds(box.id);
    const QuickDraw::Rect field = windowBounds(WindowID::field);
    const int64_t contentWidth = bounds.width(), contentHeight = bounds.height();
    ORDNIX_CHECK(static_cast<int64_t>(box.pixels.size()) == contentWidth * contentHeight,
                 "a box layer holds its window's whole bitmap");
    const int64_t left = bounds.left - field.left - boxMargin, top = bounds.top - field.top - boxMargin;
    const int64_t w = contentWidth + 2 * boxMargin, h = contentHeight + 2 * boxMargin;
    for (int64_t y = std::max<int64_t>(0, -top); y < h && top + y < height; ++y) {
        uint8_t* row = frame.data() + (top + y) * width;
        for (int64_t x = std::max<int64_t>(0, -left); x < w && left + x < width; ++x) {
            const bool inContent = x >= boxMargin && y >= boxMargin && x < boxMargin + contentWidth &&
                                   y < boxMargin + contentHeight;
            row[left + x] = inContent ? (box.pixels[(y - boxMargin) * contentWidth + (x - boxMargin)] != 0)
                                      : onFrameLine(x, y, w, h);
        }
    }
}

} // namespace

std::vector<uint8_t> compose(std::span<const uint8_t> field, std::span<const Layer> boxes) {
    ORDNIX_CHECK(static_cast<int64_t>(field.size()) == width * height, "the field layer is a whole field");
    std::vector<uint8_t> frame(field.size());
    std::transform(field.begin(), field.end(), frame.begin(), [](uint8_t p) { return uint8_t{p != 0}; });
    for (const Layer& box : boxes)
        layBox(frame, box);
    return frame;
}

} // namespace FrameComposer
