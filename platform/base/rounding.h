// Rounding and range-safe conversion of real values to integers.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace platform {

// Rounds to the nearest integer, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline double RoundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return value;
    }
    double floorValue = std::floor(value);
    double diff = value - floorValue;
    if (diff > 0.5) {
        return floorValue + 1.0;
    }
    if (diff < 0.5) {
        return floorValue;
    }
    return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

// Clamps a real value into the range of T; NaN gives 0. No rounding: the fraction is cut.
template <typename T>
T SaturateCast(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (value <= lo) {
        return std::numeric_limits<T>::min();
    }
    if (value >= hi) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(value);
}

// Clamps a 64-bit integer into the range of T.
template <typename T>
T SaturateInt(int64_t value)
{
    if (value < static_cast<int64_t>(std::numeric_limits<T>::min())) {
        return std::numeric_limits<T>::min();
    }
    if (value > static_cast<int64_t>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(value);
}

// The usual conversion of a computed value into a coordinate: round half to even, then saturate.
inline int32_t RoundToInt32(double value)
{
    return SaturateCast<int32_t>(RoundHalfEven(value));
}

inline int16_t RoundToInt16(double value)
{
    return SaturateCast<int16_t>(RoundHalfEven(value));
}

inline int32_t SaturateToInt32(double value)
{
    return SaturateCast<int32_t>(value);
}

}  // namespace platform
