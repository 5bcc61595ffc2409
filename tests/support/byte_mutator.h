// Random damage to a good file for the readers' robustness tests: bit flips, changed, inserted and
// deleted bytes, truncation, repeated chunks and tokens that readers are likely to trip over
// (huge numbers, separators, markup). Seeded, so a failure can be replayed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

class ByteMutator {
public:
    ByteMutator(uint32_t seed, std::vector<std::string> tokens, size_t maxSize = 64 * 1024)
        : random_(seed), tokens_(std::move(tokens)), maxSize_(maxSize)
    {
    }

    // The original with one to four random changes.
    std::string Mutate(const std::string &original)
    {
        std::string bytes = original;
        int changes = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < changes; ++i) {
            MutateOnce(bytes);
        }
        if (bytes.size() > maxSize_) {
            bytes.resize(maxSize_);
        }
        return bytes;
    }

private:
    size_t Below(size_t limit) { return limit == 0 ? 0 : static_cast<size_t>(random_() % limit); }
    size_t Position(const std::string &bytes) { return Below(bytes.size() + 1); }
    char RandomByte() { return static_cast<char>(random_() & 0xFF); }

    void MutateOnce(std::string &bytes)
    {
        switch (Below(8)) {
        case 0:  // flip one bit
            if (!bytes.empty()) {
                bytes[Below(bytes.size())] ^= static_cast<char>(1 << Below(8));
            }
            break;
        case 1:  // change one byte
            if (!bytes.empty()) {
                bytes[Below(bytes.size())] = RandomByte();
            }
            break;
        case 2:  // cut the end off
            bytes.resize(Position(bytes));
            break;
        case 3: {  // insert a few random bytes
            std::string inserted(1 + Below(8), '\0');
            std::generate(inserted.begin(), inserted.end(), [this] { return RandomByte(); });
            bytes.insert(Position(bytes), inserted);
            break;
        }
        case 4:
        case 5:  // insert a token
            if (!tokens_.empty()) {
                bytes.insert(Position(bytes), tokens_[Below(tokens_.size())]);
            }
            break;
        case 6: {  // delete a run
            size_t at = Position(bytes);
            bytes.erase(at, Below(32));
            break;
        }
        default: {  // repeat a chunk somewhere
            size_t at = Position(bytes);
            std::string chunk = bytes.substr(at, 1 + Below(64));
            bytes.insert(Position(bytes), chunk);
            break;
        }
        }
    }

    std::mt19937 random_;
    std::vector<std::string> tokens_;
    size_t maxSize_;
};

// A short printable form of bytes for failure messages.
inline std::string Escaped(const std::string &bytes, size_t limit = 400)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    if (bytes.size() > limit) {
        out += "...";
    }
    return out;
}

}  // namespace testsupport
