#include "TextRenderer.h"

#include "QuickDrawContext.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <utility>

namespace QuickDraw {

namespace {

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

struct FontFile {
    std::string path; // empty when fontconfig found nothing
    int index = 0;
    std::string name; // family and style, as fontconfig names them
    std::string problem;
};

// Asks fontconfig once per process for the best installed face for the family, with a configuration of
// its own that is released right away (a host toolkit may be using fontconfig's default one).
const FontFile& resolvedFamilyFile() {
    static const FontFile file = [] {
        FontFile result;
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (config == nullptr) {
            result.problem = "fontconfig could not load its configuration";
            return result;
        }
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(TextRenderer::familyName));
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult matchResult = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &matchResult);
        FcChar8* path = nullptr;
        int index = 0;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
            result.path = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
                result.index = index;
            FcChar8* family = nullptr;
            FcChar8* style = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr)
                result.name = reinterpret_cast<const char*>(family);
            if (FcPatternGetString(match, FC_STYLE, 0, &style) == FcResultMatch && style != nullptr)
                result.name += std::string(result.name.empty() ? "" : " ") + reinterpret_cast<const char*>(style);
        } else {
            result.problem = "fontconfig found no installed font";
        }
        if (match != nullptr)
            FcPatternDestroy(match);
        FcPatternDestroy(pattern);
        FcConfigDestroy(config);
        return result;
    }();
    return file;
}

// Estimated metrics of a proportional sans-serif face, so that text without a font still takes room.
constexpr double estimatedAscent = 0.8;
constexpr double estimatedDescent = 0.2;
constexpr double estimatedAdvance = 0.6;

int64_t roundHalfAwayFromZero(double value) { return static_cast<int64_t>(std::round(value)); }

int64_t ceilToInt(double value) { return static_cast<int64_t>(std::ceil(value)); }

// A white glyph with the box rules applied to the given fractional metrics.
Glyph blankGlyph(double advance, double ascent, double descent) {
    Glyph glyph;
    glyph.ascent = std::max<int64_t>(0, ceilToInt(ascent));
    glyph.width = std::max<int64_t>(0, ceilToInt(advance)) + 4;
    glyph.height = glyph.ascent + std::max<int64_t>(0, ceilToInt(descent));
    glyph.advance = roundHalfAwayFromZero(advance);
    glyph.bits.assign(static_cast<size_t>(glyph.width * glyph.height), 0);
    glyph.originX = -2;
    return glyph;
}

// Decodes the code point starting at `position` and moves past it; false at the end of the text. Each
// byte of a malformed sequence (bad continuation, overlong form, surrogate, beyond U+10FFFF) decodes to
// U+FFFD on its own.
bool nextCharacter(std::string_view text, size_t& position, char32_t& character) {
    if (position >= text.size())
        return false;
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) {
        character = lead;
        ++position;
        return true;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length != 0 && position + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[position + k]);
        valid = (next & 0xC0) == 0x80;
        value = (value << 6) | (next & 0x3F);
    }
    valid = valid && value >= minimum && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    character = valid ? value : char32_t{0xFFFD};
    position += valid ? length : 1;
    return true;
}

} // namespace

struct TextRenderer::Font {
    FacePtr face;
};

struct TextRenderer::Engine {
    LibraryPtr library;
    std::string file;          // the face file; empty: resolve the family through fontconfig
    int faceIndex = 0;
    bool resolved = false;     // file and faceIndex are final
    bool usable = true;        // false once the library or the face file failed: all text is blank
    bool warned = false;
    std::unordered_map<int64_t, std::unique_ptr<Font>> bySize; // null: this size cannot be set, blank

    // Says once per renderer why text is blank.
    void warn(const std::string& why) {
        if (!warned)
            std::fprintf(stderr, "Ordnix: no font for \"%s\" (%s); text is drawn blank\n", familyName, why.c_str());
        warned = true;
    }
    void fail(const std::string& why) {
        warn(why);
        usable = false;
    }
};

TextRenderer::TextRenderer() : fonts(std::make_unique<Engine>()) {}

TextRenderer::ResolvedFace TextRenderer::resolvedFace() {
    const FontFile& file = resolvedFamilyFile();
    return ResolvedFace{file.path, file.name};
}

TextRenderer::TextRenderer(std::string fontFile) : fonts(std::make_unique<Engine>()) {
    fonts->file = std::move(fontFile);
    fonts->resolved = true;
}

TextRenderer::~TextRenderer() {
    // Faces belong to the library: close them before it.
    if (fonts)
        fonts->bySize.clear();
}

size_t TextRenderer::KeyHash::operator()(const Key& key) const noexcept {
    size_t hash = std::hash<int64_t>{}(key.font);
    hash = hash * 1000003u ^ std::hash<int64_t>{}(key.size);
    hash = hash * 1000003u ^ std::hash<char32_t>{}(key.character);
    return hash;
}

int64_t TextRenderer::effectiveSize(int64_t txSize) {
    if (txSize == 0)
        return defaultSize;
    return std::clamp(txSize, minSize, maxSize);
}

