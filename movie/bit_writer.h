// The lowest layer of the movie writer: MSB-first bit packing into core::BitBuffer, the fixed
// SWF structures built from it (RECT, MATRIX, CXFORMWITHALPHA), little-endian byte helpers and
// the tag buffer every tag writer appends to.
#pragma once

#include "core/bit_buffer.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace movie {

using Bytes = std::vector<uint8_t>;

// Fills the writer's power-of-two table (entry i = 2^i, entry 31 the sign bit).
void InitBitMasks();

// Empties a buffer: 256 zero bytes, position 0.
void InitBitBuffer(core::BitBuffer &buffer);

// The smallest two's-complement width (1..64) that holds every value: 0 and -1 need 1,
// 1 and -2 need 2. At least 1 for an empty list.
int32_t CountSignedBits(std::initializer_list<int64_t> values);

// Appends the low count bits (1..32) of value, most significant first. A zero value only
// moves the position (the bytes ahead of the position are always zero).
void WriteBits(core::BitBuffer &buffer, int64_t value, int32_t count);

// Appends the meaningful bits of source (bytes 0..BytePos, the last one holding BitPos bits).
void MergeBits(core::BitBuffer &destination, const core::BitBuffer &source);

// Appends a cached shape unit: the low n bits of its first byte at the position, then its
// remaining bytes from the next byte boundary. The 0..7 zero bits this leaves in between fall
// on zero-valued fields and padding of the unit, so it stays valid at every alignment.
void AppendCachedBits(core::BitBuffer &destination, const core::BitBuffer &source, int32_t n);

// Makes Bytes hold index, growing by 256 bytes beyond it.
void GrowBitBuffer(core::BitBuffer &buffer, int32_t index);

// Pads the buffer with zero bits up to the next byte boundary.
void AlignToByte(core::BitBuffer &buffer);

// The meaningful bytes of a buffer (0..BytePos; none when nothing was written).
Bytes BufferBytes(const core::BitBuffer &buffer);

// RECT with fixed 16-bit (9 bytes) or 24-bit (13 bytes) fields; values beyond the field
// saturate to its range.
Bytes WriteRect16(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
Bytes WriteRect24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
// A RECT with 24-bit fields, wider when a value needs more.
Bytes WriteRectAtLeast24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);

// 16.16 fixed-point value floor(v x 65536), computed in double, saturated to 31 bits.
int64_t FixedValue(double value);

// MATRIX with minimal field widths; the scale and rotate terms as 16.16 fixed values.
Bytes WriteMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, int32_t translateX,
                  int32_t translateY);

// CXFORMWITHALPHA with both term sets; multipliers 256 = 1.0. Terms saturate to 15 bits.
Bytes WriteColorTransform(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                          int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd);

// Little-endian integers: four (two) bytes of value at destination, two's complement.
void LongToBytes(int64_t value, uint8_t *destination);
void WordToBytes(int64_t value, uint8_t *destination);
void AppendLong(Bytes &bytes, int64_t value);
void AppendWord(Bytes &bytes, int64_t value);

// Tag buffer: grows it by n zero bytes and returns the index of the first new one.
int32_t ExtendBuffer(int32_t n);
// Copies n bytes of source into the tag buffer at position (which must lie inside it).
void CopyToBuffer(int32_t position, const uint8_t *source, int32_t n);
// Appends one byte per pair of hexadecimal digits ("3F08" appends 0x3F, 0x08).
void AppendHex(std::string_view hex);
// Appends bytes at the end of the tag buffer.
void AppendToBuffer(const Bytes &bytes);

// Every layer of the depth table becomes free.
void ClearDepthTable();

}  // namespace movie
