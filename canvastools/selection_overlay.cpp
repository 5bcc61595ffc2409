#include "canvastools/selection_overlay.h"

#include "canvastools/canvas_window.h"
#include "canvastools/gradient_tool.h"
#include "canvastools/selected_edge_polylines.h"
#include "canvastools/status_line.h"
#include "core/document.h"
#include "core/geometry.h"
#include "core/groups.h"
#include "platform/base/rounding.h"
#include "platform/forms/picture_box.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <limits>

namespace canvastools {
namespace {

using core::Doc;

constexpr int32_t kFrameStart = 16777215;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;   // 0x00BBGGRR
constexpr uint32_t kBlue = 0xFF0000;
constexpr int kHandleBoxHalf = 2;     // handle boxes are 5 x 5 pixels
constexpr int kHoverBoxHalf = 3;      // the hovered handle's inverted square is 7 x 7 pixels

platform::PictureBox &Picture()
{
    return CanvasWindow().Picture();
}

// A painter on the canvas picture: inverting (every pixel covered is inverted once) or copying.
class OverlayPainter {
public:
    explicit OverlayPainter(bool invert) : painter_(&Picture().Image()), invert_(invert)
    {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        if (invert) {
            painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        }
        SetPen(kBlack, Picture().DrawWidth());
        painter_.setBrush(Qt::NoBrush);
    }

    QPainter &painter() { return painter_; }

    void SetPen(uint32_t bgr, int width)
    {
        QPen pen(invert_ ? QColor(Qt::white) : platform::ColorFromBgr(bgr));
        pen.setWidth(width > 1 ? width : 0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(pen);
    }
    void SetFill(uint32_t bgr) { painter_.setBrush(platform::ColorFromBgr(bgr)); }

private:
    QPainter painter_;
    bool invert_;
};

struct ScreenMap {
    ViewMetrics view;
    TwipToScreenMap map;

