// A cached shape tag written again in place. Where a few units of a movie's cached shape changed,
// only they are written (with the units after them up to the first whose head falls at the bit
// alignment it had), and the bytes between are moved instead of being encoded and copied again.
// The tag is byte for byte the one DefineShape writes for the same paths.
#pragma once

#include "core/path_record.h"
#include "movie/shape_encoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace movie {

// Makes the cached shape tag at tagStart in movie, laid out as layout, the tag of id for units
// (listed from paths), and updates layout to match (the units' keys copied into it where they
// changed). False, with movie, units and layout unchanged, when the layout does not describe the
// tag there or so many units changed that writing the whole tag costs no more.
bool SpliceShapeTag(std::string &movie, size_t tagStart, int32_t id, const core::PathArray &paths,
                    const ShapeUnits &units, ShapeLayout &layout);

}  // namespace movie
