#include "core/anchor_editing.h"

#include "core/clipboard.h"
#include "core/document.h"
#include "core/geometry.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <vector>

namespace core {
namespace {

bool IsPathIndex(int32_t i)
{
    return i >= 1 && i <= Doc().DocPathCount();
}

bool IsAnchorIndex(const PathRecord &path, int32_t a)
{
    return a >= 0 && a <= path.AnchorMax();
}

float Distance(int32_t x, int32_t y, const AnchorPoint &to)
{
    return GetDistance(static_cast<double>(x) - to.X, static_cast<double>(y) - to.Y);
}

using AnchorList = AnchorArray;

// Appends anchors from .. to (nothing when from > to).
void AppendForward(AnchorList &out, const AnchorList &in, int32_t from, int32_t to)
{
    for (int32_t a = from; a <= to; ++a) {
        out.push_back(in[static_cast<size_t>(a)]);
    }
}

// Appends anchors from down to to (nothing when from < to).
void AppendBackward(AnchorList &out, const AnchorList &in, int32_t from, int32_t to)
{
    for (int32_t a = from; a >= to; --a) {
        out.push_back(in[static_cast<size_t>(a)]);
    }
}

struct JoinPartner {
    int32_t path = 0;  // 0: none
    bool atEnd = false;  // its last anchor (else its first) lies near
};

// The last path in drawing order with an end anchor within reach of e; within one path its last
// anchor wins over its first.
JoinPartner FindJoinPartner(int32_t i, const AnchorPoint &e)
{
    float reach = static_cast<float>(60.0 / Doc().ZoomRate);
    JoinPartner partner;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        const PathRecord &other = DocPath(j);
        if (j == i || other.Anchors.empty()) {
            continue;
        }
        if (Distance(e.X, e.Y, other.Anchors.front()) < reach) {
            partner = JoinPartner{j, false};
        }
        if (Distance(e.X, e.Y, other.Anchors.back()) < reach) {
            partner = JoinPartner{j, true};
        }
    }
    return partner;
}

}  // namespace

void DeleteAnchor(PathRecord &path, int32_t a)
{
    if (!IsAnchorIndex(path, a) || path.AnchorMax() == 0) {
        return;
    }
    path.Anchors.erase(path.Anchors.begin() + a);
}

void InsertAnchor(PathRecord &path, const AnchorPoint &anchor, int32_t a)
{
    if (a < 0 || a > path.AnchorMax() + 1) {
        return;
    }
    path.Anchors.insert(path.Anchors.begin() + a, anchor);
}

void AddAnchorOnSegment(int32_t i, int32_t k, int32_t l, int32_t x, int32_t y)
{
    if (!IsPathIndex(i)) {
        return;
    }
    PathRecord &path = ChangeDocPath(i);
    if (!IsAnchorIndex(path, k) || !IsAnchorIndex(path, l)) {
        return;
    }
    const AnchorPoint a = path.Anchors[static_cast<size_t>(k)];
    const AnchorPoint b = path.Anchors[static_cast<size_t>(l)];
    double d1 = Distance(x, y, a);
    double d2 = Distance(x, y, b);
    AnchorPoint added = a;  // its kind; the place is a's when the click and both ends coincide
    if (d1 + d2 > 0) {
        added.X = platform::RoundToInt32(d1 * b.X / (d1 + d2) + d2 * a.X / (d2 + d1));
        added.Y = platform::RoundToInt32(d1 * b.Y / (d1 + d2) + d2 * a.Y / (d2 + d1));
    }
    InsertAnchor(path, added, k + 1);
}

void DeleteSelectedAnchors()
{
    std::vector<bool> doomed(Doc().DocPaths.size(), false);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        auto marked = [](const AnchorPoint &p) { return p.AnchorKind == kAnchorDeleted; };
        if (std::none_of(DocPath(i).Anchors.begin(), DocPath(i).Anchors.end(), marked)) {
            continue;
        }
        AnchorList &anchors = ChangeDocPath(i).Anchors;
        anchors.erase(std::remove_if(anchors.begin(), anchors.end(), marked), anchors.end());
        doomed[static_cast<size_t>(i)] = anchors.size() < 2;
    }
    DeleteFlaggedPaths(doomed);
}

