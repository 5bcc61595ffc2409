#include "core/groups.h"

#include "core/document.h"

#include <algorithm>
#include <vector>

namespace core {
namespace {

PathRecord &PathAt(int32_t i)
{
    return Doc().DocPaths[static_cast<size_t>(i)];
}

bool IsPathIndex(int32_t i)
{
    return i >= 1 && i <= Doc().DocPathCount();
}

// The smallest id >= start missing from the ids the document's paths hold. Equal to scanning the
// paths again after every clash, without the quadratic cost on large drawings.
int32_t NextFreeId(int32_t start, int32_t PathRecord::*idField)
{
    std::vector<int32_t> used;
    used.reserve(static_cast<size_t>(Doc().DocPathCount()));
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        int32_t id = PathAt(i).*idField;
        if (id >= start) {
            used.push_back(id);
        }
    }
    std::sort(used.begin(), used.end());
    int32_t id = start;
    for (int32_t taken : used) {
        if (taken == id) {
            ++id;
        } else if (taken > id) {
            break;
        }
    }
    return id;
}

// A change of compound membership: every active compound member must be encoded again, since
// the compound's shape is written with whichever member comes first.
void MarkCompoundMembersStale()
{
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        if (PathAt(i).blCompound) {
            PathAt(i).CacheMark.clear();
        }
    }
}

}  // namespace

int32_t NextFreeGroupId(int32_t start)
{
    return NextFreeId(start, &PathRecord::GroupID);
}

int32_t NextFreeCompoundId(int32_t start)
{
    return NextFreeId(start, &PathRecord::CompoundID);
}

void MakeGroup(bool flag)
{
    if (Doc().DocPathCount() == 0) {
        return;
    }
    int32_t id = NextFreeGroupId(1);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        PathRecord &path = PathAt(i);
        if (!path.blSelected) {
            continue;
        }
        if (flag) {
            path.GroupID = id;
        }
        path.blGroup = flag;
    }
}

void GroupAgain(int32_t i)
{
    if (!IsPathIndex(i) || PathAt(i).GroupID == 0) {
        return;
    }
    int32_t id = PathAt(i).GroupID;
    DeselectAllPaths();
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        PathRecord &path = PathAt(j);
        if (path.GroupID == id) {
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
    MarkCompoundMembersStale();
    if (flag) {
        int32_t id = NextFreeCompoundId(1);
        for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
            PathRecord &path = PathAt(j);
            if (path.blSelected) {
                path.CompoundID = id;
                path.blCompound = true;
                path.CacheMark.clear();
            }
        }
        return;
    }
    // Paths with id 0 belong to no compound, so there is nothing to release for them.
    if (!IsPathIndex(i) || PathAt(i).CompoundID == 0) {
        return;
    }
    int32_t id = PathAt(i).CompoundID;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        PathRecord &path = PathAt(j);
        if (path.CompoundID == id) {
            path.blCompound = false;
            path.CacheMark.clear();
        }
    }
}

void CompoundAgain(int32_t i)
{
    if (!IsPathIndex(i) || PathAt(i).CompoundID == 0) {
        return;
    }
    int32_t id = PathAt(i).CompoundID;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        PathRecord &path = PathAt(j);
        if (path.CompoundID == id) {
            path.blCompound = true;
            path.CacheMark.clear();
        }
    }
}

void SelectPathOrGroup(int32_t i, bool flag)
{
    if (!IsPathIndex(i)) {
        return;
    }
    const PathRecord &hit = PathAt(i);
    if (hit.GroupID == 0 || !hit.blGroup) {
        PathAt(i).blSelected = flag;
        return;
    }
    int32_t id = hit.GroupID;
    for (int32_t j = 1; j <= Doc().DocPathCount(); ++j) {
        PathRecord &path = PathAt(j);
        if (path.GroupID == id && path.blGroup) {
            path.blSelected = flag;
        }
    }
}

}  // namespace core
