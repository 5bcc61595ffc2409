#include "import/svg_geometry.h"

#include "import/svg_error.h"

#include <cmath>

namespace importer {
namespace {

constexpr double kPi = 3.14159265358979;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

double Degrees(double radians)
{
    return radians * 180.0 / kPi;
}

SvgPoint Lerp(SvgPoint a, SvgPoint b, float t)
{
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

SvgPoint Midpoint(SvgPoint a, SvgPoint b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// True when `probe` lies on the same side of `from` as `reference` along the given axis.
bool SameSide(float probe, float from, float reference)
{
    return probe > from ? reference >= from : reference <= from;
}

struct Station {
    SvgPoint a, b, c;  // tangent through a and b, curve point c
};

// Double products, float results: each matrix's result is rounded to float before the next.
void ApplyMatrix(float &x, float &y, const SvgMatrix &m)
{
    double nx = static_cast<double>(m.ScaleX) * x + static_cast<double>(m.Skew1) * y + m.sftX;
    double ny = static_cast<double>(m.Skew0) * x + static_cast<double>(m.ScaleY) * y + m.sftY;
    x = static_cast<float>(nx);
    y = static_cast<float>(ny);
}

}  // namespace

void ApplyMatrixList(float &x, float &y, const MatrixList &list)
{
    for (const SvgMatrix &m : list) {
        ApplyMatrix(x, y, m);
    }
}

void ApplyMatrixLists(float &x, float &y, const MatrixList &list1, const MatrixList &list2)
{
    ApplyMatrixList(x, y, list1);
    ApplyMatrixList(x, y, list2);
}

void TransformPoint(int32_t &x, int32_t &y, const MatrixList &list1, const MatrixList &list2)
{
    float fx = static_cast<float>(x);
    float fy = static_cast<float>(y);
    ApplyMatrixLists(fx, fy, list1, list2);
    x = CheckedRound(fx);
    y = CheckedRound(fy);
}

std::vector<SvgMatrix> JoinMatrixLists(const MatrixList &list1, const MatrixList &list2)
{
    std::vector<SvgMatrix> run;
    run.reserve(list1.size() + list2.size());
    run.insert(run.end(), list1.begin(), list1.end());
    run.insert(run.end(), list2.begin(), list2.end());
    return run;
}

void TransformPoint(int32_t &x, int32_t &y, std::span<const SvgMatrix> run)
{
    float fx = static_cast<float>(x);
    float fy = static_cast<float>(y);
    for (const SvgMatrix &m : run) {
        ApplyMatrix(fx, fy, m);
    }
    x = CheckedRound(fx);
    y = CheckedRound(fy);
}

float GetDirectionAngle(SvgPoint p, SvgPoint q)
{
    double dy = static_cast<double>(q.y) - p.y;
    double dx = static_cast<double>(p.x) - q.x;
    double angle;
    if (dy > 0) {
        angle = Degrees(std::atan(dx / dy));
        if (angle < 0) {
            angle += 360;
        }
    } else if (dy == 0) {
        angle = dx > 0 ? 90 : (dx == 0 ? 0 : 270);
    } else {
        angle = Degrees(std::atan(dx / dy)) + 180;
    }
    float result = static_cast<float>(angle);
    return result >= 360.0f ? 0.0f : result;
}

SvgPoint RotateVector(float x, float y, float angleDegrees)
{
    double a = Radians(angleDegrees);
    return {static_cast<float>(x * std::cos(a) - y * std::sin(a)),
            static_cast<float>(y * std::cos(a) + x * std::sin(a))};
}

float DistanceToAxis(float x, float y, float angleDegrees)
{
    double angle = std::isfinite(angleDegrees) ? std::fmod(static_cast<double>(angleDegrees), 360.0) : 0.0;
    if (angle < 0) {
        angle += 360;
    }
    if (angle == 90) {
        return x;
    }
    if (angle == 270) {
        return -x;
    }
    double t = std::tan(Radians(-angle));
    double h = y - t * x;
    double magnitude = std::sqrt(h * h / (t * t + 1));
    bool positive = (h >= 0 && (angle < 90 || angle > 270)) || (h < 0 && angle >= 90 && angle <= 270);
    return static_cast<float>(positive ? magnitude : -magnitude);
}

std::array<SvgPoint, 8> CubicToQuadratic(SvgPoint p0, SvgPoint p1, SvgPoint p2, SvgPoint p3)
{
    std::array<Station, 5> stations;
    stations[0] = {p0, p1, p0};
    stations[4] = {p2, p3, p3};
    for (int k = 1; k <= 3; ++k) {
        float t = static_cast<float>(k) / 4;
        SvgPoint q0 = Lerp(p0, p1, t);
        SvgPoint q1 = Lerp(p1, p2, t);
        SvgPoint q2 = Lerp(p2, p3, t);
        SvgPoint a = Lerp(q0, q1, t);
        SvgPoint b = Lerp(q1, q2, t);
        stations[k] = {a, b, Lerp(a, b, t)};
    }
    std::array<SvgPoint, 8> result;
    for (int j = 0; j < 4; ++j) {
        const Station &s = stations[j];
        const Station &e = stations[j + 1];
        SvgPoint control = LineIntersection(s.a, s.b, e.a, e.b, s.c, e.c);
        bool alongY = std::fabs(s.c.y - e.c.y) > std::fabs(s.c.x - e.c.x);
        bool ahead = alongY ? SameSide(control.y, s.c.y, s.b.y) : SameSide(control.x, s.c.x, s.b.x);
        bool behind = alongY ? SameSide(control.y, e.c.y, e.a.y) : SameSide(control.x, e.c.x, e.a.x);
        if (!ahead || !behind) {
            control = Midpoint(s.c, e.c);
        }
        result[2 * j] = control;
        result[2 * j + 1] = e.c;
    }
    return result;
}

SvgPoint LineIntersection(SvgPoint a1, SvgPoint b1, SvgPoint a2, SvgPoint b2, SvgPoint e1, SvgPoint e2)
{
    bool vertical1 = a1.x == b1.x;
    bool vertical2 = a2.x == b2.x;
    double m1 = vertical1 ? 0 : (static_cast<double>(b1.y) - a1.y) / (static_cast<double>(b1.x) - a1.x);
    double m2 = vertical2 ? 0 : (static_cast<double>(b2.y) - a2.y) / (static_cast<double>(b2.x) - a2.x);
    double k1 = b1.y - m1 * b1.x;
    double k2 = b2.y - m2 * b2.x;
    if ((vertical1 && vertical2) || (!vertical1 && !vertical2 && m1 == m2)) {
        return Midpoint(e1, e2);
    }
    if (vertical1) {
        return {a1.x, static_cast<float>(m2 * a1.x + k2)};
    }
    if (vertical2) {
        return {a2.x, static_cast<float>(m1 * a2.x + k1)};
    }
    double x = (k2 - k1) / (m1 - m2);
    return {static_cast<float>(x), static_cast<float>(m1 * x + k1)};
}

}  // namespace importer
