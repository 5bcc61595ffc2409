// What the fills drawn so far left partly covered in each pixel of an area. A pixel two fills
// share along an edge is covered by one on part of its area and by the other on the rest: blended
// one after the other, the background would show through the second by the part the first
// covers. With what the first left (the pixel before it, its colour there, the part left
// uncovered and which of 4 x 4 sample points it covers), the second takes the part it covers
// beside the first from what lay below, and the part it covers over the first from the first, so
// that where the fills tile the pixel no background shows. Internal to the player.
#pragma once

#include <QList>
#include <QRect>
#include <QRgb>

#include <cstddef>
#include <cstdint>

namespace platform::swf {

// A pixel that fills cover in part.
struct PartialPixel {
    QRgb before = 0;        // the pixel before them (premultiplied)
    QRgb shape = 0;         // their colour over the part they cover (premultiplied)
    uint16_t open = 0;      // the part of the pixel they leave uncovered, in 1/kWholeOpen
    uint16_t samples = 0;   // the sample points they cover: bit 4 * row + column
};

constexpr int kWholeOpen = 65535;

// The index of scene pixel (x, y) among the pixels of area, row by row; (x, y) lies in area.
inline size_t IndexIn(const QRect &area, int x, int y)
{
    return static_cast<size_t>(y - area.top()) * static_cast<size_t>(area.width()) +
           static_cast<size_t>(x - area.left());
}

// A view of a PartialCover's pixels for drawing: the threads drawing disjoint parts of its area
// share it. A pixel whose mark is 0 holds nothing: its value is all that lies below.
struct PartialRows {
    uint8_t *marks = nullptr;
    PartialPixel *pixels = nullptr;
    QRect area;  // scene pixels

    explicit operator bool() const { return marks != nullptr; }
    bool Holds(const QRect &rect) const { return marks != nullptr && area.contains(rect); }
    size_t Index(int x, int y) const { return IndexIn(area, x, y); }
    // Forgets what the pixels of rect (within area where it lies outside) hold: something else
    // was drawn over them.
    void Forget(const QRect &rect) const;
};

// The partial covers of one part of a picture, drawn on one thread, in pages of their own: they
// come zeroed (nothing partly covered) and only the pages written take memory, and they go back
// whole when the part is drawn.
class PartCover {
public:
    // Holds area (scene pixels); empty where it cannot get the pages.
    explicit PartCover(const QRect &area);
    ~PartCover();
    PartCover(const PartCover &) = delete;
    PartCover &operator=(const PartCover &) = delete;

    PartialRows Rows() const { return rows_; }

private:
    void *pages_ = nullptr;
    size_t bytes_ = 0;
    PartialRows rows_;
};

// The partial covers of an area's pixels, implicitly shared: a copy costs nothing until one of the
// two is drawn into.
class PartialCover {
public:
    // Holds area (scene pixels) with no pixel covered; memory it cannot get leaves it empty.
    void Start(const QRect &area);
    // Holds area with what from holds there (nothing where from does not reach).
    void StartFrom(const PartialCover &from, const QRect &area);
    // Takes what from holds over the part of the area it shares.
    void Paste(const PartialCover &from);
    void Clear();
    // Whether any pixel is partly covered.
    bool AnyMarked() const;

    const QRect &Area() const { return area_; }
    bool IsEmpty() const { return area_.isEmpty(); }
    // The view to draw through; taken on one thread before drawing on several.
    PartialRows Rows();

private:
    QRect area_;
    QList<uint8_t> marks_;
    QList<PartialPixel> pixels_;
};

}  // namespace platform::swf
