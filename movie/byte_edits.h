// Edits of a byte string in place: ranges replaced by new bytes of any length, the bytes between
// them moved once to where they belong. A movie edited where a few of its parts changed costs the
// parts and one move of what follows them, not a copy of the whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace movie {

// Replaces Length bytes at At with PieceLength bytes of the pieces at PieceAt.
struct ByteEdit {
    size_t At = 0;
    size_t Length = 0;
    size_t PieceAt = 0;
    size_t PieceLength = 0;
};

// Applies edits, in order of At and not overlapping, to bytes. False (bytes unchanged) when an
// edit lies outside bytes or its piece outside pieces, or the edits overlap.
bool ApplyByteEdits(std::string &bytes, const std::vector<ByteEdit> &edits, const std::vector<uint8_t> &pieces);

}  // namespace movie
