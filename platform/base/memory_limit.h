// How much memory this program can hold at most, for readers that bound what they build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The smaller of the machine's physical memory and the address-space and data limits the program
// runs under (bytes).
int64_t MemoryThatCanBeHeld();

// Qt does not report every allocation it cannot make: some go on with a null pointer and end the
// program. Before asking Qt for a large block, ask here for its bytes: throws std::bad_alloc
// when the memory left cannot hold them, and gives them back otherwise. Small sizes pass unasked.
void CheckRoomFor(size_t bytes);

}  // namespace platform
