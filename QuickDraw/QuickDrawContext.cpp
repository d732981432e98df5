#include "QuickDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <numeric>
#include <numbers>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "Shapes.h"

namespace QuickDraw {

namespace {

// A shape whose spans all fall outside the port still counts as a change when it has spans at all. That
// question is settled by rasterizing the whole shape when it is at most this many rows high (or, for
// arcs, this many pixels large). Larger frames, arcs and polygons are examined where their rows or
// pixels can change the answer (frameReaches, arcReaches, polygonReaches), within a bounded amount of
// work; only past that bound, or for polygon slivers that rounding alone empties, do the shape's
// parameters decide.
constexpr int64_t exhaustiveRows = 4096;
constexpr __int128 exhaustivePixels = 1 << 16;
constexpr int64_t frameWalkSteps = 2048;

// The rows of r with unbounded columns: every rasterizer does constant work per row over it.
Rect rowsOf(const Rect& r) { return Rect(Shapes::unclipped.left, r.top, Shapes::unclipped.right, r.bottom); }

bool rowsAreFew(int64_t top, int64_t bottom) {
    return static_cast<__int128>(bottom) - top <= exhaustiveRows;
}

// The one run a rectangle, oval or round rectangle has on row y; {0, 0} when the row is empty.
struct Run {
    int64_t x0 = 0;
    int64_t x1 = 0;
    bool operator==(const Run&) const = default;
};

template <typename Shape>
Run runAt(const Shape& shape, int64_t y) {
    const auto spans = shape(Rect(Shapes::unclipped.left, y, Shapes::unclipped.right, y + 1));
    return spans.empty() ? Run{} : Run{spans.front().x0, spans.front().x1};
}

// The first row after y (at most end) whose run differs from row y's. Between y and end the run only
// grows or only shrinks, so once it differs it never returns: a binary search finds the step.
template <typename Shape>
int64_t nextChange(const Shape& shape, int64_t y, int64_t end) {
    const Run at = runAt(shape, y);
    int64_t lo = y + 1;
    int64_t hi = end;
    while (lo < hi) {
        const int64_t mid = lo + static_cast<int64_t>((static_cast<__int128>(hi) - lo) / 2);
        if (runAt(shape, mid) != at)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// Whether frame(outer, inner) has a span on some row of r, where outer is a rectangle, oval or round
// rectangle over r and inner the same kind over `hole` (r inset by the pen). Both grow row by row down
// to the middle of their own rectangle and shrink below it, so between the two middles and the ends
// each keeps one run over stretches of rows; one row of every stretch decides. Absent when the stretches
// are too many to walk.
template <typename Outer, typename Inner>
std::optional<bool> frameHasSpans(const Rect& r, const Rect& hole, const Outer& outer, const Inner& inner) {
    auto middle = [](const Rect& q) { return static_cast<int64_t>(q.top + (static_cast<__int128>(q.bottom) - q.top) / 2); };
    std::vector<int64_t> cuts{r.top, r.bottom, std::clamp(middle(r), r.top, r.bottom)};
    if (!hole.isEmpty())
        for (int64_t cut : {hole.top, hole.bottom, middle(hole)})
            cuts.push_back(std::clamp(cut, r.top, r.bottom));
    std::sort(cuts.begin(), cuts.end());
    auto rowHasSpan = [&](int64_t y) {
        const Run o = runAt(outer, y);
        const Run in = runAt(inner, y);
        return o.x0 < o.x1 && (in.x0 >= in.x1 || o.x0 < in.x0 || in.x1 < o.x1);
    };
    // The rows at the cuts (the ends and the middles) usually decide at once.
    for (int64_t cut : cuts)
        if ((cut > r.top && rowHasSpan(cut - 1)) || (cut < r.bottom && rowHasSpan(cut)))
            return true;
    int64_t steps = 0;
    for (size_t k = 0; k + 1 < cuts.size(); ++k)
        for (int64_t y = cuts[k]; y < cuts[k + 1];) {
            if (++steps > frameWalkSteps)
                return std::nullopt;
            if (rowHasSpan(y))
                return true;
            y = std::min(nextChange(outer, y, cuts[k + 1]), nextChange(inner, y, cuts[k + 1]));
        }
    return false;
}

// Whether frame(outer over r, inner over r inset by the pen) has spans anywhere.
template <typename Outer, typename Inner>
bool frameReaches(const Rect& r, PenSize pen, const Outer& outer, const Inner& inner) {
    if (r.isEmpty() || (pen.h == 0 && pen.v == 0)) // a zero pen makes the hole the shape itself
        return false;
    if (rowsAreFew(r.top, r.bottom))
        return !Shapes::frame(outer(rowsOf(r)), inner(rowsOf(r))).empty();
    if (const auto exact = frameHasSpans(r, r.insetBy(pen.h, pen.v), outer, inner))
        return *exact;
    // A positive pen size leaves the outer shape's edge rows or columns uncovered.
    return pen.h > 0 || pen.v > 0;
}

// The first index after `from` (at most `to`) where pred differs from pred(from); pred changes at most
// once between them.
template <typename Pred>
int64_t firstChange(const Pred& pred, int64_t from, int64_t to) {
    const bool at = pred(from);
    int64_t lo = from + 1;
    int64_t hi = to;
    while (lo < hi) {
        const int64_t mid = lo + static_cast<int64_t>((static_cast<__int128>(hi) - lo) / 2);
        if (pred(mid) != at)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

int64_t floorHalf(__int128 value) { return static_cast<int64_t>(value >= 0 ? value / 2 : -((-value + 1) / 2)); }

// Whether some pixel of the oval of r lies in the wedge, for an oval that is narrow one way. Along each
// line of its pixels across the narrow side (a column of a tall oval, a row of a flat one), cut at the
// centre, the pixels' angle moves monotonically over at most 90 degrees: it crosses the wedge's start at
// most once (found by a binary search on the half plane beginning there), and on either side of that
// crossing the wedge test changes at most once, so the end pixels of the two pieces decide. Every pixel
// is tested with the rasterizer's own rule.
bool thinArcReaches(const Rect& r, int64_t startAngle, int64_t arcAngle, int64_t normalizedStart) {
    auto inWedge = [&](int64_t x, int64_t y) { return !Shapes::arc(r, startAngle, arcAngle, Rect(x, y, x + 1, y + 1)).empty(); };
    auto inHalfPlane = [&](int64_t x, int64_t y) {
        return !Shapes::arc(r, normalizedStart, 180, Rect(x, y, x + 1, y + 1)).empty();
    };
    auto segmentReaches = [&](auto pixel, int64_t from, int64_t to) {
        if (from >= to)
            return false;
        const int64_t cut = firstChange([&](int64_t i) { return inHalfPlane(pixel(i).h, pixel(i).v); }, from, to);
        for (auto [a, b] : {std::pair(from, cut), std::pair(cut, to)})
            if (a < b && (inWedge(pixel(a).h, pixel(a).v) || inWedge(pixel(b - 1).h, pixel(b - 1).v)))
                return true;
        return false;
    };
    // Pixels on the wedge's middle line usually answer at once.
    {
        const double sweep = std::abs(static_cast<double>(arcAngle));
        const double middle = (static_cast<double>(normalizedStart) + sweep / 2) * std::numbers::pi / 180;
        const double cx = (static_cast<double>(r.left) + static_cast<double>(r.right)) / 2;
        const double cy = (static_cast<double>(r.top) + static_cast<double>(r.bottom)) / 2;
        const double sw = static_cast<double>(static_cast<__int128>(r.right) - r.left);
        const double sh = static_cast<double>(static_cast<__int128>(r.bottom) - r.top);
        auto clampTo = [](double value, int64_t lo, int64_t hi) {
            const __int128 v = static_cast<__int128>(std::clamp(value, static_cast<double>(lo), static_cast<double>(hi)));
            return static_cast<int64_t>(std::clamp<__int128>(v, lo, hi));
        };
        for (double radius : {0.1, 0.25, 0.4, 0.49}) {
            const int64_t x = clampTo(std::floor(cx + radius * std::sin(middle) * sw), r.left, r.right - 1);
            const int64_t y = clampTo(std::floor(cy - radius * std::cos(middle) * sh), r.top, r.bottom - 1);
            if (inWedge(x, y))
                return true;
        }
    }
    const int64_t midRow = floorHalf(static_cast<__int128>(r.top) + r.bottom);
    const int64_t midColumn = floorHalf(static_cast<__int128>(r.left) + r.right);
    if (static_cast<__int128>(r.right) - r.left <= static_cast<__int128>(r.bottom) - r.top) {
        for (int64_t x = r.left; x < r.right; ++x) {
            auto inOval = [&](int64_t y) { return !Shapes::oval(r, Rect(x, y, x + 1, y + 1)).empty(); };
            auto pixel = [x](int64_t y) { return Point(x, y); };
            // The oval's rows grow down to the middle row and shrink below it.
            if (midRow > r.top && inOval(midRow - 1)) {
                const int64_t first = inOval(r.top) ? r.top : firstChange(inOval, r.top, midRow);
                if (segmentReaches(pixel, first, midRow))
                    return true;
            }
            if (midRow < r.bottom && inOval(midRow) && segmentReaches(pixel, midRow, firstChange(inOval, midRow, r.bottom)))
                return true;
        }
    } else {
        for (int64_t y = r.top; y < r.bottom; ++y) {
            const auto row = Shapes::oval(r, Rect(Shapes::unclipped.left, y, Shapes::unclipped.right, y + 1));
            if (row.empty())
                continue;
            auto pixel = [y](int64_t x) { return Point(x, y); };
            if (segmentReaches(pixel, row.front().x0, std::min(row.front().x1, midColumn)) ||
                segmentReaches(pixel, std::max(row.front().x0, midColumn), row.front().x1))
                return true;
        }
    }
    return false;
}

bool arcReaches(const Rect& r, int64_t startAngle, int64_t arcAngle) {
    if (r.isEmpty() || arcAngle == 0)
        return false;
    if (arcAngle <= -360 || arcAngle >= 360)
        return true; // the whole oval, which a non-empty rectangle always has
    const __int128 height = static_cast<__int128>(r.bottom) - r.top;
    const __int128 width = static_cast<__int128>(r.right) - r.left;
    if (height <= exhaustivePixels && width <= exhaustivePixels && height * width <= exhaustivePixels)
        return !Shapes::arc(r, startAngle, arcAngle, r).empty();
    // At least thinLimit pixels each way: the wedge (one degree or more) holds a disk around its bisector,
    // well inside the oval, wider than the pixel grid's diagonal, so some pixel centre lies in it.
    constexpr __int128 thinLimit = 600;
    if (height >= thinLimit && width >= thinLimit)
        return true;
    // The wedge runs clockwise from its start; the rasterizer takes starts beyond 2^53 modulo 360.
    __int128 start = arcAngle < 0 ? static_cast<__int128>(startAngle) + arcAngle : startAngle;
    constexpr __int128 exactLimit = static_cast<__int128>(1) << 53;
    if (start > exactLimit || start < -exactLimit)
        start %= 360;
    return thinArcReaches(r, startAngle, arcAngle, static_cast<int64_t>(start));
}

// A slanted or vertical edge of an outline, its upper end first.
struct SlopedEdge {
    Point top;
    Point bottom;
    bool operator==(const SlopedEdge&) const = default;
};

std::vector<SlopedEdge> slopedEdges(std::span<const Edge> edges) {
    std::vector<SlopedEdge> sloped;
    for (const auto& [a, b] : edges)
        if (a.v != b.v)
            sloped.push_back(a.v < b.v ? SlopedEdge{a, b} : SlopedEdge{b, a});
    return sloped;
}

// The edges of a polygon as its outline takes them: closed back to the first point.
std::vector<Edge> polygonEdges(const std::vector<Point>& points) {
    std::vector<Edge> edges;
    for (size_t i = 0; i + 1 < points.size(); ++i)
        edges.emplace_back(points[i], points[i + 1]);
    if (points.size() >= 2 && points.back() != points.front())
        edges.emplace_back(points.back(), points.front());
    return edges;
}

// Whether every sloped edge is retraced by another one (a polygon of two points, or a path drawn there
// and back): then each row's crossings come in equal pairs and the even-odd fill has no span, however
// tall the outline is.
bool edgesCancelInPairs(std::vector<SlopedEdge> edges) {
    auto key = [](const SlopedEdge& e) { return std::tuple(e.top.v, e.top.h, e.bottom.v, e.bottom.h); };
    std::sort(edges.begin(), edges.end(), [&key](const auto& a, const auto& b) { return key(a) < key(b); });
    for (size_t i = 0; i < edges.size();) {
        size_t end = i;
        while (end < edges.size() && edges[end] == edges[i])
            ++end;
        if ((end - i) % 2 != 0)
            return false;
        i = end;
    }
    return true;
}

// Where the edge crosses row y: the upper end's column plus (y - top) * dx / dy rounded to the nearest
// integer, halves away from zero, as the outline rasterizer takes it. Grows or shrinks steadily with y.
__int128 crossingAt(const SlopedEdge& e, int64_t y) {
    using u128 = unsigned __int128;
    const auto dy = static_cast<u128>(static_cast<__int128>(e.bottom.v) - e.top.v);
    const __int128 dx = static_cast<__int128>(e.bottom.h) - e.top.h;
    const auto product = static_cast<u128>(static_cast<__int128>(y) - e.top.v) * static_cast<u128>(dx < 0 ? -dx : dx);
    const auto rounded = static_cast<__int128>(product / dy + (2 * (product % dy) >= dy ? 1 : 0));
    return dx < 0 ? e.top.h - rounded : e.top.h + rounded;
}

// Whether the edges lie on their lines in pairs (every line holds an even number of them). Edges on one
// line cross every row they share at the same column, so the crossings of such a set pair up equal on
// every row: no span. False when unsure (coordinates too large to compare exactly).
bool linesPairUp(const std::vector<SlopedEdge>& edges) {
    constexpr int64_t exact = int64_t{1} << 40;
    std::vector<std::tuple<__int128, __int128, __int128>> lines;
    for (const SlopedEdge& e : edges) {
        for (const Point& p : {e.top, e.bottom})
            if (p.v > exact || p.v < -exact || p.h > exact || p.h < -exact)
                return false;
        __int128 dx = e.bottom.h - e.top.h;
        __int128 dy = e.bottom.v - e.top.v;
        const auto divisor = static_cast<__int128>(std::gcd(static_cast<int64_t>(dx < 0 ? -dx : dx), static_cast<int64_t>(dy)));
        dx /= divisor;
        dy /= divisor;
        lines.emplace_back(dx, dy, e.top.h * dy - e.top.v * dx);
    }
    std::sort(lines.begin(), lines.end());
    for (size_t i = 0; i < lines.size();) {
        size_t end = i;
        while (end < lines.size() && lines[end] == lines[i])
            ++end;
        if ((end - i) % 2 != 0)
            return false;
        i = end;
    }
    return true;
}

// Outlines of more sloped edges than this, taller than exhaustiveRows, are taken to have spans.
constexpr size_t outlineWalkEdges = 64;
constexpr int64_t outlineWalkSteps = 512;

// Whether the even-odd fill of the edges (a polygon's or a region's) has a span on any row.
bool outlineReaches(std::span<const Edge> outline) {
    const std::vector<SlopedEdge> edges = slopedEdges(outline);
    if (edges.empty())
        return false; // only horizontal edges: no crossings
    int64_t low = edges.front().top.v;
    int64_t high = edges.front().bottom.v;
    for (const SlopedEdge& e : edges)
        low = std::min(low, e.top.v), high = std::max(high, e.bottom.v);
    auto row = [](int64_t y) { return Rect(Shapes::unclipped.left, y, Shapes::unclipped.right, y + 1); };
    if (rowsAreFew(low, high))
        return !Shapes::outline(outline, Rect(Shapes::unclipped.left, low, Shapes::unclipped.right, high)).empty();
    if (edgesCancelInPairs(edges))
        return false;
    if (edges.size() > outlineWalkEdges)
        return true;
    // Between two rows where an edge begins or ends the same edges cross every row; each crossing moves
    // steadily, so the rows from one change of any crossing to the next look alike and one row of each
    // stretch decides.
    std::vector<int64_t> ends;
    for (const SlopedEdge& e : edges) {
        ends.push_back(e.top.v);
        ends.push_back(e.bottom.v);
    }
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    struct Band {
        int64_t from;
        int64_t to;
        std::vector<SlopedEdge> crossing;
    };
    std::vector<Band> bands;
    for (size_t k = 0; k + 1 < ends.size(); ++k) {
        Band band{ends[k], ends[k + 1], {}};
        for (const SlopedEdge& e : edges)
            if (e.top.v <= band.from && e.bottom.v > band.from)
                band.crossing.push_back(e);
        if (band.crossing.size() >= 2 && !linesPairUp(band.crossing))
            bands.push_back(std::move(band));
    }
    // The first, middle and last rows of each stretch usually answer at once.
    for (const Band& band : bands)
        for (int64_t y : {band.from, band.to - 1, static_cast<int64_t>(band.from + (static_cast<__int128>(band.to) - band.from) / 2)})
            if (!Shapes::outline(outline, row(y)).empty())
                return true;
    int64_t steps = 0;
    for (const Band& band : bands)
        for (int64_t y = band.from; y < band.to;) {
            if (++steps > outlineWalkSteps)
                return true;
            if (!Shapes::outline(outline, row(y)).empty())
                return true;
            int64_t next = band.to;
            for (const SlopedEdge& e : band.crossing)
                next = std::min(next, firstChange([&](int64_t at) { return crossingAt(e, at) != crossingAt(e, y); }, y, next));
            y = next;
        }
    return false;
}

bool polygonReaches(const Polygon& polygon) { return outlineReaches(polygonEdges(polygon.points)); }

// An outline crossing more rows than this (counted over its edges) is kept as edges, not listed.
constexpr __int128 listedCrossings = 1 << 16;

Region regionOf(std::vector<Edge> edges) {
    __int128 crossings = 0;
    for (const auto& [a, b] : edges)
        crossings += a.v < b.v ? static_cast<__int128>(b.v) - a.v : static_cast<__int128>(a.v) - b.v;
    Region region;
    if (crossings <= listedCrossings) {
        region.spans = Shapes::outline(edges);
    } else {
        region.edgesHaveSpans = outlineReaches(edges);
        region.edges = std::move(edges);
    }
    return region;
}

int64_t saturatingAdd(int64_t a, int64_t b) { return detail::saturate(static_cast<__int128>(a) + b); }

// ---- row painters ----

// The effective pattern bytes of a run starting at column x0: byte j (in memory order) is the pattern bit
// of column x0 + j, complemented for the not-modes. The pattern repeats every 8 columns, so this one word
// serves the whole run.
uint64_t patternWord(uint8_t row, int64_t x0, bool complement) {
    const uint8_t flip = complement ? 1 : 0;
    uint8_t bytes[8];
    for (int j = 0; j < 8; ++j)
        bytes[j] = static_cast<uint8_t>(((row >> (7 - ((x0 + j) & 7))) & 1) ^ flip);
    uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

enum class Transfer { copy, orWith, xorWith, andWith };

template <Transfer op, typename T>
inline T transfer(T d, T e) {
    if constexpr (op == Transfer::copy)
        return e;
    else if constexpr (op == Transfer::orWith)
        return static_cast<T>(d | e);
    else if constexpr (op == Transfer::xorWith)
        return static_cast<T>(d ^ e);
    else
        return static_cast<T>(d & e);
}

constexpr uint64_t allOnes = 0x0101010101010101ULL;

// Copies are memset for uniform rows and block copies of the repeated word otherwise; the other
// operations go a word (8 pixels) at a time, which the compiler widens further.
template <Transfer op>
void applyRun(uint8_t* d, int64_t n, uint64_t word) {
    if constexpr (op == Transfer::copy) {
        if (word == 0 || word == allOnes) {
            std::memset(d, static_cast<int>(word & 1), static_cast<size_t>(n));
            return;
        }
        uint8_t block[256];
        for (size_t k = 0; k < sizeof block; k += 8)
            std::memcpy(block + k, &word, 8);
        int64_t i = 0;
        for (; i + 256 <= n; i += 256)
            std::memcpy(d + i, block, 256);
        std::memcpy(d + i, block, static_cast<size_t>(n - i));
    } else {
        int64_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t x;
            std::memcpy(&x, d + i, 8);
            x = transfer<op>(x, word);
            std::memcpy(d + i, &x, 8);
        }
        uint8_t bytes[8];
        std::memcpy(bytes, &word, 8);
        for (int j = 0; i < n; ++i, ++j)
            d[i] = transfer<op>(d[i], bytes[j]);
    }
}

// Every mode is one of four operations with the pattern or its complement.
struct ModeRule {
    Transfer op;
    bool complement;
};
ModeRule ruleFor(PenMode mode) {
    switch (mode) {
    case PenMode::patCopy: return {Transfer::copy, false};
    case PenMode::patOr: return {Transfer::orWith, false};
    case PenMode::patXor: return {Transfer::xorWith, false};
    case PenMode::patBic: return {Transfer::andWith, true};      // d & ~p
    case PenMode::notPatCopy: return {Transfer::copy, true};
    case PenMode::notPatOr: return {Transfer::orWith, true};
    case PenMode::notPatXor: return {Transfer::xorWith, true};   // ~(d ^ p) == d ^ ~p
    case PenMode::notPatBic: return {Transfer::andWith, false};  // d & p
    }
    return {Transfer::copy, false};
}

} // namespace

Rect QuickDrawContext::clipLimits() const {
    const GrafPort& port = *port_;
    Rect clip;
    clip.top = std::max<int64_t>(port.portRect.top, 0);
    clip.left = std::max<int64_t>(port.portRect.left, 0);
    clip.bottom = std::min(port.portRect.bottom, port.bitmap.height());
    clip.right = std::min(port.portRect.right, port.bitmap.width());
    return clip;
}

// ---- painters ----

void QuickDrawContext::paint(std::span<const Span> spans, bool reaches, const Pattern& pattern, PenMode mode) {
    if (drawingSuppressed() || (spans.empty() && !reaches))
        return;
    const Rect clip = clipLimits();
    const ModeRule rule = ruleFor(mode);
    const bool flashes = isXorMode(mode);
    Bitmap& bitmap = port_->bitmap;
    const int64_t width = bitmap.width();

    std::lock_guard lock(screenLock());
    if (!spans.empty() && !clip.isEmpty()) {
        uint8_t* pixels = bitmap.writablePixels();
        uint8_t* marks = flashes ? bitmap.writableFlashMarks() : nullptr;
        for (const Span& s : spans) {
            if (s.y < clip.top || s.y >= clip.bottom)
                continue;
            const int64_t x0 = std::max(s.x0, clip.left);
            const int64_t x1 = std::min(s.x1, clip.right);
            if (x0 >= x1)
                continue;
            const uint64_t t = patternWord(pattern.rows[static_cast<size_t>(s.y & 7)], x0, rule.complement);
            uint8_t* d = pixels + s.y * width + x0;
            switch (rule.op) {
            case Transfer::copy: applyRun<Transfer::copy>(d, x1 - x0, t); break;
            case Transfer::orWith: applyRun<Transfer::orWith>(d, x1 - x0, t); break;
            case Transfer::xorWith: applyRun<Transfer::xorWith>(d, x1 - x0, t); break;
            case Transfer::andWith: applyRun<Transfer::andWith>(d, x1 - x0, t); break;
            }
            if (marks != nullptr)
                std::memset(marks + s.y * width + x0, 1, static_cast<size_t>(x1 - x0));
        }
    }
    if (flashes)
        bitmap.markFlashed();
    bitmap.countChange();
}

void QuickDrawContext::invert(std::span<const Span> spans, bool reaches) {
    if (drawingSuppressed() || (spans.empty() && !reaches))
        return;
    const Rect clip = clipLimits();
    Bitmap& bitmap = port_->bitmap;
    const int64_t width = bitmap.width();

    std::lock_guard lock(screenLock());
    if (!spans.empty() && !clip.isEmpty()) {
        uint8_t* pixels = bitmap.writablePixels();
        uint8_t* marks = bitmap.writableFlashMarks();
        for (const Span& s : spans) {
            if (s.y < clip.top || s.y >= clip.bottom)
                continue;
            const int64_t x0 = std::max(s.x0, clip.left);
            const int64_t x1 = std::min(s.x1, clip.right);
            if (x0 >= x1)
                continue;
            applyRun<Transfer::xorWith>(pixels + s.y * width + x0, x1 - x0, allOnes);
            std::memset(marks + s.y * width + x0, 1, static_cast<size_t>(x1 - x0));
        }
    }
    bitmap.markFlashed();
    bitmap.countChange();
}

// ---- pen ----

void QuickDrawContext::moveTo(int64_t h, int64_t v) {
    GrafPort& port = *port_;
    port.pnLoc = Point(h, v);
    if (port.polygon && port.polygon->points.empty())
        port.polygon->points.push_back(port.pnLoc);
}

void QuickDrawContext::lineTo(int64_t h, int64_t v) {
    GrafPort& port = *port_;
    const Point from = port.pnLoc;
    port.pnLoc = Point(h, v);
    if (port.regionEdges) {
        port.regionEdges->emplace_back(from, port.pnLoc);
        return;
    }
    if (port.polygon) {
        if (port.polygon->points.empty())
            port.polygon->points.push_back(from);
        port.polygon->points.push_back(port.pnLoc);
        return;
    }
    if (drawingSuppressed())
        return;
    const PenSize pen = port.pnSize;
    paint(Shapes::line(from, port.pnLoc, pen.h, pen.v, clipLimits()), pen.h >= 1 && pen.v >= 1, port.pnPat,
          port.pnMode);
}

void QuickDrawContext::penSize(int64_t h, int64_t v) { port_->pnSize = PenSize{h, v}; }
void QuickDrawContext::penMode(PenMode mode) { port_->pnMode = mode; }
void QuickDrawContext::penPat(const Pattern& pattern) { port_->pnPat = pattern; }

void QuickDrawContext::penNormal() {
    port_->pnSize = PenSize{1, 1};
    port_->pnMode = PenMode::patCopy;
    port_->pnPat = Pattern::black;
}

void QuickDrawContext::hidePen() { port_->pnVis = saturatingAdd(port_->pnVis, -1); }
void QuickDrawContext::showPen() { port_->pnVis = saturatingAdd(port_->pnVis, 1); }
void QuickDrawContext::textFont(int64_t font) { port_->txFont = font; }
void QuickDrawContext::textFace(Style face) { port_->txFace = face; }
void QuickDrawContext::textSize(int64_t size) { port_->txSize = size; }

// ---- rectangles ----

template <typename Outer, typename Hole>
void QuickDrawContext::paintFrame(const Rect& r, const Outer& outer, const Hole& hole) {
    const auto framed = Shapes::frame(outer(clipLimits()), hole(clipLimits()));
    paint(framed, !framed.empty() || frameReaches(r, port_->pnSize, outer, hole), port_->pnPat, port_->pnMode);
}

void QuickDrawContext::frameRect(const Rect& r) {
    if (drawingSuppressed())
        return;
    const PenSize pen = port_->pnSize;
    const Rect inner = r.insetBy(pen.h, pen.v);
    auto outer = [&](const Rect& window) { return Shapes::rect(r, window); };
    auto hole = [&](const Rect& window) { return Shapes::rect(inner, window); };
    paintFrame(r, outer, hole);
}

void QuickDrawContext::paintRect(const Rect& r) {
    if (drawingSuppressed())
        return;
    paint(Shapes::rect(r, clipLimits()), !r.isEmpty(), port_->pnPat, port_->pnMode);
}

void QuickDrawContext::eraseRect(const Rect& r) {
    if (drawingSuppressed())
        return;
    paint(Shapes::rect(r, clipLimits()), !r.isEmpty(), Pattern::white, PenMode::patCopy);
}

void QuickDrawContext::invertRect(const Rect& r) {
    if (drawingSuppressed())
        return;
    invert(Shapes::rect(r, clipLimits()), !r.isEmpty());
}

void QuickDrawContext::fillRect(const Rect& r, const Pattern& pattern) {
    if (drawingSuppressed())
        return;
    paint(Shapes::rect(r, clipLimits()), !r.isEmpty(), pattern, PenMode::patCopy);
}

// ---- ovals (a non-empty rectangle always has a non-empty oval: its middle row) ----

void QuickDrawContext::frameOval(const Rect& r) {
    if (drawingSuppressed())
        return;
    const PenSize pen = port_->pnSize;
    const Rect inner = r.insetBy(pen.h, pen.v);
    auto outer = [&](const Rect& window) { return Shapes::oval(r, window); };
    auto hole = [&](const Rect& window) { return Shapes::oval(inner, window); };
    paintFrame(r, outer, hole);
}

void QuickDrawContext::paintOval(const Rect& r) {
    if (drawingSuppressed())
        return;
    paint(Shapes::oval(r, clipLimits()), !r.isEmpty(), port_->pnPat, port_->pnMode);
}

void QuickDrawContext::eraseOval(const Rect& r) {
    if (drawingSuppressed())
        return;
    paint(Shapes::oval(r, clipLimits()), !r.isEmpty(), Pattern::white, PenMode::patCopy);
}

void QuickDrawContext::invertOval(const Rect& r) {
    if (drawingSuppressed())
        return;
    invert(Shapes::oval(r, clipLimits()), !r.isEmpty());
}

// ---- round rectangles ----

void QuickDrawContext::frameRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight) {
    if (drawingSuppressed())
        return;
    const PenSize pen = port_->pnSize;
    const Rect inner = r.insetBy(pen.h, pen.v);
    const int64_t innerWidth = detail::saturate(static_cast<__int128>(cornerWidth) - 2 * static_cast<__int128>(pen.h));
    const int64_t innerHeight = detail::saturate(static_cast<__int128>(cornerHeight) - 2 * static_cast<__int128>(pen.v));
    auto outer = [&](const Rect& window) { return Shapes::roundRect(r, cornerWidth, cornerHeight, window); };
    auto hole = [&](const Rect& window) { return Shapes::roundRect(inner, innerWidth, innerHeight, window); };
    paintFrame(r, outer, hole);
}

void QuickDrawContext::invertRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight) {
    if (drawingSuppressed())
        return;
    invert(Shapes::roundRect(r, cornerWidth, cornerHeight, clipLimits()), !r.isEmpty());
}

void QuickDrawContext::fillRoundRect(const Rect& r, int64_t cornerWidth, int64_t cornerHeight, const Pattern& pattern) {
    if (drawingSuppressed())
        return;
    paint(Shapes::roundRect(r, cornerWidth, cornerHeight, clipLimits()), !r.isEmpty(), pattern, PenMode::patCopy);
}

// ---- arcs ----

void QuickDrawContext::paintArc(const Rect& r, int64_t startAngle, int64_t arcAngle) {
    if (drawingSuppressed())
        return;
    const auto spans = Shapes::arc(r, startAngle, arcAngle, clipLimits());
    paint(spans, !spans.empty() || arcReaches(r, startAngle, arcAngle), port_->pnPat, port_->pnMode);
}

// ---- regions ----

std::shared_ptr<Region> QuickDrawContext::newRgn() { return std::make_shared<Region>(); }

void QuickDrawContext::openRgn() {
    port_->regionEdges.emplace();
    hidePen();
}

void QuickDrawContext::closeRgn(Region& region) {
    GrafPort& port = *port_;
    region = port.regionEdges ? regionOf(std::move(*port.regionEdges)) : Region{};
    port.regionEdges.reset();
    showPen();
}

void QuickDrawContext::fillRgn(const Region& region, const Pattern& pattern) {
    if (drawingSuppressed())
        return;
    if (region.edges.empty())
        paint(region.spans, region.hasSpans(), pattern, PenMode::patCopy);
    else
        paint(region.spansIn(clipLimits()), region.hasSpans(), pattern, PenMode::patCopy);
}

void QuickDrawContext::invertRgn(const Region& region) {
    if (drawingSuppressed())
        return;
    if (region.edges.empty())
        invert(region.spans, region.hasSpans());
    else
        invert(region.spansIn(clipLimits()), region.hasSpans());
}

void QuickDrawContext::disposeRgn(const Region&) {}

// ---- polygons ----

std::shared_ptr<Polygon> QuickDrawContext::openPoly() {
    auto polygon = std::make_shared<Polygon>();
    port_->polygon = polygon;
    hidePen();
    return polygon;
}

void QuickDrawContext::closePoly() {
    port_->polygon.reset();
    showPen();
}

void QuickDrawContext::fillPoly(const Polygon& polygon, const Pattern& pattern) {
    if (drawingSuppressed())
        return;
    const auto spans = Shapes::polySpans(polygon, clipLimits());
    paint(spans, !spans.empty() || polygonReaches(polygon), pattern, PenMode::patCopy);
}

void QuickDrawContext::invertPoly(const Polygon& polygon) {
    if (drawingSuppressed())
        return;
    const auto spans = Shapes::polySpans(polygon, clipLimits());
    invert(spans, !spans.empty() || polygonReaches(polygon));
}

// ---- pixels and random numbers ----

bool QuickDrawContext::getPixel(int64_t h, int64_t v) const {
    std::lock_guard lock(screenLock());
    return port_->bitmap.pixel(h, v);
}

int64_t QuickDrawContext::random() {
    const uint64_t seed = static_cast<uint32_t>(randSeed) & 0x7FFFFFFFu;
    const uint64_t next = seed * 16807u % 0x7FFFFFFFu;
    randSeed = static_cast<int32_t>(next);
    const uint16_t low = static_cast<uint16_t>(next & 0xFFFF);
    if (low == 0x8000)
        return 0;
    return static_cast<int16_t>(low);
}

} // namespace QuickDraw
