// Text: glyph boxes and placement, bold and outline, string metrics, drawing rules (clipping, pen
// visibility, recording, change counting) and the blank fallback without a font.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "QuickDraw.h"

using namespace QuickDraw;

namespace {

// A glyph from rows of "#" (black) and "." (white).
Glyph glyphFromRows(const std::vector<std::string>& rows, int64_t ascent, int64_t advance) {
    Glyph glyph;
    glyph.height = static_cast<int64_t>(rows.size());
    glyph.width = rows.empty() ? 0 : static_cast<int64_t>(rows[0].size());
    glyph.ascent = ascent;
    glyph.advance = advance;
    glyph.originX = -2;
    for (const std::string& row : rows)
        for (char c : row)
            glyph.bits.push_back(c == '#' ? 1 : 0);
    return glyph;
}

std::vector<std::string> rowsOf(const Glyph& glyph) {
    std::vector<std::string> rows;
    for (int64_t y = 0; y < glyph.height; ++y) {
        std::string row;
        for (int64_t x = 0; x < glyph.width; ++x)
            row += glyph.black(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

int64_t blackCount(const Bitmap& bitmap) {
    int64_t count = 0;
    for (uint8_t pixel : bitmap.pixels())
        count += pixel;
    return count;
}

bool anyInk(const Glyph& glyph, int64_t rowBegin, int64_t rowEnd) {
    for (int64_t y = rowBegin; y < rowEnd; ++y)
        for (int64_t x = 0; x < glyph.width; ++x)
            if (glyph.black(x, y))
                return true;
    return false;
}

const int64_t kSizes[] = {9, 12, 14, 18};

const Style kFaces[] = {Style{}, Style::bold, Style::outline, Style{Style::bold, Style::outline}};

} // namespace

// ---- style operations on glyph images ----

TEST(TextStyles, EmboldenWidensEveryBlackPixelToTheRight) {
    struct Case {
        std::vector<std::string> in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {{"#."}, {"##."}},
        {{"#.#"}, {"####"}},
        {{"..", ".#"}, {"...", ".##"}},
        {{"...", "..."}, {"....", "...."}},
    };
    for (const Case& c : cases) {
        const Glyph plain = glyphFromRows(c.in, 1, 5);
        const Glyph bold = TextRenderer::embolden(plain);
        EXPECT_EQ(rowsOf(bold), c.out) << "input " << c.in[0];
        EXPECT_EQ(bold.width, plain.width + 1);
        EXPECT_EQ(bold.height, plain.height);
        EXPECT_EQ(bold.ascent, plain.ascent);
        EXPECT_EQ(bold.advance, plain.advance + 1);
        EXPECT_EQ(bold.originX, plain.originX);
    }
}

TEST(TextStyles, OutlineIsTheContourJustOutsideTheShape) {
    struct Case {
        std::vector<std::string> in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        // A single pixel: the eight pixels around it, itself white.
        {{"#."}, {"###.", "#.#.", "###."}},
        // A bar of three: a ring two rows taller and two columns wider.
        {{"###"}, {"#####", "#...#", "#####"}},
        // A diagonal: corners touch, so the contour closes around both pixels.
        {{"#.", ".#"}, {"###.", "#.##", "##.#", ".###"}},
        // Nothing black: nothing outlined.
        {{".."}, {"....", "....", "...."}},
    };
    for (const Case& c : cases) {
        const Glyph plain = glyphFromRows(c.in, 1, 4);
        const Glyph outline = TextRenderer::outlined(plain);
        EXPECT_EQ(rowsOf(outline), c.out) << "input " << c.in[0];
        EXPECT_EQ(outline.width, plain.width + 2);
        EXPECT_EQ(outline.height, plain.height + 2);
        EXPECT_EQ(outline.ascent, plain.ascent + 1);
        EXPECT_EQ(outline.advance, plain.advance + 1);
        EXPECT_EQ(outline.originX, plain.originX - 1);
    }
}

TEST(TextStyles, BoldOutlineOutlinesTheWidenedGlyph) {
    const Glyph plain = glyphFromRows({"#"}, 1, 3);
    const Glyph both = TextRenderer::outlined(TextRenderer::embolden(plain));
    EXPECT_EQ(rowsOf(both), (std::vector<std::string>{"####", "#..#", "####"}));
    EXPECT_EQ(both.advance, plain.advance + 2);
}

// ---- rendering one character ----

TEST(TextRender, GlyphBoxFollowsTheFontMetrics) {
    TextRenderer renderer;
    ASSERT_TRUE(renderer.hasFont()) << "no face resolved for Geneva; install fonts-dejavu-core";
    const std::u32string characters = U"AHgjpWiIl .,|@Mm1";
    for (int64_t size : kSizes) {
        const Glyph reference = renderer.render(U'H', size);
        for (char32_t character : characters) {
            SCOPED_TRACE(testing::Message() << "size " << size << " character U+" << std::hex
                                            << static_cast<uint32_t>(character));
            const Glyph glyph = renderer.render(character, size);
            // One line box per size: ascent and descent come from the font, not the character.
            EXPECT_EQ(glyph.height, reference.height);
            EXPECT_EQ(glyph.ascent, reference.ascent);
            EXPECT_EQ(glyph.originX, -2);
            ASSERT_EQ(glyph.bits.size(), static_cast<size_t>(glyph.width * glyph.height));
            // ceil(advance) + 4 columns, the advance rounded to nearest: the two differ by at most one.
            EXPECT_GE(glyph.width - 4, glyph.advance);
            EXPECT_LE(glyph.width - 4, glyph.advance + 1);
            EXPECT_GT(glyph.advance, 0);
            EXPECT_LE(glyph.advance, size + 2);
        }
        // Rounded up ascent and descent hold a full line: at least the point size, below the baseline too.
        EXPECT_GT(reference.height - reference.ascent, 0);
        EXPECT_GE(reference.height, size);
        EXPECT_LE(reference.height, 2 * size);
    }
}

TEST(TextRender, BaselineLiesBetweenRowsAscentMinusOneAndAscent) {
    TextRenderer renderer;
    ASSERT_TRUE(renderer.hasFont());
    for (int64_t size : kSizes) {
        SCOPED_TRACE(testing::Message() << "size " << size);
        const Glyph h = renderer.render(U'H', size);
        // H stands on the baseline: ink in the row just above it, none below.
        EXPECT_TRUE(anyInk(h, h.ascent - 1, h.ascent));
        EXPECT_FALSE(anyInk(h, h.ascent, h.height));
        // p and g hang below the baseline.
        for (char32_t descender : {U'p', U'g'}) {
            const Glyph glyph = renderer.render(descender, size);
            EXPECT_TRUE(anyInk(glyph, glyph.ascent, glyph.height));
        }
        // The origin sits two columns in: H's stems lie within its advance from there.
        for (int64_t y = 0; y < h.height; ++y) {
            for (int64_t x = 0; x < h.width; ++x) {
                if (x < 2 || x >= 2 + h.advance) {
                    EXPECT_FALSE(h.black(x, y)) << "ink outside the advance at " << x << "," << y;
                }
            }
        }
        // The space is white.
        EXPECT_FALSE(anyInk(renderer.render(U' ', size), 0, h.height));
    }
}

TEST(TextRender, CapitalIHasASolidVerticalStroke) {
    TextRenderer renderer;
    ASSERT_TRUE(renderer.hasFont());
    for (int64_t size : kSizes) {
        const Glyph glyph = renderer.render(U'I', size);
        // Capitals are at least half the point size tall: some column is black from there to the baseline.
        const int64_t strokeTop = glyph.ascent - size / 2;
        bool found = false;
        for (int64_t x = 0; x < glyph.width && !found; ++x) {
            bool solid = true;
            for (int64_t y = strokeTop; y < glyph.ascent; ++y)
                solid = solid && glyph.black(x, y);
            found = solid;
        }
        EXPECT_TRUE(found) << "size " << size << "\n" << testing::PrintToString(rowsOf(glyph));
    }
}

TEST(TextRender, GlyphsAreCachedPerFontSizeAndCharacter) {
    TextRenderer renderer;
    const Glyph& first = renderer.glyph(0, 12, U'a');
    EXPECT_EQ(renderer.cachedGlyphCount(), 1u);
    EXPECT_EQ(&renderer.glyph(0, 12, U'a'), &first);
    EXPECT_EQ(renderer.cachedGlyphCount(), 1u);
    renderer.glyph(1, 12, U'a');
    renderer.glyph(0, 14, U'a');
    renderer.glyph(0, 12, U'b');
    EXPECT_EQ(renderer.cachedGlyphCount(), 4u);
    // Every font number renders with the same face.
    EXPECT_EQ(renderer.glyph(1, 12, U'a'), first);
    EXPECT_EQ(first, renderer.render(U'a', 12));
}

TEST(TextRender, EffectiveSize) {
    EXPECT_EQ(TextRenderer::effectiveSize(0), 12);
    EXPECT_EQ(TextRenderer::effectiveSize(9), 9);
    EXPECT_EQ(TextRenderer::effectiveSize(18), 18);
    EXPECT_EQ(TextRenderer::effectiveSize(-3), TextRenderer::minSize);
    EXPECT_EQ(TextRenderer::effectiveSize(std::numeric_limits<int64_t>::max()), TextRenderer::maxSize);
}

TEST(TextRender, MissingFontGivesBlankTextWithAdvancesAndOneMessage) {
    testing::internal::CaptureStderr();
    TextRenderer renderer("/nonexistent/ordnix-no-such-font.ttf");
    EXPECT_FALSE(renderer.hasFont());
    for (int64_t size : kSizes) {
        for (char32_t character : std::u32string(U"Wi.")) {
            const Glyph glyph = renderer.glyph(0, size, character);
            EXPECT_GT(glyph.advance, 0);
            EXPECT_GE(glyph.height, size);
            EXPECT_GE(glyph.width - 4, glyph.advance);
            EXPECT_LE(glyph.width - 4, glyph.advance + 1);
            EXPECT_FALSE(anyInk(glyph, 0, glyph.height));
        }
    }
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string message = "Ordnix: no font for \"Geneva\"";
    const size_t first = err.find(message);
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find(message, first + 1), std::string::npos) << err;
}

TEST(TextRender, Utf8DecodesCodePointsAndReplacesEachMalformedByte) {
    struct Case {
        std::string in;
        std::u32string out;
    };
    const Case cases[] = {
        {"", U""},
        {"Fire!", U"Fire!"},
        {"\xC3\xA9t\xC3\xA9", U"\u00E9t\u00E9"},
        {"\xE2\x80\xA6", U"\u2026"},
        {"\xF0\x9F\x92\xA3", U"\U0001F4A3"},
        {"a\x80" "b", U"a\uFFFDb"},                 // stray continuation byte
        {"\xC0\x80", U"\uFFFD\uFFFD"},               // overlong NUL
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},     // surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
        {"\xE2\x80", U"\uFFFD\uFFFD"},               // truncated at the end
        {"\xFF" "A", U"\uFFFDA"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextRenderer::decodeUtf8(c.in), c.out) << testing::PrintToString(c.in);
}

// ---- drawing and measuring strings through the context ----

class TextDrawing : public testing::Test {
protected:
    TextDrawing() : port(200, 60), context(port) {}

    GrafPort port;
    QuickDrawContext context;
};

TEST_F(TextDrawing, StringWidthMatchesPenMovementInEveryFaceAndSize) {
    const std::string text = "Powder 12, Angle 45!";
    const int64_t characters = static_cast<int64_t>(text.size());
    const int64_t sizes[] = {0, 9, 12, 14, 18};
    for (int64_t size : sizes) {
        context.textSize(size);
        context.textFace(Style{});
        const int64_t plain = context.stringWidth(text);
        int64_t sumOfAdvances = 0;
        for (char c : text)
            sumOfAdvances += context.text.glyph(0, TextRenderer::effectiveSize(size), static_cast<char32_t>(c)).advance;
        EXPECT_EQ(plain, sumOfAdvances) << "size " << size;
        for (Style face : kFaces) {
            SCOPED_TRACE(testing::Message() << "size " << size << " face " << int(face.rawValue));
            context.textFace(face);
            const int64_t extra = (face.contains(Style::bold) ? 1 : 0) + (face.contains(Style::outline) ? 1 : 0);
            const int64_t width = context.stringWidth(text);
            EXPECT_EQ(width, plain + extra * characters);
            context.moveTo(-7, 30);
            context.drawString(text);
            EXPECT_EQ(port.pnLoc.h, -7 + width);
            EXPECT_EQ(port.pnLoc.v, 30);
        }
    }
}

TEST_F(TextDrawing, WidthsAddUpOverConcatenation) {
    const std::string parts[] = {"Score", ": ", "120", "\xC3\xA9"};
    std::string whole;
    int64_t sum = 0;
    for (const std::string& part : parts) {
        whole += part;
        sum += context.stringWidth(part);
    }
    EXPECT_EQ(context.stringWidth(whole), sum);
    EXPECT_EQ(context.stringWidth("\xC3\xA9"), context.text.glyph(0, 12, U'\u00E9').advance);
    EXPECT_EQ(context.stringWidth(""), 0);
}

TEST_F(TextDrawing, DrawsEachGlyphsBlackPixelsAtThePen) {
    context.textSize(14);
    context.moveTo(10, 30);
    context.drawString("Ag");
    const Glyph& a = context.text.glyph(0, 14, U'A');
    const Glyph& g = context.text.glyph(0, 14, U'g');
    int64_t expectedBlack = 0;
    std::vector<uint8_t> expected(static_cast<size_t>(port.bitmap.width() * port.bitmap.height()), 0);
    const struct {
        const Glyph* glyph;
        int64_t penH;
    } placed[] = {{&a, 10}, {&g, 10 + a.advance}};
    for (const auto& p : placed)
        for (int64_t r = 0; r < p.glyph->height; ++r)
            for (int64_t c = 0; c < p.glyph->width; ++c)
                if (p.glyph->black(c, r))
                    expected[static_cast<size_t>((30 - p.glyph->ascent + r) * port.bitmap.width() + p.penH +
                                                 p.glyph->originX + c)] = 1;
    for (uint8_t pixel : expected)
        expectedBlack += pixel;
    EXPECT_GT(expectedBlack, 20);
    EXPECT_EQ(port.bitmap.bits(), expected);
}

TEST_F(TextDrawing, SizeZeroDrawsAsSizeTwelve) {
    GrafPort other(200, 60);
    QuickDrawContext twelve(other);
    twelve.textSize(12);
    context.moveTo(5, 20);
    twelve.moveTo(5, 20);
    context.drawString("Ordnix 0:12");
    twelve.drawString("Ordnix 0:12");
    EXPECT_GT(blackCount(port.bitmap), 0);
    EXPECT_EQ(port.bitmap.bits(), other.bitmap.bits());
    EXPECT_EQ(port.pnLoc, other.pnLoc);
}

TEST_F(TextDrawing, IgnoredStylesAndFontNumbersDrawLikePlainText) {
    GrafPort other(200, 60);
    QuickDrawContext plain(other);
    plain.moveTo(3, 40);
    plain.drawString("Trees: 5");
    context.textFace(Style{Style::italic, Style::underline, Style::shadow});
    context.textFont(FontID::applFont);
    context.moveTo(3, 40);
    context.drawString("Trees: 5");
    EXPECT_EQ(port.bitmap.bits(), other.bitmap.bits());
}

TEST_F(TextDrawing, StyledTextCoversThePlainStrokes) {
    // Bold only adds pixels to the right of existing ones; outline surrounds the shape. Both keep the
    // plain glyph's place, so bold text covers plain text drawn at the same pen.
    GrafPort plainPort(200, 60);
    QuickDrawContext plain(plainPort);
    plain.moveTo(4, 40);
    plain.drawString("H");
    context.textFace(Style::bold);
    context.moveTo(4, 40);
    context.drawString("H");
    const auto plainBits = plainPort.bitmap.bits();
    const auto boldBits = port.bitmap.bits();
    for (size_t i = 0; i < plainBits.size(); ++i)
        if (plainBits[i] != 0) {
            EXPECT_EQ(boldBits[i], 1) << "pixel " << i;
        }
    EXPECT_GT(blackCount(port.bitmap), blackCount(plainPort.bitmap));
}

TEST_F(TextDrawing, ClipsToThePortRectangleAndTheBitmap) {
    GrafPort whole(200, 60);
    QuickDrawContext unclipped(whole);
    const Rect clip(12, 15, 40, 28);
    port.portRect = clip;
    const std::string text = "WWWWWWW";
    context.textSize(18);
    unclipped.textSize(18);
    context.moveTo(5, 30);
    unclipped.moveTo(5, 30);
    context.drawString(text);
    unclipped.drawString(text);
    EXPECT_EQ(port.pnLoc, whole.pnLoc);
    int64_t inside = 0;
    for (int64_t y = 0; y < 60; ++y)
        for (int64_t x = 0; x < 200; ++x) {
            const bool in = clip.contains(Point(x, y));
            EXPECT_EQ(port.bitmap.pixel(x, y), in && whole.bitmap.pixel(x, y)) << x << "," << y;
            inside += in && whole.bitmap.pixel(x, y);
        }
    EXPECT_GT(inside, 0);
    EXPECT_GT(blackCount(whole.bitmap), inside);

    // Off the bitmap's edges, up to the int64 limits: clipped silently, one change per call.
    port.portRect = Rect(-1000, -1000, 1000, 1000);
    const int64_t before = port.bitmap.changeCount();
    const auto bitsBefore = port.bitmap.bits();
    const int64_t far = std::numeric_limits<int64_t>::max();
    const int64_t near = std::numeric_limits<int64_t>::min();
    const Point pens[] = {Point(-500, 30), Point(300, 30), Point(5, -40), Point(5, 200), Point(near, near),
                          Point(far - 3, far), Point(near, 30), Point(far, 30)};
    for (Point pen : pens) {
        context.moveTo(pen.h, pen.v);
        context.drawString(text);
    }
    EXPECT_EQ(port.bitmap.bits(), bitsBefore);
    EXPECT_EQ(port.bitmap.changeCount(), before + static_cast<int64_t>(std::size(pens)));
    // The pen stops at the largest coordinate instead of wrapping around.
    EXPECT_EQ(port.pnLoc.h, far);
}

TEST_F(TextDrawing, TextIsOnlyEverSetBlack) {
    context.penMode(PenMode::patXor);
    context.penPat(Pattern::gray);
    context.moveTo(10, 30);
    context.drawString("XOR");
    const auto once = port.bitmap.bits();
    EXPECT_GT(blackCount(port.bitmap), 0);
    context.moveTo(10, 30);
    context.drawString("XOR");
    EXPECT_EQ(port.bitmap.bits(), once);
    EXPECT_FALSE(port.bitmap.hasFlashes());

    // On black, white glyph pixels leave the background alone.
    context.penNormal();
    context.paintRect(Rect(0, 0, 200, 60));
    context.moveTo(10, 30);
    context.drawString("XOR");
    EXPECT_EQ(blackCount(port.bitmap), 200 * 60);
}

TEST_F(TextDrawing, EmptyStringCountsOneChangeAndDrawsNothing) {
    context.moveTo(10, 30);
    context.drawString("");
    EXPECT_EQ(port.bitmap.changeCount(), 1);
    EXPECT_EQ(blackCount(port.bitmap), 0);
    EXPECT_EQ(port.pnLoc, Point(10, 30));
    context.drawString("Hi");
    EXPECT_EQ(port.bitmap.changeCount(), 2);
}

TEST_F(TextDrawing, HiddenPenAndRecordingSuppressText) {
    const std::string text = "Fire";
    const int64_t width = context.stringWidth(text);
    enum class Suppress { hidePen, region, polygon };
    for (Suppress how : {Suppress::hidePen, Suppress::region, Suppress::polygon}) {
        SCOPED_TRACE(testing::Message() << "suppression " << static_cast<int>(how));
        context.moveTo(10, 30);
        const int64_t changes = port.bitmap.changeCount();
        const auto bits = port.bitmap.bits();
        auto region = context.newRgn();
        switch (how) {
        case Suppress::hidePen:
            context.hidePen();
            context.hidePen();
            break;
        case Suppress::region:
            context.openRgn();
            break;
        case Suppress::polygon:
            context.openPoly();
            break;
        }
        context.drawString(text);
        EXPECT_EQ(port.bitmap.changeCount(), changes);
        EXPECT_EQ(port.bitmap.bits(), bits);
        EXPECT_EQ(port.pnLoc, Point(10, 30));
        // Measuring ignores visibility.
        EXPECT_EQ(context.stringWidth(text), width);
        switch (how) {
        case Suppress::hidePen:
            // A counter: one showPen is not enough.
            context.showPen();
            context.drawString(text);
            EXPECT_EQ(port.bitmap.changeCount(), changes);
            context.showPen();
            break;
        case Suppress::region:
            context.closeRgn(*region);
            break;
        case Suppress::polygon:
            context.closePoly();
            break;
        }
        context.drawString(text);
        EXPECT_EQ(port.bitmap.changeCount(), changes + 1);
        EXPECT_EQ(port.pnLoc, Point(10 + width, 30));
        context.eraseRect(Rect(0, 0, 200, 60));
    }
}

TEST_F(TextDrawing, AbsurdSizesAreClampedNotAllocated) {
    GrafPort other(200, 60);
    QuickDrawContext clamped(other);
    clamped.textSize(TextRenderer::maxSize);
    context.textSize(std::numeric_limits<int64_t>::max());
    EXPECT_EQ(context.stringWidth("W"), clamped.stringWidth("W"));
    context.textSize(-40);
    clamped.textSize(TextRenderer::minSize);
    EXPECT_EQ(context.stringWidth("Wide"), clamped.stringWidth("Wide"));
    context.moveTo(0, 30);
    context.drawString("Wide");
    EXPECT_EQ(port.pnLoc.h, clamped.stringWidth("Wide"));
}

TEST(TextConcurrency, SnapshotsUnderTheLockSeeWholeCallsOnly) {
    // The host samples while the game thread draws: each sample shows exactly the first changeCount calls.
    constexpr int64_t calls = 40;
    const auto penFor = [](int64_t call) { return Point(4 + (call % 10) * 19, 16 + (call / 10) * 14); };
    GrafPort reference(200, 60);
    QuickDrawContext referenceContext(reference);
    std::vector<std::vector<uint8_t>> after{reference.bitmap.bits()};
    for (int64_t call = 0; call < calls; ++call) {
        referenceContext.moveTo(penFor(call).h, penFor(call).v);
        referenceContext.drawString("Wg");
        after.push_back(reference.bitmap.bits());
    }

    GrafPort port(200, 60);
    QuickDrawContext context(port);
    std::thread game([&] {
        for (int64_t call = 0; call < calls; ++call) {
            context.moveTo(penFor(call).h, penFor(call).v);
            context.drawString("Wg");
        }
    });
    int64_t seen = 0;
    int64_t samples = 0;
    while (seen < calls) {
        int64_t count = 0;
        std::vector<uint8_t> image;
        {
            std::lock_guard lock(screenLock());
            count = port.bitmap.changeCount();
            image = port.bitmap.snapshot();
        }
        ASSERT_GE(count, seen);
        ASSERT_LE(count, calls);
        ASSERT_EQ(image, after[static_cast<size_t>(count)]) << "sample after " << count << " calls";
        seen = count;
        ++samples;
    }
    game.join();
    EXPECT_GT(samples, 0);
}
