// Bezier curves over a point type: halved, split at a parameter, cut to a part, evaluated and
// flattened. The point type brings the arithmetic (+ and - between points, * and / by a number,
// coordinate by coordinate), so each user keeps its own: the movie writer's integer twips halve
// toward zero, the player's QPointF and the glyphs' points work in double. Where two users
// compute a point differently, both ways are here under their own names (Halves takes midpoints
// (a + b) / 2, SplitAt and Part interpolate a + (b - a) * t), so that neither result changes.
#pragma once

#include <type_traits>
#include <utility>

namespace platform {

// A point of two coordinates of T, with the arithmetic the curves use. Integer points divide
// toward zero, as C++ integers do.
template <typename T>
struct PointXY {
    T x = 0;
    T y = 0;

    bool operator==(const PointXY &) const = default;
    friend PointXY operator+(const PointXY &a, const PointXY &b) { return {a.x + b.x, a.y + b.y}; }
    friend PointXY operator-(const PointXY &a, const PointXY &b) { return {a.x - b.x, a.y - b.y}; }
    friend PointXY operator*(const PointXY &a, T factor) { return {a.x * factor, a.y * factor}; }
    friend PointXY operator*(T factor, const PointXY &a) { return a * factor; }
    friend PointXY operator/(const PointXY &a, T divisor) { return {a.x / divisor, a.y / divisor}; }
};

// The point a fraction t of the way from a to b: a + (b - a) * t.
template <typename P>
P Lerp(const P &a, const P &b, double t)
{
    return a + (b - a) * t;
}

// The point halfway between a and b: (a + b) / 2, toward zero for integer points.
template <typename P>
P Midpoint(const P &a, const P &b)
{
    return (a + b) / 2;
}

template <typename P>
struct QuadraticCurve {
    P start;
    P control;
    P end;

    // The halves at the middle parameter, from midpoints (de Casteljau at 1/2).
    std::pair<QuadraticCurve, QuadraticCurve> Halves() const
    {
        const P first = Midpoint(start, control);
        const P second = Midpoint(control, end);
        const P middle = Midpoint(first, second);
        return {{start, first, middle}, {middle, second, end}};
    }
};

template <typename P>
struct CubicCurve {
    P start;
    P control1;
    P control2;
    P end;

    // The halves at the middle parameter, from midpoints (de Casteljau at 1/2).
    std::pair<CubicCurve, CubicCurve> Halves() const
    {
        const P a = Midpoint(start, control1);
        const P b = Midpoint(control1, control2);
        const P c = Midpoint(control2, end);
        const P ab = Midpoint(a, b);
        const P bc = Midpoint(b, c);
        const P middle = Midpoint(ab, bc);
        return {{start, a, ab, middle}, {middle, bc, c, end}};
    }

    // The parts before and after parameter t, by interpolation (de Casteljau at t). At t = 1/2
    // the points may differ from Halves' in the last bit.
    std::pair<CubicCurve, CubicCurve> SplitAt(double t) const
    {
        const P a = Lerp(start, control1, t);
        const P b = Lerp(control1, control2, t);
        const P c = Lerp(control2, end, t);
        const P ab = Lerp(a, b, t);
        const P bc = Lerp(b, c, t);
        const P at = Lerp(ab, bc, t);
        return {{start, a, ab, at}, {at, bc, c, end}};
    }

    // The part between parameters t0 and t1 (0 <= t0 <= t1 <= 1): the part after t0, then the
    // part of that before t1 taken as a parameter of it.
    CubicCurve Part(double t0, double t1) const
    {
        const CubicCurve after = SplitAt(t0).second;
        const double u = t0 < 1.0 ? (t1 - t0) / (1.0 - t0) : 1.0;
        return after.SplitAt(u).first;
    }

    // The point at parameter t, from the Bernstein form.
    P At(double t) const
    {
        const double s = 1 - t;
        return s * s * s * start + 3 * s * s * t * control1 + 3 * s * t * t * control2 + t * t * t * end;
    }
};

// Halves curve depth first until done(part) holds or a part was halved maxHalvings times, and
// hands each part, in order, to piece. A piece that returns false stops the halving (then so does
// this); one returning nothing never stops it.
template <typename Curve, typename Done, typename Piece>
bool HalveUntil(const Curve &curve, int maxHalvings, const Done &done, const Piece &piece)
{
    if (maxHalvings <= 0 || done(curve)) {
        if constexpr (std::is_void_v<decltype(piece(curve))>) {
            piece(curve);
            return true;
        } else {
            return piece(curve);
        }
    }
    const auto halves = curve.Halves();
    return HalveUntil(halves.first, maxHalvings - 1, done, piece) &&
           HalveUntil(halves.second, maxHalvings - 1, done, piece);
}

// Hands lineTo the ends of pieces lines standing for curve, at the parameters i / pieces; the
// last one is the curve's end itself.
template <typename P, typename LineTo>
void FlattenEvenly(const CubicCurve<P> &curve, int pieces, const LineTo &lineTo)
{
    for (int i = 1; i <= pieces; ++i) {
        lineTo(i == pieces ? curve.end : curve.At(double(i) / pieces));
    }
}

}  // namespace platform
