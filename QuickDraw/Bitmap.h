// Bitmap: the 1-bit pixel store shared between the drawing thread and the host, and screenLock.
//
// Invariants:
// - width and height are fixed at construction; bits, flashed and lastSeen each hold width * height
//   bytes, row-major from the top, no padding; pixel (x, y) is entry y * width + x; entries are 0 or 1.
// - changeCount never decreases: every drawing call that reaches the pixels adds 1.
// - flashed marks pixels touched by XOR drawing since the last snapshot; hasFlashes() is true whenever
//   some mark may be set. Only snapshot() clears the marks.
// - snapshot() is the host's view: bits, except that a flashed pixel whose value equals the previous
//   snapshot's is shown inverted once, so that drawing undone by XOR between two samples is still seen.
//
// Locking: the drawing context holds screenLock() for each pixel-changing call; the host holds it while
// it reads changeCount()/hasFlashes() and calls snapshot(). pixel, setPixel and dump take no lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "Geometry.h"

namespace QuickDraw {

// The one process-wide lock between the drawing thread and the host, created on first use.
std::mutex& screenLock();

class Bitmap {
public:
    // A white bitmap. Negative sizes and sizes whose byte count overflows are precondition failures.
    Bitmap(int64_t width, int64_t height);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int64_t width() const { return width_; }
    int64_t height() const { return height_; }
    // A copy of the pixel bytes (0 white, 1 black).
    std::vector<uint8_t> bits() const { return bits_; }
    // The pixel bytes without copying; read them under screenLock when another thread draws.
    std::span<const uint8_t> pixels() const { return bits_; }
    int64_t changeCount() const { return changeCount_; }
    bool hasFlashes() const { return anyFlashed_; }

    // False outside the bitmap.
    bool pixel(int64_t x, int64_t y) const;
    // Inside the bitmap: stores the pixel and adds 1 to changeCount. Outside: nothing at all.
    void setPixel(int64_t x, int64_t y, bool on);

    // The image the host should show now; clears the flash marks. Call with screenLock held.
    std::vector<uint8_t> snapshot();

    // One string per row of r, "#" for a set pixel and "." for a clear one or a position outside the
    // bitmap. r.bottom == r.top gives no rows; r.bottom < r.top or r.right < r.left is a precondition
    // failure, and so is a rectangle of more than 2^40 positions (it cannot be printed).
    std::vector<std::string> dump(const Rect& r) const;

    // ---- for painters (the drawing context, text): call under screenLock ----

    // The pixel bytes for writing. Call before changing pixels (it keeps the previous snapshot's image
    // for the flash rule).
    uint8_t* writablePixels();
    // The flash marks for writing, same layout as the pixels; call markFlashed() for the call as well.
    uint8_t* writableFlashMarks() { return flashed_.data(); }
    void markFlashed() { anyFlashed_ = true; }
    // One drawing call reached the pixels.
    void countChange() { ++changeCount_; }

private:
    int64_t width_;
    int64_t height_;
    std::vector<uint8_t> bits_;
    std::vector<uint8_t> flashed_;
    std::vector<uint8_t> lastSeen_;
    int64_t changeCount_ = 0;
    bool anyFlashed_ = false;
    // lastSeen_ is not copied at a snapshot but when the pixels next change: until then it equals bits_.
    bool lastSeenIsBits_ = false;
};

} // namespace QuickDraw
