// Text styles and font numbers.
//
// Style is a set of style bits over one byte (bold 1, italic 2, underline 4, outline 8, shadow 16).
// Only bold and outline change how text is drawn. Font numbers are plain integers; FontID names the two
// classic ones.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace QuickDraw {

struct Style {
    uint8_t rawValue = 0;

    constexpr Style() = default;
    constexpr explicit Style(uint8_t raw) : rawValue(raw) {}
    // The union of the listed members.
    constexpr Style(std::initializer_list<Style> members) {
        for (Style member : members)
            rawValue = static_cast<uint8_t>(rawValue | member.rawValue);
    }

    static const Style bold;
    static const Style italic;
    static const Style underline;
    static const Style outline;
    static const Style shadow;

    constexpr Style unionWith(Style other) const { return Style(static_cast<uint8_t>(rawValue | other.rawValue)); }
    constexpr Style intersection(Style other) const { return Style(static_cast<uint8_t>(rawValue & other.rawValue)); }
    constexpr Style symmetricDifference(Style other) const {
        return Style(static_cast<uint8_t>(rawValue ^ other.rawValue));
    }
    constexpr void insert(Style member) { rawValue = static_cast<uint8_t>(rawValue | member.rawValue); }
    constexpr void remove(Style member) { rawValue = static_cast<uint8_t>(rawValue & ~member.rawValue); }
    // True when every bit of `member` is set here.
    constexpr bool contains(Style member) const { return (rawValue & member.rawValue) == member.rawValue; }
    constexpr bool isSubset(Style of) const { return (rawValue & ~of.rawValue) == 0; }
    constexpr bool isDisjoint(Style with) const { return (rawValue & with.rawValue) == 0; }
    constexpr bool isEmpty() const { return rawValue == 0; }

    constexpr Style operator|(Style other) const { return unionWith(other); }
    constexpr Style operator&(Style other) const { return intersection(other); }
    constexpr Style operator^(Style other) const { return symmetricDifference(other); }

    constexpr bool operator==(const Style&) const = default;
};
inline constexpr Style Style::bold(uint8_t{1});
inline constexpr Style Style::italic(uint8_t{2});
inline constexpr Style Style::underline(uint8_t{4});
inline constexpr Style Style::outline(uint8_t{8});
inline constexpr Style Style::shadow(uint8_t{16});

namespace FontID {
inline constexpr int64_t systemFont = 0;
inline constexpr int64_t applFont = 1;
} // namespace FontID

} // namespace QuickDraw
