#include "canvastools/selected_edge_mask.h"

#include "platform/base/parallel_for.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <bit>
#include <functional>

namespace canvastools {
namespace {

uint64_t Mix(uint64_t hash, uint64_t value)
{
    hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash * 0xFF51AFD7ED558CCDull;
}

uint64_t PointBits(int64_t x, int64_t y)
{
    return (static_cast<uint64_t>(x) << 32) ^ static_cast<uint64_t>(y & 0xFFFFFFFF);
}

// The pen of the inverted overlay: white XORed over the picture, one pixel wide.
void SetUpInvertPainter(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen{QColor(Qt::white)};
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
}

QRect ReachOf(const EdgePolylines &edges, size_t k)
{
    int minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
        minX = std::min(minX, edges.points[i].x());
        maxX = std::max(maxX, edges.points[i].x());
        minY = std::min(minY, edges.points[i].y());
        maxY = std::max(maxY, edges.points[i].y());
    }
    if (minX > maxX) {
        return QRect();
    }
    // A one-pixel pen reaches at most a pixel past the points; a pixel more for rounding. Far
    // points (a deep zoom) are held back so that the rectangle's arithmetic stays in range.
    constexpr int reach = 2;
    auto held = [](int v) { return std::clamp(v, -(1 << 30), 1 << 30); };
    return QRect(QPoint(held(minX), held(minY)), QPoint(held(maxX), held(maxY))).adjusted(-reach, -reach, reach, reach);
}

void DrawPolyline(QPainter &painter, const EdgePolylines &edges, size_t k, QPoint offset, QPolygon &polygon)
{
    polygon.resize(0);
    for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
        polygon << edges.points[i] + offset;
    }
    painter.drawPolyline(polygon);
}

// Sets bit x of row y in bits (rowWords words a row) wherever image is flipped within area.
void PackFlips(const QImage &image, const QRect &area, std::vector<uint64_t> &bits, size_t rowWords)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(image.constScanLine(y));
        uint64_t *words = bits.data() + static_cast<size_t>(y) * rowWords;
        for (int x = area.left(); x <= area.right(); ++x) {
            // A pixel flipped once is white, twice black again: the low bit tells which.
            words[x >> 6] |= static_cast<uint64_t>(row[x] & 1u) << (x & 63);
        }
    }
}

// The 64 bits of a mask row from bit x on (those past the row are clear).
uint64_t BitsFrom(const uint64_t *words, size_t rowWords, int x)
{
    const size_t word = static_cast<size_t>(x) >> 6;
    const int within = x & 63;
    uint64_t bits = words[word] >> within;
    if (within != 0 && word + 1 < rowWords) {
        bits |= words[word + 1] << (64 - within);
    }
    return bits;
}

struct DrawnPart {
    QRect inked;
    int64_t count = 0;
    std::vector<uint64_t> bits;
};

// Draws the polylines from .. to - 1 that lie whole inside a picture of the given size into an
// image of its own, and gives their flips as mask bits. Only those: the pixels of a line cut at
// the picture's edge depend on where the edge lies, so such a line is drawn on the picture
// itself.
DrawnPart DrawWholePolylines(const QSize &size, size_t rowWords, const EdgePolylines &edges,
                             const std::vector<PolylineSummary> &summaries, size_t from, size_t to)
{
    DrawnPart part;
    QImage image(size, QImage::Format_RGB32);
    image.fill(0xFF000000u);
    {
        QPainter painter(&image);
        SetUpInvertPainter(painter);
        QPolygon polygon;
        for (size_t k = from; k < to; ++k) {
            const QRect &reach = summaries[k].reach;
            if (!reach.isEmpty() && image.rect().contains(reach)) {
                DrawPolyline(painter, edges, k, QPoint(), polygon);
                part.inked |= reach;
                ++part.count;
            }
        }
    }
    part.bits.assign(rowWords * static_cast<size_t>(size.height()), 0);
    PackFlips(image, part.inked, part.bits, rowWords);
    return part;
}

}  // namespace

void TouchedTiles::Clear(const QSize &size)
{
    size_ = size;
    columns_ = (std::max(size.width(), 0) + kTile - 1) / kTile;
    marks_.assign(static_cast<size_t>(columns_) * static_cast<size_t>((std::max(size.height(), 0) + kTile - 1) / kTile),
                  0);
}

void TouchedTiles::Mark(const QRect &area)
{
    if (area.isEmpty()) {
        return;
    }
    for (int ty = area.top() / kTile; ty <= area.bottom() / kTile; ++ty) {
        std::fill_n(marks_.begin() + ty * columns_ + area.left() / kTile, area.right() / kTile - area.left() / kTile + 1,
                    1);
    }
}

const std::vector<QRect> &TouchedTiles::Runs()
{
    runs_.clear();
    const QRect all(QPoint(), size_);
    for (size_t start = 0; start < marks_.size();) {
        if (marks_[start] == 0) {
            ++start;
            continue;
        }
        const int ty = static_cast<int>(start) / columns_;
        size_t end = start;
        while (end < marks_.size() && marks_[end] != 0 && static_cast<int>(end) / columns_ == ty) {
            ++end;
        }
        const int tx = static_cast<int>(start) % columns_;
        runs_.push_back(QRect(tx * kTile, ty * kTile, static_cast<int>(end - start) * kTile, kTile) & all);
        start = end;
    }
    return runs_;
}

