// Text: bold and outline images, glyph boxes, string metrics, drawing rules and the blank fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

namespace {
Glyph glyphFromRows(const Rows& rows) {
    Glyph glyph;
    glyph.height = static_cast<int64_t>(rows.size()), glyph.width = static_cast<int64_t>(rows[0].size());
    glyph.ascent = 1, glyph.advance = 5, glyph.originX = -2;
    for (const std::string& row : rows)
        for (char c : row)
            glyph.bits.push_back(c == '#' ? 1 : 0);
    return glyph;
}

Rows rowsOf(const Glyph& glyph) {
    Rows rows(static_cast<size_t>(glyph.height), std::string(static_cast<size_t>(glyph.width), '.'));
    for (int64_t y = 0; y < glyph.height; ++y)
        for (int64_t x = 0; x < glyph.width; ++x)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = glyph.black(x, y) ? '#' : '.';
    return rows;
}

} // namespace

// Bold sets each black pixel and its right neighbour; outline is the 8-connected contour just outside.
TEST(TextStyles, EmboldenAndOutline) {
    const std::vector<std::tuple<bool, bool, Rows, Rows>> cases = { // bold, outline, in, out
        {true, false, {"#.#"}, {"####"}}, {true, false, {"..", ".#"}, {"...", ".##"}},
        {false, true, {"#."}, {"###.", "#.#.", "###."}}, {false, true, {"#.", ".#"}, {"###.", "#.##", "##.#", ".###"}},
        {true, true, {"#"}, {"####", "#..#", "####"}}, // the outline of the widened glyph
    };
    for (const auto& [bold, outline, in, out] : cases) {
        SCOPED_TRACE(testing::PrintToString(in) + (bold ? " bold" : "") + (outline ? " outline" : ""));
        const Glyph plain = glyphFromRows(in);
        Glyph styled = bold ? TextRenderer::embolden(plain) : plain;
        styled = outline ? TextRenderer::outlined(styled) : styled;
        EXPECT_EQ(rowsOf(styled), out);
        EXPECT_EQ(styled.ascent, plain.ascent + outline);
        EXPECT_EQ(styled.advance, plain.advance + bold + outline);
        EXPECT_EQ(styled.originX, plain.originX - outline);
    }
}

TEST(TextRender, MissingFontGivesBlankTextWithAdvancesAndOneMessage) {
    testing::internal::CaptureStderr();
    TextRenderer renderer("/nonexistent/ordnix-no-such-font.ttf");
    EXPECT_FALSE(renderer.hasFont());
    for (char32_t character : std::u32string(U"Wi.")) {
        const Glyph glyph = renderer.glyph(0, 12, character);
        EXPECT_TRUE(glyph.advance > 0 && std::count(glyph.bits.begin(), glyph.bits.end(), 1) == 0) << glyph.advance;
    }
    const std::string err = testing::internal::GetCapturedStderr(), message = "Ordnix: no font for \"Geneva\"";
    ASSERT_NE(err.find(message), std::string::npos) << err;
    EXPECT_EQ(err.find(message, err.find(message) + 1), std::string::npos) << err;
}

TEST(TextDrawing, StringWidthMatchesPenMovementInEveryFaceAndSize) {
    Canvas canvas(200, 60);
    const std::string text = "Powder 12, Angle 45! \xC3\xA9";
    const int64_t characters = 22;
    for (int64_t size : {0, 9, 12, 14, 18}) {
        canvas.qd.textSize(size);
        int64_t sum = 0;
        for (char32_t c : TextRenderer::decodeUtf8(text))
            sum += canvas.qd.text.glyph(0, TextRenderer::effectiveSize(size), c).advance;
        for (Style face : {Style{}, Style::bold, Style::outline, Style{Style::bold, Style::outline}}) {
            SCOPED_TRACE(testing::Message() << "size " << size << " face " << int(face.rawValue));
            canvas.qd.textFace(face);
            const int64_t width = canvas.qd.stringWidth(text);
            EXPECT_EQ(width, sum + (face.contains(Style::bold) + face.contains(Style::outline)) * characters);
            canvas.qd.moveTo(-7, 30), canvas.qd.drawString(text);
            EXPECT_EQ(canvas.port.pnLoc, Point(-7 + width, 30));
        }
    }
}

// Each glyph (bold, then outlined) is set black at pen + originX, baseline - ascent; the mode, the
// pattern and white glyph pixels play no part.
TEST(TextDrawing, DrawsEachStyledGlyphsBlackPixelsAtThePen) {
    for (Style face : {Style{}, Style{Style::bold, Style::outline}}) {
        Canvas canvas(200, 60), expected(200, 60);
        canvas.qd.textSize(14), canvas.qd.textFace(face), canvas.qd.penMode(PenMode::patXor), canvas.qd.penPat(Pattern::gray);
        canvas.qd.moveTo(10, 30), canvas.qd.drawString("Ag");
        int64_t penH = 10;
        for (char32_t c : {U'A', U'g'}) {
            const Glyph& plain = canvas.qd.text.glyph(0, 14, c);
            const Glyph g = face.isEmpty() ? plain : TextRenderer::outlined(TextRenderer::embolden(plain));
            for (int64_t r = 0; r < g.height; ++r)
                for (int64_t col = 0; col < g.width; ++col)
                    if (g.black(col, r))
                        expected.port.bitmap.setPixel(penH + g.originX + col, 30 - g.ascent + r, true);
            penH += g.advance;
        }
        SCOPED_TRACE(int(face.rawValue));
        EXPECT_GT(expected.black(), 20);
        EXPECT_EQ(canvas.rows(), expected.rows());
        EXPECT_FALSE(canvas.port.bitmap.hasFlashes());
        canvas.qd.penNormal(), canvas.qd.paintRect(canvas.port.portRect), canvas.qd.drawString("Ag");
        EXPECT_EQ(canvas.black(), 200 * 60) << "white glyph pixels leave black alone";
    }
}

