#include "Region.h"

#include <limits>

#include "Shapes.h"

namespace QuickDraw {

std::vector<Span> Region::spansIn(const Rect& window) const {
    if (!edges.empty())
        return Shapes::outline(edges, window);
    std::vector<Span> inside;
    for (const Span& s : spans)
        if (s.y >= window.top && s.y < window.bottom)
            inside.push_back(s);
    return inside;
}

bool Region::contains(int64_t x, int64_t y) const {
    if (edges.empty()) {
        for (const Span& s : spans)
            if (s.y == y && s.x0 <= x && x < s.x1)
                return true;
        return false;
    }
    if (y == std::numeric_limits<int64_t>::max())
        return false; // no span ends after the last row
    for (const Span& s : Shapes::outline(edges, Rect(Shapes::unclipped.left, y, Shapes::unclipped.right, y + 1)))
        if (s.x0 <= x && x < s.x1)
            return true;
    return false;
}

} // namespace QuickDraw
