#include "canvastools/gradient_tool.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/grid_snap.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/status_line.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/groups.h"
#include "core/history.h"
#include "core/hit_search.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/picture_box.h"

#include <cmath>

namespace canvastools {
namespace {

using core::Doc;

// Gradient handles: hit numbers (HandlePoints index + 1).
enum GradientHandle : int32_t { kCentre = 1, kRotation = 2, kSizeX1 = 3, kSizeX2 = 4, kSizeY = 6 };

constexpr double kRotationHandleReach = 400.0;  // twips from the centre
constexpr double kDrawnTwipsPerRatio = 16380.0;
constexpr float kDraggedTwipsPerRatio = 16384.0f;
constexpr float kSmallestRatio = 1.0f / 16384.0f;  // a zero size starts from here when dragged
constexpr int kDiscRadius = 2;                     // pixels
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;

Point32 Offset(int32_t cx, int32_t cy, double dx, double dy)
{
    return Point32{platform::RoundToInt32(cx + dx), platform::RoundToInt32(cy + dy)};
}

QString FloorText(double value)
{
    return QString::number(platform::SaturateCast<int64_t>(std::floor(value)));
}

void SetControlsOf(const core::PathRecord &path)
{
    auto &h = Input().HandlePoints;
    const int32_t cx = path.GradCenterX;
    const int32_t cy = path.GradCenterY;
    const double theta = path.GradAngle * core::kPi / 180.0;
    const double sizeX = path.GradRatioX * kDrawnTwipsPerRatio;
    const double sizeY = path.GradRatioY * kDrawnTwipsPerRatio;
    h[0] = Point32{cx, cy};
    h[1] = Offset(cx, cy, std::sin(theta) * kRotationHandleReach, -std::cos(theta) * kRotationHandleReach);
    h[2] = Offset(cx, cy, sizeX * std::cos(theta), sizeX * std::sin(theta));
    h[3] = Offset(cx, cy, sizeX * std::cos(theta + core::kPi), sizeX * std::sin(theta + core::kPi));
    h[5] = Offset(cx, cy, sizeY * std::sin(theta + core::kPi), -sizeY * std::cos(theta + core::kPi));
    WriteStatusField(12, QStringLiteral("[%1,%2]").arg(cx / 20).arg(cy / 20));
    WriteStatusField(22, QStringLiteral("[%1ﾟ ").arg(FloorText(path.GradAngle)));
    WriteStatusField(28, QStringLiteral("⇔%1]  ").arg(FloorText(path.GradRatioX * 1638.0f)));
}

// A closed gradient-filled path under the point that is not a member of a compound path.
int32_t GradientPathAt(int32_t x, int32_t y)
{
    int32_t path = 0, anchor = 0;
    core::FindSegmentNear(x, y, path, anchor);
    if (path < 1) {
        return 0;
    }
    const core::PathRecord &record = std::as_const(Doc().DocPaths)[static_cast<size_t>(path)];
    bool gradient = record.blClosed && record.FillType >= core::kFillLinear &&
                    !core::FollowsInCompound(Doc().DocPaths, path);
    return gradient ? path : 0;
}

// The dragged size follows the pointer's distance from the centre; the other size keeps its
// proportion (Ctrl alone: takes the same size; right button: stays).
void SizeStep(int button, int shift, int32_t x, int32_t y, bool yAxis)
{
    core::RestorePathSnapshot();
    CalcGradientControl();
    const Point32 centre = Input().HandlePoints[0];
    const float distance = core::GetDistance(static_cast<double>(centre.X) - x, static_cast<double>(centre.Y) - y);
    core::ChangeSelectedDocPaths([&](core::PathRecord &path) {
        float &dragged = yAxis ? path.GradRatioY : path.GradRatioX;
        float &other = yAxis ? path.GradRatioX : path.GradRatioY;
        if (dragged == 0.0f) {
            dragged = kSmallestRatio;
        }
        float factor = distance / (dragged * kDraggedTwipsPerRatio);
        dragged *= factor;
        if (button != platform::kRightButton) {
            other = shift == platform::kCtrlMask ? dragged : other * factor;
        }
    });
}

void RotationStep(int32_t x, int32_t y)
{
    core::RestorePathSnapshot();
    CalcGradientControl();
    const Point32 centre = Input().HandlePoints[0];
    const CanvasInputState &input = Input();
    float turn = core::GetAngle(centre.X, centre.Y, x, y) -
                 core::GetAngle(centre.X, centre.Y, input.DragOriginX, input.DragOriginY);
    core::ChangeSelectedDocPaths([&](core::PathRecord &path) { path.GradAngle += turn; });
}

void CentreStep(int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    CalcGradientControl();
    if (SnapIsOn()) {
        input.DragOriginX = input.HandlePoints[0].X;
        input.DragOriginY = input.HandlePoints[0].Y;
        SnapGrid(x, y);
    }
    int64_t dx = int64_t{x} - input.DragOriginX;
    int64_t dy = int64_t{y} - input.DragOriginY;
    if (dx != 0 || dy != 0) {
        core::ChangeSelectedDocPaths([&](core::PathRecord &path) {
            path.GradCenterX = platform::SaturateInt<int32_t>(path.GradCenterX + dx);
            path.GradCenterY = platform::SaturateInt<int32_t>(path.GradCenterY + dy);
        });
    }
    input.DragOriginX = x;
    input.DragOriginY = y;
}

// Whether a selected path's gradient frame differs from the snapshot taken at mouse-down: a drag
// that ends where it began changed nothing.
bool GradientFramesChanged()
{
    const core::Document &doc = Doc();
    if (!doc.PathSnapshot || doc.PathSnapshot->size() != doc.DocPaths.size()) {
        return true;
    }
    for (size_t i = 1; i < doc.DocPaths.size(); ++i) {
        const core::PathRecord &now = std::as_const(doc.DocPaths)[i];
        const core::PathRecord &before = (*doc.PathSnapshot)[i];
        if (now.GradCenterX != before.GradCenterX || now.GradCenterY != before.GradCenterY ||
            now.GradAngle != before.GradAngle || now.GradRatioX != before.GradRatioX ||
            now.GradRatioY != before.GradRatioY) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CalcGradientControl()
{
    Input().HandlePoints.fill(Point32{kNoHandle, kNoHandle});
    const core::Document &doc = Doc();
    for (int32_t i = 1; i <= doc.DocPathCount(); ++i) {
        const core::PathRecord &path = std::as_const(doc.DocPaths)[static_cast<size_t>(i)];
        if (path.blSelected) {
            SetControlsOf(path);
        }
    }
}

void DrawGradientControl()
{
    int32_t first = FirstSelectedPath();
    if (first == 0) {
        return;
    }
    DrawPathEdge(first, true, false);
    CalcGradientControl();
    const auto &h = Input().HandlePoints;
    DrawInvertedLine(h[5], h[1]);
    DrawInvertedLine(h[2], h[3]);
    DrawHandleDisc(h[0], kDiscRadius, kWhite);
    DrawHandleDisc(h[1], kDiscRadius, kGreen);
    DrawHandleBoxes({h[2], h[3], h[5]});
}

void Gradient_MouseDown(int /*button*/, int /*shift*/, int32_t x, int32_t y)
{
    core::Document &doc = Doc();
    ArmDrag(x, y);
    // The controls as the selection stands now, and the press's own path (no hover needed).
    CalcGradientControl();
    doc.HitPath2 = HitTestHandle(x, y);
    if (doc.HitPath2 > 0) {
        core::SavePathSnapshot();
    } else {
        doc.HitPath = GradientPathAt(x, y);
    }
}

void Gradient_MouseMove(int button, int shift, int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    if (!input.DragArmed) {
        HoverHandleOrPath(x, y, GradientPathAt);
        return;
    }
    switch (Doc().HitPath2) {
    case kSizeX1:
    case kSizeX2:
        SizeStep(button, shift, x, y, false);
        break;
    case kSizeY:
        SizeStep(button, shift, x, y, true);
        break;
    case kRotation:
        RotationStep(x, y);
        break;
    case kCentre:
        CentreStep(x, y);
        break;
    default:
        return;
    }
    if (input.RealtimeMode) {
        movie::MakeCanvasMovie();
    }
    CanvasWindow().DispShape(1);
}

void Gradient_MouseUp(int /*button*/, int /*shift*/, int32_t /*x*/, int32_t /*y*/)
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    if (!input.DragArmed) {
        return;
    }
    if (doc.HitPath2 >= 1) {
        movie::MakeCanvasMovie();
        CanvasWindow().DispShape(0);
        if (GradientFramesChanged()) {
            core::RecordHistory();
        } else {
            core::GetHost().RefreshSelect();
        }
    } else {
        if (IsPathIndex(doc.HitPath)) {
            core::DeselectAllPaths();
            doc.DocPaths[static_cast<size_t>(doc.HitPath)].blSelected = true;
            CanvasWindow().DispShape(0);
        } else {
            CalcGradientControl();
        }
        core::GetHost().RefreshSelect();
    }
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
    input.DragChanged = false;
    input.DragArmed = false;
}

}  // namespace canvastools
