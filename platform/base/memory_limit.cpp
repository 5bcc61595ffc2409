#include "platform/base/memory_limit.h"

#include <algorithm>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {
namespace {

// Below this a block comes from the allocator's heap, which Qt's small allocations share.
constexpr size_t kLeastBytesAsked = 256 * 1024;

int64_t SoftLimit(int resource)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return INT64_MAX;
    }
    return static_cast<int64_t>(std::min<rlim_t>(limit.rlim_cur, INT64_MAX));
}

}  // namespace

int64_t MemoryThatCanBeHeld()
{
    int64_t physical = INT64_MAX;
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        physical = static_cast<int64_t>(pages) * pageSize;
    }
    return std::min({physical, SoftLimit(RLIMIT_AS), SoftLimit(RLIMIT_DATA)});
}

void CheckRoomFor(size_t bytes)
{
    if (bytes >= kLeastBytesAsked) {
        ::operator delete(::operator new(bytes));
    }
}

}  // namespace platform
