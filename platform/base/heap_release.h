// How the heap gives freed memory back to the system over a long session.
#pragma once

#include <cstddef>

namespace platform {

// Makes the heap give freed memory back steadily. Left alone, the C library raises its
// thresholds each time a large block is freed (up to 32 MB for blocks mapped on their own, 64 MB
// of free room kept at the top of a heap), so that after a session of large edits each worker
// thread's heap keeps tens of megabytes nobody uses. Called once at start-up, before any thread
// starts.
void LimitRetainedFreeMemory();

// What LimitRetainedFreeMemory sets: blocks of kOwnMappingBytes and more are mapped on their own
// and unmapped when freed; free room past kTopKeptBytes at the top of a heap goes back when a
// block next to it is freed.
constexpr size_t kOwnMappingBytes = size_t{1} << 20;
constexpr size_t kTopKeptBytes = size_t{4} << 20;

}  // namespace platform
