#include "core/path_boolean_commands.h"

#include "core/clipboard.h"
#include "core/document.h"
#include "core/groups.h"
#include "core/path_boolean.h"
#include "core/path_builder.h"
#include "core/path_optimizer.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace core {
namespace {

// Compound ids in use, counted, so that the smallest free one is found without rescanning the
// paths while they move between the document and the results.
class CompoundIdUsage {
public:
    void Add(int32_t id) { ++counts_[id]; }

    void Remove(int32_t id)
    {
        auto found = counts_.find(id);
        if (found != counts_.end() && --found->second == 0) {
            counts_.erase(found);
        }
    }

    void AddAll(const PathArray &paths)
    {
        for (size_t k = 1; k < paths.size(); ++k) {
            Add(paths[k].CompoundID);
        }
    }

    void RemoveAll(const PathArray &paths)
    {
        for (size_t k = 1; k < paths.size(); ++k) {
            Remove(paths[k].CompoundID);
        }
    }

    int32_t SmallestFree() const
    {
        int32_t id = 1;
        while (counts_.count(id) != 0) {
            ++id;
        }
        return id;
    }

private:
    std::unordered_map<int32_t, int32_t> counts_;
};

// ---------------------------------------------------------------------------------------------

bool IsCut(int32_t code)
{
    return code != kFragmentUnion && code != kFragmentIntersection;
}

PathCollection Single(PathRecord path)
{
    PathCollection collection;
    collection.Paths.push_back(std::move(path));
    return collection;
}

PathRecord MovedCopy(const PathRecord &path, int32_t dx, int32_t dy)
{
    PathRecord moved = path;
    for (AnchorPoint &p : moved.Anchors) {
        p.X = platform::SaturateInt<int32_t>(int64_t{p.X} + dx);
        p.Y = platform::SaturateInt<int32_t>(int64_t{p.Y} + dy);
    }
    return moved;
}

// The union; when it comes back empty although both operands hold paths, the operands
// themselves, a's paths first.
PathCollection UnionKeepingOperands(const PathCollection &a, const PathCollection &b, int32_t compoundId)
{
    PathCollection united = FragmentPaths(a, b, kFragmentUnion, compoundId);
    if (united.PathCount() == 0 && a.PathCount() > 0 && b.PathCount() > 0) {
        united = a;
        AppendPaths(united, b);
    }
    return united;
}

// The path itself, or its active compound, as one key.
int64_t CompoundKey(const PathRecord &path, int32_t index)
{
    return path.blCompound ? int64_t{path.CompoundID} : -int64_t{index};
}

bool TwoSelectedCompoundsExist()
{
    const PathArray &paths = Doc().DocPaths;
    bool found = false;
    int64_t firstKey = 0;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = paths[static_cast<size_t>(i)];
        if (!path.blSelected) {
            continue;
        }
        int64_t key = CompoundKey(path, i);
        if (found && key != firstKey) {
            return true;
        }
        found = true;
        firstKey = key;
    }
    return false;
}

int32_t FirstSelectedPath()
{
    const PathArray &paths = Doc().DocPaths;
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        if (paths[static_cast<size_t>(i)].blSelected) {
            return i;
        }
    }
    return 0;
}

int32_t LastSelectedPath()
{
    const PathArray &paths = Doc().DocPaths;
    for (int32_t i = Doc().DocPathCount(); i >= 1; --i) {
        if (paths[static_cast<size_t>(i)].blSelected) {
            return i;
        }
    }
    return 0;
}

// Inserts the paths as one block at `index`, or at the end when index lies beyond it.
void InsertPaths(PathCollection &&block, int32_t index)
{
    PathArray &paths = Doc().DocPaths;
    size_t at = std::min(static_cast<size_t>(std::max(index, 1)), paths.size());
    paths.insert(paths.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(block.Paths.begin() + 1),
                 std::make_move_iterator(block.Paths.end()));
}

// The paths split into compounds, in the order TakeCompound (1) would lift them out one by one.
std::vector<PathCollection> SplitIntoCompounds(PathArray &&paths)
{
    std::vector<PathCollection> compounds;
    std::unordered_map<int32_t, size_t> compoundOfId;
    for (size_t k = 1; k < paths.size(); ++k) {
        PathRecord &path = paths[k];
        if (path.blCompound) {
            auto [found, added] = compoundOfId.try_emplace(path.CompoundID, compounds.size());
            if (added) {
                compounds.emplace_back();
            }
            compounds[found->second].Paths.push_back(std::move(path));
        } else {
            compounds.push_back(Single(std::move(path)));
        }
    }
    return compounds;
}

PathRecord RectanglePath(const Rect32 &rect, int32_t compoundId)
{
    PathRecord path;
    path.Anchors = {AnchorPoint{rect.Left, rect.Top, kOnCurve}, AnchorPoint{rect.Left, rect.Bottom, kOnCurve},
                    AnchorPoint{rect.Right, rect.Bottom, kOnCurve}, AnchorPoint{rect.Right, rect.Top, kOnCurve}};
    path.blClosed = true;
    path.blCompound = true;
    path.CompoundID = compoundId;
    return path;
}

}  // namespace

