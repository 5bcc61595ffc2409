// A layer of the pixels of what lies below the items an edit changes. Edits made one after another
// mostly change the same paths (a drag, its undo and redo, a recolour): the items below the
// first one changed are drawn once into this layer and then only copied into the changed area,
// over which the changed items and those above them are drawn again. Internal to the player.
#pragma once

#include "platform/player/swf_renderer.h"

#include <QImage>
#include <QRect>

#include <cstddef>
#include <vector>

namespace platform::swf {

class BelowLayer {
public:
    // Paints the changed area of picture (of the setup) anew: head is the number of leading
    // paint items unchanged since the last call; withoutClipLayers tells that no item is a clip
    // layer (else every item is drawn). The result equals painting the background and every item
    // into the changed area at once, bit for bit.
    void PaintChanged(const PictureSetup &setup, QImage &picture, const QRect &changed, size_t head,
                      bool withoutClipLayers);
    // Paints area of picture with the background and every item, the first fromLayer of them (as
    // LayerItemsFor counts them) taken from the layer's pixels; the layer is left as it is.
    void PaintOver(const PictureSetup &setup, QImage &picture, const QRect &area, size_t fromLayer) const;
    // Forgets the layer's pixels (the setup changed).
    void Drop();
    // How many leading items PaintChanged would take from the layer's pixels over changed without
    // drawing them (0 when it draws them all).
    size_t LayerItemsFor(const QRect &changed, size_t head, bool withoutClipLayers) const;
    // The items the layer holds (for tests).
    size_t Count() const { return count_; }

private:
    // Readies rows top..bottom of the layer; false where there is no memory for it.
    bool ReadyRows(const PictureSetup &setup, int top, int bottom);
    // Keeps the partial covers the items left in the rows drawn; false where there is no memory.
    bool KeepPartialCovers(const PartialCover &drawn);
    // Paints area of picture with the first fromLayer items from the layer's pixels and the rest
    // drawn over them; false (nothing painted) where there is no memory for it.
    bool DrawOverLayer(const PictureSetup &setup, QImage &picture, const QRect &area, size_t fromLayer) const;

    QImage image_;
    // What the layer's items leave partly covered in its pixels (anti-aliased); none held while
    // they leave nothing partly covered, as when the layer holds the canvas paper alone.
    PartialCover partial_;
    size_t count_ = 0;
    std::vector<bool> rowsReady_;  // by row of image_: items [0, count_) drawn across the visible width
};

}  // namespace platform::swf
