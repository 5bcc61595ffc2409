#include "canvastools/bucket_brush_tools.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "core/brush_list.h"
#include "core/bucket_fill.h"
#include "core/document.h"
#include "core/history.h"
#include "core/path_boolean_commands.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "platform/forms/picture_box.h"

#include <tuple>
#include <vector>

namespace canvastools {
namespace {

using core::Doc;

CanvasView &Window()
{
    return CanvasWindow();
}

bool HasCurrentBrush()
{
    const core::BrushList &brushes = core::Brushes();
    return brushes.CurrentBrush >= 1 && brushes.CurrentBrush <= core::UpperBound(brushes.BrushPaths);
}

const core::PathRecord &CurrentBrushPath()
{
    const core::BrushList &brushes = core::Brushes();
    return brushes.BrushPaths[static_cast<size_t>(brushes.CurrentBrush)];
}

// Which stroke a button makes: BrushEraseSwap 0 paints with the left and erases with the right
// button, 1 the other way round; any other button state makes none.
BrushStrokeKind StrokeOfButton(int button)
{
    int16_t swap = Input().BrushEraseSwap;
    if (button == 2 - swap) {
        return kEraseStroke;
    }
    if (button == swap + 1) {
        return kPaintStroke;
    }
    return kNoStroke;
}

// The current brush in the current colours, line width and modes.
void PrepareStrokeRecord()
{
    CanvasInputState &input = Input();
    core::PathRecord stroke = CurrentBrushPath();
    stroke.LineColor = input.CurrentColors[0];
    stroke.FillColor = input.CurrentColors[1];
    stroke.GradColor = input.CurrentColors[2];
    stroke.LineWidth = platform::RoundToInt32(static_cast<double>(input.CurrentLineWidth) * 20.0);
    stroke.LineMode = input.NewLineMode;
    stroke.FillType = input.NewFillType;
    input.StrokeRecord = std::move(stroke);
}

void StrokeStep(int32_t x, int32_t y, core::StampMode paintMode)
{
    CanvasInputState &input = Input();
    if (input.BrushStroke == kEraseStroke) {
        core::EraseWithPath(input.StrokeRecord, x, y);
    } else {
        core::StampPath(input.StrokeRecord, x, y, paintMode);
    }
    if (input.RealtimeMode) {
        movie::MakeCanvasMovie();
        Window().DispShape(1);
    }
}

// The brush's outline at the point, joined anchor to anchor and back to the first, in the
// picture's current colour and drawing mode.
void DrawBrushOutline(int32_t x, int32_t y)
{
    const core::PathRecord &brush = CurrentBrushPath();
    if (brush.Anchors.empty()) {
        return;
    }
    std::vector<QPoint> points;
    points.reserve(brush.Anchors.size());
    for (const core::AnchorPoint &anchor : brush.Anchors) {
        int32_t xs = 0, ys = 0;
        Window().PosTwipToScr(xs, ys, platform::SaturateInt<int32_t>(int64_t{anchor.X} + x),
                              platform::SaturateInt<int32_t>(int64_t{anchor.Y} + y));
        points.emplace_back(xs, ys);
    }
    platform::PictureBox &picture = Window().Picture();
    for (size_t i = 0; i < points.size(); ++i) {
        const QPoint &to = points[(i + 1) % points.size()];
        picture.Line(points[i].x(), points[i].y(), to.x(), to.y());
    }
    picture.Refresh();
}

// The paths as they are drawn: every field but the encoding cache and the selection mark.
auto DrawnFields(const core::PathRecord &p)
{
    return std::tie(p.Anchors, p.blClosed, p.LineWidth, p.LineMode, p.LineColor, p.FillType, p.FillColor,
                    p.GradCenterX, p.GradCenterY, p.GradAngle, p.GradRatioX, p.GradRatioY, p.GradColor, p.Stops,
                    p.blGroup, p.GroupID, p.blCompound, p.CompoundID, p.DispFlags);
}

bool SameDrawing(const core::PathArray &a, const core::PathArray &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 1; i < a.size(); ++i) {
        if (DrawnFields(a[i]) != DrawnFields(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

void Bucket_MouseDown(int32_t x, int32_t y)
{
    const CanvasInputState &input = Input();
    core::TraceFloodPath(x, y, input.CurrentLineWidth, input.NewLineMode, input.NewFillType, input.CurrentColors);
    Window().DispShape(1);
}

void Brush_MouseDown(int button, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    input.DragArmed = true;
    input.BrushStroke = HasCurrentBrush() ? StrokeOfButton(button) : kNoStroke;
    if (input.BrushStroke == kNoStroke) {
        return;
    }
    PrepareStrokeRecord();
    if (input.BrushStroke == kEraseStroke) {
        input.StrokeStartPaths = Doc().DocPaths;
    }
    StrokeStep(x, y, core::kStampDown);
}

void Brush_MouseMove(int button, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (!HasCurrentBrush()) {
        return;
    }
    if (!input.DragArmed) {
        Window().DispShape(1);
    }
    DrawBrushOutline(x, y);
    // The held button continues the stroke it began; the other button does not switch it over.
    if (input.DragArmed && input.BrushStroke != kNoStroke && StrokeOfButton(button) == input.BrushStroke) {
        StrokeStep(x, y, core::kStampMove);
    }
}

void Brush_MouseUp(int /*button*/, int32_t /*x*/, int32_t /*y*/)
{
    CanvasInputState &input = Input();
    if (!input.DragArmed) {
        return;
    }
    bool changed = input.BrushStroke == kPaintStroke;
    if (input.BrushStroke == kPaintStroke) {
        core::StampPath(input.StrokeRecord, 0, 0, core::kStampUp);
    } else if (input.BrushStroke == kEraseStroke) {
        changed = !SameDrawing(input.StrokeStartPaths, Doc().DocPaths);
    }
    movie::MakeCanvasMovie();
    Window().DispShape(0);
    if (changed) {
        core::RecordHistory();
    }
    input.StrokeStartPaths.clear();
    input.BrushStroke = kNoStroke;
    input.DragArmed = false;
}

}  // namespace canvastools
