// Reading a file's path blocks on several threads. The text is cut where a block's field line
// starts; each part is read by a reader of its own from there. The parts are taken only when each
// one ended exactly where the next began, so that together they read what one reader going
// through the whole text would: any other outcome (a damaged block, a cut that was no block's
// start, too few blocks) leaves the reading to that one reader, with its messages.
#pragma once

#include "core/drawing_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace core {

// Bytes of path blocks below which a part is not worth a thread of its own.
inline constexpr size_t kPathBlockBytesPerPart = size_t{1} << 20;

// Reads count path blocks of the version from the reader's position into paths 1 .. count on
// several threads and moves the reader past them: true when it did. False, with the reader and
// paths untouched, when the blocks must be read in sequence. bytesPerPart (at least 1) sets how
// small a part may be.
bool ReadPathBlocksInParts(FieldReader &file, std::string_view version, int32_t count, PathArray &paths,
                           size_t bytesPerPart = kPathBlockBytesPerPart);

}  // namespace core
