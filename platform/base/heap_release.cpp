#include "platform/base/heap_release.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void LimitRetainedFreeMemory()
{
#ifdef __GLIBC__
    // Either threshold set fixes both: the library stops adjusting them by itself.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kOwnMappingBytes));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kTopKeptBytes));
#endif
}

}  // namespace platform