    ScreenMap() : view(CanvasWindow().CurrentViewMetrics()), map(view) {}
    QPoint operator()(int32_t x, int32_t y) const { return QPoint(map.X(x), map.Y(y)); }
};

// The outline of a path as a polyline through its anchors.
void DrawEdgeLines(QPainter &painter, const ScreenMap &map, const core::PathRecord &path)
{
    if (path.Anchors.empty()) {
        return;
    }
    QPolygon polygon;
    polygon.reserve(static_cast<int>(path.Anchors.size()) + 1);
    for (const core::AnchorPoint &anchor : path.Anchors) {
        polygon << map(anchor.X, anchor.Y);
    }
    if (path.blClosed) {
        polygon << polygon.front();
    }
    painter.drawPolyline(polygon);
}

// The picture's pixels grown by the reach of a pen of this width, for leaving out what lies
// wholly outside.
QRect VisibleForPen(int penWidth)
{
    const int reach = std::max(penWidth, 1) + 2;
    return Picture().Image().rect().adjusted(-reach, -reach, reach, reach);
}

void DrawMarker(OverlayPainter &overlay, QPoint at, float radius, uint32_t outline, int width)
{
    overlay.SetPen(outline, width);
    overlay.SetFill(kWhite);
    overlay.painter().drawEllipse(QPointF(at), radius, radius);
}

// The extremes of the selected paths' anchors and how many of them have two anchors or more, with
// the marks the paths had: the same marks are the same paths (a mark is never given twice).
struct SelectedFrame {
    std::vector<core::PathMark> marks;
    int32_t minX = kFrameStart;
    int32_t minY = kFrameStart;
    int32_t maxX = -kFrameStart;
    int32_t maxY = -kFrameStart;
    int32_t count = 0;
};

// The overlay's kept state: the selected paths' edges and the mask of a large selection's edges,
// and the selection frame found last.
struct OverlayState {
    SelectedEdgePolylines polylines;
    SelectedEdgeMask edgeMask;
    SelectedFrame frame;
};

OverlayState &Overlay()
{
    static OverlayState state;
    return state;
}

// Selected anchors from which the edges go through the kept mask: below, drawing them directly
// costs less than a pass over the picture.
constexpr size_t kMaskedEdgePoints = 4096;
// Picture pixels from the origin within which the mask's shifts and bounds cannot overflow; a
// selection reaching farther (a deep zoom) is drawn directly.
constexpr int kMaskedReach = 1 << 24;

bool WithinMaskedReach(const EdgePolylines &edges)
{
    return std::all_of(edges.summaries.begin(), edges.summaries.end(), [](const PolylineSummary &summary) {
        const QRect &reach = summary.reach;
        return reach.isEmpty() || (reach.left() >= -kMaskedReach && reach.right() <= kMaskedReach &&
                                   reach.top() >= -kMaskedReach && reach.bottom() <= kMaskedReach);
    });
}

// Inverts the edges of the selected paths of two anchors or more; false when none is selected.
bool InvertSelectedEdges()
{
    OverlayState &state = Overlay();
    const bool any = state.polylines.Gather(Doc().DocPaths, core::SelectedPaths(), CanvasWindow().CurrentViewMetrics());
    const EdgePolylines &edges = state.polylines.Edges();
    QImage &picture = Picture().Image();
    if (edges.points.size() >= kMaskedEdgePoints && Picture().DrawWidth() <= 1 &&
        picture.format() == QImage::Format_RGB32 && WithinMaskedReach(edges)) {
        state.edgeMask.Invert(picture, edges);
        return any;
    }
    // The mask stays for the next large selection.
    OverlayPainter lines(true);
    const QRect visible = VisibleForPen(lines.painter().pen().width());
    QPolygon polygon;
    for (size_t k = 0; k < edges.Count(); ++k) {
        // A path wholly outside the picture is left out: nothing of it would reach it.
        if (!edges.summaries[k].reach.intersects(visible)) {
            continue;
        }
        polygon.resize(0);
        for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
            polygon << edges.points[i];
        }
        lines.painter().drawPolyline(polygon);
    }
    return any;
}

QString PixelText(int32_t twips)
{
    return QString::number(twips / 20);
}

}  // namespace

bool IsPathIndex(int32_t i)
{
    return i >= 1 && i <= Doc().DocPathCount();
}

int32_t FirstSelectedPath()
{
    const std::vector<int32_t> &selected = core::SelectedPaths();
    return selected.empty() ? 0 : selected.front();
}

namespace {

// The frame of the selected paths: kept while they carry the marks they had when it was found.
const SelectedFrame &FrameOfSelection()
{
    SelectedFrame &frame = Overlay().frame;
    if (SelectionFrameCurrent()) {
        return frame;
    }
    const core::PathArray &paths = Doc().DocPaths;
    const std::vector<int32_t> &selected = core::SelectedPaths();
    frame = SelectedFrame();
    frame.marks.reserve(selected.size());
    for (int32_t i : selected) {
        frame.marks.push_back(paths.Mark(static_cast<size_t>(i)));
        const core::PathRecord &path = paths[static_cast<size_t>(i)];
        if (path.AnchorMax() < 1) {
            continue;
        }
        ++frame.count;
        for (const core::AnchorPoint &anchor : path.Anchors) {
            frame.minX = std::min(frame.minX, anchor.X);
            frame.maxX = std::max(frame.maxX, anchor.X);
            frame.minY = std::min(frame.minY, anchor.Y);
            frame.maxY = std::max(frame.maxY, anchor.Y);
        }
    }
    return frame;
}

}  // namespace

bool SelectionFrameCurrent()
{
    const SelectedFrame &frame = Overlay().frame;
    const core::PathArray &paths = Doc().DocPaths;
    const std::vector<int32_t> &selected = core::SelectedPaths();
    return frame.marks.size() == selected.size() &&
           std::equal(selected.begin(), selected.end(), frame.marks.begin(),
                      [&paths](int32_t i, core::PathMark mark) { return paths.Mark(static_cast<size_t>(i)) == mark; });
}

void MoveSelectionFrame(int32_t dx, int32_t dy)
{
    SelectedFrame &frame = Overlay().frame;
    if (frame.count > 0) {
        // The frame starts from +-kFrameStart: a side still there may lie short of the anchors.
        const bool fromAnchors = frame.minX < kFrameStart && frame.minY < kFrameStart && frame.maxX > -kFrameStart &&
                                 frame.maxY > -kFrameStart;
        const int64_t lowest = std::numeric_limits<int32_t>::min();
        const int64_t highest = std::numeric_limits<int32_t>::max();
        if (!fromAnchors || int64_t{frame.minX} + dx < lowest || int64_t{frame.maxX} + dx > highest ||
            int64_t{frame.minY} + dy < lowest || int64_t{frame.maxY} + dy > highest) {
            frame = SelectedFrame();  // found again (an anchor may have been held at the range's end)
            return;
        }
        frame.minX = std::min(kFrameStart, frame.minX + dx);
        frame.maxX = std::max(-kFrameStart, frame.maxX + dx);
        frame.minY = std::min(kFrameStart, frame.minY + dy);
        frame.maxY = std::max(-kFrameStart, frame.maxY + dy);
    }
    const core::PathArray &paths = Doc().DocPaths;
    const std::vector<int32_t> &selected = core::SelectedPaths();
    frame.marks.resize(selected.size());
    for (size_t k = 0; k < selected.size(); ++k) {
        frame.marks[k] = paths.Mark(static_cast<size_t>(selected[k]));
    }
}

void CalcSelectedRect()
{
    const SelectedFrame &frame = FrameOfSelection();
    const int32_t minX = frame.minX, minY = frame.minY, maxX = frame.maxX, maxY = frame.maxY;
    const int32_t count = frame.count;
    int32_t midX = platform::RoundToInt32((static_cast<double>(minX) + maxX) / 2.0);
    int32_t midY = platform::RoundToInt32((static_cast<double>(minY) + maxY) / 2.0);
    const int32_t xs[3] = {minX, midX, maxX};
    const int32_t ys[3] = {minY, midY, maxY};
    auto &handles = Input().HandlePoints;
    for (size_t row = 0; row < 3; ++row) {
        for (size_t column = 0; column < 3; ++column) {
            handles[row * 3 + column] = Point32{xs[column], ys[row]};
        }
    }
    Input().SelectedPathCount = count;
}

int32_t HitTestHandle(int32_t x, int32_t y)
{
    float reach = 60.0f / Doc().ZoomRate;
    int32_t hit = 0;
    for (int32_t i = 0; i < 9; ++i) {
        if (i == 4) {
            continue;
        }
        const Point32 &handle = Input().HandlePoints[static_cast<size_t>(i)];
        double dx = static_cast<double>(handle.X) - x;
        double dy = static_cast<double>(handle.Y) - y;
        if (core::GetDistance(dx, dy) < reach) {
            hit = i + 1;
        }
    }
    return hit;
}

float AnchorRadius(int32_t lineWidth)
{
    if (CanvasWindow().Options().NotResizeAnchorMark == 1) {
        return 2.0f;
    }
    return Doc().ZoomRate * static_cast<float>(lineWidth) / 40.0f + 1.5f;
}

void DrawSelectedEdgeSub()
{
    const auto &h = Input().HandlePoints;
    {
        ScreenMap map;
        auto at = [&](size_t i) { return map(h[i].X, h[i].Y); };
        OverlayPainter lines(true);
        lines.SetPen(kBlack, 1);
        lines.painter().drawPolyline(QPolygon({at(0), at(2), at(8), at(6), at(0)}));
    }
    DrawHandleBoxes({h[0], h[1], h[2], h[3], h[5], h[6], h[7], h[8]});
}

void DrawInvertedLine(const Point32 &from, const Point32 &to)
{
    ScreenMap map;
    OverlayPainter line(true);
    line.SetPen(kBlack, 1);
    line.painter().drawLine(map(from.X, from.Y), map(to.X, to.Y));
}

void DrawHandleBoxes(std::initializer_list<Point32> points)
{
    ScreenMap map;
    OverlayPainter boxes(false);
    boxes.SetPen(kBlack, 1);
    boxes.SetFill(kWhite);
    for (const Point32 &point : points) {
        QPoint c = map(point.X, point.Y);
        boxes.painter().drawRect(c.x() - kHandleBoxHalf, c.y() - kHandleBoxHalf, 2 * kHandleBoxHalf,
                                 2 * kHandleBoxHalf);
    }
}

void DrawHandleDisc(const Point32 &centre, int radius, uint32_t fill)
{
    ScreenMap map;
    OverlayPainter disc(false);
    disc.SetPen(kBlack, 1);
    disc.SetFill(fill);
    disc.painter().drawEllipse(QPointF(map(centre.X, centre.Y)), radius, radius);
}

void DrawPathEdge(int32_t index, bool keepPicture, bool markersOnly)
{
    if (!IsPathIndex(index) || std::as_const(Doc().DocPaths)[static_cast<size_t>(index)].AnchorMax() <= 0) {
        return;
    }
    if (!keepPicture) {
        CanvasWindow().DispShape(1);
    }
    const core::PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(index)];
    ScreenMap map;
    if (!markersOnly) {
        OverlayPainter lines(true);
        DrawEdgeLines(lines.painter(), map, path);
        return;
    }
    OverlayPainter markers(false);
    float radius = AnchorRadius(path.LineWidth);
    for (const core::AnchorPoint &anchor : path.Anchors) {
        DrawMarker(markers, map(anchor.X, anchor.Y), radius, kBlack, Picture().DrawWidth());
    }
}

