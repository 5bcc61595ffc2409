// The kept pixels of what lies below the items an edit changes. Edits made one after another
// mostly change the same paths (a drag, its undo and redo, a recolour): the items below the
// first one changed are drawn once into this layer and then only copied into the changed area,
// over which the changed items and those above them are drawn again.
#pragma once

#include "platform/player/swf_render.h"

#include <QImage>
#include <QRect>

#include <cstddef>
#include <vector>

namespace platform::swf {

// Fills area of image with an opaque colour, as every picture's background is painted.
void FillArea(QImage &image, const QRect &area, QRgb color);
// Copies the pixels of area between two images of one size and 32-bit format.
void CopyArea(const QImage &from, QImage &to, const QRect &area);
// Copies the whole of part into to (of part's 32-bit format) with its top left corner at at;
// part lies within to.
void PasteImage(const QImage &part, QImage &to, QPoint at);
// Copies the pixels of area moved by shift (those that land within area) between two such images;
// returns the parts of area no pixel landed on.
std::vector<QRect> CopyShifted(const QImage &from, QImage &to, const QRect &area, QPoint shift);

// Everything that decides a picture's pixels besides its paint items.
struct PictureSetup {
    const Movie *movie = nullptr;
    const DisplayList *list = nullptr;
    QRect visible;  // the picture area within the target
    QTransform view;
    Quality quality = Quality::High;
    QRgb background = 0;
    RenderCounts *counts = nullptr;  // where the work of drawing is added, when given
    const std::atomic<bool> *cancel = nullptr;  // stops the drawing early when it turns true
    // The items (sorted) that may reach into the rows painted, across the picture; all when null.
    const std::vector<size_t> *among = nullptr;
};

class BelowLayer {
public:
    // Paints the changed area of picture (of the setup) anew: head is the number of leading
    // paint items unchanged since the last call. The result equals painting the background and
    // every item into the changed area at once, bit for bit.
    void PaintChanged(const PictureSetup &setup, QImage &picture, const QRect &changed, size_t head,
                      bool layered);
    // Paints area of picture with the background and every item, the first kept of them (as
    // KeptFor counts them) taken from the kept pixels; the layer is left as it is.
    void PaintOver(const PictureSetup &setup, QImage &picture, const QRect &area, size_t kept) const;
    // Forgets the kept pixels (the setup changed).
    void Drop();
    // How many leading items PaintChanged would take from the kept pixels over changed without
    // drawing them (0 when it draws them all).
    size_t KeptFor(const QRect &changed, size_t head, bool layered) const;
    // The items kept below (for tests).
    size_t Count() const { return count_; }

private:
    void ReadyRows(const PictureSetup &setup, int top, int bottom);

    QImage image_;
    size_t count_ = 0;
    std::vector<bool> rowsReady_;  // by row of image_: items [0, count_) drawn across the visible width
};

}  // namespace platform::swf
