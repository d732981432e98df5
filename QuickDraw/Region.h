// Region: an area given as a list of spans (the even-odd fill of a recorded outline).
//
// The spans may share rows and need not be sorted; a pixel is in the region when some span covers it.
#pragma once

#include <cstdint>
#include <vector>

#include "Geometry.h"

namespace QuickDraw {

struct Region {
    std::vector<Span> spans;

    bool contains(int64_t x, int64_t y) const {
        for (const Span& s : spans)
            if (s.y == y && s.x0 <= x && x < s.x1)
                return true;
        return false;
    }
};

} // namespace QuickDraw
