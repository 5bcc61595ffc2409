// The bit-packed byte buffer the movie writer assembles SWF structures in; its encoded units are
// kept in one. The writing operations live in movie/bit_writer.h.
#pragma once

#include <cstdint>
#include <vector>

namespace core {

struct BitBuffer {
    std::vector<uint8_t> Bytes;  // bytes ahead of the position are always zero
    int32_t BitPos = 0;          // bits already used in Bytes[BytePos], 0..8 (8 = full)
    int32_t BytePos = 0;         // index of the current byte

    bool operator==(const BitBuffer &) const = default;
};

}  // namespace core
