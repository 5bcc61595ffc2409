// What the canvas shows while a worker draws the exact picture of a costly change: a preview
// made from the last picture's pixels at a small cost. Internal to the player.
//
// The kinds, tried in this order (MoviePlayer reports the one shown as a PreviewKind):
// - Shifted: every item that changed moved by one whole number of device pixels (over items
//   below them that paint one colour, as the canvas paper does): the last picture's pixels
//   shifted, the strips the shift uncovers drawn when that is little work, else the background.
// - EditedArea: the area of the items that differ (moved by any offset, restyled, added,
//   removed) painted again over the pixels kept below them, when that is little work. When every
//   item changed and the exact picture costs as little, no preview is made: it is drawn at once.
// - RoughlyShifted: as Shifted, the items moved alike but for a few the writer reshaped within a
//   pixel as they moved, whose areas are painted again.
// - NewMovie: most items are none of the last picture's in place (another drawing was opened):
//   the background with the unchanged items (the canvas paper) when they are little work, else
//   the background alone, never the movie before.
// - LastPicture: the last picture as it was (a restyle of many).
// Changes of view have two kinds of their own, shown without looking at the items:
// - ScrolledView: the last picture scrolled along with the view, the strips it uncovers drawn
//   when that is little work, else the background (while they are drawn).
// - ScaledView: the last picture scaled to the new view (a zoom).
// Only the player's thread uses a Previews.
#pragma once

#include "platform/player/movie_player.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/swf_renderer.h"
#include "platform/player/swf_retained_picture.h"
#include "platform/player/swf_view_change.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform::swf {

class Previews {
public:
    Previews();
    ~Previews();

    // Shows in the visible part of target a preview of the picture of items (last's items and a
    // change of them) for setup, whose work is added to the setup's counts. PreviewKind::None
    // (nothing shown) when the exact picture, costing exactWork as RepaintWork counts it, is to
    // be drawn at once instead.
    PreviewKind Show(QImage &target, const PictureSetup &setup, const RetainedPicture &last,
                     const ItemComparison &items, int64_t exactWork);
    // Shows picture's pixels as they are: what a scroll brought along, with the strips it
    // uncovered drawn or painted with the background.
    void ShowKept(QImage &target, const QImage &picture, const QRect &visible);
    // Shows the last picture scaled to the request's view, the rest of it the background; false
    // (nothing shown) when there is no memory for it.
    bool ShowScaled(QImage &target, const RetainedPicture &last, const ViewRequest &request);
    // Shows the last preview once more.
    void ShowAgain(QImage &target, const QRect &visible) const;
    // Lets go of the preview's pixels (the room kept for the next one).
    void Release();

private:
    struct UniformCheck;

    bool UniformBelow(const PictureSetup &setup, const ItemComparison &items, size_t from);
    enum class EditPreview { Shown, DrawExact, None };
    EditPreview ShowEditedArea(QImage &target, const PictureSetup &setup, const RetainedPicture &last,
                               const ItemComparison &items, int64_t exactWork);
    bool ShowNewMovie(QImage &target, const PictureSetup &setup, const RetainedPicture &last,
                      const ItemComparison &items);
    QImage PreviewImage(const QImage &target);

    QImage preview_;
    // The pixels of the area a preview painted over preview_ (null when it painted none), and
    // where they go.
    QImage patch_;
    QPoint patchAt_;
    std::unique_ptr<UniformCheck> uniformBelow_;  // the items below the last shift looked at
};

}  // namespace platform::swf