TextRenderer::Font* TextRenderer::ctFont(int64_t size) {
    Engine& engine = *fonts;
    if (auto found = engine.bySize.find(size); found != engine.bySize.end())
        return found->second.get();
    if (!engine.usable)
        return nullptr;
    if (!engine.resolved) {
        const FontFile& file = resolvedFamilyFile();
        engine.file = file.path;
        engine.faceIndex = file.index;
        engine.resolved = true;
        if (engine.file.empty()) {
            engine.fail(file.problem);
            return nullptr;
        }
    }
    if (!engine.library) {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) {
            engine.fail("FreeType could not start");
            return nullptr;
        }
        engine.library.reset(library);
    }
    FT_Face face = nullptr;
    if (FT_New_Face(engine.library.get(), engine.file.c_str(), engine.faceIndex, &face) != 0) {
        engine.fail("cannot open " + engine.file);
        return nullptr;
    }
    FacePtr owned(face);
    // One point is one pixel.
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) {
        engine.warn(engine.file + " has no size " + std::to_string(size));
        engine.bySize.emplace(size, nullptr);
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->face = std::move(owned);
    Font* result = font.get();
    engine.bySize.emplace(size, std::move(font));
    return result;
}

bool TextRenderer::hasFont() { return ctFont(defaultSize) != nullptr; }

Glyph TextRenderer::render(char32_t character, int64_t size) {
    Font* font = ctFont(size);
    const double points = static_cast<double>(size);
    if (font == nullptr)
        return blankGlyph(points * estimatedAdvance, points * estimatedAscent, points * estimatedDescent);

    FT_Face face = font->face.get();
    // The font's own (unrounded) ascent and descent at this size; the size metrics may be grid-fitted.
    double ascent = static_cast<double>(face->size->metrics.ascender) / 64.0;
    double descent = -static_cast<double>(face->size->metrics.descender) / 64.0;
    if (FT_IS_SCALABLE(face)) {
        ascent = static_cast<double>(FT_MulFix(face->ascender, face->size->metrics.y_scale)) / 64.0;
        descent = -static_cast<double>(FT_MulFix(face->descender, face->size->metrics.y_scale)) / 64.0;
    }
    const FT_UInt glyphIndex = FT_Get_Char_Index(face, static_cast<FT_ULong>(character));
    // Hinted for the 1-bit target, rendered without antialiasing, on whole pixels.
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0)
        return blankGlyph(points * estimatedAdvance, ascent, descent);
    FT_GlyphSlot slot = face->glyph;
    const double advance = static_cast<double>(slot->advance.x) / 64.0;
    Glyph glyph = blankGlyph(advance, ascent, descent);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return glyph;

    // The glyph origin sits 2 columns in, on the baseline between image rows ascent - 1 and ascent; ink
    // beyond the box is cut off.
    const FT_Bitmap& bitmap = slot->bitmap;
    const int64_t left = 2 + slot->bitmap_left;
    const int64_t top = glyph.ascent - slot->bitmap_top;
    for (int64_t row = 0; row < static_cast<int64_t>(bitmap.rows); ++row) {
        const int64_t y = top + row;
        if (y < 0 || y >= glyph.height)
            continue;
        const unsigned char* source = bitmap.buffer + row * bitmap.pitch;
        for (int64_t column = 0; column < static_cast<int64_t>(bitmap.width); ++column) {
            const int64_t x = left + column;
            if (x < 0 || x >= glyph.width)
                continue;
            if ((source[column >> 3] & (0x80 >> (column & 7))) != 0)
                glyph.bits[static_cast<size_t>(y * glyph.width + x)] = 1;
        }
    }
    return glyph;
}

const Glyph& TextRenderer::glyph(int64_t font, int64_t size, char32_t character) {
    const Key key{font, size, character};
    if (auto found = cache.find(key); found != cache.end())
        return found->second;
    return cache.emplace(key, render(character, size)).first->second;
}

namespace {

// The style operations write into a caller's glyph so that drawing can reuse one buffer per style.

void emboldenInto(const Glyph& glyph, Glyph& bold) {
    bold.width = glyph.width + 1;
    bold.height = glyph.height;
    bold.ascent = glyph.ascent;
    bold.advance = glyph.advance + 1;
    bold.originX = glyph.originX;
    bold.bits.assign(static_cast<size_t>(bold.width * bold.height), 0);
    for (int64_t y = 0; y < glyph.height; ++y) {
        const uint8_t* source = glyph.bits.data() + y * glyph.width;
        uint8_t* target = bold.bits.data() + y * bold.width;
        for (int64_t x = 0; x < glyph.width; ++x) {
            target[x] |= source[x];
            target[x + 1] = source[x];
        }
    }
}

void outlineInto(const Glyph& glyph, Glyph& outline) {
    outline.width = glyph.width + 2;
    outline.height = glyph.height + 2;
    outline.ascent = glyph.ascent + 1;
    outline.advance = glyph.advance + 1;
    outline.originX = glyph.originX - 1;
    outline.bits.assign(static_cast<size_t>(outline.width * outline.height), 0);
    // Old pixel (x, y) is new pixel (x + 1, y + 1). Grow every black pixel to its 3 x 3 block, then
    // hollow out the shape itself: what stays is the 8-connected contour just outside it.
    const int64_t stride = outline.width;
    for (int64_t y = 0; y < glyph.height; ++y)
        for (int64_t x = 0; x < glyph.width; ++x)
            if (glyph.bits[static_cast<size_t>(y * glyph.width + x)] != 0) {
                uint8_t* block = outline.bits.data() + y * stride + x; // top-left of the 3 x 3 block
                for (int64_t row = 0; row < 3; ++row)
                    block[row * stride] = block[row * stride + 1] = block[row * stride + 2] = 1;
            }
    for (int64_t y = 0; y < glyph.height; ++y)
        for (int64_t x = 0; x < glyph.width; ++x)
            if (glyph.bits[static_cast<size_t>(y * glyph.width + x)] != 0)
                outline.bits[static_cast<size_t>((y + 1) * stride + x + 1)] = 0;
}

} // namespace

