#include "core/path_attributes.h"

#include "core/document.h"
#include "core/history.h"
#include "core/path_builder.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <vector>

namespace core {
namespace {

// Applies the change to every selected path, followed by one undo step when a path was selected.
template <typename Change>
void ChangeSelectedPathsAsStep(Change change)
{
    if (ChangeSelectedDocPaths(change)) {
        RecordHistory();
    }
}

// Sets, clears or toggles the display bit of the selected paths; the other paths' bit is set or
// cleared as asked, or left alone.
enum class BitAction { Leave, Set, Clear, Toggle };

int32_t ApplyBit(int32_t flags, int32_t bit, BitAction action)
{
    switch (action) {
    case BitAction::Set:
        return flags | bit;
    case BitAction::Clear:
        return flags & ~bit;
    case BitAction::Toggle:
        return flags ^ bit;
    case BitAction::Leave:
        break;
    }
    return flags;
}

void ChangeDisplayBit(int32_t bit, BitAction selected, BitAction others)
{
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = DocPath(i);
        const int32_t flags = ApplyBit(path.DispFlags, bit, path.blSelected ? selected : others);
        if (flags != path.DispFlags) {
            ChangeDocPath(i).DispFlags = flags;
        }
    }
}

bool IsSelected(const std::vector<PathRecord> &paths, int32_t i)
{
    return paths[static_cast<size_t>(i)].blSelected;
}

// Code 3: scanning from the front, every selected path that lies below an unselected one swaps
// with the path above it, so a block of selected paths moves up by one as a whole.
void MoveSelectedForwardOne(std::vector<int32_t> &from)
{
    const auto &paths = Doc().DocPaths;
    bool passedUnselected = false;
    for (size_t i = from.size() - 1; i >= 1; --i) {
        if (!IsSelected(paths, from[i])) {
            passedUnselected = true;
        } else if (passedUnselected) {
            std::swap(from[i], from[i + 1]);
        }
    }
}

// Code 4, the mirror image of code 3.
void MoveSelectedBackwardOne(std::vector<int32_t> &from)
{
    const auto &paths = Doc().DocPaths;
    bool passedUnselected = false;
    for (size_t i = 1; i < from.size(); ++i) {
        if (!IsSelected(paths, from[i])) {
            passedUnselected = true;
        } else if (passedUnselected) {
            std::swap(from[i], from[i - 1]);
        }
    }
}

// The stacking order a code asks for: from[n] is the present index of the path that goes to
// index n (from[0] = 0). Codes 1 and 2 keep the relative order of the selected paths and of the
// others, as moving them one at a time would, in linear time.
std::vector<int32_t> NewPathOrder(int16_t code)
{
    const auto &paths = Doc().DocPaths;
    std::vector<int32_t> from(paths.size());
    for (size_t i = 0; i < from.size(); ++i) {
        from[i] = static_cast<int32_t>(i);
    }
    auto selected = [&](int32_t i) { return IsSelected(paths, i); };
    switch (code) {
    case kOrderToBack:
        std::stable_partition(from.begin() + 1, from.end(), selected);
        break;
    case kOrderToFront:
        std::stable_partition(from.begin() + 1, from.end(), [&](int32_t i) { return !selected(i); });
        break;
    case kOrderForwardOne:
        MoveSelectedForwardOne(from);
        break;
    case kOrderBackwardOne:
        MoveSelectedBackwardOne(from);
        break;
    default:
        break;
    }
    return from;
}

// A reference to a path by index follows the path to its new place.
void FollowPath(int32_t &index, const std::vector<int32_t> &newIndexOf)
{
    if (index >= 1 && static_cast<size_t>(index) < newIndexOf.size()) {
        index = newIndexOf[static_cast<size_t>(index)];
    }
}

// Puts the paths in the new order; the selected anchors and the hit paths keep pointing at the
// paths they named.
void ApplyPathOrder(const std::vector<int32_t> &from)
{
    Document &doc = Doc();
    PathArray reordered(doc.DocPaths.size());
    std::vector<int32_t> newIndexOf(from.size());
    for (size_t n = 1; n < from.size(); ++n) {
        const auto old = static_cast<size_t>(from[n]);
        reordered.TakePath(n, doc.DocPaths, old);
        newIndexOf[old] = static_cast<int32_t>(n);
    }
    doc.DocPaths = std::move(reordered);

    for (size_t e = 1; e < doc.SelectedAnchors.size(); ++e) {
        FollowPath(doc.SelectedAnchors[e].PathIndex, newIndexOf);
    }
    FollowPath(doc.HitPath, newIndexOf);
    FollowPath(doc.HitPath2, newIndexOf);
}

}  // namespace

