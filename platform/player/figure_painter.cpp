#include "platform/player/figure_painter.h"

#include "platform/base/parallel_for.h"
#include "platform/player/swf_compact_paths.h"
#include "platform/player/swf_compound_fill.h"
#include "platform/player/swf_line_outline.h"
#include "platform/player/swf_render_counts.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

using swf::RenderCounts;

// Figures are drawn in bands of this many rows, on several threads where the figure's elements
// times its rows reach kParallelWork.
constexpr int kBandRows = 64;
constexpr int64_t kParallelWork = 1 << 16;
// A part of a band is outlined and filled whole when it holds no covered tile and its outline's
// estimated elements times its rows stay within kMostPartWork, or when it is no more than
// kLeastPartSide pixels a side; else it is halved across its longer side.
constexpr int64_t kMostPartWork = 1 << 22;
constexpr int kLeastPartSide = 8;
// Once the painter has no room for outlines left, a part of a band no more than kRoughPartSide
// pixels a side within a part a line comes near is filled whole.
constexpr int kRoughPartSide = 32;
// As the canvas player draws long lines: outlined only where they can reach the part drawn,
// kPartMargin device pixels around it; and, for lines of at least kLongLineElements elements
// near a band, first looked at for straight pieces that cover tiles of the band, kCoverMargin
// device pixels past them, in tiles from kLeastCoverTile to kMostCoverTile device pixels (powers
// of two no wider than a piece reaches on each side), in at most kCoverTestsPerElement looks at a
// tile per element.
constexpr double kPartMargin = 2;
constexpr double kCoverMargin = 1;
constexpr int kLongLineElements = 4096;
constexpr int kLeastCoverTile = 8;
constexpr int kMostCoverTile = 64;
constexpr int64_t kCoverTestsPerElement = 16;

QRgb Opaque(QRgb color)
{
    return 0xFF000000u | color;
}

// The device pixels of picture that path (bounds grown by grow units) can touch through world.
QRect DeviceArea(const QImage &picture, const QPainterPath &path, double grow, const QTransform &world)
{
    const QRectF bounds = path.controlPointRect().adjusted(-grow, -grow, grow, grow);
    return world.mapRect(bounds).toAlignedRect().adjusted(-1, -1, 1, 1).intersected(picture.rect());
}

// Calls draw(target, counts) for the bands of area of picture, on several threads when work
// (elements times rows) pays for them, and adds their counts to work. Each band is drawn through
// an image of its own over the picture's rows (threads never share an image), clipped to it.
template <typename Draw>
void InBands(QImage &picture, const QRect &area, int64_t elements, PlayerStats &work, const Draw &draw)
{
    if (area.isEmpty()) {
        return;
    }
    uchar *bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    const size_t bands = static_cast<size_t>((area.height() + kBandRows - 1) / kBandRows);
    std::vector<RenderCounts> counts(bands);
    auto drawBand = [&](size_t b) {
        const QRect band =
            QRect(area.left(), area.top() + static_cast<int>(b) * kBandRows, area.width(), kBandRows).intersected(area);
        QImage rows(bits + band.top() * stride, picture.width(), band.height(), stride, picture.format());
        draw(swf::CompoundTarget{&rows, band.top(), band}, counts[b]);
    };
    if (bands == 1 || elements * area.height() < kParallelWork) {
        for (size_t b = 0; b < bands; ++b) {
            drawBand(b);
        }
    } else {
        ParallelFor(bands, drawBand);
    }
    RenderCounts sum;
    for (const RenderCounts &c : counts) {
        sum += c;
    }
    swf::AddRenderCounts(work, sum);
}

// A wide line drawn into the parts of one band: each part takes the line's outline near it, or
// its colour where the line covers it wholly.
class LineParts {
public:
    LineParts(const swf::CompoundTarget &band, double width, QRgb color, const QTransform &world,
              std::atomic<int64_t> &outlineRoom, RenderCounts &counts)
        : band_(band), width_(width), color_(color), world_(world),
          scale_(std::sqrt(std::abs(world.determinant()))), outlineRoom_(outlineRoom), counts_(counts)
    {
    }

