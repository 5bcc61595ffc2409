#include "canvastools/selected_edge_mask.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QThread>

#include <algorithm>
#include <functional>
#include <thread>

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
    // A one-pixel pen reaches at most a pixel past the points; a pixel more for rounding.
    constexpr int reach = 2;
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY)).adjusted(-reach, -reach, reach, reach);
}

void DrawPolyline(QPainter &painter, const EdgePolylines &edges, size_t k, QPoint offset, QPolygon &polygon)
{
    polygon.resize(0);
    for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
        polygon << edges.points[i] + offset;
    }
    painter.drawPolyline(polygon);
}

struct DrawnPart {
    QRect inked;
    int64_t count = 0;
};

// Draws into image the polylines from .. to - 1 that lie whole inside it. Only those: the pixels
// of a line cut at the image's edge depend on where the edge lies, so such a line is drawn on
// the picture itself.
DrawnPart DrawWholePolylines(QImage &image, const EdgePolylines &edges, size_t from, size_t to)
{
    DrawnPart part;
    QPainter painter(&image);
    SetUpInvertPainter(painter);
    QPolygon polygon;
    for (size_t k = from; k < to; ++k) {
        const QRect reach = ReachOf(edges, k);
        if (!reach.isEmpty() && image.rect().contains(reach)) {
            DrawPolyline(painter, edges, k, QPoint(), polygon);
            part.inked |= reach;
            ++part.count;
        }
    }
    return part;
}

}  // namespace

SelectedEdgeMask::Key SelectedEdgeMask::KeyOf(const EdgePolylines &edges)
{
    Key key;
    if (edges.points.empty()) {
        return key;
    }
    key.origin = edges.points.front();
    const int64_t ox = key.origin.x();
    const int64_t oy = key.origin.y();
    for (size_t k = 0; k < edges.Count(); ++k) {
        key.shape = Mix(key.shape, edges.starts[k + 1] - edges.starts[k]);
        for (size_t i = edges.starts[k]; i < edges.starts[k + 1]; ++i) {
            key.shape = Mix(key.shape, PointBits(edges.points[i].x() - ox, edges.points[i].y() - oy));
        }
    }
    return key;
}

bool SelectedEdgeMask::Invert(QImage &picture, const EdgePolylines &edges)
{
    const Key key = KeyOf(edges);
    QPoint shift = key.origin - key_.origin;
    bool reuse = !mask_.isNull() && picture.size() == mask_.size() && key.shape == key_.shape;
    // Reused, the mask is shown shifted; the polylines it cannot show exactly are sorted out
    // first. When they are many (a long shift), drawing the mask anew costs less.
    if (reuse && SortOut(picture.rect(), edges, shift) * 2 > masked_) {
        reuse = false;
    }
    if (!reuse) {
        Build(picture.size(), edges, key);
        shift = QPoint();
        SortOut(picture.rect(), edges, shift);
    }
    // Picture pixel p shows mask pixel p - shift.
    XorOnto(picture, mask_, inked_.translated(shift) & picture.rect(), -shift);
    DrawSortedOut(picture, edges, shift);
    return reuse;
}

void SelectedEdgeMask::Build(const QSize &pictureSize, const EdgePolylines &edges, const Key &key)
{
    if (mask_.size() != pictureSize) {
        mask_ = QImage(pictureSize, QImage::Format_RGB32);
        cancel_ = QImage(pictureSize, QImage::Format_RGB32);
        cancel_.fill(0xFF000000u);
        parts_.clear();
    }
    key_ = key;
    // A large selection is drawn in parts on several threads, each into an image of its own;
    // the parts' flips are then combined (flipping twice is no flip, whatever the order).
    const size_t count = edges.Count();
    const int parts = count >= kPolylinesPerPart * 2
                          ? std::clamp(static_cast<int>(count / kPolylinesPerPart), 1,
                                       std::clamp(QThread::idealThreadCount(), 1, kMostParts))
                          : 1;
    parts_.resize(static_cast<size_t>(parts - 1));
    std::vector<DrawnPart> drawn(static_cast<size_t>(parts));
    auto drawPart = [&](int part, QImage &image) {
        if (image.size() != pictureSize) {
            image = QImage(pictureSize, QImage::Format_RGB32);
        }
        image.fill(0xFF000000u);
        drawn[static_cast<size_t>(part)] =
            DrawWholePolylines(image, edges, count * part / parts, count * (part + 1) / parts);
    };
    std::vector<std::thread> threads;
    for (int part = 1; part < parts; ++part) {
        threads.emplace_back(drawPart, part, std::ref(parts_[static_cast<size_t>(part - 1)]));
    }
    drawPart(0, mask_);
    for (std::thread &thread : threads) {
        thread.join();
    }
    inked_ = drawn[0].inked;
    masked_ = drawn[0].count;
    for (int part = 1; part < parts; ++part) {
        const DrawnPart &done = drawn[static_cast<size_t>(part)];
        XorOnto(mask_, parts_[static_cast<size_t>(part - 1)], done.inked, QPoint());
        inked_ |= done.inked;
        masked_ += done.count;
    }
    drawn_ += masked_;
}

int64_t SelectedEdgeMask::SortOut(const QRect &pictureRect, const EdgePolylines &edges, QPoint shift)
{
    cancelled_.clear();
    direct_.clear();
    for (size_t k = 0; k < edges.Count(); ++k) {
        const QRect reach = ReachOf(edges, k);
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

void SelectedEdgeMask::DrawSortedOut(QImage &picture, const EdgePolylines &edges, QPoint shift)
{
    // The mask pixels of polylines now cut by the picture's edge are taken back out: drawn at
    // their place in the mask into an image of their own, whole as in the mask.
    if (!cancelled_.empty()) {
        QRect cancelled;  // in mask pixels
        {
            QPainter cancel(&cancel_);
            SetUpInvertPainter(cancel);
            for (size_t k : cancelled_) {
                DrawPolyline(cancel, edges, k, -shift, polygon_);
                cancelled |= ReachOf(edges, k).translated(-shift);
            }
        }
        cancelled &= cancel_.rect();
        XorOnto(picture, cancel_, cancelled.translated(shift) & picture.rect(), -shift);
        for (int y = cancelled.top(); y <= cancelled.bottom(); ++y) {
            auto *row = reinterpret_cast<uint32_t *>(cancel_.scanLine(y));
            std::fill(row + cancelled.left(), row + cancelled.right() + 1, 0xFF000000u);
        }
    }
    // What the mask does not hold is drawn on the picture itself, cut at its edge as always.
    if (!direct_.empty()) {
        QPainter direct(&picture);
        SetUpInvertPainter(direct);
        for (size_t k : direct_) {
            DrawPolyline(direct, edges, k, QPoint(), polygon_);
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
