#include "core/path_array.h"

#include <atomic>

namespace core {

PathMark NewPathMarks(size_t count)
{
    // Mark 0 is never given: it stands for "no mark" where marks are kept.
    static std::atomic<PathMark> next{1};
    return next.fetch_add(count, std::memory_order_relaxed);
}

void PathArray::MarkNew(size_t first, size_t last)
{
    if (first >= last) {
        return;
    }
    PathMark mark = NewPathMarks(last - first);
    for (size_t i = first; i < last; ++i) {
        marks_[i] = mark++;
    }
}

}  // namespace core
