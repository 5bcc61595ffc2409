// Random mutations and truncations of well-formed metafiles: every one is read to a clear end,
// with paths that make sense or a failure with nothing kept.
#include "import/picture_file.h"
#include "import/wmf_importer.h"
#include "wmf_test_support.h"

#include <gtest/gtest.h>

#include <random>

using wmftest::MetafileBuilder;

namespace {

std::vector<std::string> Seeds()
{
    MetafileBuilder full;
    full.PictureBox(0, 0, 120, 80).Objects(3)
        .WindowExtent(-80, 120)
        .Pen(53, 0x00112233).Select(0)
        .Brush(0, 0x000000FF).Select(1)
        .Polygon({{0, 0}, {120, 0}, {120, -80}, {0, 0}})
        .Brush(1, 0x0000FF00).Select(2)
        .Polygon({{10, -10}, {30, -10}, {30, -30}})
        .Select(1).Delete(2)
        .Polyline({{0, -40}, {60, -40}, {120, -70}})
        .PolyPolygon({{{5, -5}, {50, -5}, {50, -50}}, {{10, -10}, {20, -10}, {20, -20}}, {{1, -1}, {2, -2}, {3, -1}}})
        .PolyPolygon({{{0, 0}, {4, 0}, {4, -4}}});
    MetafileBuilder plain;
    plain.Objects(1).Brush(0, 0x00FF0000).Select(0).PolyPolygon({{{0, 0}, {100, 0}, {100, 100}}, {{1, 1}, {2, 1}, {2, 2}}})
        .Polyline({{-32768, 32767}, {32767, -32768}});
    MetafileBuilder open;
    open.PictureBox(-10, -10, 10, 10).Polygon({{-10, -10}, {10, -10}, {10, 10}}).WithoutEnd();
    return {full.Bytes(), plain.Bytes(), open.Bytes()};
}

void PutValue(std::string &bytes, size_t at, uint32_t value, size_t width)
{
    for (size_t k = 0; k < width && at + k < bytes.size(); ++k) {
        bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
    }
}

std::string Mutate(std::string bytes, std::mt19937 &random)
{
    static const uint32_t kExtremes[] = {0, 1, 2, 3, 4, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    auto pick = [&](size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); };
    int rounds = 1 + static_cast<int>(pick(2));
    for (int round = 0; round < rounds && !bytes.empty(); ++round) {
        switch (pick(6)) {
        case 0:  // flip bits in a few bytes
            for (size_t n = 1 + pick(4); n > 0; --n) {
                bytes[pick(bytes.size())] ^= static_cast<char>(1 + pick(255));
            }
            break;
        case 1:  // a size, count or index at an extreme
            PutValue(bytes, pick(bytes.size()), kExtremes[pick(std::size(kExtremes))], pick(2) ? 2 : 4);
            break;
        case 2:  // cut short
            bytes.resize(pick(bytes.size()));
            break;
        case 3:  // random bytes inserted
            bytes.insert(pick(bytes.size() + 1), std::string(1 + pick(8), static_cast<char>(pick(256))));
            break;
        case 4: {  // a stretch removed
            size_t at = pick(bytes.size());
            bytes.erase(at, 1 + pick(16));
            break;
        }
        default: {  // a stretch repeated
            size_t at = pick(bytes.size());
            bytes.insert(at, bytes.substr(at, 1 + pick(24)));
            break;
        }
        }
    }
    return bytes;
}

void CheckOutcome(const std::string &bytes)
{
    core::PathCollection paths;
    std::string error;
    if (!importer::ReadWmfPaths(bytes, paths, error)) {
        ASSERT_EQ(paths.PathCount(), 0);
        ASSERT_FALSE(error.empty());
        return;
    }
    // What a metafile yields grows with its size: a bounded number of anchors per record byte.
    size_t anchors = 0;
    for (int32_t i = 1; i <= paths.PathCount(); ++i) {
        anchors += paths.Paths[static_cast<size_t>(i)].Anchors.size();
    }
    ASSERT_LE(anchors, 16 * bytes.size() + 64);
    importer::ImageInfo info = importer::MetafileInfo(bytes);
    for (int32_t i = 1; i <= paths.PathCount(); ++i) {
        const core::PathRecord &path = paths.Paths[static_cast<size_t>(i)];
        ASSERT_EQ(path.GroupID, 1);
        ASSERT_GE(path.LineWidth, 0);
        for (const core::AnchorPoint &anchor : path.Anchors) {
            // The drawing's top-left corner is at 0, 0 and it fills no more than its picture.
            ASSERT_GE(anchor.X, 0);
            ASSERT_GE(anchor.Y, 0);
            if (info.ImageType == importer::kImageMetafile) {
                ASSERT_LE(anchor.X, info.ImageWidth * 20.0 * (1 + 1e-6) + 1);  // the scale is single precision
                ASSERT_LE(anchor.Y, info.ImageHeight * 20.0 * (1 + 1e-6) + 1);
            }
        }
    }
    if (info.ImageType == importer::kImageMetafile && int64_t{info.ImageWidth} * info.ImageHeight <= 300 * 300) {
        QImage picture = importer::DrawMetafilePicture(bytes);
        ASSERT_EQ(picture.size(), QSize(info.ImageWidth, info.ImageHeight));
    }
}

TEST(WmfFuzz, MutatedAndTruncatedMetafilesEndCleanly)
{
    const std::vector<std::string> seeds = Seeds();
    for (const std::string &seed : seeds) {
        ASSERT_GT(importer::ImportWmf(seed).PathCount(), 0);
    }
    std::mt19937 random(20240611);
    for (int n = 0; n < 4000; ++n) {
        std::string bytes = Mutate(seeds[static_cast<size_t>(n) % seeds.size()], random);
        CheckOutcome(bytes);
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "mutation " << n;
            return;
        }
    }
    for (const std::string &seed : seeds) {
        for (size_t cut = 0; cut < seed.size(); ++cut) {
            CheckOutcome(seed.substr(0, cut));
        }
    }
}

}  // namespace
