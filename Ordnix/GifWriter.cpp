#include "GifWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

GifWriter::GifWriter(std::string path, int64_t width, int64_t height)
    : path_(std::move(path)), width_(width), height_(height) {}

GifWriter::~GifWriter() {
    if (gif_) {
        int code = 0;
        EGifCloseFile(gif_, &code);
    }
}

bool GifWriter::fail(const std::string& what, int code) {
    if (error_.empty())
        error_ = path_ + ": " + what + (code ? std::string(" (") + GifErrorString(code) + ")" : std::string());
    return false;
}

bool GifWriter::open() {
    // Not EGifOpenFileName: it creates the file readable by its owner only.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(std::string("cannot create the file: ") + std::strerror(errno), 0);
    int code = 0;
    gif_ = EGifOpenFileHandle(fd, &code);
    if (!gif_) {
        ::close(fd);
        return fail("cannot create the file", code);
    }
    EGifSetGifVersion(gif_, true);
    GifColorType colours[2] = {{255, 255, 255}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    const int written = EGifPutScreenDesc(gif_, static_cast<int>(width_), static_cast<int>(height_), 1, 0, map);
    GifFreeMapObject(map);
    if (written != GIF_OK)
        return fail("cannot write the header", gif_->Error);
    // The application extension that makes viewers loop the animation forever.
    const unsigned char loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_OK ||
        EGifPutExtensionBlock(gif_, sizeof loop, loop) != GIF_OK || EGifPutExtensionTrailer(gif_) != GIF_OK)
        return fail("cannot write the header", gif_->Error);
    shown_.assign(static_cast<size_t>(width_ * height_), 0);
    return true;
}

bool GifWriter::addFrame(std::span<const uint8_t> pixels, int64_t tick) {
    if (!error_.empty() || finished_)
        return false;
    if (static_cast<int64_t>(pixels.size()) != width_ * height_)
        return fail("a frame of the wrong size", 0);
    std::vector<uint8_t> frame(pixels.size());
    std::transform(pixels.begin(), pixels.end(), frame.begin(), [](uint8_t p) { return uint8_t{p != 0}; });
    if (hasPending_ && frame == pending_)
        return true;
    if (hasPending_ && !writePending(tick))
        return false;
    pending_ = std::move(frame);
    pendingTick_ = tick;
    hasPending_ = true;
    return true;
}

bool GifWriter::writePending(int64_t untilTick) {
    if (!gif_ && !open())
        return false;
    // The smallest rectangle holding every pixel that differs from what is shown (never empty: equal
    // neighbours were merged); the first frame is written whole, since a viewer starts from the
    // background colour, not from white.
    int64_t top = height_, left = width_, bottom = 0, right = 0;
    for (int64_t y = 0; y < height_; ++y)
        for (int64_t x = 0; x < width_; ++x)
            if (framesWritten_ == 0 || pending_[y * width_ + x] != shown_[y * width_ + x]) {
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
                left = std::min(left, x), right = std::max(right, x + 1);
            }

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = static_cast<int>(centiseconds(untilTick) - centiseconds(pendingTick_));
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) != GIF_OK ||
        EGifPutImageDesc(gif_, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                         static_cast<int>(bottom - top), false, nullptr) != GIF_OK)
        return fail("cannot write a frame", gif_->Error);
    std::vector<GifPixelType> line(static_cast<size_t>(right - left));
    for (int64_t y = top; y < bottom; ++y) {
        std::memcpy(line.data(), pending_.data() + y * width_ + left, line.size());
        if (EGifPutLine(gif_, line.data(), static_cast<int>(line.size())) != GIF_OK)
            return fail("cannot write a frame", gif_->Error);
    }
    shown_ = pending_;
    ++framesWritten_;
    return true;
}

bool GifWriter::finish(int64_t endTick) {
    if (!error_.empty() || finished_)
        return false;
    finished_ = true;
    if (hasPending_ && !writePending(std::max(endTick, pendingTick_ + 1)))
        return false;
    if (!gif_ && !open())
        return false;
    int code = 0;
    const int closed = EGifCloseFile(gif_, &code);
    gif_ = nullptr;
    if (closed != GIF_OK)
        return fail("cannot finish the file", code);
    return true;
}
