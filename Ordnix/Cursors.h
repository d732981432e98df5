// Cursors: the game's cursor pictures and how they become desktop cursors.
//
// A picture is 16 rows of 16 characters, row 0 at the top; '#' is a black pixel, anything else is
// clear. A desktop cursor is the picture enlarged to the window scale, moved one unit in from the
// top-left corner and given a one-unit white outline around every black pixel, so that it stays
// visible on a black field. The image is therefore 18 x 18 units and the hot spot moves by one unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QCursor>
#include <QPointF>

enum class CursorKind : int64_t;

namespace Cursors {

using Rows = std::vector<std::string>;

// 16 rows from 64 hex digits, two digits per byte and two bytes per row, most significant bit
// leftmost. A pair that is not valid hex reads as 0; fewer than 32 bytes is a programming error.
Rows rows(std::string_view hex);

// The cursor for `rows` at `scale` screen points per picture pixel; hotSpot is (column, row).
QCursor make(const Rows& rows, QPointF hotSpot, int64_t scale);

// The watch face with hands at twelve and three; hot spot (8, 8).
const Rows& watchRows();
// Cross-hairs in a circle, decoded from its hex text; hot spot (7, 7).
const Rows& crossRows();
inline constexpr std::string_view crossHex = "00000100010007C00920111011107FFC11101110092007C00100010000000000";
inline constexpr QPointF watchHotSpot{8, 8};
inline constexpr QPointF crossHotSpot{7, 7};

// The cursor the core asks for: the system arrow, or the watch or cross made at `scale`.
QCursor cursor(CursorKind kind, int64_t scale);

} // namespace Cursors