PolylineSummary SummaryOf(const EdgePolylines &edges, size_t k)
{
    PolylineSummary summary;
    const size_t from = edges.starts[k];
    const size_t to = edges.starts[k + 1];
    summary.shape = Mix(0, to - from);
    if (from == to) {
        return summary;
    }
    summary.first = edges.points[from];
    const int64_t ox = summary.first.x();
    const int64_t oy = summary.first.y();
    for (size_t i = from; i < to; ++i) {
        summary.shape = Mix(summary.shape, PointBits(edges.points[i].x() - ox, edges.points[i].y() - oy));
    }
    summary.reach = ReachOf(edges, k);
    return summary;
}

void EdgePolylines::EndSummarisedPolyline()
{
    EndPolyline();
    summaries.push_back(SummaryOf(*this, Count() - 1));
}

void EdgePolylines::EndSummarisedPolyline(const PolylineSummary &summary)
{
    EndPolyline();
    summaries.push_back(summary);
}

SelectedEdgeMask::Key SelectedEdgeMask::KeyOf(const std::vector<PolylineSummary> &summaries)
{
    Key key;
    auto first = std::find_if(summaries.begin(), summaries.end(),
                              [](const PolylineSummary &summary) { return !summary.reach.isEmpty(); });
    if (first == summaries.end()) {
        return key;
    }
    key.origin = first->first;
    for (const PolylineSummary &summary : summaries) {
        key.shape = Mix(key.shape, summary.shape);
        if (!summary.reach.isEmpty()) {
            const QPoint at = summary.first - key.origin;
            key.shape = Mix(key.shape, PointBits(at.x(), at.y()));
        }
    }
    return key;
}

const std::vector<PolylineSummary> &SelectedEdgeMask::SummariesOf(const EdgePolylines &edges)
{
    if (edges.summaries.size() == edges.Count()) {
        return edges.summaries;
    }
    summaries_.clear();
    summaries_.reserve(edges.Count());
    for (size_t k = 0; k < edges.Count(); ++k) {
        summaries_.push_back(SummaryOf(edges, k));
    }
    return summaries_;
}

bool SelectedEdgeMask::Invert(QImage &picture, const EdgePolylines &edges)
{
    const std::vector<PolylineSummary> &summaries = SummariesOf(edges);
    const Key key = KeyOf(summaries);
    QPoint shift = key.origin - key_.origin;
    bool reuse = !bits_.empty() && picture.size() == size_ && key.shape == key_.shape;
    // Reused, the mask is shown shifted; the polylines it cannot show exactly are sorted out
    // first. When they are many (a long shift), drawing the mask anew costs less.
    if (reuse && SortOut(picture.rect(), summaries, shift) * 2 > masked_) {
        reuse = false;
    }
    if (!reuse) {
        Build(picture.size(), edges, summaries, key);
        shift = QPoint();
        SortOut(picture.rect(), summaries, shift);
    }
    // Picture pixel p shows mask pixel p - shift.
    XorBitsOnto(picture, bits_, inked_.translated(shift) & picture.rect(), -shift);
    // The corrections depend only on the shift: kept while the selection stays where it is.
    if (!cutKept_ || shift != cutShift_) {
        DrawCorrections(picture.size(), edges, summaries, shift);
        cutShift_ = shift;
        cutKept_ = true;
    }
    XorBitsOnto(picture, cut_, cutInked_, QPoint());
    return reuse;
}

void SelectedEdgeMask::Build(const QSize &pictureSize, const EdgePolylines &edges,
                             const std::vector<PolylineSummary> &summaries, const Key &key)
{
    size_ = pictureSize;
    cutKept_ = false;
    rowWords_ = (static_cast<size_t>(std::max(pictureSize.width(), 0)) + 63) / 64;
    key_ = key;
    // A large selection is drawn in parts on several threads, each into an image of its own that
    // lives while it is drawn; the parts' flips are then combined (flipping twice is no flip,
    // whatever the order).
    const size_t count = edges.Count();
    const int parts = count >= kPolylinesPerPart * 2
                          ? std::clamp(static_cast<int>(count / kPolylinesPerPart), 1,
                                       std::clamp(static_cast<int>(platform::ProcessorCount()), 1, kMostParts))
                          : 1;
    std::vector<DrawnPart> drawn(static_cast<size_t>(parts));
    platform::ParallelFor(drawn.size(), [&](size_t part) {
        drawn[part] = DrawWholePolylines(pictureSize, rowWords_, edges, summaries, count * part / parts,
                                         count * (part + 1) / parts);
    });
    bits_ = std::move(drawn[0].bits);
    inked_ = drawn[0].inked;
    masked_ = drawn[0].count;
    for (int part = 1; part < parts; ++part) {
        const DrawnPart &done = drawn[static_cast<size_t>(part)];
        for (size_t i = 0; i < bits_.size(); ++i) {
            bits_[i] ^= done.bits[i];
        }
        inked_ |= done.inked;
        masked_ += done.count;
    }
    drawn_ += masked_;
}