    void DrawBand(const QPainterPath &line)
    {
        const QRect &band = band_.clip;
        rows_.emplace(line, width_, world_, band.top(), band.top() + band.height(), kPartMargin);
        counts_.lineElementsSearched += line.elementCount();
        const std::optional<QPainterPath> near =
            rows_->PartNear(band.left(), band.left() + band.width(), counts_.lineElementsSearched);
        if (near && near->isEmpty()) {
            return;
        }
        const QPainterPath &part = near ? *near : line;
        MarkTiles(band, part);
        Draw(band, part, true);
    }

private:
    // The part of line (the band's line or its part near a rect holding this one) near rect:
    // where rect spans the band's rows, the columns the band line's elements reach there tell it;
    // else line's elements are looked at.
    std::optional<QPainterPath> PartNear(const QRect &rect, const QPainterPath &line)
    {
        if (Spans(rect)) {
            return rows_->PartNear(rect.left(), rect.left() + rect.width(), counts_.lineElementsSearched);
        }
        counts_.lineElementsSearched += line.elementCount();
        return swf::LinePartNear(line, width_, world_, QRectF(rect), kPartMargin);
    }

    // Marks the tiles of the band that a straight piece of a long line covers.
    void MarkTiles(const QRect &band, const QPainterPath &part)
    {
        tiles_ = {band, kMostCoverTile};
        covered_.clear();
        const double reach = width_ / 2 * scale_ - kCoverMargin;
        while (tiles_.side > kLeastCoverTile && tiles_.side > reach) {
            tiles_.side /= 2;
        }
        if (part.elementCount() < kLongLineElements || reach < tiles_.side) {
            return;
        }
        swf::MarkCoveredTiles(part, width_, world_, tiles_, kCoverMargin,
                              kCoverTestsPerElement * part.elementCount(), covered_);
    }

    bool Tiled() const { return !covered_.empty(); }

    // How many of the tiles rect overlaps are covered, and how many it overlaps.
    std::pair<int, int> CoveredTiles(const QRect &rect) const
    {
        if (!Tiled()) {
            return {0, 1};
        }
        const QRect &area = tiles_.area;
        const int side = tiles_.side;
        const int columns = (area.width() + side - 1) / side;
        int covered = 0;
        int all = 0;
        for (int row = (rect.top() - area.top()) / side; row <= (rect.bottom() - area.top()) / side; ++row) {
            for (int column = (rect.left() - area.left()) / side; column <= (rect.right() - area.left()) / side;
                 ++column) {
                covered += covered_[static_cast<size_t>(row * columns + column)];
                ++all;
            }
        }
        return {covered, all};
    }

    // Draws the line near rect: its colour where the covered tiles or one of its straight pieces
    // cover the rect, else the outline of its part near the rect, or (while that costs too much or
    // some tiles of the rect are covered) each half of the rect so. Parts no wider than a tile are
    // looked at for a covering piece themselves. nearAlready tells that line is its part near rect.
    void Draw(const QRect &rect, const QPainterPath &line, bool nearAlready = false)
    {
        const auto [covered, tiles] = CoveredTiles(rect);
        const bool noRoom = outlineRoom_.load(std::memory_order_relaxed) <= 0;
        if (covered == tiles || (noRoom && Rough(rect))) {
            Fill(rect);  // with no room for outlines left, the line comes within a few dozen pixels
            return;
        }
        const bool least = rect.width() <= kLeastPartSide && rect.height() <= kLeastPartSide;
        const auto [first, second] = Halves(rect);
        // While covered tiles or the lack of room for outlines have a rect across the band's rows
        // halved, its part matters only where the halves take it from it: not where they find
        // their parts themselves (across the band's rows too) or are filled whole.
        if (Spans(rect) && Tiled() && (covered > 0 || noRoom) && !least &&
            (Spans(first) || (noRoom && Rough(first) && Rough(second)))) {
            if (nearAlready || rows_->Reaches(rect.left(), rect.left() + rect.width(), counts_.lineElementsSearched)) {
                Draw(first, line);
                Draw(second, line);
            }
            return;
        }
        const std::optional<QPainterPath> near = nearAlready ? std::nullopt : PartNear(rect, line);
        if (near && near->isEmpty()) {
            return;
        }
        const QPainterPath &part = near ? *near : line;
        const bool withinTile = rect.width() <= tiles_.side && rect.height() <= tiles_.side;
        if ((!Tiled() || withinTile) && swf::StraightPieceCovers(part, width_, world_, QRectF(rect), kCoverMargin)) {
            Fill(rect);
            return;
        }
        if (noRoom) {
            // Halved down to rough parts.
        } else if (const swf::OutlineCut cut(part, width_, scale_);
                   (covered == 0 && cut.Estimate() * rect.height() <= kMostPartWork) || least) {
            const QPainterPath outline = cut.Outline(&counts_);
            outlineRoom_.fetch_sub(outline.elementCount(), std::memory_order_relaxed);
            swf::FillUnion({band_.image, band_.imageTop, rect}, outline, color_, world_, swf::Sampling::Area,
                           counts_);
            return;
        }
        Draw(first, part);
        Draw(second, part);
    }