void DividePath(int32_t i, int32_t j, int32_t k, int32_t l)
{
    if (!IsPathIndex(i)) {
        return;
    }
    const PathRecord original = DocPath(i);
    int32_t n = original.AnchorMax();
    // Cutting at the last anchor, or at the first one, would leave a piece of a single anchor.
    bool segmentCut = j > 0;
    if (k < 0 || k >= n || (k == 0 && !segmentCut)) {
        return;
    }
    if (segmentCut && !IsAnchorIndex(original, l)) {
        return;
    }
    const AnchorList &all = original.Anchors;
    PathRecord first = original;
    PathRecord second = original;
    first.Anchors.assign(all.begin(), all.begin() + k + 1);
    if (segmentCut) {
        const AnchorPoint &a = all[static_cast<size_t>(k)];
        const AnchorPoint &b = all[static_cast<size_t>(l)];
        AnchorPoint middle{static_cast<int32_t>((int64_t{a.X} + b.X) / 2), static_cast<int32_t>((int64_t{a.Y} + b.Y) / 2),
                           kOnCurve};
        first.Anchors.push_back(middle);
        second.Anchors.assign(1, middle);
        second.Anchors.insert(second.Anchors.end(), all.begin() + k + 1, all.end());
    } else {
        second.Anchors.assign(all.begin() + k, all.end());
    }
    for (PathRecord *piece : {&first, &second}) {
        piece->blClosed = false;
    }
    ChangeDocPath(i) = std::move(first);
    Doc().DocPaths.push_back(std::move(second));
}

void OpenPathAtAnchor(int32_t i, int32_t a)
{
    if (!IsPathIndex(i)) {
        return;
    }
    PathRecord &path = ChangeDocPath(i);
    if (!IsAnchorIndex(path, a)) {
        return;
    }
    std::rotate(path.Anchors.begin(), path.Anchors.begin() + a + 1, path.Anchors.end());
    path.blClosed = false;
}

bool JoinPaths(int32_t i, int32_t k, bool testOnly)
{
    if (!IsPathIndex(i)) {
        return false;
    }
    const AnchorList mine = DocPath(i).Anchors;
    int32_t ni = static_cast<int32_t>(mine.size()) - 1;
    if (ni < 0 || (k != 0 && k != ni)) {
        return false;
    }
    JoinPartner partner = FindJoinPartner(i, mine[static_cast<size_t>(k)]);
    if (partner.path == 0) {
        return false;
    }
    if (testOnly) {
        return true;
    }
    int32_t j = partner.path;
    const AnchorList theirs = DocPath(j).Anchors;
    int32_t nj = static_cast<int32_t>(theirs.size()) - 1;
    AnchorList joined;
    joined.reserve(mine.size() + theirs.size() - 1);
    int32_t survivor = i;
    int32_t dropped = j;
    // The touching end anchors become one: the path named first keeps its anchor.
    if (k == 0 && partner.atEnd) {
        AppendForward(joined, theirs, 0, nj);
        AppendForward(joined, mine, 1, ni);
        std::swap(survivor, dropped);
    } else if (k == 0) {
        AppendBackward(joined, theirs, nj, 0);
        AppendForward(joined, mine, 1, ni);
    } else if (partner.atEnd) {
        AppendForward(joined, mine, 0, ni);
        AppendBackward(joined, theirs, nj - 1, 0);
    } else {
        AppendForward(joined, mine, 0, ni);
        AppendForward(joined, theirs, 1, nj);
    }
    ChangeDocPath(survivor).Anchors = std::move(joined);
    DeletePath(dropped);
    return true;
}

}  // namespace core
