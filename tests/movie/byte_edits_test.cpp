// In-place edits of a byte string: any mix of growing and shrinking edits gives the string a
// plain rebuild gives; edits that do not fit leave it as it was.
#include "movie/byte_edits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Replace {
    size_t at;
    size_t length;
    std::string with;
};

std::string Rebuilt(const std::string &bytes, const std::vector<Replace> &replaces)
{
    std::string out;
    size_t from = 0;
    for (const Replace &r : replaces) {
        out += bytes.substr(from, r.at - from) + r.with;
        from = r.at + r.length;
    }
    return out + bytes.substr(from);
}

TEST(ByteEditsTest, EditsInPlaceGiveTheRebuiltString)
{
    const std::string original = "0123456789abcdefghijklmnopqrstuvwxyz";
    const struct {
        const char *name;
        std::vector<Replace> replaces;
    } cases[] = {
        {"none", {}},
        {"same length", {{3, 2, "XY"}, {20, 3, "PQR"}}},
        {"grow", {{0, 1, "ABCDE"}, {10, 0, "ins"}, {30, 2, "longer piece"}}},
        {"shrink", {{2, 10, "."}, {15, 5, ""}, {34, 2, "z"}}},
        {"grow then shrink", {{1, 1, "+++++++"}, {5, 20, "-"}}},
        {"shrink then grow", {{1, 20, "-"}, {30, 1, "+++++++++++++++"}}},
        {"alternating", {{1, 3, "a"}, {6, 0, "bbbbbb"}, {9, 5, ""}, {20, 1, "cccccccc"}, {36, 0, "end"}}},
        {"adjacent", {{4, 2, "1234"}, {6, 2, ""}, {8, 1, "xyz"}}},
        {"whole", {{0, 36, "new"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> pieces;
        std::vector<movie::ByteEdit> edits;
        for (const Replace &r : c.replaces) {
            edits.push_back({r.at, r.length, pieces.size(), r.with.size()});
            pieces.insert(pieces.end(), r.with.begin(), r.with.end());
        }
        std::string bytes = original;
        ASSERT_TRUE(movie::ApplyByteEdits(bytes, edits, pieces));
        EXPECT_EQ(bytes, Rebuilt(original, c.replaces));
    }
}

TEST(ByteEditsTest, EditsThatDoNotFitChangeNothing)
{
    const std::vector<uint8_t> pieces{'a', 'b', 'c'};
    const struct {
        const char *name;
        std::vector<movie::ByteEdit> edits;
    } cases[] = {
        {"beyond the end", {{11, 0, 0, 1}}},
        {"length beyond the end", {{8, 3, 0, 1}}},
        {"overlapping", {{2, 4, 0, 1}, {5, 1, 1, 1}}},
        {"out of order", {{6, 1, 0, 1}, {2, 1, 1, 1}}},
        {"piece beyond the pieces", {{1, 1, 2, 2}}},
        {"huge numbers", {{SIZE_MAX, SIZE_MAX, SIZE_MAX, SIZE_MAX}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "0123456789";
        EXPECT_FALSE(movie::ApplyByteEdits(bytes, c.edits, pieces));
        EXPECT_EQ(bytes, "0123456789");
    }
}

}  // namespace
