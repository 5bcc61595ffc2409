#include "platform/player/swf_hiding_fills.h"

#include <algorithm>

namespace platform::swf {

std::optional<size_t> OpaqueFill(const DrawnGroup &group, const ColorTransform &cx)
{
    std::optional<size_t> fill;
    for (size_t i = 0; i < group.fills.size(); ++i) {
        if (!group.FillEmpty(i)) {
            if (fill) {
                return std::nullopt;
            }
            fill = i;
        }
    }
    if (!fill) {
        return std::nullopt;
    }
    const FillStyle &style = group.fills[*fill];
    auto opaque = [&cx](QRgb color) { return qAlpha(cx.Apply(color)) == 255; };
    switch (style.kind) {
    case FillKind::Solid:
        return opaque(style.color) ? fill : std::nullopt;
    case FillKind::Linear:
    case FillKind::Radial:
        return !style.stops.empty() && std::all_of(style.stops.begin(), style.stops.end(),
                                                   [&](const GradientStop &stop) { return opaque(stop.color); })
                   ? fill
                   : std::nullopt;
    case FillKind::Bitmap:
        break;
    }
    return std::nullopt;
}

void HidingFills::Start(const QRect &band)
{
    grid_ = TileGrid{band, kTile};
    tiles_.assign(static_cast<size_t>(grid_.Columns()) * static_cast<size_t>(grid_.Rows()), -1);
}

void HidingFills::Stop()
{
    tiles_.clear();
}

void HidingFills::Cover(const QPainterPath &fill, const QTransform &world, const QRectF &device, int32_t index)
{
    const QRectF inBand = device.intersected(QRectF(grid_.area));
    if (Looking() && inBand.width() >= kTile && inBand.height() >= kTile) {  // else it holds no whole tile
        MarkWhollyFilled(fill, world, grid_, index, tiles_);
    }
}

QRect HidingFills::ShownArea(const QRectF &device, int32_t index) const
{
    const QRect tiles = grid_.TilesOf(device.toAlignedRect());
    const auto columns = static_cast<size_t>(grid_.Columns());
    QRect shown;
    for (int row = tiles.top(); row <= tiles.bottom(); ++row) {
        const int32_t *hiding = &tiles_[static_cast<size_t>(row) * columns];
        for (int column = tiles.left(); column <= tiles.right(); ++column) {
            if (hiding[column] <= index) {
                shown |= QRect(column, row, 1, 1);
            }
        }
    }
    if (shown.isEmpty()) {
        return {};
    }
    const int side = grid_.side;
    const QRect &area = grid_.area;
    return QRect(area.left() + shown.left() * side, area.top() + shown.top() * side, shown.width() * side,
                 shown.height() * side)
        .intersected(area);
}

}  // namespace platform::swf