void DrawAnchorMarker(int32_t path, int32_t anchor, int32_t path2, int32_t anchor2, int16_t state)
{
    if (!IsPathIndex(path) || (path2 > 0 && !IsPathIndex(path2))) {
        return;
    }
    uint32_t color = state == 1 ? kRed : (state == 2 ? kBlue : kBlack);
    int width = state == 0 ? Picture().DrawWidth() : 2;
    ScreenMap map;
    int32_t x = 0, y = 0, lineWidth = 0;
    if (path2 > 0) {
        int32_t x2 = 0, y2 = 0, lineWidth2 = 0;
        core::GetAnchor(x, y, lineWidth, path, anchor);
        core::GetAnchor(x2, y2, lineWidth2, path2, anchor2);
        {
            OverlayPainter line(true);
            line.SetPen(color, width);
            line.painter().drawLine(map(x, y), map(x2, y2));
        }
        OverlayPainter marker(false);
        DrawMarker(marker, map(x2, y2), AnchorRadius(lineWidth2), color, width);
    }
    core::GetAnchor(x, y, lineWidth, path, anchor);
    OverlayPainter marker(false);
    DrawMarker(marker, map(x, y), AnchorRadius(lineWidth), color, width);
}

void DrawSelectedAnchors()
{
    const auto &anchors = Doc().SelectedAnchors;
    for (size_t i = 1; i < anchors.size(); ++i) {
        DrawAnchorMarker(anchors[i].PathIndex, anchors[i].AnchorIndex, 0, 0, 2);
    }
}

