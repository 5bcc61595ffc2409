// Work over a range of items cut into contiguous parts that run on several threads at once.
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// How many parts RunInParts cuts count items into: one per core (at most eight), each part holding
// at least minPerPart items; 1 when the range is too small to pay for threads.
size_t PartCount(size_t count, size_t minPerPart);

// Runs work(part, begin, end) for each part of [0, count) (PartCount parts, in order of begin), the
// first on the calling thread, and returns when all are done. Returns the number of parts.
size_t RunInParts(size_t count, size_t minPerPart, const std::function<void(size_t, size_t, size_t)> &work);

}  // namespace platform
