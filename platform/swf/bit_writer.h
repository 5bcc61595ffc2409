// MSB-first bit packing into a byte buffer, the counterpart of BitReader: the buffer every
// structure of a movie is assembled in, and the little-endian integers of tag bodies.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace platform::swf {

using Bytes = std::vector<uint8_t>;

struct BitBuffer {
    std::vector<uint8_t> Bytes;  // bytes ahead of the position are always zero
    int32_t BitPos = 0;      // bits already used in Bytes[BytePos], 0..8 (8 = full)
    int32_t BytePos = 0;     // index of the current byte

    bool operator==(const BitBuffer &) const = default;
};

// Empties a buffer: 256 zero bytes, position 0.
void InitBitBuffer(BitBuffer &buffer);

// The smallest two's-complement width (1..64) that holds every value: 0 and -1 need 1,
// 1 and -2 need 2. At least 1 for an empty list.
int32_t CountSignedBits(std::initializer_list<int64_t> values);

// value held to the range of a signed field of bits (1..63) bits.
int64_t SaturateToBits(int64_t value, int32_t bits);

// Appends the low count bits (1..32) of value, most significant first. A zero value only
// moves the position (the bytes ahead of the position are always zero).
void WriteBits(BitBuffer &buffer, int64_t value, int32_t count);

// Appends the meaningful bits of source (bytes 0..BytePos, the last one holding BitPos bits).
void MergeBits(BitBuffer &destination, const BitBuffer &source);

// Appends a kept unit of records: the low n bits of its first byte at the position, then its
// remaining bytes from the next byte boundary. The 0..7 zero bits this leaves in between fall
// on zero-valued fields and padding of the unit, so it stays valid at every alignment.
void AppendCachedBits(BitBuffer &destination, const BitBuffer &source, int32_t n);

// Makes Bytes hold index, growing by 256 bytes beyond it.
void GrowBitBuffer(BitBuffer &buffer, int32_t index);

// Pads the buffer with zero bits up to the next byte boundary.
void AlignToByte(BitBuffer &buffer);

// The meaningful bytes of a buffer (0..BytePos; none when nothing was written).
Bytes BufferBytes(const BitBuffer &buffer);

// 16.16 fixed-point value floor(v x 65536), computed in double, saturated to 31 bits.
int64_t FixedValue(double value);

// Little-endian integers: four (two) bytes of value at destination, two's complement.
void LongToBytes(int64_t value, uint8_t *destination);
void WordToBytes(int64_t value, uint8_t *destination);
void AppendLong(Bytes &bytes, int64_t value);
void AppendWord(Bytes &bytes, int64_t value);

}  // namespace platform::swf
