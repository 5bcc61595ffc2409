// The damage the reader fuzzer does to its seeds: the robustness tests' mutations plus the ones a
// long campaign needs (interesting byte and word values, splices of two seeds, numbers in text
// replaced by huge, negative or non-finite ones, very long lines, chunks repeated many times).
#pragma once

#include "tests/support/byte_mutator.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

const std::vector<std::string> kNumberTexts = {
    "99999999999",  "99999999999999999999", "2147483647", "2147483648", "-2147483648", "-2147483649",
    "4294967295",   "4294967296",           "65535",      "65536",      "32768",       "-32769",
    "-1",           "0",                    "-0",         "1e38",       "1e39",        "-1e39",
    "1e309",        "-1e309",               "1e-400",     "NaN",        "nan",         "inf",
    "-inf",         "INF",                  "1.#INF",     "-1.#IND",    "&HFFFFFFFF",  "&H80000000",
    "1D308",        ".",                    "-",          "+",          "e5",          "0x7fffffff",
};

class FuzzMutator {
public:
    FuzzMutator(uint32_t seed, std::vector<std::string> tokens, size_t maxSize)
        : random_(seed), bytes_(seed ^ 0x5bd1e995u, WithNumbers(std::move(tokens)), maxSize), maxSize_(maxSize)
    {
    }

    // One to three rounds of damage to original; other is a second seed for splices.
    std::string Mutate(const std::string &original, const std::string &other)
    {
        std::string out = original;
        int rounds = 1 + static_cast<int>(Below(3));
        for (int i = 0; i < rounds; ++i) {
            MutateOnce(out, other);
        }
        if (out.size() > maxSize_ * 2) {
            out.resize(maxSize_ * 2);
        }
        return out;
    }

private:
    static std::vector<std::string> WithNumbers(std::vector<std::string> tokens)
    {
        tokens.insert(tokens.end(), kNumberTexts.begin(), kNumberTexts.end());
        return tokens;
    }

    size_t Below(size_t limit) { return limit == 0 ? 0 : static_cast<size_t>(random_() % limit); }

    void PutWord(std::string &out, size_t at, uint32_t value, int size, bool bigEndian)
    {
        for (int i = 0; i < size && at + static_cast<size_t>(i) < out.size(); ++i) {
            int shift = bigEndian ? 8 * (size - 1 - i) : 8 * i;
            out[at + static_cast<size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
        }
    }

    void MutateOnce(std::string &out, const std::string &other)
    {
        static const uint8_t kBytes[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE, 0x3F, 0x40, 0x20, 0x0D, 0x0A};
        static const uint32_t kWords[] = {0,          1,          0x7F,       0x80,       0xFF,      0x7FFF,
                                          0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                          0xFFFFFFFE, 0x40000000, 0x00100000};
        switch (Below(10)) {
        case 0:
        case 1:
        case 2:
            out = bytes_.Mutate(out);
            break;
        case 3:  // an interesting byte
            if (!out.empty()) {
                out[Below(out.size())] = static_cast<char>(kBytes[Below(std::size(kBytes))]);
            }
            break;
        case 4:  // an interesting 16- or 32-bit value, either byte order
            if (!out.empty()) {
                PutWord(out, Below(out.size()), kWords[Below(std::size(kWords))], Below(2) ? 2 : 4, Below(4) == 0);
            }
            break;
        case 5: {  // a splice: the start of one seed, the rest of the other
            size_t a = Below(out.size() + 1);
            size_t b = Below(other.size() + 1);
            out = out.substr(0, a) + other.substr(b);
            break;
        }
        case 6: {  // a number in text replaced
            std::vector<size_t> starts;
            for (size_t i = 0; i < out.size(); ++i) {
                bool digit = out[i] >= '0' && out[i] <= '9';
                bool before = i > 0 && ((out[i - 1] >= '0' && out[i - 1] <= '9') || out[i - 1] == '-' || out[i - 1] == '.');
                if (digit && !before) {
                    starts.push_back(i);
                }
            }
            if (starts.empty()) {
                out.insert(Below(out.size() + 1), kNumberTexts[Below(kNumberTexts.size())]);
                break;
            }
            size_t at = starts[Below(starts.size())];
            if (at > 0 && out[at - 1] == '-') {
                --at;
            }
            size_t end = at + 1;
            while (end < out.size() && ((out[end] >= '0' && out[end] <= '9') || out[end] == '.' || out[end] == 'E' ||
                                        out[end] == 'e')) {
                ++end;
            }
            out.replace(at, end - at, kNumberTexts[Below(kNumberTexts.size())]);
            break;
        }
        case 7: {  // a very long line or run
            static const char kFill[] = "A9 ,\"<-\xFF\x00";
            char fill = kFill[Below(sizeof(kFill) - 1)];
            out.insert(Below(out.size() + 1), std::string(1000 + Below(200'000), fill));
            break;
        }
        case 8: {  // a chunk repeated many times
            if (out.empty()) {
                break;
            }
            size_t at = Below(out.size());
            std::string chunk = out.substr(at, 1 + Below(256));
            size_t times = 2 + Below(300);
            std::string repeated;
            for (size_t i = 0; i < times && repeated.size() < maxSize_; ++i) {
                repeated += chunk;
            }
            out.insert(Below(out.size() + 1), repeated);
            break;
        }
        default:  // cut short
            out.resize(Below(out.size() + 1));
            break;
        }
    }

    std::mt19937 random_;
    testsupport::ByteMutator bytes_;
    size_t maxSize_;
};

}  // namespace fuzz
