// Rounding as the classic Pascal compiler's `round` did it on a 16-bit integer.
//
// The shot flight computes its launch figures and the ball's row in floating point and keeps them in
// 16-bit integers; the arithmetic here reproduces that exactly, wrap included:
//  - a value that is not finite (an infinity, NaN) gives 0;
//  - otherwise halves round away from zero, the result is limited to -9e18 ... 9e18 so that it fits a
//    64-bit integer, and only its low 16 bits are kept, read as a signed 16-bit value.
// The result therefore always lies in -32768 ... 32767.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

inline int64_t pascalRound(double x) {
    if (!std::isfinite(x))
        return 0;
    const double rounded = std::clamp(std::round(x), -9e18, 9e18);
    const auto wide = static_cast<int64_t>(rounded);
    const auto low = static_cast<uint16_t>(static_cast<uint64_t>(wide) & 0xFFFFu);
    return static_cast<int16_t>(low);
}

// A double rounded to single precision and widened again: the classic program kept some intermediate
// results in 32-bit reals, and the flight's figures depend on that rounding.
inline double singlePrecision(double x) {
    return static_cast<double>(static_cast<float>(x));
}
