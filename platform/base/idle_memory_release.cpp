#include "platform/base/idle_memory_release.h"

#include <utility>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

IdleMemoryRelease::IdleMemoryRelease(std::function<bool()> busy, int idleMs) : busy_(std::move(busy))
{
    timer_.setSingleShot(true);
    timer_.setInterval(idleMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Release(); });
}

void IdleMemoryRelease::Restart()
{
    timer_.start();
}

void IdleMemoryRelease::ReleaseIfPending()
{
    if (timer_.isActive()) {
        timer_.stop();
        Release();
    }
}

void IdleMemoryRelease::Release()
{
    if (busy_ && busy_()) {
        timer_.start();  // after the work, once idle again
        return;
    }
    if (letGo_) {
        letGo_();
    }
    ReleaseFreedHeapMemory();
    ++releases_;
}

void ReleaseFreedHeapMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void MapLargeBlocksApart()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBlockBytes));
    // Setting the bound also stops the allocator from raising the size at which it trims its
    // heaps as it would. The idle release gives back the room freed at the top of the main heap
    // only, not at the tops of the heaps the worker threads allocate from: room kept there would
    // stay resident for good, so each heap keeps at most kKeptHeapTop.
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kKeptHeapTop));
#endif
}

}  // namespace platform
