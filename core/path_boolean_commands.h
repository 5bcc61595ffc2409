// Commands that apply the path boolean operations to the document: the path operation menu
// items, painting and erasing with the brush tool, and keeping only what lies inside a
// rectangle. None of them records an undo step or redraws; their callers do.
#pragma once

#include "core/path_record.h"

#include <cstdint>

namespace core {

// Lifts path `index` out of the document together with every other member of its active
// compound, in document order. An index outside the document takes nothing.
PathCollection TakeCompound(int32_t index);

// The smallest compound id from 1 up that neither a document path nor a path of `results` has.
int32_t NextFragmentCompoundId(const PathCollection &results);

// Path operation by code (FragmentOperation): the key compound (the front-most selected path's
// for code 3, else the back-most's) is combined with every other selected compound; the results
// take the key path's place. Does nothing unless two selected compounds exist.
void ApplyFragment(int32_t code);

// Cuts the brush path, moved by (dx, dy), out of every visible, unlocked path; deselects all.
void EraseWithPath(const PathRecord &brush, int32_t dx, int32_t dy);

enum StampMode : int32_t {
    kStampDown = 0,  // starts a stroke with one print of the brush
    kStampMove = 1,  // merges the next print into the stroke (the front-most compound)
    kStampUp = 2,    // optimises the stroke and makes its pieces one group and one compound
};

// One step of painting with the brush path moved by (dx, dy).
void StampPath(const PathRecord &brush, int32_t dx, int32_t dy, int32_t mode);

// Keeps only the parts of the paths that lie inside the rectangle (twips); the results are
// selected and sit at the end of the document.
void ClipOutSelection(int32_t left, int32_t top, int32_t right, int32_t bottom);

}  // namespace core
