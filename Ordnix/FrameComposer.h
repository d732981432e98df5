// FrameComposer: the picture the field window shows at scale 1, as one 1-bit frame.
//
// The field's bitmap fills the frame; every visible box window (targets, ball speed) is laid over it
// where the host places its overlay: the double-line frame (1 pixel black, 2 white, 2 black, 3 white)
// around the window's content, the content 8 pixels in from the frame's edge. Pixels are one byte
// each, row by row, non-zero for black, exactly like a Bitmap's.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ToolboxTypes.h"

namespace FrameComposer {

inline constexpr int64_t width = 512;
inline constexpr int64_t height = 322;
// The frame drawn around a box window's content on each side.
inline constexpr int64_t boxMargin = 8;

struct Layer {
    WindowID id;
    std::span<const uint8_t> pixels; // the window's bitmap, windowBounds(id)'s size
};

// The field first, then the visible boxes in the order the host raised them (later ones on top).
std::vector<uint8_t> compose(std::span<const uint8_t> field, std::span<const Layer> boxes);

} // namespace FrameComposer
