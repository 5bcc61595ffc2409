// Gives the heap's freed memory back to the system once the program has been idle for a while.
// Edits free large amounts in every heap the threads use; the allocator keeps it resident for the
// next allocation. Giving it back after each edit would make the next one fault its pages in
// afresh and wait for the heaps' locks; after an idle pause it costs the next edit little.
#pragma once

#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

class IdleMemoryRelease {
public:
    static constexpr int kIdleMs = 3000;

    // busy tells whether work is still running that the release would slow (it then waits again).
    explicit IdleMemoryRelease(std::function<bool()> busy, int idleMs = kIdleMs);

    // Called at each release before the heaps give memory back, to let go of room kept for later.
    void BeforeRelease(std::function<void()> letGo) { letGo_ = std::move(letGo); }
    // Something happened: the release waits until the program has been idle for the delay again.
    void Restart();
    // Whether a release waits for its delay.
    bool Pending() const { return timer_.isActive(); }
    // Releases now what a waiting release would (nothing when none waits or work is running).
    void ReleaseIfPending();
    // Releases made so far.
    uint64_t Releases() const { return releases_; }

private:
    void Release();

    std::function<bool()> busy_;
    std::function<void()> letGo_;
    QTimer timer_;
    uint64_t releases_ = 0;
};

// Gives the freed memory of every heap back to the system (where the allocator can).
void ReleaseFreedHeapMemory();

// Blocks of this size and more are mapped apart from the heaps.
constexpr size_t kLargeBlockBytes = size_t{16} << 20;
// Freed room a heap keeps at its top for the next blocks.
constexpr size_t kKeptHeapTop = size_t{1} << 20;
// Makes the allocator map every block of kLargeBlockBytes or more apart and give it back to the
// system when freed. By default it raises that bound to the size of each large block freed (up
// to 32 MB) and serves such blocks from its heaps afterwards, where the small blocks allocated
// after one scatter over its room and keep it resident. Freed room at the top of a heap is kept
// up to kKeptHeapTop. Called once at start-up.
void MapLargeBlocksApart();

}  // namespace platform