void DrawSelectedPaths(int16_t mode)
{
    if (mode == 3) {
        return;
    }
    const bool any = InvertSelectedEdges();
    if (!any) {
        // No frame is shown: its handles go with it, so a press where one stood grabs the path
        // under the pointer instead.
        CalcSelectedRect();
        return;
    }
    if (mode != 2) {
        CalcSelectedRect();
        const auto &h = Input().HandlePoints;
        WriteStatusField(12, QStringLiteral("[%1,%2]").arg(PixelText(h[0].X), PixelText(h[0].Y)));
        int64_t width = (int64_t{h[8].X} - h[0].X) / 20;
        int64_t height = (int64_t{h[8].Y} - h[0].Y) / 20;
        WriteStatusField(21, QStringLiteral("[%1x%2]").arg(width).arg(height));
    }
    DrawSelectedEdgeSub();
}

void DrawToolOverlay(int16_t flag)
{
    if (!HasCanvasWindow()) {
        return;
    }
    switch (Input().CurrentTool) {
    case kToolAnchorEdit:
        DrawSelectedAnchors();
        break;
    case kToolSelect:
        DrawSelectedPaths(flag);
        break;
    case kToolGradient:
        DrawGradientControl();
        break;
    default:
        break;
    }
}

void DrawSelectionBand(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    ScreenMap map;
    QRect band = QRect(map(x1, y1), map(x2, y2)).normalized();
    // Every other pixel of the outline, each pixel once, so a second band erases the first.
    QPolygon dots;
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) {
            dots << QPoint(x, y);
        }
    };
    for (int x = band.left(); x <= band.right(); ++x) {
        dot(x, band.top());
        if (band.bottom() != band.top()) {
            dot(x, band.bottom());
        }
    }
    for (int y = band.top() + 1; y < band.bottom(); ++y) {
        dot(band.left(), y);
        if (band.right() != band.left()) {
            dot(band.right(), y);
        }
    }
    {
        OverlayPainter painter(true);
        painter.SetPen(kBlack, 1);
        painter.painter().drawPoints(dots);
    }
    Picture().Refresh();
}

