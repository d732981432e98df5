// The headless replay's outputs that need no recording: the command line, the composed frame and
// the animated GIF.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include <QTemporaryDir>
#include <gif_lib.h>

#include "FrameComposer.h"
#include "GifWriter.h"
#include "ReplayWindow.h"

namespace {


TEST(FrameComposer, LaysTheBoxesOverTheFieldInTheirDoubleFrames) {
    // A targets window (490 x 285, its content at field column 10, row 15) black at its own corners.
    std::vector<uint8_t> field(512 * 322, 0);
    field[0] = field[12 * 512 + 3] = 1;
    std::vector<uint8_t> targets(490 * 285, 0);
    targets[0] = targets[489] = targets[284 * 490] = targets[284 * 490 + 489] = 7;
    const FrameComposer::Layer boxes[] = {{WindowID::targets, targets}};
    const std::vector<uint8_t> frame = FrameComposer::compose(field, boxes);
    const auto at = [&](int64_t h, int64_t v) { return frame[v * 512 + h]; };

    // The field's corners are outside the box; its pixel (3, 12) is under the frame's white ring.
    EXPECT_EQ((std::vector{at(0, 0), at(3, 12)}), (std::vector<uint8_t>{1, 0}));
    // Across the frame's top-left corner diagonally and along its left edge at mid-height, from the
    // outside in: field white, 1 black, 2 white, 2 black, 3 white, then the content.
    const uint8_t ring[] = {1, 0, 0, 1, 1, 0, 0, 0};
    for (int64_t i = 0; i < 8; ++i) {
        EXPECT_EQ(at(2 + i, 7 + i), ring[i]) << "diagonal step " << i;
        EXPECT_EQ(at(2 + i, 150), ring[i]) << "left edge step " << i;
    }
    // The content's corners, normalised to 1.
    EXPECT_EQ((std::vector{at(10, 15), at(499, 15), at(10, 299), at(499, 299), at(11, 16)}),
              (std::vector<uint8_t>{1, 1, 1, 1, 0}));
}

// The GIF read back and played: each image drawn over the canvas, with its delay.
struct Played {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int> delays;
};

Played play(const QString& path) {
    Played played;
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.toLocal8Bit().constData(), &code);
    if (!gif || DGifSlurp(gif) != GIF_OK)
        return played;
    std::vector<uint8_t> canvas(static_cast<size_t>(gif->SWidth * gif->SHeight), 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x)
                canvas[(d.Top + y) * gif->SWidth + d.Left + x] = image.RasterBits[y * d.Width + x];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        played.frames.push_back(canvas);
        played.delays.push_back(control.DelayTime);
    }
    DGifCloseFile(gif, &code);
    return played;
}

TEST(GifWriter, MergesRepeatsAndTimesFramesFromTheirTicks) {
    QTemporaryDir directory;
    const QString path = directory.filePath("out.gif");
    const int64_t w = 40, h = 30;
    std::vector<uint8_t> a(w * h, 0), b = a, c = a;
    b[3 * w + 4] = 1;
    c[29 * w + 39] = 255;
    c[0] = 1;
    GifWriter writer(path.toStdString(), w, h);
    // Ticks: a at 0 and again at 3 (merged), b at 6, back to a at 7, c at 60; the end at 130.
    for (const auto& [frame, tick] : {std::pair{&a, 0}, {&a, 3}, {&b, 6}, {&a, 7}, {&c, 60}})
        ASSERT_TRUE(writer.addFrame(*frame, tick)) << writer.error();
    ASSERT_TRUE(writer.finish(130)) << writer.error();

    const Played played = play(path);
    c[29 * w + 39] = 1;
    const std::vector<std::vector<uint8_t>> expected = {a, b, a, c};
    EXPECT_EQ(played.frames, expected);
    // Hundredths of a second between the ticks, rounded on the running total: 0, 10, 12, 100, 217.
    EXPECT_EQ(played.delays, (std::vector<int>{10, 2, 88, 117}));
}

TEST(ReplayPacer, FollowsTheWallClockThroughPausesAndSpeedChanges) {
    ReplayPacer pacer;
    // Wall seconds; 'p' pause/resume, '+', '-', or ' ' none; the ticks expected right after.
    const std::tuple<double, char, double> steps[] = {
        {1, ' ', 60}, {1, 'p', 60}, {5, ' ', 60}, {5, 'p', 60}, {6, ' ', 120}, {6, '+', 120}, {7, ' ', 240},
        {7, '-', 240}, {7, '-', 240}, {9, ' ', 300},
    };
    for (const auto& [at, action, position] : steps) {
        if (action == 'p')
            pacer.togglePause(at);
        else if (action != ' ')
            pacer.changeSpeed(action == '+' ? 2 : 0.5, at);
        EXPECT_DOUBLE_EQ(pacer.position(at), position) << "at " << at << " s";
    }
}

} // namespace
