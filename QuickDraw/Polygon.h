// Polygon: the points recorded between openPoly and closePoly. It is closed implicitly when filled.
#pragma once

#include <vector>

#include "Geometry.h"

namespace QuickDraw {

struct Polygon {
    std::vector<Point> points;
};

} // namespace QuickDraw
