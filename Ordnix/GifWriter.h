// GifWriter: 1-bit frames, each stamped with the tick it appeared on, into one animated GIF.
//
// The palette has two colours (index 0 white, 1 black). A frame is shown until the next one's tick;
// its delay is the tick difference in hundredths of a second, rounded on the running total so that a
// long animation does not drift from the ticks. A frame identical to the one before it is not
// written (the earlier frame stays up longer); every other frame stores only the rectangle that
// differs from the frame before it, drawn over it (no disposal). The animation loops.
//
// Frames are kept until the next one arrives, since a frame's delay is known only then; finish()
// writes the last one, shown until `endTick`, and closes the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct GifFileType;

class GifWriter {
public:
    // Frames of width x height pixels (one byte each, non-zero black).
    GifWriter(std::string path, int64_t width, int64_t height);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // False, with error() set, when the file cannot be created or a write fails; later calls do nothing.
    bool addFrame(std::span<const uint8_t> pixels, int64_t tick);
    bool finish(int64_t endTick);
    const std::string& error() const { return error_; }
    // Frames written so far (merged duplicates not counted).
    int64_t framesWritten() const { return framesWritten_; }

    // Hundredths of a second from the start to tick `tick`, rounded to nearest.
    static int64_t centiseconds(int64_t tick) { return (tick * 100 + 30) / 60; }

private:
    bool open();
    bool writePending(int64_t untilTick);
    bool fail(const std::string& what, int code);

    std::string path_;
    int64_t width_, height_;
    GifFileType* gif_ = nullptr;
    std::string error_;
    // What the viewer shows after the frames written so far.
    std::vector<uint8_t> shown_;
    std::vector<uint8_t> pending_;
    int64_t pendingTick_ = 0;
    bool hasPending_ = false;
    int64_t framesWritten_ = 0;
    bool finished_ = false;
};
