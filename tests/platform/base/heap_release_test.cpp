#include "platform/base/heap_release.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

#ifdef __GLIBC__
// Bytes the heaps have from the system: their arenas and the blocks mapped on their own.
size_t HeldFromSystem()
{
    const struct mallinfo2 info = mallinfo2();
    return info.arena + info.hblkhd;
}
#endif

}  // namespace

// Large blocks a worker thread frees, each smaller than the one before (the pattern after which
// the library, left alone, keeps the freed room), go back to the system: the heaps hold no more
// than the room a heap keeps at its top.
TEST(HeapRelease, LargeBlocksFreedOnAWorkerGoBackToTheSystem)
{
#ifdef __GLIBC__
    platform::LimitRetainedFreeMemory();
    const size_t before = HeldFromSystem();
    std::thread worker([] {
        for (size_t megabytes = 12; megabytes >= 1; --megabytes) {
            std::unique_ptr<char[]> block(new char[megabytes << 20]);
            *static_cast<volatile char *>(block.get()) = 1;
        }
    });
    worker.join();
    EXPECT_LE(HeldFromSystem(), before + platform::kTopKeptBytes + platform::kOwnMappingBytes);
#else
    GTEST_SKIP() << "the thresholds are the GNU C library's";
#endif
}
