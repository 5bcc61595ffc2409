#include "movie/morph_shapes.h"
#include "movie/movie_writer.h"
#include "tests/movie/tag_movie.h"


#include <gtest/gtest.h>

using core::AnchorPoint;
using core::PathArray;
using core::PathRecord;

namespace {

PathRecord MakePath(std::vector<AnchorPoint> anchors, bool closed = true, int16_t fill = core::kFillSolid)
{
    PathRecord path;
    path.Anchors = std::move(anchors);
    path.blClosed = closed;
    path.FillType = fill;
    path.FillColor = 0xFF0000FF;  // opaque red
    path.LineMode = 1;
    path.LineWidth = 40;
    path.LineColor = 0x80402010;
    path.GradColor = 0xFFFFFFFF;
    path.GradRatioX = 0.5f;
    path.GradRatioY = 0.25f;
    return path;
}

PathRecord Square(int32_t x, int32_t size)
{
    return MakePath({{x, 0}, {x + size, 0}, {x + size, size}, {x, size}});
}

PathArray Paths(std::vector<PathRecord> records)
{
    PathArray paths{PathRecord()};
    paths.insert(paths.end(), records.begin(), records.end());
    return paths;
}

void AddStops(PathRecord &path, std::vector<core::GradStop> stops)
{
    path.SetStopCount(static_cast<int32_t>(stops.size()));
    std::copy(stops.begin(), stops.end(), path.Stops.begin() + 1);
}

QJsonArray Records(const QJsonObject &morph, const char *edges)
{
    return morph[edges].toObject()["ShapeRecords"].toArray();
}

int EdgeCount(const QJsonArray &records)
{
    int edges = 0;
    for (const QJsonValue &record : records) {
        edges += record.toObject()["name"].toString() != "StyleChangeRecord";
    }
    return edges;
}

bool IsZeroLengthStraight(const QJsonValue &record)
{
    QJsonObject edge = record.toObject();
    return edge["name"].toString() == "StraightEdgeRecord" && edge["DeltaX"].toInt() == 0 &&
           edge["DeltaY"].toInt() == 0;
}

class MorphShapeTest : public ::testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }

    // Writes the morph shape into a movie placed at ratio 0.5 and returns its fields as parsed.
    static QJsonObject Morph(const PathArray &start, const PathArray &end, const std::string &name)
    {
        movie::Writer().TagBuffer.clear();
        movie::DefineMorphShape(3, start, end, {10, 20, 300, 400}, {30, 40, 500, 600});
        swfcheck::Summary swf = tagmovie::WriteAndParse(name, 3, 0.5f);
        QJsonObject morph = tagmovie::FirstTag(swf, "DefineMorphShape").fields;
        EXPECT_TRUE(morph["EndEdgesAtOffset"].toBool()) << "Offset does not point at the end edges";
        EXPECT_EQ(EdgeCount(Records(morph, "StartEdges")), EdgeCount(Records(morph, "EndEdges")));
        return morph;
    }
};

TEST_F(MorphShapeTest, ArraysOfDifferentLengthsOrEmptyWriteNoTag)
{
    movie::Writer().TagBuffer.clear();
    movie::DefineMorphShape(3, Paths({Square(0, 100)}), Paths({Square(0, 100), Square(0, 50)}), {}, {});
    movie::DefineMorphShape(3, Paths({}), Paths({}), {}, {});
    movie::DefineMorphShape(3, PathArray(), PathArray(), {}, {});
    EXPECT_TRUE(movie::Writer().TagBuffer.empty());
}

TEST_F(MorphShapeTest, SolidPairWritesBothStylesAndMatchingEdges)
{
    REQUIRE_YASWFP();
    PathRecord end = Square(1000, 300);
    end.FillColor = 0xFF00FF00;
    end.LineWidth = 100;
    end.LineColor = 0xFFFFFFFF;
    movie::Writer().TagBuffer.clear();
    movie::DefineMorphShape(3, Paths({Square(0, 100)}), Paths({end}), {10, 20, 300, 400}, {30, 40, 500, 600});
    movie::Bytes tag = movie::Writer().TagBuffer;
    ASSERT_GE(tag.size(), 8u);
    EXPECT_EQ(tag[0], 0xBF);
    EXPECT_EQ(tag[1], 0x0B);
    EXPECT_EQ(tag[2] | tag[3] << 8, static_cast<int>(tag.size()) - 6);

    QJsonObject morph = Morph(Paths({Square(0, 100)}), Paths({end}), "morph_solid.swf");
    EXPECT_EQ(morph["StartBounds"].toArray(), (QJsonArray{10, 300, 20, 400}));
    EXPECT_EQ(morph["EndBounds"].toArray(), (QJsonArray{30, 500, 40, 600}));
    QJsonObject fill = morph["MorphFillStyles"].toArray()[0].toObject();
    EXPECT_EQ(fill["FillStyleType"].toInt(), 0);
    EXPECT_EQ(fill["StartColor"].toArray(), (QJsonArray{255, 0, 0, 255}));
    EXPECT_EQ(fill["EndColor"].toArray(), (QJsonArray{0, 255, 0, 255}));
    QJsonObject line = morph["MorphLineStyles"].toArray()[0].toObject();
    EXPECT_EQ(line["StartWidth"].toInt(), 40);
    EXPECT_EQ(line["EndWidth"].toInt(), 100);

    QJsonArray start = Records(morph, "StartEdges");
    QJsonArray finish = Records(morph, "EndEdges");
    ASSERT_EQ(start.size(), 5);
    ASSERT_EQ(finish.size(), 5);
    QJsonObject move = start[0].toObject();
    EXPECT_EQ(move["FillStyle0"].toInt(), 1);
    EXPECT_EQ(move["LineStyle"].toInt(), 1);
    QJsonObject endMove = finish[0].toObject();
    EXPECT_EQ(endMove["StateMoveTo"].toInt(), 1);
    EXPECT_EQ(endMove["MoveDeltaX"].toInt(), 1000);
}

