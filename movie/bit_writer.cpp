#include "movie/bit_writer.h"

#include "movie/movie_writer.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace movie {
namespace {

constexpr int64_t kFixedMax = (int64_t{1} << 30) - 1;  // largest value of a 31-bit signed field
constexpr int64_t kFixedMin = -(int64_t{1} << 30);

int64_t BitCount(const core::BitBuffer &buffer)
{
    return int64_t{buffer.BytePos} * 8 + buffer.BitPos;
}

// Moves the position to absolute bit end (> 0), keeping BitPos in 1..8.
void SetEnd(core::BitBuffer &buffer, int64_t end)
{
    buffer.BytePos = static_cast<int32_t>((end - 1) / 8);
    buffer.BitPos = static_cast<int32_t>(end - int64_t{buffer.BytePos} * 8);
}

// ORs the low count bits of bits into the buffer at the position (the bytes there are zero),
// byte by byte from the field's high bits on.
void PutBits(core::BitBuffer &buffer, uint64_t bits, int32_t count)
{
    const int64_t pos = BitCount(buffer);
    const int64_t end = pos + count;
    const int64_t last = (end - 1) / 8;
    if (last >= 0 && static_cast<size_t>(last) >= buffer.Bytes.size()) {
        GrowBitBuffer(buffer, static_cast<int32_t>(last));
    }
    if (bits != 0) {
        uint8_t *out = buffer.Bytes.data() + pos / 8;
        int32_t room = 8 - static_cast<int32_t>(pos % 8);  // free bits of the current byte
        for (int32_t remaining = count; remaining > 0; room = 8) {
            const int32_t take = std::min(room, remaining);
            remaining -= take;
            *out++ |= static_cast<uint8_t>((static_cast<uint32_t>(bits >> remaining) & ((1u << take) - 1)) << (room - take));
        }
    }
    SetEnd(buffer, end);
}

int64_t SaturateToBits(int64_t value, int32_t bits)
{
    int64_t hi = (int64_t{1} << (bits - 1)) - 1;
    return std::clamp(value, -hi - 1, hi);
}

Bytes WriteRect(int32_t nBits, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    core::BitBuffer buffer;
    InitBitBuffer(buffer);
    WriteBits(buffer, nBits, 5);
    for (int32_t value : {xMin, xMax, yMin, yMax}) {
        WriteBits(buffer, SaturateToBits(value, nBits), nBits);
    }
    return BufferBytes(buffer);
}

// A scale or rotate pair of MATRIX: a flag, the width in 5 bits and both 16.16 values. The
// width is that of the integer parts plus 16, the form every player expects.
void WriteFixedPair(core::BitBuffer &buffer, float first, float second)
{
    int64_t a = FixedValue(first);
    int64_t b = FixedValue(second);
    int32_t n = CountSignedBits({a >> 16, b >> 16}) + 16;
    WriteBits(buffer, 1, 1);
    WriteBits(buffer, n, 5);
    WriteBits(buffer, a, n);
    WriteBits(buffer, b, n);
}

// A character that is no hexadecimal digit counts as 0.
int HexDigit(char c)
{
    return std::max(platform::HexDigitValue(c), 0);
}

}  // namespace

void InitBitMasks()
{
    auto &masks = Writer().BitMask;
    for (size_t i = 0; i < masks.size(); ++i) {
        masks[i] = uint32_t{1} << i;
    }
}

void InitBitBuffer(core::BitBuffer &buffer)
{
    buffer.Bytes.assign(256, 0);
    buffer.BitPos = 0;
    buffer.BytePos = 0;
}

int32_t CountSignedBits(std::initializer_list<int64_t> values)
{
    int32_t widest = 1;
    for (int64_t value : values) {
        uint64_t magnitude = static_cast<uint64_t>(value < 0 ? ~value : value);
        int32_t width = magnitude == 0 ? 1 : 64 - std::countl_zero(magnitude) + 1;
        widest = std::max(widest, width);
    }
    return widest;
}

