// Geometry shared by the SVG reader: affine matrix lists, direction angles, rotation, the signed
// distance from an axis and the splitting of cubic Bezier segments into quadratic ones.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace importer {

struct SvgPoint {
    float x = 0;
    float y = 0;
};

// One affine transform: x' = ScaleX x + Skew1 y + sftX, y' = Skew0 x + ScaleY y + sftY, the
// offsets in twips. A new matrix is the identity.
struct SvgMatrix {
    float ScaleX = 1;  // a
    float ScaleY = 1;  // d
    float Skew0 = 0;   // b
    float Skew1 = 0;   // c
    int32_t sftX = 0;  // e
    int32_t sftY = 0;  // f
};

// Transforms applied in list order: the newest (innermost) transform of the document stands first.
using MatrixList = std::deque<SvgMatrix>;

// Maps the point through every matrix of the list in order (double products, float results).
void ApplyMatrixList(float &x, float &y, const MatrixList &list);
void ApplyMatrixLists(float &x, float &y, const MatrixList &list1, const MatrixList &list2);
// The same on a point in twips, rounded back half to even; throws SvgError when out of range.
void TransformPoint(int32_t &x, int32_t &y, const MatrixList &list1, const MatrixList &list2);
// The matrices of list1, then those of list2, side by side: moving many points through one run
// gives the same results as through the two lists.
std::vector<SvgMatrix> JoinMatrixLists(const MatrixList &list1, const MatrixList &list2);
void TransformPoint(int32_t &x, int32_t &y, std::span<const SvgMatrix> run);

// The direction from p to q in degrees, [0, 360): (0, 0) to (0, 10) is 0, (10, 0) to (0, 0) is 90.
float GetDirectionAngle(SvgPoint p, SvgPoint q);
SvgPoint RotateVector(float x, float y, float angleDegrees);
// The signed distance of (x, y) from the axis through the origin at the given angle.
float DistanceToAxis(float x, float y, float angleDegrees);

// Four quadratic segments approximating the cubic p0..p3: control 0, end 0, ..., control 3, end 3.
std::array<SvgPoint, 8> CubicToQuadratic(SvgPoint p0, SvgPoint p1, SvgPoint p2, SvgPoint p3);
// Where the line a1-b1 meets the line a2-b2; the midpoint of e1 and e2 for parallel lines.
SvgPoint LineIntersection(SvgPoint a1, SvgPoint b1, SvgPoint a2, SvgPoint b2, SvgPoint e1, SvgPoint e2);

}  // namespace importer