void HighlightHandle(int32_t n)
{
    if (n < 1 || n > 9) {
        return;
    }
    CanvasView &window = CanvasWindow();
    window.DispShape(1);
    const Point32 &handle = Input().HandlePoints[static_cast<size_t>(n - 1)];
    QPoint at = ScreenMap()(handle.X, handle.Y);
    platform::PictureBox &picture = Picture();
    picture.SetDrawMode(platform::kDrawInvert);
    picture.Box(at.x() - kHoverBoxHalf, at.y() - kHoverBoxHalf, at.x() + kHoverBoxHalf, at.y() + kHoverBoxHalf, 0,
                true);
    picture.Refresh();
    Input().HighlightShown = true;
}

void HighlightPathEdge(int32_t path)
{
    CanvasWindow().DispShape(1);
    platform::PictureBox &picture = Picture();
    picture.SetDrawWidth(2);
    DrawPathEdge(path, true, false);
    picture.SetDrawWidth(1);
    picture.Refresh();
    Input().HighlightShown = true;
}

void WipeHighlight()
{
    if (Input().HighlightShown) {
        CanvasWindow().DispShape(1);
        Input().HighlightShown = false;
    }
}

void HoverHandleOrPath(int32_t x, int32_t y, int32_t (*findPath)(int32_t x, int32_t y))
{
    core::Document &doc = Doc();
    doc.HitPath = 0;
    doc.HitPath2 = HitTestHandle(x, y);
    if (doc.HitPath2 > 0) {
        HighlightHandle(doc.HitPath2);
        return;
    }
    doc.HitPath = findPath(x, y);
    if (doc.HitPath > 0) {
        HighlightPathEdge(doc.HitPath);
    } else {
        WipeHighlight();
    }
}

void SelectPathsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool final)
{
    core::Document &doc = Doc();
    // A preview changes only selection marks; keeping them is enough to put the document back.
    std::vector<bool> kept;
    if (!final) {
        kept.reserve(doc.DocPaths.size());
        for (const core::PathRecord &path : std::as_const(doc.DocPaths)) {
            kept.push_back(path.blSelected);
        }
    }
    std::vector<core::AnchorRef> pairs;
    int32_t count = core::FindAnchorsInRect(x1, y1, x2, y2, pairs);
    int32_t last = 0;
    for (int32_t k = 0; k < count; ++k) {
        int32_t path = pairs[static_cast<size_t>(k)].PathIndex;
        if (path != last) {
            core::SelectPathOrGroup(path, true);
            last = path;
        }
    }
    CanvasWindow().DispShape(1);
    if (!final) {
        DrawSelectionBand(x1, y1, x2, y2);
        for (size_t i = 0; i < kept.size() && i < doc.DocPaths.size(); ++i) {
            if (std::as_const(doc.DocPaths)[i].blSelected != kept[i]) {
                doc.DocPaths[i].blSelected = kept[i];
            }
        }
    }
}

void SelectAnchorsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool final)
{
    std::vector<core::AnchorRef> kept;
    if (!final) {
        kept = Doc().SelectedAnchors;
    }
    std::vector<core::AnchorRef> pairs;
    int32_t count = core::FindAnchorsInRect(x1, y1, x2, y2, pairs);
    ToggleAnchorList(pairs, count);
    CanvasWindow().DispShape(1);
    if (!final) {
        DrawSelectionBand(x1, y1, x2, y2);
        Doc().SelectedAnchors = std::move(kept);
    }
}

void ToggleAnchorList(const std::vector<core::AnchorRef> &pairs, int32_t count)
{
    auto &selected = Doc().SelectedAnchors;
    if (selected.empty()) {
        selected.emplace_back();
    }
    int32_t n = std::min<int32_t>(count, static_cast<int32_t>(pairs.size()));
    for (int32_t k = 0; k < n; ++k) {
        const core::AnchorRef &pair = pairs[static_cast<size_t>(k)];
        auto found = std::find(selected.begin() + 1, selected.end(), pair);
        if (found != selected.end()) {
            selected.erase(found);
        } else {
            selected.push_back(pair);
        }
    }
}

void ToggleSelectedAnchor(int32_t path, int32_t anchor, bool remove)
{
    auto &selected = Doc().SelectedAnchors;
    if (selected.empty()) {
        selected.emplace_back();
    }
    core::AnchorRef pair{path, anchor};
    auto found = std::find(selected.begin() + 1, selected.end(), pair);
    if (found == selected.end()) {
        selected.push_back(pair);
    } else if (remove) {
        selected.erase(found);
    }
}

void ReleaseOverlayRoom()
{
    Overlay().polylines.ReleaseRoom();
    Overlay().frame = SelectedFrame();  // found again when next asked
}

}  // namespace canvastools
