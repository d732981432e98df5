// Region: an area given as a list of spans (the even-odd fill of a recorded outline).
//
// The spans may share rows and need not be sorted; a pixel is in the region when some span covers it.
// A recorded outline is listed whole in `spans` whenever it is small enough to list. One that is not
// (its edges reach far beyond any bitmap, out to the int64 limits) keeps its edges instead, with `spans`
// empty, and its spans are worked out only for the rows someone asks about. Either way the region is
// the same set of pixels, whatever port it was recorded on and whatever port it is painted into.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "Geometry.h"

namespace QuickDraw {

struct Region {
    Region() = default;
    explicit Region(std::vector<Span> listed) : spans(std::move(listed)) {}

    std::vector<Span> spans;
    // The recorded edges of an outline too large to list; empty otherwise.
    std::vector<Edge> edges;
    // Whether those edges have a span anywhere (always false without edges).
    bool edgesHaveSpans = false;

    // Whether the region has any span at all, however far from every bitmap.
    bool hasSpans() const { return !spans.empty() || edgesHaveSpans; }
    // The spans on the rows of `window`, cut to its columns where they come from edges; listed spans are
    // returned in their order, uncut.
    std::vector<Span> spansIn(const Rect& window) const;
    bool contains(int64_t x, int64_t y) const;
};

} // namespace QuickDraw