    // Whether rect is small enough to be filled whole once there is no room for outlines left.
    static bool Rough(const QRect &rect) { return rect.width() <= kRoughPartSide && rect.height() <= kRoughPartSide; }

    // Whether rect spans the band's rows.
    bool Spans(const QRect &rect) const
    {
        return rect.top() == band_.clip.top() && rect.bottom() == band_.clip.bottom();
    }

    // The halves of rect across its longer side, on a tile's edge while wider than a tile.
    std::pair<QRect, QRect> Halves(const QRect &rect) const
    {
        const bool across = rect.width() >= rect.height();
        const int length = across ? rect.width() : rect.height();
        int half = length / 2;
        if (Tiled() && length > tiles_.side) {
            half = std::max(half / tiles_.side * tiles_.side, tiles_.side);
        }
        if (across) {
            return {QRect(rect.left(), rect.top(), half, rect.height()), rect.adjusted(half, 0, 0, 0)};
        }
        return {QRect(rect.left(), rect.top(), rect.width(), half), rect.adjusted(0, half, 0, 0)};
    }

    void Fill(const QRect &rect)
    {
        QPainterPath whole;
        whole.addRect(QRectF(rect));
        swf::FillUnion({band_.image, band_.imageTop, rect}, whole, color_, QTransform(), swf::Sampling::Area, counts_);
    }

    swf::CompoundTarget band_;
    double width_;
    QRgb color_;
    QTransform world_;
    double scale_;
    std::atomic<int64_t> &outlineRoom_;
    RenderCounts &counts_;
    swf::CoverTiles tiles_;
    std::vector<char> covered_;
    std::optional<swf::LineRowsReach> rows_;  // the columns the band's line reaches in its rows
};

}  // namespace

FigurePainter::FigurePainter(QImage &picture, const QTransform &world, int64_t mostOutlineElements)
    : picture_(picture), world_(world), outlineRoom_(mostOutlineElements)
{
}

void FigurePainter::Fill(const QPainterPath &path, QRgb color)
{
    if (path.isEmpty() || !swf::CompoundFillable(picture_) || !world_.isAffine()) {
        return;
    }
    const QRect area = DeviceArea(picture_, path, 0, world_);
    const std::vector<const QPainterPath *> paths{&path};
    const std::vector<swf::CompoundSource> sources{swf::CompoundSource{Opaque(color), nullptr, QPoint()}};
    InBands(picture_, area, path.elementCount(), work_, [&](const swf::CompoundTarget &band, RenderCounts &counts) {
        swf::FillCompound(band, paths, sources, world_, counts);
    });
}

void FigurePainter::Stroke(const QPainterPath &line, double width, QRgb color)
{
    if (line.isEmpty() || !swf::CompoundFillable(picture_) || !world_.isAffine()) {
        return;
    }
    const double scale = std::sqrt(std::abs(world_.determinant()));
    if (width * scale >= 1 && swf::OutlineCut(line, width, scale).Estimate() <= swf::kMaxOutlineElements) {
        const QRect area = DeviceArea(picture_, line, width / 2, world_);
        InBands(picture_, area, line.elementCount(), work_, [&](const swf::CompoundTarget &band, RenderCounts &counts) {
            LineParts(band, width, Opaque(color), world_, outlineRoom_, counts).DrawBand(line);
        });
        return;
    }
    // Thinner than a pixel, or with an outline too large to build: one device pixel wide.
    if (!thinLines_) {
        thinLines_.emplace(&picture_);
        thinLines_->setRenderHint(QPainter::Antialiasing);
        thinLines_->setTransform(world_);
    }
    QPen pen(QColor::fromRgb(Opaque(color)), 1.0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    thinLines_->strokePath(swf::CopyToDraw(line), pen);
}

}  // namespace platform