void WriteBits(core::BitBuffer &buffer, int64_t value, int32_t count)
{
    count = std::clamp(count, 1, 32);
    uint64_t mask = (uint64_t{1} << count) - 1;
    PutBits(buffer, static_cast<uint64_t>(value) & mask, count);
}

void MergeBits(core::BitBuffer &destination, const core::BitBuffer &source)
{
    int64_t bits = std::min<int64_t>(BitCount(source), int64_t{static_cast<int64_t>(source.Bytes.size())} * 8);
    if (bits <= 0) {
        return;
    }
    int64_t start = BitCount(destination);
    int64_t end = start + bits;
    GrowBitBuffer(destination, static_cast<int32_t>((end - 1) / 8) + 1);  // the shifted copy touches one more
    size_t sourceBytes = static_cast<size_t>((bits + 7) / 8);
    size_t first = static_cast<size_t>(start / 8);
    int32_t shift = static_cast<int32_t>(start % 8);
    uint8_t *out = destination.Bytes.data() + first;
    if (shift == 0) {
        std::memcpy(out, source.Bytes.data(), sourceBytes);
    } else {
        for (size_t i = 0; i < sourceBytes; ++i) {
            uint8_t byte = source.Bytes[i];
            out[i] |= static_cast<uint8_t>(byte >> shift);
            out[i + 1] = static_cast<uint8_t>(byte << (8 - shift));
        }
    }
    SetEnd(destination, end);
}

void AppendCachedBits(core::BitBuffer &destination, const core::BitBuffer &source, int32_t n)
{
    if (BitCount(source) <= 0 || source.Bytes.empty()) {
        return;
    }
    n = std::clamp(n, 1, 8);
    PutBits(destination, source.Bytes[0] & ((1u << n) - 1), n);
    int32_t rest = std::min<int32_t>(source.BytePos, static_cast<int32_t>(source.Bytes.size()) - 1);
    if (rest <= 0) {
        return;
    }
    GrowBitBuffer(destination, destination.BytePos + rest + 1);
    std::memcpy(destination.Bytes.data() + destination.BytePos + 1, source.Bytes.data() + 1,
                static_cast<size_t>(rest));
    destination.BytePos += rest;
    destination.BitPos = source.BytePos == rest ? source.BitPos : 8;
}

void GrowBitBuffer(core::BitBuffer &buffer, int32_t index)
{
    if (index >= 0 && static_cast<size_t>(index) >= buffer.Bytes.size()) {
        buffer.Bytes.resize(static_cast<size_t>(index) + 257, 0);
    }
}

void AlignToByte(core::BitBuffer &buffer)
{
    int64_t bits = BitCount(buffer);
    if (bits % 8 != 0) {
        WriteBits(buffer, 0, static_cast<int32_t>(8 - bits % 8));
    }
}

Bytes BufferBytes(const core::BitBuffer &buffer)
{
    int64_t bits = BitCount(buffer);
    if (bits <= 0) {
        return {};
    }
    size_t count = std::min(static_cast<size_t>((bits + 7) / 8), buffer.Bytes.size());
    return Bytes(buffer.Bytes.begin(), buffer.Bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

Bytes WriteRect16(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    return WriteRect(16, xMin, xMax, yMin, yMax);
}

Bytes WriteRect24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    return WriteRect(24, xMin, xMax, yMin, yMax);
}

Bytes WriteRectAtLeast24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    constexpr int32_t kWidestField = 31;  // NBits has 5 bits; wider values saturate
    const int32_t bits = std::clamp(CountSignedBits({xMin, xMax, yMin, yMax}), 24, kWidestField);
    return WriteRect(bits, xMin, xMax, yMin, yMax);
}

