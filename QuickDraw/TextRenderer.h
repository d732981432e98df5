// Text: characters turned into cached 1-bit glyph images.
//
// Glossary
//   character  one Unicode code point of a UTF-8 string; text is drawn character by character.
//   glyph      the 1-bit image of one character at one size, plus the metrics needed to place it.
//   pen        the port's pnLoc: its h is the left end of the next character's advance, its v the baseline.
//   baseline   the row the letters stand on; it is image row `ascent` counted from the glyph's top row.
//   ascent     rows of the image above the baseline (the font's ascent rounded up).
//   advance    whole pixels the pen moves right after the character (the font's advance, halves away from 0).
//   originX    column of the image's left edge relative to the pen; plain glyphs start 2 pixels left of it,
//              so that overhanging strokes are not cut off.
//
// Invariants of a Glyph: bits.size() == width * height, every entry 0 or 1; a plain glyph is
// ceil(advance) + 4 columns wide and ceil(ascent) + ceil(descent) rows high with originX -2.
// Bold and outline are pixel operations on the plain glyph (embolden, outlined); only plain glyphs are
// cached, per (font number, size, character), and the cache never shrinks.
//
// The font engine (FreeType, with fontconfig choosing the face for "Geneva") stays behind an opaque
// pointer so that includers do not see its headers. Every font number renders with the same face.
// A face that cannot be found or opened gives blank glyphs with estimated metrics; the renderer says so
// once on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace QuickDraw {

struct Glyph {
    int64_t width = 0;
    int64_t height = 0;
    int64_t ascent = 0;
    int64_t advance = 0;
    std::vector<uint8_t> bits; // row-major from the top-left, 1 = black
    int64_t originX = -2;

    // Whether (x, y) of the image is black; false outside the image.
    bool black(int64_t x, int64_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height && bits[static_cast<size_t>(y * width + x)] != 0;
    }
    bool operator==(const Glyph&) const = default;
};

class TextRenderer {
public:
    // The size used when a port's txSize is 0.
    static constexpr int64_t defaultSize = 12;
    // Sizes are limited to this range so that an absurd txSize cannot allocate a huge glyph box.
    static constexpr int64_t minSize = 1;
    static constexpr int64_t maxSize = 1000;
    // The family every font number resolves to.
    static constexpr const char* familyName = "Geneva";

    // Resolves familyName through fontconfig on first use.
    TextRenderer();

    // The face file familyName resolves to (the one every resolving renderer draws with) and its family
    // and style names; an empty path when fontconfig found none.
    struct ResolvedFace {
        std::string path;
        std::string name;
    };
    static ResolvedFace resolvedFace();
    // Uses exactly this font file (no fontconfig lookup); a file that cannot be opened gives blank text.
    explicit TextRenderer(std::string fontFile);
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // txSize 0 means defaultSize; other values are clamped to minSize ... maxSize.
    static int64_t effectiveSize(int64_t txSize);

    // The plain glyph of a character, rendered on first use and cached; the reference stays valid for the
    // renderer's life.
    const Glyph& glyph(int64_t font, int64_t size, char32_t character);

    // Rasterizes one character at an effective size, bypassing the cache.
    Glyph render(char32_t character, int64_t size);

    // Bold: one column wider, every black pixel also sets its right neighbour, advance + 1.
    static Glyph embolden(const Glyph& glyph);
    // Outline: one pixel larger on every side, the 8-connected contour just outside the shape, advance + 1.
    static Glyph outlined(const Glyph& glyph);

    // The code points of a UTF-8 string; each byte of a malformed sequence becomes U+FFFD.
    static std::u32string decodeUtf8(std::string_view text);

    // Whether a face was found and opened (false: text is blank, advances estimated).
    bool hasFont();
    // Number of plain glyphs in the cache.
    size_t cachedGlyphCount() const { return cache.size(); }

private:
    struct Key {
        int64_t font;
        int64_t size;
        char32_t character;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const noexcept;
    };
    struct Font;   // one FreeType face set to one pixel size
    struct Engine; // FreeType library, the resolved face file and the Font of every size used so far

    // The font object for a size, created on first use and kept in `fonts`; null when there is no face.
    Font* ctFont(int64_t size);

    std::unordered_map<Key, Glyph, KeyHash> cache;
    std::unique_ptr<Engine> fonts;
};

} // namespace QuickDraw
