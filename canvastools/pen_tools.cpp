#include "canvastools/pen_tools.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/path_builder.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"
#include "platform/forms/picture_box.h"

#include <QPainter>
#include <QPainterPath>

namespace canvastools {
namespace {

using core::Doc;

constexpr float kPenStep = 10.0f;  // twips between pen clicks that add an anchor, at any zoom

float Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return core::GetDistance(static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
}

bool NearStart(float distance)
{
    return distance < 80.0f / Doc().ZoomRate && Input().NewFillType > 0;
}

QPoint ToScreen(int32_t x, int32_t y)
{
    int32_t xs = 0;
    int32_t ys = 0;
    CanvasWindow().PosTwipToScr(xs, ys, x, y);
    return QPoint(xs, ys);
}

void BeginStroke(int32_t x, int32_t y, int16_t kind)
{
    const CanvasInputState &input = Input();
    core::BeginPath(x, y, input.CurrentLineWidth, input.NewLineMode, input.NewFillType, input.CurrentColors, kind);
    QPoint at = ToScreen(x, y);
    Input().PreviewX = at.x();
    Input().PreviewY = at.y();
}

void Redraw()
{
    movie::MakeCanvasMovie();
    CanvasWindow().DispShape(1);
}

// The stroke's next piece drawn straight into the picture in the line colour, as wide as the
// line will be at this zoom.
void DrawQuickLine(int32_t x, int32_t y)
{
    platform::PictureBox &picture = CanvasWindow().Picture();
    int keptMode = picture.DrawMode();
    float width = Doc().ZoomRate * Input().CurrentLineWidth;
    picture.SetDrawWidth(width >= 1.0f ? platform::RoundToInt32(width) : 1);
    picture.SetDrawMode(platform::kDrawCopyPen);
    QPoint to = ToScreen(x, y);
    picture.Line(Input().PreviewX, Input().PreviewY, to.x(), to.y(), Input().CurrentColors[0] & 0xFFFFFFu);
    Input().PreviewX = to.x();
    Input().PreviewY = to.y();
    picture.SetDrawWidth(1);
    picture.SetDrawMode(keptMode);
    picture.Refresh();
}

int16_t PenKind(int button)
{
    int16_t mode = Input().PenCurveMode;
    return (button & platform::kRightButton) ? static_cast<int16_t>(1 - mode) : mode;
}

QPoint RoundedScreen(double x, double y)
{
    return ToScreen(platform::RoundToInt32(x), platform::RoundToInt32(y));
}

// The band from the last anchors through the pointer c, as the path would continue there.
void DrawRubberBand(int32_t cx, int32_t cy)
{
    CanvasView &window = CanvasWindow();
    const core::PathRecord &path = std::as_const(Doc().DocPaths).back();
    const auto &a = path.Anchors;
    int32_t n = path.AnchorMax();
    auto kindAt = [&](int32_t i) { return a[static_cast<size_t>(i)].AnchorKind; };
    if (n <= 0 || kindAt(n) == core::kOnCurve) {
        window.DispShape(1);
        QPoint from = ToScreen(Input().DragOriginX, Input().DragOriginY);
        QPoint to = ToScreen(cx, cy);
        window.Picture().Line(from.x(), from.y(), to.x(), to.y());
        Input().PreviewX = to.x();
        Input().PreviewY = to.y();
        window.Picture().Refresh();
        return;
    }
    struct P {
        double x, y;
    };
    auto at = [&](int32_t i) { return P{double(a[static_cast<size_t>(i)].X), double(a[static_cast<size_t>(i)].Y)}; };
    P c{double(cx), double(cy)};
    std::vector<QPoint> points;
    auto add = [&](P p) { points.push_back(RoundedScreen(p.x, p.y)); };
    if (n == 1 || kindAt(n - 1) == core::kOnCurve) {
        P p0 = at(n - 1);
        P k = at(n);
        add(p0);
        add({(p0.x + 2 * k.x) / 3, (p0.y + 2 * k.y) / 3});
        add({(c.x + 2 * k.x) / 3, (c.y + 2 * k.y) / 3});
        add(c);
    } else {
        P c1 = at(n - 1);
        P c2 = at(n);
        P s = (kindAt(n - 2) == core::kOnCurve || n == 2) ? at(n - 2)
                                                           : P{(at(n - 2).x + c1.x) / 2, (at(n - 2).y + c1.y) / 2};
        P m{(c1.x + c2.x) / 2, (c1.y + c2.y) / 2};
        add(s);
        add({(s.x + 2 * c1.x) / 3, (s.y + 2 * c1.y) / 3});
        add({(5 * c1.x + c2.x) / 6, (5 * c1.y + c2.y) / 6});
        add(m);
        add({(m.x + 2 * c2.x) / 3, (m.y + 2 * c2.y) / 3});
        add({(2 * c2.x + c.x) / 3, (2 * c2.y + c.y) / 3});
        add(c);
    }
    window.DispShape(1);
    QPainterPath curve(points[0]);
    for (size_t i = 1; i + 2 < points.size(); i += 3) {
        curve.cubicTo(points[i], points[i + 1], points[i + 2]);
    }
    {
        QPainter painter(&window.Picture().Image());
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawPath(curve);
    }
    Input().PreviewX = points.back().x();
    Input().PreviewY = points.back().y();
    window.Picture().Refresh();
}

void FinishPenPath(int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    const core::AnchorPoint &first = std::as_const(Doc().DocPaths).back().Anchors.front();
    bool close = NearStart(Distance(x, y, first.X, first.Y));
    core::FinishPath(x, y, close);
    CanvasWindow().DispShape(0);
    input.DragArmed = false;
    input.DragMode = 0;
    if (CanvasWindow().Options().NotReturnSelectMode != 1) {
        CanvasWindow().ChooseTool(kToolSelect);
    }
}

}  // namespace

void Freehand_MouseDown(int32_t x, int32_t y)
{
    BeginStroke(x, y, core::kControlPoint);
    Input().DragOriginX = x;
    Input().DragOriginY = y;
    Input().DragArmed = true;
}

void Freehand_MouseMove(int32_t x, int32_t y)
{
    if (!Input().DragArmed) {
        return;
    }
    core::AddAnchor(x, y, core::kControlPoint);
    if (Input().RealtimeMode) {
        Redraw();
    } else {
        DrawQuickLine(x, y);
    }
}

void Freehand_MouseUp(int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (!input.DragArmed) {
        return;
    }
    bool close = NearStart(Distance(input.DragOriginX, input.DragOriginY, x, y));
    core::FinishPath(x, y, close);
    CanvasWindow().DispShape(0);
    input.DragArmed = false;
}

void Pen_MouseDown(int button, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    int16_t kind = PenKind(button);
    if (input.DragMode == 1 && !core::IsBuildingPath()) {
        input.DragMode = 0;  // another command ended or removed the path in progress: start anew
    }
    if (input.DragMode == 0) {
        BeginStroke(x, y, kind);
        input.DragOriginX = kNoDragOrigin;
        input.DragOriginY = kNoDragOrigin;
        input.DragMode = 1;
        input.DragArmed = true;
        return;
    }
    if (Distance(input.DragOriginX, input.DragOriginY, x, y) >= kPenStep) {
        core::AddAnchor(x, y, kind);
        input.DragArmed = true;
        return;
    }
    FinishPenPath(x, y);
}

void Pen_MouseMove(int button, int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (input.DragMode != 1 || !core::IsBuildingPath()) {
        return;
    }
    if (input.DragArmed) {
        core::AddAnchor(x, y, PenKind(button));
        if (input.RealtimeMode) {
            Redraw();
        } else {
            DrawQuickLine(x, y);
            CanvasWindow().Picture().SetDrawMode(platform::kDrawInvert);
        }
        return;
    }
    DrawRubberBand(x, y);
}

void Pen_MouseUp(int32_t x, int32_t y)
{
    CanvasInputState &input = Input();
    if (!input.DragArmed || Distance(input.DragOriginX, input.DragOriginY, x, y) < kPenStep) {
        return;
    }
    input.DragOriginX = x;
    input.DragOriginY = y;
    Redraw();
    input.DragArmed = false;
}

void EndPenPath()
{
    CanvasInputState &input = Input();
    if (input.DragMode > 0) {
        core::FinishPath(0, 0, false);
        input.DragMode = 0;
        input.DragArmed = false;
    }
}

}  // namespace canvastools
