// Windows, pictures, the rectangle utilities and the drawing calls on the current port.
#include <algorithm>
#include <climits>

#include "CoreTest.h"
#include "QuickDrawContext.h"

namespace {

using QuickDraw::Point;
using QuickDraw::Rect;

using ToolboxWindows = CoreTest;

TEST_F(ToolboxWindows, RectangleAndPointUtilities) {
    Rect r;
    Toolbox::setRect(r, 10, 20, 30, 40); // left, top, right, bottom
    EXPECT_EQ((std::vector{r.top, r.left, r.bottom, r.right}), (std::vector<int64_t>{20, 10, 40, 30}));
    Point p;
    Toolbox::setPt(p, 7, 9); // h, v
    EXPECT_EQ(std::pair(p.v, p.h), std::pair(int64_t{9}, int64_t{7}));
    const Rect box(0, 0, 10, 10);
    for (const auto& [point, in] : {std::pair{Point(0, 0), true}, {Point(9, 9), true}, {Point(10, 0), false},
                                    {Point(0, 10), false}, {Point(-1, 5), false}})
        EXPECT_EQ(Toolbox::ptInRect(point, box), in) << "h " << point.h << " v " << point.v;
    for (const auto& [rect, empty] : {std::pair{box, false}, {Rect(5, 0, 5, 10), true}, {Rect(0, 8, 10, 3), true}})
        EXPECT_EQ(Toolbox::emptyRect(rect), empty) << rect.left << " " << rect.top;
    const std::tuple<Rect, Rect, Rect> sects[] = { // a, b, intersection (zero when apart)
        {box, Rect(5, 5, 20, 20), Rect(5, 5, 10, 10)},
        {box, Rect(0, 10, 10, 20), Rect::zero}, // touching rows
        {box, Rect(10, 0, 20, 10), Rect::zero}, // touching columns
        {Rect(-5, -5, 5, 5), box, Rect(0, 0, 5, 5)},
    };
    for (const auto& [a, b, expected] : sects) {
        Rect result(1, 2, 3, 4);
        EXPECT_EQ(Toolbox::sectRect(a, b, result), !(expected == Rect::zero));
        EXPECT_EQ(result, expected);
    }
    for (const auto& [dh, dv, inset] : {std::tuple{-2, -3, Rect(8, 7, 22, 23)}, {2, 1, Rect(12, 11, 18, 19)}}) {
        Rect rect(10, 10, 20, 20);
        Toolbox::insetRect(rect, dh, dv);
        EXPECT_EQ(rect, inset) << "dh " << dh << " dv " << dv;
    }
    for (const auto& [n, text] : {std::pair<int64_t, const char*>{-5, "-5"}, {INT64_MIN, "-9223372036854775808"}})
        EXPECT_EQ(Toolbox::numToString(n), text);
}

} // namespace
