// Bounds-checked reader of the little-endian integers and MSB-first bit fields of a movie file.
// Reading past the end yields zeros and marks the reader as overrun; parsers check Overrun() and
// stop, so no byte outside the data is ever touched.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform::swf {

class BitReader {
public:
    explicit BitReader(std::string_view data) : data_(data) {}

    bool Overrun() const { return overrun_; }
    bool AtEnd() const { return bytePos_ >= data_.size(); }
    size_t BytePos() const { return bytePos_; }
    // The position in bits from the start of the data.
    size_t BitPos() const { return bytePos_ * 8 + static_cast<size_t>(bitPos_); }
    std::string_view Data() const { return data_; }
    size_t RemainingBytes() const { return bytePos_ < data_.size() ? data_.size() - bytePos_ : 0; }

    // Moves to the next byte boundary (nothing when already there).
    void Align()
    {
        if (bitPos_ != 0) {
            bitPos_ = 0;
            ++bytePos_;
        }
    }

    // Unsigned field of count bits (at most 32): from one 8-byte load where 8 bytes remain, else
    // a byte's worth at a time.
    uint32_t UB(int count)
    {
        uint64_t value = 0;
        count = count > 32 ? 32 : count;
        if (count > 0 && data_.size() >= 8 && bytePos_ <= data_.size() - 8) {
            uint64_t word;
            std::memcpy(&word, data_.data() + bytePos_, sizeof word);
            if constexpr (std::endian::native == std::endian::little) {
                word = __builtin_bswap64(word);
            }
            value = (word << bitPos_) >> (64 - count);
            const int end = bitPos_ + count;
            bytePos_ += static_cast<size_t>(end / 8);
            bitPos_ = end % 8;
            return static_cast<uint32_t>(value);
        }
        while (count > 0) {
            if (bytePos_ >= data_.size()) {
                overrun_ = true;
                value <<= count;
                break;
            }
            int available = 8 - bitPos_;
            int take = count < available ? count : available;
            uint32_t byte = static_cast<uint8_t>(data_[bytePos_]);
            value = (value << take) | ((byte >> (available - take)) & ((1u << take) - 1));
            count -= take;
            bitPos_ += take;
            if (bitPos_ == 8) {
                bitPos_ = 0;
                ++bytePos_;
            }
        }
        return static_cast<uint32_t>(value);
    }

    // Signed field: two's complement in count bits (count 0 reads nothing and gives 0).
    int32_t SB(int count)
    {
        if (count <= 0) {
            return 0;
        }
        uint32_t raw = UB(count);
        if (count < 32 && (raw & (1u << (count - 1))) != 0) {
            raw |= ~((1u << count) - 1);
        }
        return static_cast<int32_t>(raw);
    }

    // 16.16 fixed-point field.
    double FB(int count) { return SB(count) / 65536.0; }

    uint8_t U8()
    {
        Align();
        if (bytePos_ >= data_.size()) {
            overrun_ = true;
            return 0;
        }
        return static_cast<uint8_t>(data_[bytePos_++]);
    }

    uint16_t U16()
    {
        uint16_t low = U8();
        return static_cast<uint16_t>(low | (U8() << 8));
    }

    uint32_t U32()
    {
        uint32_t low = U16();
        return low | (static_cast<uint32_t>(U16()) << 16);
    }

    // The next count bytes (fewer at the end of the data, which marks the reader overrun).
    std::string_view Bytes(size_t count)
    {
        Align();
        size_t available = RemainingBytes();
        if (count > available) {
            overrun_ = true;
            count = available;
        }
        std::string_view result = data_.substr(bytePos_, count);
        bytePos_ += count;
        return result;
    }

    // A zero-terminated string (without its terminator); an unterminated one runs to the end.
    std::string_view String()
    {
        Align();
        size_t start = bytePos_;
        while (bytePos_ < data_.size() && data_[bytePos_] != '\0') {
            ++bytePos_;
        }
        std::string_view result = data_.substr(start, bytePos_ - start);
        if (bytePos_ < data_.size()) {
            ++bytePos_;
        }
        return result;
    }

    void Skip(size_t count) { Bytes(count); }

    // Moves to a byte position of the data; one past the end marks the reader overrun.
    void Seek(size_t bytePos)
    {
        bitPos_ = 0;
        bytePos_ = bytePos < data_.size() ? bytePos : data_.size();
        overrun_ = bytePos > data_.size();
    }

    // Moves to a bit position of the data; past the end marks the reader overrun.
    void SeekBit(size_t bitPos)
    {
        Seek(bitPos / 8);
        if (!overrun_ && bitPos % 8 != 0) {
            if (bytePos_ < data_.size()) {
                bitPos_ = static_cast<int>(bitPos % 8);
            } else {
                overrun_ = true;
            }
        }
    }

private:
    std::string_view data_;
    size_t bytePos_ = 0;
    int bitPos_ = 0;
    bool overrun_ = false;
};

}  // namespace platform::swf
