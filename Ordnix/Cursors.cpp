#include "Cursors.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "Check.h"
#include "ToolboxTypes.h"

namespace Cursors {

namespace {

int64_t hexByte(std::string_view piece) {
    int64_t value = 0;
    for (char c : piece) {
        int64_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

Rows rows(std::string_view hex) {
    std::vector<int64_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(hexByte(hex.substr(i, 2)));
    ORDNIX_CHECK(bytes.size() >= 32, "a cursor picture needs 32 bytes");
    Rows result;
    for (size_t r = 0; r < 16; ++r) {
        const int64_t v = bytes[2 * r] * 256 + bytes[2 * r + 1];
        std::string row(16, '.');
        for (int64_t c = 0; c < 16; ++c)
            if ((v >> (15 - c)) & 1)
                row[static_cast<size_t>(c)] = '#';
        result.push_back(row);
    }
    return result;
}

QCursor make(const Rows& rows, QPointF hotSpot, int64_t scale) {
    const int s = static_cast<int>(scale);
    QImage image(18 * s, 18 * s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    std::vector<QPoint> cells;
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && c < 16; ++c)
            if (rows[r][c] == '#')
                cells.emplace_back(static_cast<int>(c), static_cast<int>(r));
    {
        QPainter painter(&image);
        // All outlines first: a neighbour's white square must never cover a black pixel.
        for (const QPoint& cell : cells)
            painter.fillRect(cell.x() * s, cell.y() * s, 3 * s, 3 * s, Qt::white);
        for (const QPoint& cell : cells)
            painter.fillRect((cell.x() + 1) * s, (cell.y() + 1) * s, s, s, Qt::black);
    }
    const int hotX = static_cast<int>((hotSpot.x() + 1) * s);
    const int hotY = static_cast<int>((hotSpot.y() + 1) * s);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

const Rows& watchRows() {
    static const Rows watch = {
        "....########....", "....########....", "....########....", "...##########...",
        "..##........##..", ".##....#.....##.", ".#.....#......#.", ".#.....#......##",
        ".#.....####...##", ".#............#.", ".##..........##.", "..##........##..",
        "...##########...", "....########....", "....########....", "....########....",
    };
    return watch;
}

const Rows& crossRows() {
    static const Rows cross = rows(crossHex);
    return cross;
}

QCursor cursor(CursorKind kind, int64_t scale) {
    switch (kind) {
    case CursorKind::watch:
        return make(watchRows(), watchHotSpot, scale);
    case CursorKind::cross:
        return make(crossRows(), crossHotSpot, scale);
    case CursorKind::arrow:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}

} // namespace Cursors
