// Terrain and trees: the generated ground, the hand-painted ground and the fir trees.
//
// The ground exists only as pixels. It is drawn with a pen 5 wide and 300 high, so a line along the
// surface paints the whole mass below it.
#include "Ordnix.h"

#include <algorithm>
#include <array>

#include "Check.h"

namespace {
constexpr int64_t skyLimit = 75;     // no generated surface lies above this row
constexpr int64_t groundLimit = 275; // nor below this one; also the trees' root row

// The fir tree's outline as (dh, dv) from its top-left corner; closed (first point repeated).
constexpr std::array<std::array<int64_t, 2>, 29> treeOutline{{
    {10, 1}, {12, 6},  {11, 6},  {12, 6},  {13, 11}, {11, 11}, {14, 15}, {11, 15}, {15, 20}, {11, 20},
    {16, 24}, {11, 24}, {18, 29}, {11, 29}, {11, 35}, {9, 35},  {9, 29},  {2, 29},  {9, 24},  {4, 24},
    {9, 20},  {5, 20},  {9, 15},  {6, 15},  {9, 11},  {7, 11},  {9, 6},   {8, 6},   {10, 1},
}};

bool contains(const QuickDraw::Rect& r, int64_t h, int64_t v) {
    return v >= r.top && v < r.bottom && h >= r.left && h < r.right;
}
} // namespace

void Ordnix::drawGround() {
    penSize(5, 300);
    penPat(black);
    int64_t h = gCanLX - 25;
    gGroundY = gCanLY + 9;
    moveTo(h, gGroundY);

    if (gRoughness >= 1) {
        // Leftward from the left cannon until the ground has reached past column 0.
        int64_t negatives = 0;
        do {
            groundStep(h);
            h = h - (randomBelow(5) + 5);
            if (h < 0)
                ++negatives;
        } while (negatives < 2);

        // The left cannon's platform.
        moveTo(gCanLX - 25, gCanLY + 9);
        lineTo(gCanLX + 20, gCanLY + 9);

        // Rightward, with the right cannon's platform on the way.
        h = gCanLX + 20;
        gGroundY = gCanLY + 9;
        moveTo(h, gGroundY);
        groundStep(h);
        h = h + randomBelow(5) + 5;
        for (;;) {
            if (gCanRX - 30 < h && h < gCanRX) {
                lineTo(gCanRX - 23, gCanRY + 9);
                lineTo(gCanRX + 25, gCanRY + 9);
                h = gCanRX + 20;
                gGroundY = gCanRY + 9;
                moveTo(h, gGroundY);
            }
            if (h > 520)
                break;
            groundStep(h);
            h = h + randomBelow(5) + 5;
        }
    }

    if (gTerrain == 0) {
        moveTo(0, gGroundY);
        lineTo(550, gGroundY);
    }
}

void Ordnix::groundStep(int64_t h) {
    // The clamp comes before drawing, so no drawn point leaves the band.
    gGroundY = std::clamp(gGroundY, skyLimit, groundLimit);
    lineTo(h, gGroundY);
    const int64_t a = randomBelow(60);
    const int64_t b = randomBelow(5);
    const int64_t s = a - b - 30;
    gStep = std::min(gRoughness, s);
    if (gStep < -gRoughness)
        gStep = -gRoughness;
    gGroundY = gGroundY + gStep;
}

void Ordnix::drawTerrain() {
    penSize(1, 1);
    moveTo(0, groundLimit);
    lineTo(530, groundLimit);
    penSize(1, 1);
    disableMenus();
    drawTerrainButtons();

    int64_t anchorH = 0;
    int64_t anchorV = 0;
    bool done = false;
    while (!done) {
        // One button reading per pass, taken before the mouse so that a click shorter than a pass is
        // seen once and where it happened.
        const bool down = button();
        getMouse(gMouse);
        const int64_t h = gMouse.h;
        const int64_t v = gMouse.v;

        if (!down) {
            anchorH = h;
            anchorV = std::clamp(v, skyLimit, groundLimit);
        }
        if (down && contains(gClearRect, h, v)) {
            inverRoundRect(gClearRect, 10, 10);
            fillRect(rectTLBR(20, 0, groundLimit, 528), white);
            inverRoundRect(gClearRect, 10, 10);
        }
        if (down && contains(gCancelRect, h, v)) {
            inverRoundRect(gCancelRect, 10, 10);
            gCancelled = true;
            done = true;
        }
        if (down && contains(gContinueRect, h, v)) {
            inverRoundRect(gContinueRect, 10, 10);
            done = true;
        }
        if (v < skyLimit)
            moveTo(h, skyLimit);
        if (v >= groundLimit + 1) {
            moveTo(h, groundLimit);
            continue;
        }
        if (!down)
            continue;

        if (v >= skyLimit + 1 && v <= groundLimit - 1) {
            moveTo(h, v);
            lineTo(h, groundLimit);
            penPat(white);
            moveTo(h, v);
            lineTo(h, skyLimit);
            penPat(black);
        }
        // The ground between the anchor's column and the mouse's, then the sky above it.
        auto ground = newRgn();
        openRgn();
        moveTo(anchorH, anchorV);
        if (v < skyLimit)
            lineTo(h, skyLimit);
        lineTo(h, v);
        lineTo(h, groundLimit + 1);
        lineTo(anchorH, groundLimit + 1);
        lineTo(anchorH, anchorV);
        closeRgn(ground);
        fillRgn(ground, black);

        auto sky = newRgn();
        openRgn();
        moveTo(anchorH, anchorV);
        if (v < skyLimit)
            lineTo(h, skyLimit);
        lineTo(h, v);
        lineTo(h, skyLimit);
        lineTo(anchorH, skyLimit);
        lineTo(anchorH, anchorV);
        closeRgn(sky);
        fillRgn(sky, white);

        anchorH = h;
        anchorV = std::max(v, skyLimit);
    }
    enableMenus();
}

