#include "movie/audio_file.h"

#include <algorithm>
#include <limits>

namespace movie {
namespace {

// Layer III bit rates in kbit/s by the header's bit-rate index, three digits each.
constexpr std::string_view kMpeg1BitRates = "000032040048056064080096112128160192224256320000";
constexpr std::string_view kMpeg2BitRates = "000008016024032040048056064080096112128144160000";
// Sample rates in Hz, five digits each, three per version bits value 0..3 (1 is reserved).
constexpr std::string_view kSampleRates = "110251200008000               220502400016000441004800032000";

// The number in the fixed-width field of a digit table; blanks read as 0.
int32_t TableField(std::string_view table, size_t index, size_t width)
{
    int32_t value = 0;
    if ((index + 1) * width > table.size()) {
        return 0;
    }
    for (char c : table.substr(index * width, width)) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t ReadU16(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8;
}

bool StartsWith(std::span<const uint8_t> bytes, size_t at, std::string_view magic)
{
    if (bytes.size() < at + magic.size()) {
        return false;
    }
    for (size_t i = 0; i < magic.size(); ++i) {
        if (bytes[at + i] != static_cast<uint8_t>(magic[i])) {
            return false;
        }
    }
    return true;
}

bool IsFrameSync(const Bytes &bytes, size_t at)
{
    return at + 1 < bytes.size() && bytes[at] == 0xFF && bytes[at + 1] > 0xDF;
}

}  // namespace

bool GetSoundInfo(std::span<const uint8_t> bytes, int32_t &kind, int32_t &bitRate, int32_t &sampleRate,
                  int32_t &stereo)
{
    if (StartsWith(bytes, 0, "MMMD")) {
        kind = kSoundSmaf;
        return true;
    }
    if (StartsWith(bytes, 0, "melo")) {
        kind = kSoundMelo;
        return true;
    }
    if (StartsWith(bytes, 0, "MThd")) {
        kind = kSoundMidi;
        return true;
    }
    if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WAVE")) {
        kind = kSoundWave;
        Bytes copy(bytes.begin(), bytes.end());
        return ReadWavFormat(copy, bitRate, sampleRate, stereo);
    }
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] <= 0xDF) {
        return false;
    }
    int32_t version = (bytes[1] >> 3) & 3;
    if (version == 1 || (bytes[1] & 6) != 2) {
        return false;  // reserved version, or not Layer III
    }
    kind = version;
    std::string_view bitRates = version == 3 ? kMpeg1BitRates : kMpeg2BitRates;
    bitRate = TableField(bitRates, bytes[2] >> 4, 3) * 1000;
    // Index 3 is reserved; read from the table it would take the next version's first rate.
    int32_t rateIndex = (bytes[2] >> 2) & 3;
    sampleRate = rateIndex == 3 ? 0 : TableField(kSampleRates, static_cast<size_t>(version * 3 + rateIndex), 5);
    stereo = bytes[3] < 192 ? 1 : 0;
    return bitRate != 0 && sampleRate != 0;
}

bool ReadWavFormat(Bytes &bytes, int32_t &bits, int32_t &sampleRate, int32_t &channelsMinusOne)
{
    Bytes format = bytes;
    if (!FindRiffChunk(format, "fmt ") || format.size() < 16 || ReadU16(format, 0) != 1) {
        return false;
    }
    channelsMinusOne = static_cast<int32_t>(format[2]) - 1;
    sampleRate = static_cast<int32_t>(std::min<uint32_t>(ReadU32(format, 4), std::numeric_limits<int32_t>::max()));
    bits = static_cast<int32_t>(ReadU16(format, 14));
    if (bits != 8 && bits != 16) {
        return false;
    }
    return FindRiffChunk(bytes, "data");
}

bool FindRiffChunk(Bytes &bytes, std::string_view chunkId)
{
    size_t offset = 12;
    while (offset + 8 <= bytes.size()) {
        uint32_t size = ReadU32(bytes, offset + 4);
        if (size >= 0x80000000u || size > bytes.size() - offset - 8) {
            return false;
        }
        if (StartsWith(bytes, offset, chunkId)) {
            Bytes data(bytes.begin() + static_cast<std::ptrdiff_t>(offset + 8),
                       bytes.begin() + static_cast<std::ptrdiff_t>(offset + 8 + size));
            bytes = std::move(data);
            return true;
        }
        offset += size + 8;
    }
    return false;
}

bool GetNextMp3Frame(const Bytes &bytes, int32_t &position, int32_t frameLength, Bytes &frame)
{
    if (position < 0 || frameLength <= 0 || bytes.size() < 4 || static_cast<size_t>(position) > bytes.size() - 4) {
        return false;
    }
    size_t start = static_cast<size_t>(position);
    size_t length = static_cast<size_t>(frameLength) + ((bytes[start + 2] >> 1) & 1);
    if (length > bytes.size() - start) {
        return false;
    }
    frame.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                 bytes.begin() + static_cast<std::ptrdiff_t>(start + length));
    size_t next = start + length;
    while (next < bytes.size() && !IsFrameSync(bytes, next)) {
        ++next;
    }
    position = static_cast<int32_t>(std::min<size_t>(next, std::numeric_limits<int32_t>::max()));
    return true;
}

}  // namespace movie
