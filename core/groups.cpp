#include "core/groups.h"

#include "core/document.h"

#include <algorithm>
#include <vector>

namespace core {
namespace {

bool IsPathIndex(int32_t i)
{
    return i >= 1 && i <= Doc().DocPathCount();
}

// Activates or releases every path of the compound path i belongs to (paths with id 0 belong to
// none).
void SetCompoundActive(int32_t i, bool active)
{
    if (!IsPathIndex(i) || DocPath(i).CompoundID == 0) {
        return;
    }
    int32_t id = DocPath(i).CompoundID;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        if (DocPath(j).CompoundID == id && DocPath(j).blCompound != active) {
            ChangeDocPath(j).blCompound = active;
        }
    }
}

}  // namespace

UsedIds::UsedIds(int32_t PathRecord::*idField)
{
    sorted_.reserve(static_cast<size_t>(Doc().DocPathCount()));
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        sorted_.push_back(DocPath(i).*idField);
    }
    std::sort(sorted_.begin(), sorted_.end());
    sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
}

// Equal to scanning the paths again after every clash, without the quadratic cost.
int32_t UsedIds::NextFree(int32_t start) const
{
    int32_t id = start;
    for (auto taken = std::lower_bound(sorted_.begin(), sorted_.end(), start);
         taken != sorted_.end() && *taken == id && id < INT32_MAX; ++taken) {
        ++id;
    }
    return id;
}

int32_t NextFreeGroupId(int32_t start)
{
    return UsedIds(&PathRecord::GroupID).NextFree(start);
}

int32_t NextFreeCompoundId(int32_t start)
{
    return UsedIds(&PathRecord::CompoundID).NextFree(start);
}

void MakeGroup(bool flag)
{
    if (Doc().DocPathCount() == 0) {
        return;
    }
    int32_t id = NextFreeGroupId(1);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        if (!DocPath(i).blSelected) {
            continue;
        }
        PathRecord &path = ChangeDocPath(i);
        if (flag) {
            path.GroupID = id;
        }
        path.blGroup = flag;
    }
}

void GroupAgain(int32_t i)
{
    if (!IsPathIndex(i) || DocPath(i).GroupID == 0) {
        return;
    }
    int32_t id = DocPath(i).GroupID;
    DeselectAllPaths();
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        if (DocPath(j).GroupID == id) {
            PathRecord &path = ChangeDocPath(j);
            path.blGroup = true;
            path.blSelected = true;
        }
    }
}

void MakeCompound(bool flag, int32_t i)
{
    if (Doc().DocPathCount() == 0) {
        return;
    }
    if (flag) {
        int32_t id = NextFreeCompoundId(1);
        for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
            if (DocPath(j).blSelected) {
                PathRecord &path = ChangeDocPath(j);
                path.CompoundID = id;
                path.blCompound = true;
            }
        }
        return;
    }
    SetCompoundActive(i, false);
}

void CompoundAgain(int32_t i)
{
    SetCompoundActive(i, true);
}

bool FollowsInCompound(const PathArray &paths, int32_t i)
{
    if (i < 1 || i > UpperBound(paths) || !paths[static_cast<size_t>(i)].blCompound) {
        return false;
    }
    const int32_t id = paths[static_cast<size_t>(i)].CompoundID;
    return std::any_of(paths.begin() + 1, paths.begin() + i,
                       [id](const PathRecord &path) { return path.blCompound && path.CompoundID == id; });
}

void SelectPathOrGroup(int32_t i, bool flag)
{
    if (!IsPathIndex(i)) {
        return;
    }
    const PathRecord &hit = DocPath(i);
    if (hit.GroupID == 0 || !hit.blGroup) {
        ChangeDocPath(i).blSelected = flag;
        return;
    }
    int32_t id = hit.GroupID;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        const PathRecord &path = DocPath(j);
        if (path.GroupID == id && path.blGroup && path.blSelected != flag) {
            ChangeDocPath(j).blSelected = flag;
        }
    }
}

}  // namespace core