Glyph TextRenderer::embolden(const Glyph& glyph) {
    Glyph bold;
    emboldenInto(glyph, bold);
    return bold;
}

Glyph TextRenderer::outlined(const Glyph& glyph) {
    Glyph outline;
    outlineInto(glyph, outline);
    return outline;
}

std::u32string TextRenderer::decodeUtf8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    size_t position = 0;
    char32_t character = 0;
    while (nextCharacter(text, position, character))
        result.push_back(character);
    return result;
}

namespace {

// Adds one glyph's black pixels to the bitmap with its left edge at column `left` and its top row at row
// `top`, inside `clip` only. Wide arithmetic keeps positions near the int64 limits exact.
void blit(const Glyph& glyph, __int128 left, __int128 top, const Rect& clip, uint8_t* pixels, int64_t rowBytes) {
    const __int128 rowBegin = std::max<__int128>(0, clip.top - top);
    const __int128 rowEnd = std::min<__int128>(glyph.height, clip.bottom - top);
    const __int128 columnBegin = std::max<__int128>(0, clip.left - left);
    const __int128 columnEnd = std::min<__int128>(glyph.width, clip.right - left);
    if (rowBegin >= rowEnd || columnBegin >= columnEnd)
        return;
    const auto count = static_cast<size_t>(columnEnd - columnBegin);
    const auto firstColumn = static_cast<int64_t>(left + columnBegin); // inside the clip, so inside the bitmap
    for (auto r = static_cast<int64_t>(rowBegin); r < static_cast<int64_t>(rowEnd); ++r) {
        const uint8_t* source = glyph.bits.data() + r * glyph.width + static_cast<int64_t>(columnBegin);
        uint8_t* target = pixels + static_cast<int64_t>(top + r) * rowBytes + firstColumn;
        for (size_t c = 0; c < count; ++c)
            target[c] |= source[c];
    }
}

} // namespace

void QuickDrawContext::drawString(const std::string& s) {
    if (drawingSuppressed())
        return;
    int64_t totalAdvance = 0;
    {
        std::lock_guard lock(screenLock());
        GrafPort& port = thePort();
        const Rect clip = clipLimits();
        const int64_t font = port.txFont;
        const int64_t size = TextRenderer::effectiveSize(port.txSize);
        const bool bold = port.txFace.contains(Style::bold);
        const bool outline = port.txFace.contains(Style::outline);
        const __int128 baseline = port.pnLoc.v;
        __int128 penH = port.pnLoc.h;
        uint8_t* pixels = clip.isEmpty() ? nullptr : port.bitmap.writablePixels();

        size_t position = 0;
        char32_t character = 0;
        Glyph emboldened;
        Glyph outlinedGlyph;
        while (nextCharacter(s, position, character)) {
            // The cache holds plain glyphs; styles are derived per character, bold first, so that bold
            // outline text is the outline of the widened glyph.
            const Glyph* glyph = &text.glyph(font, size, character);
            if (bold) {
                emboldenInto(*glyph, emboldened);
                glyph = &emboldened;
            }
            if (outline) {
                outlineInto(*glyph, outlinedGlyph);
                glyph = &outlinedGlyph;
            }
            if (pixels != nullptr)
                blit(*glyph, penH + glyph->originX, baseline - glyph->ascent, clip, pixels, port.bitmap.width());
            penH += glyph->advance;
            totalAdvance += glyph->advance;
        }
        port.bitmap.countChange();
    }
    GrafPort& port = thePort();
    port.pnLoc.h = detail::saturate(static_cast<__int128>(port.pnLoc.h) + totalAdvance);
}

int64_t QuickDrawContext::stringWidth(const std::string& s) {
    const GrafPort& port = thePort();
    const int64_t size = TextRenderer::effectiveSize(port.txSize);
    const int64_t extra = (port.txFace.contains(Style::bold) ? 1 : 0) + (port.txFace.contains(Style::outline) ? 1 : 0);
    int64_t width = 0;
    size_t position = 0;
    char32_t character = 0;
    while (nextCharacter(s, position, character))
        width += text.glyph(port.txFont, size, character).advance + extra;
    return width;
}

} // namespace QuickDraw