TEST_F(MorphShapeTest, EqualAnchorKindsGiveEqualEdgesIncludingZeroLengthOnes)
{
    REQUIRE_YASWFP();
    auto curved = [](int32_t x) {
        return MakePath({{x, 0}, {x + 200, -100, core::kControlPoint}, {x + 400, 0}, {x + 200, 300}});
    };
    QJsonObject morph = Morph(Paths({curved(0)}), Paths({curved(2000)}), "morph_curves.swf");
    QJsonArray start = Records(morph, "StartEdges");
    QJsonArray finish = Records(morph, "EndEdges");
    ASSERT_EQ(start.size(), finish.size());
    for (qsizetype i = 0; i < start.size(); ++i) {
        EXPECT_EQ(start[i].toObject()["name"], finish[i].toObject()["name"]) << i;
    }
    EXPECT_TRUE(IsZeroLengthStraight(start[2]));  // the on-curve anchor the curve reached
    EXPECT_TRUE(IsZeroLengthStraight(finish[2]));
}

TEST_F(MorphShapeTest, GradientsTakeTheSmallerStopCountOfThePair)
{
    REQUIRE_YASWFP();
    PathRecord linear = Square(0, 100);
    linear.FillType = core::kFillLinear;
    AddStops(linear, {{0xFF000001, 10}, {0xFF000002, 20}, {0xFF000003, 30}});
    PathRecord linearEnd = Square(0, 200);
    linearEnd.FillType = core::kFillSolid;  // only the start decides the kind
    linearEnd.FillColor = 0xFF00FF00;
    AddStops(linearEnd, {{0xFF0000AA, 99}});

    PathRecord radial = Square(500, 100);
    radial.FillType = core::kFillRadial;
    PathRecord reflected = Square(1000, 100);
    reflected.FillType = core::kFillReflected;
    AddStops(reflected, {{0xFF000001, 64}, {0xFF000002, 200}, {0xFF000003, 220}});
    PathRecord reflectedEnd = reflected;
    AddStops(reflectedEnd, {{0xFF000004, 100}, {0xFF000005, 150}});

    QJsonObject morph = Morph(Paths({linear, radial, reflected}), Paths({linearEnd, radial, reflectedEnd}),
                              "morph_gradients.swf");
    QJsonArray fills = morph["MorphFillStyles"].toArray();
    ASSERT_EQ(fills.size(), 3);
    QJsonArray linearRecords = fills[0].toObject()["GradientRecords"].toArray();
    EXPECT_EQ(fills[0].toObject()["FillStyleType"].toInt(), 0x10);
    ASSERT_EQ(linearRecords.size(), 3);
    QJsonObject middle = linearRecords[1].toObject();
    EXPECT_EQ(middle["StartRatio"].toInt(), 10);
    EXPECT_EQ(middle["EndRatio"].toInt(), 99);
    EXPECT_EQ(middle["EndColor"].toArray(), (QJsonArray{0xAA, 0, 0, 255}));
    EXPECT_EQ(linearRecords[2].toObject()["StartRatio"].toInt(), 255);

    EXPECT_EQ(fills[1].toObject()["FillStyleType"].toInt(), 0x12);
    EXPECT_EQ(fills[1].toObject()["NumGradients"].toInt(), 2);

    QJsonArray mirrored = fills[2].toObject()["GradientRecords"].toArray();
    std::vector<int> startRatios;
    std::vector<int> endRatios;
    for (const QJsonValue &record : mirrored) {
        startRatios.push_back(record.toObject()["StartRatio"].toInt());
        endRatios.push_back(record.toObject()["EndRatio"].toInt());
    }
    EXPECT_EQ(startRatios, (std::vector<int>{0, 32, 100, 128, 155, 223, 255}));
    EXPECT_EQ(endRatios, (std::vector<int>{0, 50, 75, 128, 180, 205, 255}));
}