int64_t SelectedEdgeMask::SortOut(const QRect &pictureRect, const std::vector<PolylineSummary> &summaries,
                                  QPoint shift)
{
    cancelled_.clear();
    direct_.clear();
    for (size_t k = 0; k < summaries.size(); ++k) {
        const QRect &reach = summaries[k].reach;
        if (reach.isEmpty()) {
            continue;
        }
        const bool inMask = pictureRect.contains(reach.translated(-shift));
        const bool inside = pictureRect.contains(reach);
        if (inMask && !inside) {
            cancelled_.push_back(k);
        }
        if (!(inMask && inside) && pictureRect.intersects(reach)) {
            direct_.push_back(k);
        }
    }
    return static_cast<int64_t>(cancelled_.size());
}

void SelectedEdgeMask::DrawCorrections(const QSize &pictureSize, const EdgePolylines &edges,
                                       const std::vector<PolylineSummary> &summaries, QPoint shift)
{
    const QRect pictureRect(QPoint(), pictureSize);
    cutInked_ = QRect();
    QRect cancelled;  // in mask pixels
    for (size_t k : cancelled_) {
        cancelled |= summaries[k].reach.translated(-shift);
    }
    for (size_t k : direct_) {
        cutInked_ |= summaries[k].reach;
    }
    cutInked_ = (cutInked_ | cancelled.translated(shift)) & pictureRect;
    cut_.assign(cutInked_.isEmpty() ? 0 : rowWords_ * static_cast<size_t>(pictureSize.height()), 0);
    if (cutInked_.isEmpty()) {
        return;
    }
    // Drawn into an image of the picture's size, the polylines the mask does not hold are cut
    // where the picture cuts them: the same pixels as drawing them on the picture itself. Only
    // the tiles they reach are cleared and read.
    tiles_.Clear(pictureSize);
    for (size_t k : direct_) {
        tiles_.Mark(summaries[k].reach & pictureRect);
    }
    tiles_.Mark(cancelled.translated(shift) & pictureRect);
    const std::vector<QRect> &runs = tiles_.Runs();
    QImage image(pictureSize, QImage::Format_RGB32);
    for (const QRect &run : runs) {
        for (int y = run.top(); y <= run.bottom(); ++y) {
            auto *row = reinterpret_cast<uint32_t *>(image.scanLine(y));
            std::fill(row + run.left(), row + run.right() + 1, 0xFF000000u);
        }
    }
    {
        QPainter painter(&image);
        SetUpInvertPainter(painter);
        for (size_t k : direct_) {
            DrawPolyline(painter, edges, k, QPoint(), polygon_);
        }
    }
    // The mask pixels of polylines now cut by the picture's edge are taken back out: drawn at
    // their place in the mask into an image of their own that covers them whole.
    if (!cancelled_.empty()) {
        QImage cancel(cancelled.size(), QImage::Format_RGB32);
        cancel.fill(0xFF000000u);
        {
            QPainter painter(&cancel);
            SetUpInvertPainter(painter);
            for (size_t k : cancelled_) {
                DrawPolyline(painter, edges, k, -shift - cancelled.topLeft(), polygon_);
            }
        }
        XorOnto(image, cancel, cancelled.translated(shift) & pictureRect, -shift - cancelled.topLeft());
    }
    for (const QRect &run : runs) {
        PackFlips(image, run, cut_, rowWords_);
    }
    cutDrawn_ += static_cast<int64_t>(direct_.size() + cancelled_.size());
}

void SelectedEdgeMask::XorBitsOnto(QImage &picture, const std::vector<uint64_t> &bits, const QRect &area,
                                   QPoint offset) const
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *row = reinterpret_cast<uint32_t *>(picture.scanLine(y));
        const uint64_t *words = bits.data() + static_cast<size_t>(y + offset.y()) * rowWords_;
        for (int x = area.left(); x <= area.right(); x += 64) {
            uint64_t flips = BitsFrom(words, rowWords_, x + offset.x());
            const int left = area.right() - x + 1;
            if (left < 64) {
                flips &= (uint64_t{1} << left) - 1;
            }
            for (; flips != 0; flips &= flips - 1) {
                row[x + std::countr_zero(flips)] ^= 0x00FFFFFFu;
            }
        }
    }
}

void SelectedEdgeMask::XorOnto(QImage &picture, const QImage &flips, const QRect &area, QPoint offset)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *row = reinterpret_cast<uint32_t *>(picture.scanLine(y));
        const auto *from = reinterpret_cast<const uint32_t *>(flips.constScanLine(y + offset.y()));
        for (int x = area.left(); x <= area.right(); ++x) {
            row[x] ^= from[x + offset.x()] & 0x00FFFFFFu;
        }
    }
}

}  // namespace canvastools
