// The lowest layer of the movie writer: the tag buffer every tag writer appends to, and the
// writer's forms of the fixed structures (RECT, MATRIX, CXFORMWITHALPHA) from its own values.
// Bits and records are written through the format layer (platform/swf).
#pragma once

#include "platform/swf/basic_records.h"
#include "platform/swf/bit_writer.h"
#include "platform/swf/tag_codes.h"

#include <cstdint>
#include <string_view>

namespace movie {

using platform::swf::AlignToByte;
using platform::swf::AppendCachedBits;
using platform::swf::AppendLong;
using platform::swf::AppendWord;
using platform::swf::BitBuffer;
using platform::swf::BufferBytes;
using platform::swf::Bytes;
using platform::swf::CountSignedBits;
using platform::swf::FixedValue;
using platform::swf::GrowBitBuffer;
using platform::swf::InitBitBuffer;
using platform::swf::LongToBytes;
using platform::swf::MergeBits;
using platform::swf::WordToBytes;
using platform::swf::WriteBits;
using TagCode = platform::swf::TagCode;

// Fills the writer's power-of-two table (entry i = 2^i, entry 31 the sign bit).
void InitBitMasks();

// RECT with fixed 16-bit (9 bytes) or 24-bit (13 bytes) fields; values beyond the field
// saturate to its range.
Bytes WriteRect16(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
Bytes WriteRect24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);
// A RECT with 24-bit fields, wider when a value needs more.
Bytes WriteRectAtLeast24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax);

// The MATRIX of scale and rotate terms (16.16 fixed values of them; a pair is left out when it is
// the identity's) and a translation.
platform::swf::MatrixRecord MatrixOf(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1,
                                     int32_t translateX, int32_t translateY);
// MATRIX with minimal field widths.
Bytes WriteMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, int32_t translateX,
                  int32_t translateY);

// CXFORMWITHALPHA with both term sets; multipliers 256 = 1.0. Terms saturate to 15 bits.
platform::swf::CxformRecord CxformOf(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                                     int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd);
Bytes WriteColorTransform(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                          int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd);

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
