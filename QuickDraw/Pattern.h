// Patterns and pen modes.
//
// A Pattern is exactly 8 row bytes, row 0 first; the most significant bit of a row byte is the leftmost
// pixel. Patterns are anchored to the bitmap's own pixel grid: bit(x, y) uses bitmap coordinates, so
// neighbouring shapes filled with one pattern continue one another. Constructing a pattern from any
// other number of bytes is a precondition failure.
//
// PenMode's raw values are 8 ... 15 in case order (raw = ordinal + 8).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

#include "Check.h"

namespace QuickDraw {

struct Pattern {
    std::array<uint8_t, 8> rows{};

    constexpr Pattern() = default;
    constexpr explicit Pattern(const std::array<uint8_t, 8>& bytes) : rows(bytes) {}
    // Aborts unless exactly 8 bytes are given.
    Pattern(std::initializer_list<uint8_t> bytes) : Pattern(std::span<const uint8_t>(bytes.begin(), bytes.size())) {}
    explicit Pattern(std::span<const uint8_t> bytes) {
        ORDNIX_CHECK(bytes.size() == 8, "a pattern has exactly 8 row bytes");
        for (size_t i = 0; i < 8; ++i)
            rows[i] = bytes[i];
    }

    // Column first; negative coordinates wrap like positive ones (two's-complement & 7).
    constexpr bool bit(int64_t x, int64_t y) const { return ((rows[static_cast<size_t>(y & 7)] >> (7 - (x & 7))) & 1) != 0; }

    static const Pattern white;
    static const Pattern black;
    static const Pattern gray;
    static const Pattern ltGray;
    static const Pattern dkGray;

    constexpr bool operator==(const Pattern&) const = default;
};
inline constexpr Pattern Pattern::white{std::array<uint8_t, 8>{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
inline constexpr Pattern Pattern::black{std::array<uint8_t, 8>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
inline constexpr Pattern Pattern::gray{std::array<uint8_t, 8>{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};
inline constexpr Pattern Pattern::ltGray{std::array<uint8_t, 8>{0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}};
inline constexpr Pattern Pattern::dkGray{std::array<uint8_t, 8>{0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD}};

// Transfer modes: d is the destination pixel, p the pattern bit. The two XOR modes mark every pixel they
// visit as flashed (see Bitmap::snapshot).
enum class PenMode : int64_t {
    patCopy = 8,     // d = p
    patOr = 9,       // d = d | p
    patXor = 10,     // d = d ^ p
    patBic = 11,     // d = d & ~p
    notPatCopy = 12, // d = ~p
    notPatOr = 13,   // d = d | ~p
    notPatXor = 14,  // d = ~(d ^ p)
    notPatBic = 15,  // d = d & p
};

// Construction from a raw value, specialised per enumeration; absent for values without a case.
template <typename Enum>
std::optional<Enum> fromRaw(int64_t raw) = delete;

// A mode for raw values 8 ... 15, absent otherwise.
template <>
constexpr std::optional<PenMode> fromRaw<PenMode>(int64_t raw) {
    if (raw < 8 || raw > 15)
        return std::nullopt;
    return static_cast<PenMode>(raw);
}

constexpr int64_t rawValue(PenMode mode) { return static_cast<int64_t>(mode); }
constexpr bool isXorMode(PenMode mode) { return mode == PenMode::patXor || mode == PenMode::notPatXor; }

} // namespace QuickDraw