TEST_F(MorphShapeTest, OpenStartPathIsSolidWithoutFillIndex)
{
    REQUIRE_YASWFP();
    PathRecord open = MakePath({{0, 0}, {100, 0}, {100, 100}}, false, core::kFillRadial);
    PathRecord closed = MakePath({{0, 0}, {100, 0}, {100, 100}}, true, core::kFillLinear);
    QJsonObject morph = Morph(Paths({open}), Paths({closed}), "morph_open.swf");
    EXPECT_EQ(morph["MorphFillStyles"].toArray()[0].toObject()["FillStyleType"].toInt(), 0);
    QJsonObject move = Records(morph, "StartEdges")[0].toObject();
    EXPECT_EQ(move["FillStyle0"].toInt(), 0);
    EXPECT_EQ(move["LineStyle"].toInt(), 1);
}

TEST_F(MorphShapeTest, UnequalAnchorCountsEndInZeroLengthEdges)
{
    REQUIRE_YASWFP();
    PathRecord triangle = MakePath({{0, 0}, {300, 0}, {150, 200}});
    PathRecord hexagon = MakePath({{0, 0}, {100, -50}, {200, 0}, {200, 100}, {100, 150, core::kControlPoint},
                                   {0, 100}});
    QJsonObject grow = Morph(Paths({triangle, Square(0, 10)}), Paths({hexagon, Square(0, 10)}), "morph_grow.swf");
    QJsonArray start = Records(grow, "StartEdges");
    // The triangle's three edges, then three zero-length ones, then the square's move.
    ASSERT_GE(start.size(), 7);
    EXPECT_FALSE(IsZeroLengthStraight(start[3]));
    EXPECT_TRUE(IsZeroLengthStraight(start[4]));
    EXPECT_TRUE(IsZeroLengthStraight(start[6]));
    EXPECT_EQ(start[7].toObject()["name"].toString(), "StyleChangeRecord");

    QJsonObject shrink = Morph(Paths({hexagon}), Paths({triangle}), "morph_shrink.swf");
    EXPECT_TRUE(IsZeroLengthStraight(Records(shrink, "EndEdges")[6]));
}

TEST_F(MorphShapeTest, PathWithoutEdgesMorphsFromAPoint)
{
    REQUIRE_YASWFP();
    PathRecord dot = MakePath({{500, 700}});
    PathRecord none = MakePath({});
    PathRecord triangle = MakePath({{0, 0}, {300, 0}, {150, 200}});
    QJsonObject morph = Morph(Paths({dot, triangle, none}), Paths({triangle, dot, triangle}), "morph_point.swf");
    QJsonArray start = Records(morph, "StartEdges");
    QJsonArray finish = Records(morph, "EndEdges");
    ASSERT_EQ(start.size(), finish.size());
    QJsonObject appear = start[0].toObject();
    EXPECT_EQ(appear["MoveDeltaX"].toInt(), 500);
    EXPECT_EQ(appear["MoveDeltaY"].toInt(), 700);
    EXPECT_EQ(appear["FillStyle0"].toInt(), 1);
    EXPECT_TRUE(IsZeroLengthStraight(start[1]));
    // A path without any anchor appears at its partner's first anchor.
    EXPECT_EQ(start[8].toObject()["MoveDeltaX"].toInt(), 0);
    EXPECT_EQ(start[8].toObject()["FillStyle0"].toInt(), 3);

    QJsonObject nothing = Morph(Paths({dot}), Paths({none}), "morph_nothing.swf");
    EXPECT_TRUE(Records(nothing, "StartEdges").isEmpty());
    EXPECT_TRUE(Records(nothing, "EndEdges").isEmpty());
}

TEST_F(MorphShapeTest, EdgesSplitOnOneSideArePairedUp)
{
    REQUIRE_YASWFP();
    PathRecord wide = MakePath({{0, 0}, {150000, 0}, {150000, 100}});
    PathRecord narrow = MakePath({{0, 0}, {1000, 0}, {1000, 100}});
    QJsonObject morph = Morph(Paths({narrow}), Paths({wide}), "morph_split.swf");
    // 150000 twips take three pieces each way; the narrow triangle pads its three edges to seven.
    EXPECT_EQ(EdgeCount(Records(morph, "EndEdges")), 7);
}

TEST_F(MorphShapeTest, CompoundMembersShareTheFirstMembersStyles)
{
    REQUIRE_YASWFP();
    PathRecord outer = Square(0, 1000);
    PathRecord inner = Square(200, 400);
    for (PathRecord *member : {&outer, &inner}) {
        member->blCompound = true;
        member->CompoundID = 5;
    }
    PathArray paths = Paths({Square(3000, 100), outer, inner});
    QJsonObject morph = Morph(paths, paths, "morph_compound.swf");
    std::vector<int> fillIndexes;
    for (const QJsonValue &record : Records(morph, "StartEdges")) {
        if (record.toObject()["name"].toString() == "StyleChangeRecord") {
            fillIndexes.push_back(record.toObject()["FillStyle0"].toInt());
        }
    }
    EXPECT_EQ(fillIndexes, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(morph["MorphFillStyles"].toArray().size(), 3);
}

}  // namespace