int64_t FixedValue(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    double fixed = std::floor(value * 65536.0);
    if (fixed >= static_cast<double>(kFixedMax)) {
        return kFixedMax;
    }
    if (fixed <= static_cast<double>(kFixedMin)) {
        return kFixedMin;
    }
    return static_cast<int64_t>(fixed);
}

Bytes WriteMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, int32_t translateX,
                  int32_t translateY)
{
    core::BitBuffer buffer;
    InitBitBuffer(buffer);
    if (scaleX != 1.0f || scaleY != 1.0f) {
        WriteFixedPair(buffer, scaleX, scaleY);
    } else {
        WriteBits(buffer, 0, 1);
    }
    if (rotateSkew0 != 0.0f || rotateSkew1 != 0.0f) {
        WriteFixedPair(buffer, rotateSkew0, rotateSkew1);
    } else {
        WriteBits(buffer, 0, 1);
    }
    int64_t tx = SaturateToBits(translateX, 31);
    int64_t ty = SaturateToBits(translateY, 31);
    int32_t n = CountSignedBits({tx, ty});
    WriteBits(buffer, n, 5);
    WriteBits(buffer, tx, n);
    WriteBits(buffer, ty, n);
    return BufferBytes(buffer);
}

Bytes WriteColorTransform(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                          int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd)
{
    int64_t terms[8] = {redMult, greenMult, blueMult, alphaMult, redAdd, greenAdd, blueAdd, alphaAdd};
    int32_t n = 1;
    for (int64_t &term : terms) {
        term = SaturateToBits(term, 15);
        n = std::max(n, CountSignedBits({term}));
    }
    core::BitBuffer buffer;
    InitBitBuffer(buffer);
    WriteBits(buffer, 3, 2);  // HasAddTerms, HasMultTerms
    WriteBits(buffer, n, 4);
    for (int64_t term : terms) {
        WriteBits(buffer, term, n);
    }
    return BufferBytes(buffer);
}

void LongToBytes(int64_t value, uint8_t *destination)
{
    for (int k = 0; k < 4; ++k) {
        destination[k] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * k));
    }
}

void WordToBytes(int64_t value, uint8_t *destination)
{
    destination[0] = static_cast<uint8_t>(static_cast<uint64_t>(value));
    destination[1] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> 8);
}

void AppendLong(Bytes &bytes, int64_t value)
{
    bytes.resize(bytes.size() + 4);
    LongToBytes(value, bytes.data() + bytes.size() - 4);
}

void AppendWord(Bytes &bytes, int64_t value)
{
    bytes.resize(bytes.size() + 2);
    WordToBytes(value, bytes.data() + bytes.size() - 2);
}

int32_t ExtendBuffer(int32_t n)
{
    auto &buffer = Writer().TagBuffer;
    size_t first = buffer.size();
    buffer.resize(first + static_cast<size_t>(std::max(n, 0)), 0);
    return static_cast<int32_t>(first);
}

void CopyToBuffer(int32_t position, const uint8_t *source, int32_t n)
{
    auto &buffer = Writer().TagBuffer;
    if (position < 0 || n <= 0 || static_cast<size_t>(position) + static_cast<size_t>(n) > buffer.size()) {
        return;
    }
    std::memcpy(buffer.data() + position, source, static_cast<size_t>(n));
}

void AppendHex(std::string_view hex)
{
    int32_t first = ExtendBuffer(static_cast<int32_t>(hex.size() / 2));
    auto &buffer = Writer().TagBuffer;
    for (size_t j = 0; j + 1 < hex.size(); j += 2) {
        buffer[static_cast<size_t>(first) + j / 2] = static_cast<uint8_t>(HexDigit(hex[j]) * 16 + HexDigit(hex[j + 1]));
    }
}

void AppendToBuffer(const Bytes &bytes)
{
    auto &buffer = Writer().TagBuffer;
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
}

void ClearDepthTable()
{
    Writer().DepthTable.fill(0);
}

}  // namespace movie