void Ordnix::plantTree() {
    ORDNIX_CHECK(gTree >= 2 && gTree <= 15, "tree index within the tree table");
    const auto index = static_cast<size_t>(gTree);

    // Draw columns until one stands clear of the middle band, the cannons and the buildings that are on.
    for (;;) {
        const int64_t x = randomBelow(244) + (gTree % 2 == 1 ? 12 : 256);
        gTreeLeft = x;
        gTestRect = rectTLBR(0, x, 300, x + 19);

        const int64_t bandLeft = std::max<int64_t>(x, 230);
        const int64_t bandRight = std::min<int64_t>(x + 19, 280);
        if (bandLeft < bandRight) {
            gSect = rectTLBR(gTestRect.top, bandLeft, gTestRect.bottom, bandRight);
            continue;
        }
        gSect = QuickDraw::Rect::zero;
        if (sectRect(gTestRect, gCanRRect, gSect) || sectRect(gTestRect, gCanLRect, gSect))
            continue;
        if (gHospitals == 1 && (sectRect(gTestRect, gRHospRect, gSect) || sectRect(gTestRect, gLHospRect, gSect)))
            continue;
        if (gPosts == 1 && (sectRect(gTestRect, gRPostRect, gSect) || sectRect(gTestRect, gLPostRect, gSect)))
            continue;
        break;
    }

    // The trunk's foot stands on the first black pixel of its column.
    gTreeTop = groundRow(gTreeLeft + 9) - 33;

    penMode(QuickDraw::PenMode::notPatOr);
    gTreeDown[index] = false;
    gTreeRect[index] = rectTLBR(gTreeTop, gTreeLeft, gTreeTop + 35, gTreeLeft + 19);
    gTreeBaseX[index] = gTreeLeft + 9;
    gTreeBaseY[index] = gTreeTop + 35;

    gTreePoly[index] = openPoly();
    moveTo(gTreeLeft + treeOutline[0][0], gTreeTop + treeOutline[0][1]);
    for (size_t i = 1; i < treeOutline.size(); ++i)
        lineTo(gTreeLeft + treeOutline[i][0], gTreeTop + treeOutline[i][1]);
    closePoly();

    // A 3-pixel root from the trunk's foot down, so the tree stands on ground however it is cratered.
    penNormal();
    penSize(3, 1);
    moveTo(gTreeLeft + 9, gTreeTop + 33);
    lineTo(gTreeLeft + 9, groundLimit);
    penSize(1, 1);
}

void Ordnix::plantTrees() {
    if (gTrees != 1) {
        gTree = 0;
        return;
    }
    const int64_t n = randomBelow(10) + 5;
    gTree = gTreeFill = gNumTrees = n;
    while (gTree > 1) {
        plantTree();
        gTree = gTree - 1;
    }
    fillTrees();
}

void Ordnix::fillTrees() {
    if (gTrees != 1)
        return;
    // Counting down to 1 rather than until 1, so a count that starts at 1 or below cannot run away.
    while (gTreeFill > 1) {
        ORDNIX_CHECK(gTreeFill <= 15, "tree index within the tree table");
        const auto& poly = gTreePoly[static_cast<size_t>(gTreeFill)];
        ORDNIX_CHECK(poly != nullptr, "every tree to fill has been planted");
        fillPoly(poly, black);
        gTreeFill = gTreeFill - 1;
    }
}
