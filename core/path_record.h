// The drawing's data: anchors, gradient stops, path records and path collections.
#pragma once

#include "core/anchor_array.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core {

// Colours are 0xAABBGGRR: red in the low byte, opacity (255 opaque) in the high byte.
using Color = uint32_t;

enum AnchorKindValue : int16_t {
    kOnCurve = 0,       // line or corner point
    kControlPoint = 1,  // quadratic control point
    kAnchorDeleted = -1 // transient mark of the anchor-delete command
};

struct GradStop {
    Color StopColor = 0;
    int32_t StopPos = 0;  // 0..255 along the gradient

    bool operator==(const GradStop &) const = default;
};

struct AnchorRef {
    int32_t PathIndex = 0;    // 1-based
    int32_t AnchorIndex = 0;  // 0-based

    bool operator==(const AnchorRef &) const = default;
};

enum FillTypeValue : int16_t {
    kFillNone = 0,
    kFillSolid = 1,
    kFillLinear = 2,
    kFillReflected = 3,  // fill colour at both ends, GradColor in the middle
    kFillRadial = 4
};

enum DispFlagBits : int32_t {
    kDispHidden = 1,
    kDispLocked = 2
};

struct Rect32 {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool operator==(const Rect32 &) const = default;
};

// One path of the drawing.
struct PathRecord {
    AnchorArray Anchors;  // 0 .. AnchorMax(); copies share its storage until one changes

    bool blClosed = false;
    int32_t LineWidth = 0;  // twips
    int16_t LineMode = 0;   // 0 no line, 1 line
    Color LineColor = 0;
    int16_t FillType = kFillNone;
    Color FillColor = 0;  // also the gradient colour at position 0
    int32_t GradCenterX = 0;
    int32_t GradCenterY = 0;
    float GradAngle = 0;   // degrees
    float GradRatioX = 0;  // extent in twips / 32768
    float GradRatioY = 0;
    Color GradColor = 0;          // gradient colour at position 255
    std::vector<GradStop> Stops;  // middle stops 1 .. StopCount(); element 0 unused
    bool blSelected = false;
    bool blGroup = false;
    int32_t GroupID = 0;
    bool blCompound = false;
    int32_t CompoundID = 0;
    int32_t DispFlags = 0;  // kDispHidden | kDispLocked; never saved

    // Upper bound of Anchors; a path with AnchorMax() < 1 counts as empty.
    int32_t AnchorMax() const { return static_cast<int32_t>(Anchors.size()) - 1; }
    int32_t StopCount() const { return Stops.empty() ? 0 : static_cast<int32_t>(Stops.size()) - 1; }
    // Resizes Stops to hold count middle stops (entries 1..count), keeping those there.
    void SetStopCount(int32_t count) { Stops.resize(count > 0 ? static_cast<size_t>(count) + 1 : 0); }
    bool IsHidden() const { return (DispFlags & kDispHidden) != 0; }
    bool IsLocked() const { return (DispFlags & kDispLocked) != 0; }

    bool operator==(const PathRecord &) const = default;
};

// Upper bound of a 1-based array whose element 0 is unused (0 when empty).
template <typename T>
int32_t UpperBound(const std::vector<T> &items)
{
    return items.empty() ? 0 : static_cast<int32_t>(items.size()) - 1;
}

}  // namespace core

// The path arrays (paths 1 .. upper bound; element 0 unused) are built on the record above.
#include "core/path_array.h"
