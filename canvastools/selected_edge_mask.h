// The inverted one-pixel edges of a large selection, kept as a mask of the pixels they invert.
// Drawing a polyline inverted flips every pixel its pen covers; the mask holds the flips of the
// polylines that lie whole inside the picture, one bit per pixel, and is applied by flipping the
// picture's pixels where it is set: the same pixels as drawing those polylines. The polylines cut
// by the picture's edge are drawn as the edge cuts them, their pixels depending on where it
// does; their flips are kept too while the selection stays where it is (a restyle, a hover). When the
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

// What the mask needs to know of one polyline: the hash of its points relative to its first
// point, that point, and the pixels its pen can reach.
struct PolylineSummary {
    uint64_t shape = 0;
    QPoint first;
    QRect reach;  // empty for a polyline without points

    // The summary of the same polyline moved by whole pixels.
    PolylineSummary Shifted(QPoint by) const { return {shape, first + by, reach.translated(by)}; }
    bool operator==(const PolylineSummary &) const = default;
};

// The outlines to invert, in picture pixels: polyline k runs through points[starts[k]] up to
// points[starts[k + 1]] (exclusive); starts ends with points.size(). summaries holds either
// nothing (the mask works them out) or the summary of every polyline.
struct EdgePolylines {
    std::vector<QPoint> points;
    std::vector<size_t> starts{0};
    std::vector<PolylineSummary> summaries;

    void Clear()
    {
        points.clear();
        starts.assign(1, 0);
        summaries.clear();
    }
    // Ends the polyline begun after the last one ended.
    void EndPolyline() { starts.push_back(points.size()); }
    // Ends it and records its summary (worked out from its points when none is given).
    void EndSummarisedPolyline();
    void EndSummarisedPolyline(const PolylineSummary &summary);
    size_t Count() const { return starts.size() - 1; }
};

// The summary of polyline k of edges, from its points.
PolylineSummary SummaryOf(const EdgePolylines &edges, size_t k);

// The square tiles of a picture that some areas touch, as runs of neighbouring tiles in a row.
class TouchedTiles {
public:
    static constexpr int kTile = 32;  // pixels

    void Clear(const QSize &size);
    void Mark(const QRect &area);  // within the picture
    const std::vector<QRect> &Runs();

private:
    QSize size_;
    int columns_ = 0;
    std::vector<uint8_t> marks_;
    std::vector<QRect> runs_;
};

class SelectedEdgeMask {
public:
    // Polylines from which each thread drawing the mask takes a share, and the most threads.
    static constexpr size_t kPolylinesPerPart = 500;
    static constexpr int kMostParts = 4;

    // Inverts on picture (Format_RGB32) the polylines drawn with a one-pixel pen. Returns whether
    // the kept mask was reused (shifted or in place) rather than drawn.
    bool Invert(QImage &picture, const EdgePolylines &edges);
    // Polylines drawn into masks so far, and those cut by the picture's edge drawn: the work
    // done, whatever the time it took.
    int64_t PolylinesDrawn() const { return drawn_; }
    int64_t CutPolylinesDrawn() const { return cutDrawn_; }
    // Bytes the kept mask holds.
    size_t MaskBytes() const { return (bits_.size() + cut_.size()) * sizeof(uint64_t); }

private:
    // A hash of the polylines relative to their first point, and that point.
    struct Key {
        uint64_t shape = 0;
        QPoint origin;
    };
    static Key KeyOf(const std::vector<PolylineSummary> &summaries);
    // The summaries of edges: its own, else worked out into summaries_.
    const std::vector<PolylineSummary> &SummariesOf(const EdgePolylines &edges);
    // Draws into the mask the polylines that lie whole inside the picture.
    void Build(const QSize &pictureSize, const EdgePolylines &edges, const std::vector<PolylineSummary> &summaries,
               const Key &key);
    // Sets the mask's bits where image (black, white where flipped; its pixel p is mask pixel
    // p + offset) is flipped within area (image pixels).
    void FlipBits(const QImage &image, const QRect &area, QPoint offset);
    // With the mask shown shifted by shift: the polylines in the mask that the picture's edge now
    // cuts (to be taken back out), and those to draw on the picture itself. Returns the first count.
    int64_t SortOut(const QRect &pictureRect, const std::vector<PolylineSummary> &summaries, QPoint shift);
    // The flips of the sorted out polylines into cut_: those taken back out of the mask and those
    // drawn as the picture's edge cuts them.
    void DrawCorrections(const QSize &pictureSize, const EdgePolylines &edges,
                         const std::vector<PolylineSummary> &summaries, QPoint shift);
    // Flips the picture's pixels in area where bits (rows of rowWords_), at picture pixel +
    // offset, are set.
    void XorBitsOnto(QImage &picture, const std::vector<uint64_t> &bits, const QRect &area, QPoint offset) const;
    // The same for an image, black where nothing is flipped.
    static void XorOnto(QImage &picture, const QImage &flips, const QRect &area, QPoint offset);

    std::vector<uint64_t> bits_;  // row by row, bit x % 64 of word x / 64 for pixel x
    size_t rowWords_ = 0;
    QSize size_;                  // of the picture the mask was drawn for
    QRect inked_;                 // the mask's pixels that can be set
    Key key_;
    int64_t masked_ = 0;          // polylines in the mask
    int64_t drawn_ = 0;
    std::vector<uint64_t> cut_;   // the corrections' flips, as bits_
    QRect cutInked_;
    QPoint cutShift_;             // the mask's shift they were drawn at
    bool cutKept_ = false;        // cut_ holds them for the mask as it is
    int64_t cutDrawn_ = 0;
    QPolygon polygon_;            // scratch
    std::vector<PolylineSummary> summaries_;
    std::vector<size_t> cancelled_;
    std::vector<size_t> direct_;
    TouchedTiles tiles_;
};

}  // namespace canvastools