void SetSelectedClosed(bool flag)
{
    ChangeSelectedDocPaths([flag](PathRecord &path) { path.blClosed = flag; });
}

void SetSelectedPaintModes(int16_t lineMode, int16_t fillType)
{
    ChangeSelectedPathsAsStep([=](PathRecord &path) {
        path.LineMode = lineMode;
        path.FillType = fillType;
    });
}

void SetSelectedLineWidth(float width)
{
    const int32_t twips = platform::RoundToInt32(static_cast<double>(width) * 20.0);
    ChangeSelectedPathsAsStep([twips](PathRecord &path) { path.LineWidth = twips; });
}

void SetSelectedColors(const std::array<Color, 3> &colours, bool setLine, bool setFill, bool setGradient)
{
    ChangeSelectedPathsAsStep([&](PathRecord &path) {
        if (setLine) {
            path.LineColor = colours[0];
        }
        if (setFill) {
            path.FillColor = colours[1];
        }
        if (setGradient) {
            path.GradColor = colours[2];
        }
    });
}

int32_t SplitColor(Color colour, int32_t &red, int32_t &green, int32_t &blue, int32_t &opacity)
{
    red = static_cast<int32_t>(colour & 255u);
    green = static_cast<int32_t>((colour >> 8) & 255u);
    blue = static_cast<int32_t>((colour >> 16) & 255u);
    opacity = static_cast<int32_t>((colour >> 24) & 255u);
    return opacity;
}

void GetSelectedColors(std::array<Color, 3> &colours)
{
    // Per slot (line, fill, gradient) the sums of red, green, blue and opacity.
    std::array<std::array<int64_t, 4>, 3> sums{};
    int64_t count = 0;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = DocPath(i);
        if (!path.blSelected) {
            continue;
        }
        const std::array<Color, 3> slots{path.LineColor, path.FillColor, path.GradColor};
        for (size_t s = 0; s < slots.size(); ++s) {
            std::array<int32_t, 4> bytes{};
            SplitColor(slots[s], bytes[0], bytes[1], bytes[2], bytes[3]);
            for (size_t b = 0; b < bytes.size(); ++b) {
                sums[s][b] += bytes[b];
            }
        }
        ++count;
    }
    if (count == 0) {
        return;
    }
    for (size_t s = 0; s < colours.size(); ++s) {
        Color mean = 0;
        for (size_t b = 0; b < 4; ++b) {
            mean |= static_cast<Color>(sums[s][b] / count) << (8 * b);
        }
        colours[s] = mean;
    }
}

void SetPathVisibleLock(int16_t code)
{
    switch (code) {
    case kShowSelected:
        return ChangeDisplayBit(kDispHidden, BitAction::Clear, BitAction::Leave);
    case kHideSelected:
        return ChangeDisplayBit(kDispHidden, BitAction::Set, BitAction::Leave);
    case kShowAll:
        return ChangeDisplayBit(kDispHidden, BitAction::Clear, BitAction::Clear);
    case kShowOnlySelected:
        return ChangeDisplayBit(kDispHidden, BitAction::Clear, BitAction::Set);
    case kToggleHiddenSelected:
        return ChangeDisplayBit(kDispHidden, BitAction::Toggle, BitAction::Leave);
    case kUnlockSelected:
        return ChangeDisplayBit(kDispLocked, BitAction::Clear, BitAction::Leave);
    case kLockSelected:
        return ChangeDisplayBit(kDispLocked, BitAction::Set, BitAction::Leave);
    case kUnlockAll:
        return ChangeDisplayBit(kDispLocked, BitAction::Clear, BitAction::Clear);
    case kLockAllButSelected:
        return ChangeDisplayBit(kDispLocked, BitAction::Clear, BitAction::Set);
    case kToggleLockedSelected:
        return ChangeDisplayBit(kDispLocked, BitAction::Toggle, BitAction::Leave);
    default:
        return;
    }
}

void ChangePathOrder(int16_t code)
{
    if (Doc().DocPathCount() <= 1) {
        return;
    }
    // A path being drawn is finished before it leaves the front, where its builder expects it.
    if (IsBuildingPath() && NewPathOrder(code).back() != Doc().DocPathCount()) {
        EndPathInProgress();
    }
    std::vector<int32_t> from = NewPathOrder(code);
    if (!std::is_sorted(from.begin(), from.end())) {  // a permutation is sorted only when unchanged
        ApplyPathOrder(from);
    }
}

}  // namespace core
