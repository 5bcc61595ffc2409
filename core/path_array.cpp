#include "core/path_array.h"

#include <atomic>

namespace core {

PathMark NewPathMarks(size_t count)
{
    // Mark 0 is never given: it stands for "no mark" where marks are kept. Each thread takes
    // marks from a run of its own, drawn from the shared count a thousand at a time.
    static std::atomic<PathMark> next{1};
    constexpr size_t kRun = 1024;
    thread_local PathMark runNext = 0;
    thread_local PathMark runEnd = 0;
    if (count > runEnd - runNext) {
        if (count >= kRun) {
            return next.fetch_add(count, std::memory_order_relaxed);
        }
        runNext = next.fetch_add(kRun, std::memory_order_relaxed);
        runEnd = runNext + kRun;
    }
    const PathMark first = runNext;
    runNext += count;
    return first;
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
