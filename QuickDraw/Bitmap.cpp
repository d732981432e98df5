#include "Bitmap.h"

#include <cstring>

#include "Check.h"

namespace QuickDraw {

std::mutex& screenLock() {
    static std::mutex lock;
    return lock;
}

namespace {
size_t checkedArea(int64_t width, int64_t height) {
    ORDNIX_CHECK(width >= 0 && height >= 0, "bitmap width and height are not negative");
    int64_t area = 0;
    ORDNIX_CHECK(!__builtin_mul_overflow(width, height, &area), "bitmap width * height fits in int64");
    return static_cast<size_t>(area);
}
} // namespace

Bitmap::Bitmap(int64_t width, int64_t height)
    : width_(width), height_(height), bits_(checkedArea(width, height), 0), flashed_(bits_.size(), 0),
      lastSeen_(bits_.size(), 0) {}

bool Bitmap::pixel(int64_t x, int64_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return bits_[static_cast<size_t>(y * width_ + x)] != 0;
}

void Bitmap::setPixel(int64_t x, int64_t y, bool on) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    writablePixels()[y * width_ + x] = on ? 1 : 0;
    ++changeCount_;
}

uint8_t* Bitmap::writablePixels() {
    if (lastSeenIsBits_) {
        std::memcpy(lastSeen_.data(), bits_.data(), bits_.size());
        lastSeenIsBits_ = false;
    }
    return bits_.data();
}

std::vector<uint8_t> Bitmap::snapshot() {
    std::vector<uint8_t> out(bits_.begin(), bits_.end());
    if (anyFlashed_) {
        // A flashed pixel that looks as it did at the last sample was drawn and undone in between: show
        // it in its opposite state once. Pixels that differ are visible anyway.
        const uint8_t* bits = bits_.data();
        const uint8_t* seen = lastSeenIsBits_ ? bits : lastSeen_.data();
        const uint8_t* flashed = flashed_.data();
        uint8_t* o = out.data();
        const size_t n = out.size();
        for (size_t i = 0; i < n; ++i)
            o[i] = static_cast<uint8_t>(bits[i] ^ (flashed[i] & ~(bits[i] ^ seen[i]) & 1));
        std::memset(flashed_.data(), 0, flashed_.size());
        anyFlashed_ = false;
    }
    // lastSeen_ = bits_, copied lazily by the next writablePixels().
    lastSeenIsBits_ = true;
    return out;
}

std::vector<std::string> Bitmap::dump(const Rect& r) const {
    ORDNIX_CHECK(r.bottom >= r.top, "dump rectangle bottom is not above its top");
    ORDNIX_CHECK(r.right >= r.left, "dump rectangle right is not left of its left");
    std::vector<std::string> rows;
    if (r.bottom == r.top)
        return rows;
    // Columns outside the bitmap are "."; only the part over the bitmap is read.
    const __int128 columns = static_cast<__int128>(r.right) - r.left;
    const __int128 rowCount = static_cast<__int128>(r.bottom) - r.top;
    constexpr __int128 printable = static_cast<__int128>(1) << 40;
    ORDNIX_CHECK(columns <= printable && rowCount <= printable && columns * rowCount <= printable,
                 "dump rectangle has a printable size");
    rows.reserve(static_cast<size_t>(rowCount));
    for (int64_t y = r.top; y < r.bottom; ++y) {
        std::string row(static_cast<size_t>(columns), '.');
        if (y >= 0 && y < height_) {
            const int64_t from = std::max<int64_t>(r.left, 0);
            const int64_t to = std::min<int64_t>(r.right, width_);
            const uint8_t* source = bits_.data() + y * width_;
            for (int64_t x = from; x < to; ++x)
                if (source[x] != 0)
                    row[static_cast<size_t>(x - r.left)] = '#';
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace QuickDraw
