#include "platform/swf/bit_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace platform::swf {
namespace {

constexpr int64_t kFixedMax = (int64_t{1} << 30) - 1;  // largest value of a 31-bit signed field
constexpr int64_t kFixedMin = -(int64_t{1} << 30);

int64_t BitCount(const BitBuffer &buffer)
{
    return int64_t{buffer.BytePos} * 8 + buffer.BitPos;
}

// Moves the position to absolute bit end (> 0), keeping BitPos in 1..8.
void SetEnd(BitBuffer &buffer, int64_t end)
{
    buffer.BytePos = static_cast<int32_t>((end - 1) / 8);
    buffer.BitPos = static_cast<int32_t>(end - int64_t{buffer.BytePos} * 8);
}

// ORs the low count bits of bits into the buffer at the position (the bytes there are zero),
// byte by byte from the field's high bits on.
void PutBits(BitBuffer &buffer, uint64_t bits, int32_t count)
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

}  // namespace

void InitBitBuffer(BitBuffer &buffer)
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

int64_t SaturateToBits(int64_t value, int32_t bits)
{
    int64_t hi = (int64_t{1} << (bits - 1)) - 1;
    return std::clamp(value, -hi - 1, hi);
}

void WriteBits(BitBuffer &buffer, int64_t value, int32_t count)
{
    count = std::clamp(count, 1, 32);
    uint64_t mask = (uint64_t{1} << count) - 1;
    PutBits(buffer, static_cast<uint64_t>(value) & mask, count);
}

void MergeBits(BitBuffer &destination, const BitBuffer &source)
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

void AppendCachedBits(BitBuffer &destination, const BitBuffer &source, int32_t n)
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

void GrowBitBuffer(BitBuffer &buffer, int32_t index)
{
    if (index >= 0 && static_cast<size_t>(index) >= buffer.Bytes.size()) {
        buffer.Bytes.resize(static_cast<size_t>(index) + 257, 0);
    }
}

void AlignToByte(BitBuffer &buffer)
{
    int64_t bits = BitCount(buffer);
    if (bits % 8 != 0) {
        WriteBits(buffer, 0, static_cast<int32_t>(8 - bits % 8));
    }
}

Bytes BufferBytes(const BitBuffer &buffer)
{
    int64_t bits = BitCount(buffer);
    if (bits <= 0) {
        return {};
    }
    size_t count = std::min(static_cast<size_t>((bits + 7) / 8), buffer.Bytes.size());
    return Bytes(buffer.Bytes.begin(), buffer.Bytes.begin() + static_cast<std::ptrdiff_t>(count));
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

}  // namespace platform::swf
