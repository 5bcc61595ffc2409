// How much memory this program can hold at most, for readers that bound what they build.
#pragma once

#include <cstdint>

namespace platform {

// The smaller of the machine's physical memory and the address-space and data limits the program
// runs under (bytes).
int64_t MemoryThatCanBeHeld();

}  // namespace platform