PathCollection TakeCompound(int32_t index)
{
    const PathArray &paths = Doc().DocPaths;
    PathCollection taken;
    if (index < 1 || index > Doc().DocPathCount()) {
        return taken;
    }
    bool compound = paths[static_cast<size_t>(index)].blCompound;
    int32_t id = paths[static_cast<size_t>(index)].CompoundID;
    std::vector<bool> members(paths.size(), false);
    for (size_t k = 1; k < paths.size(); ++k) {
        members[k] = compound ? paths[k].blCompound && paths[k].CompoundID == id : k == static_cast<size_t>(index);
        if (members[k]) {
            taken.Paths.push_back(paths[k]);
        }
    }
    DeleteFlaggedPaths(members);
    return taken;
}

int32_t NextFragmentCompoundId(const PathCollection &results)
{
    CompoundIdUsage ids;
    ids.AddAll(Doc().DocPaths);
    ids.AddAll(results.Paths);
    return ids.SmallestFree();
}

void ApplyFragment(int32_t code)
{
    if (Doc().DocPathCount() <= 1 || !TwoSelectedCompoundsExist()) {
        return;
    }
    int32_t keyIndex = code == kFragmentCutBack ? LastSelectedPath() : FirstSelectedPath();
    PathCollection key = TakeCompound(keyIndex);
    PathCollection results;
    // Every pass lifts at least one path out of the document, so the loop ends.
    for (int32_t k = FirstSelectedPath(); k > 0; k = FirstSelectedPath()) {
        PathCollection operand = TakeCompound(k);
        int32_t id = NextFragmentCompoundId(results);
        if (IsCut(code)) {
            AppendPaths(results, FragmentPaths(operand, key, code, id));
        } else {
            results = code == kFragmentUnion ? UnionKeepingOperands(operand, key, id)
                                             : FragmentPaths(operand, key, code, id);
            key = results;
        }
    }
    if (results.PathCount() > 0) {
        InsertPaths(std::move(results), keyIndex);
    }
}

void EraseWithPath(const PathRecord &brush, int32_t dx, int32_t dy)
{
    Document &doc = Doc();
    if (doc.DocPathCount() == 0) {
        return;
    }
    PathCollection eraser = Single(MovedCopy(brush, dx, dy));
    std::vector<PathCollection> compounds = SplitIntoCompounds(std::move(doc.DocPaths));
    doc.DocPaths.assign(1, PathRecord());
    // The ids of what is still to be erased plus those of the results so far.
    CompoundIdUsage ids;
    for (const PathCollection &compound : compounds) {
        ids.AddAll(compound.Paths);
    }
    PathCollection results;
    for (PathCollection &compound : compounds) {
        ids.RemoveAll(compound.Paths);
        PathCollection rest = compound.Paths[1].DispFlags != 0
                                  ? std::move(compound)
                                  : FragmentPaths(compound, eraser, kFragmentCutBack, ids.SmallestFree());
        ids.AddAll(rest.Paths);
        AppendPaths(results, rest);
    }
    for (PathRecord &path : results.Paths) {
        path.blSelected = false;
    }
    doc.DocPaths = std::move(results.Paths);
}

void StampPath(const PathRecord &brush, int32_t dx, int32_t dy, int32_t mode)
{
    Document &doc = Doc();
    if (mode != kStampDown && mode != kStampMove && mode != kStampUp) {
        return;
    }
    int32_t compoundId = NextFreeCompoundId(1);
    int32_t groupId = NextFreeGroupId(1);
    PathRecord stamp = MovedCopy(brush, dx, dy);
    if (mode == kStampDown || doc.DocPathCount() == 0) {
        stamp.blSelected = false;
        doc.DocPaths.push_back(std::move(stamp));
        return;
    }
    const CanvasSettings &settings = doc.CurrentSettings;
    float pointTolerance = (settings.OptimizeFlag & 1) != 0 ? static_cast<float>(settings.OptimizePoint) : 0.0f;
    float lineTolerance = (settings.OptimizeFlag & 2) != 0 ? static_cast<float>(settings.OptimizeLine) : 0.0f;
    PathCollection stroke = TakeCompound(doc.DocPathCount());
    if (mode == kStampMove) {
        stroke = UnionKeepingOperands(stroke, Single(std::move(stamp)), compoundId);
    } else {
        FitGradientFrame(stroke.Paths[1]);
    }
    bool severalPieces = stroke.PathCount() >= 2;
    for (int32_t j = 1; j <= stroke.PathCount(); ++j) {
        PathRecord &path = stroke.Paths[static_cast<size_t>(j)];
        if (mode == kStampUp) {
            OptimizePath(path, pointTolerance, lineTolerance);
        }
        if (path.AnchorMax() <= 1) {
            continue;
        }
        path.blSelected = false;
        path.blCompound = path.blGroup = severalPieces;
        if (severalPieces) {
            path.CompoundID = compoundId;
            path.GroupID = groupId;
        }
        doc.DocPaths.push_back(std::move(path));
    }
}

void ClipOutSelection(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Document &doc = Doc();
    if (doc.DocPathCount() == 0) {
        return;
    }
    Rect32 frame = GetPathsBounds(doc.DocPaths);
    int32_t id = NextFreeCompoundId(1);
    doc.DocPaths.push_back(RectanglePath(Rect32{left, top, right, bottom}, id));
    doc.DocPaths.push_back(RectanglePath(frame, id));
    for (size_t k = 1; k < doc.DocPaths.size(); ++k) {
        doc.DocPaths[k].blSelected = true;
    }
    ApplyFragment(kFragmentCutBack);
}

}  // namespace core
