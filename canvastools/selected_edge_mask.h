// The inverted one-pixel edges of a large selection, kept as a mask of the pixels they invert. Drawing a
// polyline inverted flips every pixel its pen covers; the mask holds the flips of the polylines
// that lie whole inside the picture, and is applied by flipping the picture's pixels where it is
// set: the same pixels as drawing those polylines. The polylines cut by the picture's edge are
// drawn on the picture itself, as their pixels depend on where the edge cuts them. When the
// selection is the same polylines moved by whole pixels (a move drag, an undone or redone move,
// a scroll) the kept mask is applied shifted instead of being drawn again, with the polylines
// that left it taken back out; any other change draws it anew.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRect>

#include <cstdint>
#include <vector>

namespace canvastools {

// The outlines to invert, in picture pixels: polyline k runs through points[starts[k]] up to
// points[starts[k + 1]] (exclusive); starts ends with points.size().
struct EdgePolylines {
    std::vector<QPoint> points;
    std::vector<size_t> starts{0};

    void Clear()
    {
        points.clear();
        starts.assign(1, 0);
    }
    // Ends the polyline begun after the last one ended.
    void EndPolyline() { starts.push_back(points.size()); }
    size_t Count() const { return starts.size() - 1; }
};

class SelectedEdgeMask {
public:
    // Polylines from which each thread drawing the mask takes a share, and the most threads.
    static constexpr size_t kPolylinesPerPart = 500;
    static constexpr int kMostParts = 4;

    // Inverts on picture (Format_RGB32) the polylines drawn with a one-pixel pen. Returns whether
    // the kept mask was reused (shifted or in place) rather than drawn.
    bool Invert(QImage &picture, const EdgePolylines &edges);
    // Polylines drawn into masks so far: the work done, whatever the time it took.
    int64_t PolylinesDrawn() const { return drawn_; }

private:
    // A hash of the polylines relative to their first point, and that point.
    struct Key {
        uint64_t shape = 0;
        QPoint origin;
    };
    static Key KeyOf(const EdgePolylines &edges);
    // Draws into the mask the polylines that lie whole inside the picture.
    void Build(const QSize &pictureSize, const EdgePolylines &edges, const Key &key);
    // With the mask shown shifted by shift: the polylines in the mask that the picture's edge now
    // cuts (to be taken back out), and those to draw on the picture itself. Returns the first count.
    int64_t SortOut(const QRect &pictureRect, const EdgePolylines &edges, QPoint shift);
    void DrawSortedOut(QImage &picture, const EdgePolylines &edges, QPoint shift);
    // Flips the picture's pixels in area where flips, at picture pixel + offset, is set.
    static void XorOnto(QImage &picture, const QImage &flips, const QRect &area, QPoint offset);

    QImage mask_;                // black, white where a pixel is flipped
    std::vector<QImage> parts_;  // the other threads' shares while the mask is drawn
    QImage cancel_;              // black between uses: mask pixels taken back out
    QRect inked_;                // the mask's pixels that can be set
    Key key_;
    int64_t masked_ = 0;         // polylines in the mask
    int64_t drawn_ = 0;
    QPolygon polygon_;           // scratch
    std::vector<size_t> cancelled_;
    std::vector<size_t> direct_;
};

}  // namespace canvastools
