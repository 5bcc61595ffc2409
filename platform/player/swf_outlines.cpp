// Line outlines: built when a line is first drawn at full width, kept within a budget shared by
// every loaded movie.
#include "platform/player/swf_data.h"

#include <QPainterPathStroker>
#include <atomic>

namespace platform::swf {

namespace {

// Elements the stroker may write per element of the line: both sides and a round join for a
// straight element; a curve is offset in up to 16 pieces on each side.
constexpr int64_t kOutlinePerLineElement = 16;
constexpr int64_t kOutlinePerCurveElement = 100;

std::atomic<int64_t> heldElements{0};
std::atomic<int64_t> builtElements{0};

}  // namespace

OutlineCounts CurrentOutlineCounts()
{
    return {heldElements.load(), builtElements.load()};
}

int64_t EstimatedOutlineElements(const QPainterPath &line)
{
    int64_t estimate = 64;  // the caps
    for (int i = 0; i < line.elementCount(); ++i) {
        estimate += line.elementAt(i).type == QPainterPath::CurveToElement ? kOutlinePerCurveElement
                                                                           : kOutlinePerLineElement;
    }
    return estimate;
}

// The area a line covers at its full width. Offset curves are kept to a twip of accuracy.
QPainterPath LineOutline(const QPainterPath &line, double width)
{
    if (width <= 0) {
        return {};
    }
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCurveThreshold(1.0);
    QPainterPath outline = stroker.createStroke(line);
    builtElements += outline.elementCount();
    return outline;
}

LineOutlines::~LineOutlines()
{
    heldElements -= held_;
}

const QPainterPath *LineOutlines::Held(size_t index) const
{
    return index < outlines_.size() && outlines_[index] ? &*outlines_[index] : nullptr;
}

const QPainterPath *LineOutlines::Hold(size_t index, const QPainterPath &line, double width)
{
    if (index >= outlines_.size()) {
        return nullptr;
    }
    if (!outlines_[index] && !tried_[index]) {
        tried_[index] = true;
        // The estimate is taken from the shared budget before building, so that groups readied on
        // several threads at once never hold more than the budget together.
        const int64_t estimate = EstimatedOutlineElements(line);
        if (estimate > kMaxOutlineElements) {
            return nullptr;
        }
        if (heldElements.fetch_add(estimate) + estimate > kMaxHeldOutlineElements) {
            heldElements -= estimate;
            return nullptr;
        }
        outlines_[index] = LineOutline(line, width);
        const int64_t elements = outlines_[index]->elementCount();
        held_ += elements;
        heldElements += elements - estimate;
    }
    return Held(index);
}

}  // namespace platform::swf
