#include "Dialogs.h"

#include <array>
#include <utility>

namespace Dialogs {

using Item = ClassicDialog::Item;

const std::vector<std::string>& treeRows() {
    // One run of '#' per row as (first, last) column; (-1, -1) is a blank row.
    static constexpr std::array<std::pair<int, int>, 34> runs{{
        {-1, -1}, {7, 7}, {6, 7}, {6, 7}, {6, 8}, {5, 8}, {6, 8}, {5, 8}, {5, 8}, {5, 9},  {4, 9},  {6, 8},
        {5, 9},   {4, 10}, {3, 10}, {6, 8}, {5, 9}, {4, 10}, {3, 11}, {2, 11}, {6, 8}, {5, 9}, {4, 10}, {3, 11},
        {6, 8},   {5, 9},  {4, 10}, {2, 12}, {1, 13}, {6, 7}, {6, 7}, {6, 7}, {6, 7}, {-1, -1},
    }};
    static const std::vector<std::string> rows = [] {
        std::vector<std::string> result;
        for (const auto& [first, last] : runs) {
            std::string row(15, '.');
            for (int c = first; first >= 0 && c <= last; ++c)
                row[static_cast<size_t>(c)] = '#';
            result.push_back(row);
        }
        return result;
    }();
    return rows;
}

std::unique_ptr<ClassicDialog> outs(QWidget* parent) {
    return std::make_unique<ClassicDialog>("Whose Outs?", 225, 87,
                                           std::vector<Item>{
                                               Item::radio(34, 21, 51, 41),
                                               Item::radio(53, 21, 72, 41),
                                               Item::button("OK", 42, 165, 71, 199),
                                               Item::label("WHOSE OUTS?", 5, 69, 21, 158),
                                               Item::label("Winners Outs", 36, 44, 50, 142),
                                               Item::label("Losers Outs", 55, 45, 70, 143),
                                           },
                                           parent);
}

std::unique_ptr<ClassicDialog> playerType(QWidget* parent) {
    return std::make_unique<ClassicDialog>(
        "Player Type", 365, 118,
        std::vector<Item>{
            Item::radio(25, 39, 40, 59),
            Item::radio(48, 39, 64, 59),
            Item::button("OK", 83, 303, 112, 337),
            Item::label("PLAYER TYPE?", 0, 144, 16, 243),
            Item::label("Rambo Fan Club -> (Hit a tree get 5 points)", 24, 64, 39, 350),
            Item::label("Sierra Club ->         (Hit a tree loose 5 points)", 48, 64, 65, 360),
            Item::picture(treeRows(), 71, 76, 106, 96),
            Item::picture(treeRows(), 69, 116, 104, 136),
            Item::picture(treeRows(), 75, 155, 110, 175),
        },
        parent);
}

std::unique_ptr<ClassicDialog> about(QWidget* parent) {
    auto box = std::make_unique<ClassicDialog>("About Ordnix", 300, 214,
                                           std::vector<Item>{
                                               Item::button("OK", 93, 247, 118, 277),
                                               Item::label("ORDNIX", 8, 20, 24, 220),
                                               Item::label("Two cannons, one mouse and a hill between them.",
                                                           32, 20, 64, 220),
                                               Item::label("Set the powder, raise the barrel, mind the "
                                                           "windsock and fire.",
                                                           70, 20, 102, 220),
                                               Item::label("Targets score by the values you set.", 108, 20,
                                                           140, 220),
                                               Item::label("Made for the Linux desktop.", 146, 20, 162, 220),
                                               Item::label("Version 1.0", 188, 20, 204, 220),
                                               Item::picture(treeRows(), 28, 229, 73, 282),
                                           },
                                           parent);
    // Nothing waits on the answer beyond its arrival, so Escape may stand for "OK".
    box->escapeItem = 1;
    return box;
}

std::unique_ptr<ClassicDialog> make(int64_t id, QWidget* parent) {
    switch (id) {
    case outsId:
        return outs(parent);
    case aboutId:
        return about(parent);
    case playerTypeId:
        return playerType(parent);
    default:
        return nullptr;
    }
}

} // namespace Dialogs
