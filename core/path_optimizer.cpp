#include "core/path_optimizer.h"

#include "core/geometry.h"

#include <vector>

namespace core {
namespace {

float PointDistance(const AnchorPoint &a, const AnchorPoint &b)
{
    return GetDistance(static_cast<double>(a.X) - b.X, static_cast<double>(a.Y) - b.Y);
}

// Drops each anchor that lies closer than the tolerance to the anchor kept before it, while more
// than two anchors remain. Anchor 0 always stays; the closing pair of a closed path is not compared.
// (One forward pass gives the same result as rescanning from the start after every deletion: the
// pairs before a deleted anchor do not change.)
void PointPass(AnchorArray &anchors, float tolerance)
{
    size_t remaining = anchors.size();
    size_t kept = 1;
    for (size_t c = 1; c < anchors.size(); ++c) {
        if (remaining > 2 && PointDistance(anchors[c], anchors[kept - 1]) < tolerance) {
            --remaining;
            continue;
        }
        anchors[kept++] = anchors[c];
    }
    anchors.resize(kept);
}

// The anchors as a doubly linked ring, so that the line pass can delete in constant time.
struct AnchorRing {
    std::vector<size_t> prev;
    std::vector<size_t> next;
    std::vector<bool> alive;
    size_t head = 0;
    size_t tail = 0;
    size_t count = 0;

    explicit AnchorRing(size_t n) : prev(n), next(n), alive(n, true), tail(n - 1), count(n)
    {
        for (size_t i = 0; i < n; ++i) {
            prev[i] = (i + n - 1) % n;
            next[i] = (i + 1) % n;
        }
    }

    void Remove(size_t i)
    {
        next[prev[i]] = next[i];
        prev[next[i]] = prev[i];
        alive[i] = false;
        --count;
        if (i == head) {
            head = next[i];
        }
        if (i == tail) {
            tail = prev[i];
        }
    }
};

// Deletes anchors closer than the tolerance to the segment between their neighbours, scanning in
// order and starting over after each deletion, until a whole scan deletes nothing or two anchors
// remain. An open path keeps its end anchors. The scan resumes just before the deleted anchor,
// which is where the earliest changed neighbourhood lies, unless the deletion touched the closing
// pair of a closed path (then anchor 0's neighbours changed and the scan starts over).
void LinePass(AnchorArray &anchors, float tolerance, bool closed)
{
    AnchorRing ring(anchors.size());
    auto firstCandidate = [&] { return closed ? ring.head : ring.next[ring.head]; };
    auto isLastCandidate = [&](size_t i) { return closed ? i == ring.tail : ring.next[i] == ring.tail; };

    size_t i = firstCandidate();
    while (ring.count > 2) {
        const AnchorPoint &a = anchors[i];
        const AnchorPoint &p = anchors[ring.prev[i]];
        const AnchorPoint &n = anchors[ring.next[i]];
        if (GetSegmentDistance(p.X, p.Y, n.X, n.Y, a.X, a.Y) < tolerance) {
            bool touchesClosingPair = closed && (i == ring.head || i == ring.tail);
            size_t before = ring.prev[i];
            ring.Remove(i);
            i = (touchesClosingPair || before == ring.head) ? firstCandidate() : before;
            continue;
        }
        if (isLastCandidate(i)) {
            break;
        }
        i = ring.next[i];
    }

    size_t kept = 0;
    for (size_t k = 0; k < anchors.size(); ++k) {
        if (ring.alive[k]) {
            anchors[kept++] = anchors[k];
        }
    }
    anchors.resize(kept);
}

}  // namespace

void OptimizePath(PathRecord &path, float pointTolerance, float lineTolerance)
{
    if (path.AnchorMax() <= 1) {
        return;
    }
    PointPass(path.Anchors, pointTolerance);
    if (path.AnchorMax() > 1) {
        LinePass(path.Anchors, lineTolerance, path.blClosed);
    }
    if (path.AnchorMax() < 2) {
        path.LineMode = 1;
        path.blClosed = false;
    }
}

}  // namespace core
