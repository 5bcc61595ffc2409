// Groups (paths that select together) and compound paths (closed paths drawn as one shape).
// Members keep their id when a group or compound is released, so it can be made again.
#pragma once

#include "core/path_record.h"

#include <cstdint>
#include <vector>

namespace core {

// The ids the document's paths hold in one field (GroupID or CompoundID), taken once, so that
// many free ids can be found without scanning the document for each.
class UsedIds {
public:
    explicit UsedIds(int32_t PathRecord::*idField);
    // The smallest id >= start that no path holds.
    int32_t NextFree(int32_t start) const;

private:
    std::vector<int32_t> sorted_;
};

// The smallest id >= start that no path of the document uses as its GroupID.
int32_t NextFreeGroupId(int32_t start);
// The smallest id >= start that no path of the document uses as its CompoundID.
int32_t NextFreeCompoundId(int32_t start);

// true: the selected paths form a new group; false: the selected paths leave their groups.
void MakeGroup(bool flag);
// Re-activates the group of path i and makes its members the only selected paths.
void GroupAgain(int32_t i);
// true: the selected paths form a new compound (i unused); false: releases the compound of path i.
void MakeCompound(bool flag, int32_t i);
// Re-activates the compound of path i; the selection is kept.
void CompoundAgain(int32_t i);
// Sets the selection flag of path i, or of every member of its active group.
void SelectPathOrGroup(int32_t i, bool flag);

// Whether path i (1 .. upper bound of paths) is a member of an active compound path that an
// earlier member leads: the compound's shape is drawn with its first member.
bool FollowsInCompound(const PathArray &paths, int32_t i);

}  // namespace core
