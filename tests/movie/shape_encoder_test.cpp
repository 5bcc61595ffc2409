#include "movie/tag_buffer.h"
#include "movie/edge_reach.h"
#include "movie/movie_writer.h"
#include "movie/shape_encoder.h"
#include "tests/movie/swf_check.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

using movie::Bytes;

namespace {

core::PathRecord MakePath(std::vector<core::AnchorPoint> anchors, bool closed, int16_t fill = core::kFillSolid,
                          int16_t line = 1)
{
    core::PathRecord path;
    path.Anchors = std::move(anchors);
    path.blClosed = closed;
    path.FillType = fill;
    path.FillColor = 0xFF00FFFF;  // opaque yellow
    path.LineMode = line;
    path.LineWidth = 20;
    path.LineColor = 0x80402010;
    path.GradColor = 0xFFFFFFFF;
    path.GradRatioX = 1000.0f / 32768.0f;
    path.GradRatioY = 1000.0f / 32768.0f;
    return path;
}

core::PathRecord Square(int32_t x, int32_t y, int32_t size, int16_t fill = core::kFillSolid)
{
    return MakePath({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}}, true, fill);
}

core::PathArray Paths(std::vector<core::PathRecord> records)
{
    core::PathArray paths{core::PathRecord()};
    paths.insert(paths.end(), records.begin(), records.end());
    return paths;
}

// Writes a one-frame movie holding the shape and returns its records as the parser sees them.
QJsonArray ParsedRecords(core::PathArray &paths, bool grouped = true, swfcheck::Tag *tagOut = nullptr)
{
    static int serial = 0;
    std::string path = testsupport::TempPath("shape" + std::to_string(++serial) + ".swf");
    movie::BeginMovie(6, 320, 240, 12.0f);
    movie::ControlMovieFile(path, movie::kMovieOpen);
    movie::DefineShape(1, paths, grouped);
    movie::PlaceObject(1, 0, 0, 1, 1, 0, 0, 256, 0, "", "", movie::kNoClipLayer, -1, movie::ColorTransformSpec());
    movie::NextFrame();
    movie::ControlMovieFile(path, movie::kMovieFrames);
    movie::WriteEndTag();
    EXPECT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
    swfcheck::Summary swf = swfcheck::Parse(path);
    EXPECT_TRUE(swf.parsed) << swf.output;
    if (!swf.parsed || swf.tags.empty()) {
        return {};
    }
    const swfcheck::Tag &tag = swf.tags[0];
    EXPECT_EQ(tag.name, "DefineShape3");
    EXPECT_TRUE(tag.parsed) << "the shape does not parse to its stated length";
    if (tagOut) {
        *tagOut = tag;
    }
    return tag.fields["Shapes"].toObject()["ShapeRecords"].toArray();
}

struct EdgeCounts {
    int straight = 0;
    int curved = 0;
    int styles = 0;
};

EdgeCounts Count(const QJsonArray &records)
{
    EdgeCounts counts;
    for (const QJsonValue &record : records) {
        QString name = record.toObject()["name"].toString();
        counts.straight += name == "StraightEdgeRecord";
        counts.curved += name == "CurvedEdgeRecord";
        counts.styles += name == "StyleChangeRecord";
    }
    return counts;
}

class ShapeEncoderTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
    void TearDown() override { movie::ResetWriterForTest(); }
};

}  // namespace

TEST_F(ShapeEncoderTest, UnitAndBodyBytes)
{
    core::PathArray none = Paths({});
    EXPECT_EQ(movie::EncodeShapeCached(none), (Bytes{0x00, 0x00, 0x88, 0x00}));

    platform::swf::BitBuffer unit;
    movie::InitBitBuffer(unit);
    movie::EncodePathUnit(unit, Square(0, 0, 100), movie::kUnitSingle);
    Bytes bytes = movie::BufferBytes(unit);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16),
              (Bytes{0x1A, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0xFF,  // solid yellow
                     0x01, 20, 0, 0x10, 0x20, 0x40, 0x80,                     // one line style
                     }));
    EXPECT_EQ(bytes[16], 0x88);
    // Move-to: flags 001011, MoveBits 17, x 0, y 0 ...
    EXPECT_EQ(bytes[17], 0x2E);

    // A one-anchor path gives an empty unit.
    platform::swf::BitBuffer empty;
    movie::InitBitBuffer(empty);
    movie::EncodePathUnit(empty, MakePath({{5, 5}}, true), movie::kUnitSingle);
    EXPECT_TRUE(movie::BufferBytes(empty).empty());

    // The whole tag: header, id, 24-bit bounds (the square and half its 20-twip line), body.
    core::PathArray one = Paths({Square(0, 0, 100)});
    movie::DefineShape(3, one, true);
    Bytes tag = movie::Writer().TagBuffer;
    ASSERT_GT(tag.size(), 21u);
    EXPECT_EQ(tag[0], 0x3F);
    EXPECT_EQ(tag[1], 0x08);
    EXPECT_EQ(tag[2] | tag[3] << 8, static_cast<int>(tag.size()) - 6);
    EXPECT_EQ(tag[6], 3);
    EXPECT_EQ(Bytes(tag.begin() + 8, tag.begin() + 21), movie::WriteRect24(-10, 110, -10, 110));
}

TEST_F(ShapeEncoderTest, WarmEncodingReusesCachesAndEqualsAFullEncoding)
{
    std::mt19937 random(11);
    std::vector<core::PathRecord> records;
    std::vector<int> alignments(8, 0);
    for (int i = 0; i < 40; ++i) {
        std::vector<core::AnchorPoint> anchors;
        int count = 2 + static_cast<int>(random() % 9);
        for (int k = 0; k < count; ++k) {
            anchors.push_back({static_cast<int32_t>(random() % 6000), static_cast<int32_t>(random() % 4000),
                               static_cast<int16_t>(random() % 3 == 0 ? core::kControlPoint : core::kOnCurve)});
        }
        core::PathRecord path = MakePath(anchors, random() % 4 != 0, static_cast<int16_t>(random() % 5),
                                         static_cast<int16_t>(random() % 2));
        path.LineWidth = static_cast<int32_t>(random() % 400);
        records.push_back(path);
    }
    records[4].blCompound = records[8].blCompound = records[19].blCompound = true;
    records[4].CompoundID = records[8].CompoundID = records[19].CompoundID = 4;
    records[11].DispFlags = core::kDispHidden;

    core::PathArray paths = Paths(records);
    movie::UnitCache &cache = movie::Writer().Units;
    Bytes cold = movie::EncodeShapeCached(paths);
    const size_t units = cache.Size();
    EXPECT_EQ(units, 40u - 2 - 1);  // the compound's three members are one unit; the hidden path none

    // Every unit start alignment occurs in this drawing.
    int64_t end = 24;
    for (size_t i = 1; i < paths.size(); ++i) {
        if (paths[i].IsHidden() || i == 9 || i == 20) {
            continue;  // not drawn, or drawn within the compound led by path 5
        }
        platform::swf::BitBuffer unit;
        movie::InitBitBuffer(unit);
        movie::EncodePathUnit(unit, paths[i], i == 5 ? movie::kUnitFirstMember : movie::kUnitSingle);
        if (i == 5) {
            movie::EncodePathUnit(unit, paths[9], movie::kUnitFurtherMember);
            movie::EncodePathUnit(unit, paths[20], movie::kUnitFurtherMember);
            movie::EncodePathUnit(unit, paths[5], movie::kUnitFinish);
        }
        if (unit.BytePos == 0 && unit.BitPos == 0) {
            continue;
        }
        alignments[static_cast<size_t>(end % 8)] += 1;
        end = (end + 6 + 7) / 8 * 8 + (int64_t{unit.BytePos} - 1) * 8 + unit.BitPos;
    }
    for (int a = 0; a < 8; ++a) {
        EXPECT_GT(alignments[static_cast<size_t>(a)], 0) << "no unit starts at alignment " << a;
    }

    // Unchanged, nothing is encoded again.
    EXPECT_EQ(movie::EncodeShapeCached(paths), cold);
    EXPECT_EQ(cache.Size(), units);

    // A path equal to another draws the same unit: no unit is added for it.
    paths[30] = paths[2];
    Bytes copied = movie::EncodeShapeCached(paths);
    EXPECT_NE(copied, cold);
    EXPECT_EQ(cache.Size(), units);

    // Changing a path of its own and a compound member, with nothing else said, encodes those
    // two units again; the result equals a full encoding.
    paths[30].Anchors[0].X += 77;
    paths[9].Anchors[1].Y -= 5;
    Bytes warm = movie::EncodeShapeCached(paths);
    EXPECT_EQ(cache.Size(), units + 2);
    EXPECT_NE(warm, copied);
    cache = movie::UnitCache();
    EXPECT_EQ(warm, movie::EncodeShapeCached(paths));

    // The whole drawing parses, unit by unit, at whatever alignment each one landed.
    if (!swfcheck::Interpreter().empty()) {
        ParsedRecords(paths);
    }
}

TEST_F(ShapeEncoderTest, EdgesFollowTheAnchorKinds)
{
    REQUIRE_YASWFP();
    // Two on-curve anchors: one straight edge. Control then on-curve: a curve and a zero edge.
    core::PathArray line = Paths({MakePath({{0, 0}, {100, 0}}, false)});
    EdgeCounts lineCounts = Count(ParsedRecords(line));
    EXPECT_EQ(lineCounts.straight, 1);
    EXPECT_EQ(lineCounts.curved, 0);

    core::PathArray curve = Paths({MakePath({{0, 0}, {50, 100, core::kControlPoint}, {100, 0}, {100, 50}}, false)});
    QJsonArray records = ParsedRecords(curve);
    EdgeCounts curveCounts = Count(records);
    EXPECT_EQ(curveCounts.curved, 1);
    EXPECT_EQ(curveCounts.straight, 2);
    QJsonObject zero = records[3].toObject();
    EXPECT_EQ(zero["name"].toString(), "StraightEdgeRecord");
    EXPECT_EQ(zero["DeltaX"].toInt(), 0);
    EXPECT_EQ(zero["DeltaY"].toInt(), 0);

    // Two control points in a row: the curve ends at their midpoint, rounded toward zero.
    core::PathArray twin = Paths({MakePath({{0, 0}, {-11, 0, core::kControlPoint}, {-20, 7, core::kControlPoint},
                                            {-30, 30}},
                                           false)});
    QJsonObject first = ParsedRecords(twin)[2].toObject();
    EXPECT_EQ(first["name"].toString(), "CurvedEdgeRecord");
    EXPECT_EQ(first["ControlDeltaX"].toInt() + first["AnchorDeltaX"].toInt(), (-11 - 20) / 2);
    EXPECT_EQ(first["ControlDeltaY"].toInt() + first["AnchorDeltaY"].toInt(), 7 / 2);

    // An open path ending on a control point ends with a straight edge to it.
    core::PathArray open = Paths({MakePath({{0, 0}, {40, 40}, {80, 0, core::kControlPoint}}, false)});
    QJsonArray openRecords = ParsedRecords(open);
    EXPECT_EQ(Count(openRecords).straight, 2);
    EXPECT_EQ(openRecords[3].toObject()["DeltaX"].toInt(), 40);

    // A closed path of control points starts between anchors 0 and 1 and returns there.
    core::PathArray round = Paths({MakePath({{0, 0, core::kControlPoint}, {100, 0, core::kControlPoint},
                                             {100, 100, core::kControlPoint}, {0, 100, core::kControlPoint}},
                                            true)});
    QJsonArray roundRecords = ParsedRecords(round);
    QJsonObject move = roundRecords[1].toObject();
    EXPECT_EQ(move["MoveDeltaX"].toInt(), 50);
    EXPECT_EQ(move["MoveDeltaY"].toInt(), 0);
    EdgeCounts roundCounts = Count(roundRecords);
    EXPECT_EQ(roundCounts.curved, 4);
    int x = 50;
    int y = 0;
    for (const QJsonValue &value : roundRecords) {
        QJsonObject r = value.toObject();
        x += r["ControlDeltaX"].toInt() + r["AnchorDeltaX"].toInt();
        y += r["ControlDeltaY"].toInt() + r["AnchorDeltaY"].toInt();
    }
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 0);
}

// A closed path that begins with two control points starts at their midpoint, rounded toward
// zero: odd sums on either side of zero tell it from rounding up, to nearest or down.
TEST_F(ShapeEncoderTest, AStartBetweenTwoControlPointsIsRoundedTowardZero)
{
    REQUIRE_YASWFP();
    struct Case {
        int32_t x0, y0, x1, y1;
    };
    for (const Case &c : {Case{1, 2, 2, 5}, Case{-1, -2, -4, -5}, Case{7, -3, -2, 0}, Case{-9, 4, 2, -1}}) {
        SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " " + std::to_string(c.x1) + "," +
                     std::to_string(c.y1));
        core::PathArray paths = Paths({MakePath({{c.x0, c.y0, core::kControlPoint}, {c.x1, c.y1, core::kControlPoint},
                                                 {300, 400, core::kControlPoint}, {-200, 300, core::kControlPoint}},
                                                true)});
        QJsonArray records = ParsedRecords(paths);
        ASSERT_GT(records.size(), 1);
        QJsonObject move = records[1].toObject();
        EXPECT_EQ(move["MoveDeltaX"].toInt(), (c.x0 + c.x1) / 2);
        EXPECT_EQ(move["MoveDeltaY"].toInt(), (c.y0 + c.y1) / 2);
    }
}

// A curve whose deltas pass 17 bits is halved at integer midpoints, rounded toward zero (the odd
// sums below zero tell it from rounding down); the halves meet at the middle point.
TEST_F(ShapeEncoderTest, AFarCurveIsHalvedAtMidpointsRoundedTowardZero)
{
    REQUIRE_YASWFP();
    core::PathArray paths = Paths({MakePath(
        {{0, 0, core::kOnCurve}, {-100001, -3, core::kControlPoint}, {-100003, -70001, core::kOnCurve}}, false)});
    std::vector<std::array<int, 4>> curves;
    for (const QJsonValue &value : ParsedRecords(paths)) {
        const QJsonObject r = value.toObject();
        if (r["name"].toString() == "CurvedEdgeRecord") {
            curves.push_back({r["ControlDeltaX"].toInt(), r["ControlDeltaY"].toInt(), r["AnchorDeltaX"].toInt(),
                              r["AnchorDeltaY"].toInt()});
        }
    }
    // Controls (-100001 / 2, -3 / 2) = (-50000, -1) and (-200004 / 2, -70004 / 2) = (-100002, -35002);
    // the middle (-150002 / 2, -35003 / 2) = (-75001, -17501).
    const std::vector<std::array<int, 4>> halves = {{-50000, -1, -25001, -17500}, {-25001, -17501, -1, -34999}};
    EXPECT_EQ(curves, halves);
}

TEST_F(ShapeEncoderTest, FarCoordinatesGetTheBitsTheyNeed)
{
    REQUIRE_YASWFP();
    // A move beyond 17 bits and edges far beyond 65535 twips: nothing is cut, later paths stay in step.
    core::PathArray paths = Paths({MakePath({{100000, -70000}, {400000, 9000000}, {-20000000, 5}}, false),
                                   MakePath({{0, 0, core::kOnCurve}, {300000, 0, core::kControlPoint}, {0, 10}}, true),
                                   Square(10, 10, 100)});
    QJsonArray records = ParsedRecords(paths);
    int64_t x = 0;
    int64_t y = 0;
    std::vector<std::pair<int64_t, int64_t>> ends;
    for (const QJsonValue &value : records) {
        QJsonObject r = value.toObject();
        if (r.contains("MoveDeltaX")) {
            if (!ends.empty() || x != 0 || y != 0) {
                ends.push_back({x, y});
            }
            x = r["MoveDeltaX"].toInteger();
            y = r["MoveDeltaY"].toInteger();
        }
        x += r["DeltaX"].toInteger() + r["ControlDeltaX"].toInteger() + r["AnchorDeltaX"].toInteger();
        y += r["DeltaY"].toInteger() + r["ControlDeltaY"].toInteger() + r["AnchorDeltaY"].toInteger();
        if (r.contains("NumBits")) {
            EXPECT_LE(r["NumBits"].toInt(), 15);
        }
    }
    ends.push_back({x, y});
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[0], (std::pair<int64_t, int64_t>{-20000000, 5}));
    EXPECT_EQ(ends[1], (std::pair<int64_t, int64_t>{0, 0}));
    EXPECT_EQ(ends[2], (std::pair<int64_t, int64_t>{10, 10}));
}

TEST_F(ShapeEncoderTest, AFirstAnchorBeyondTheMoveRangeLeavesTheOtherVerticesInPlace)
{
    REQUIRE_YASWFP();
    // x = -2e9 twips lies beyond what a shape carries (its edges would split into more records
    // than the path may take): it is written at the edge of the square every frame lies in, and
    // the edges are measured from there, so the other anchors decode where they are.
    constexpr int64_t kEdge = -movie::kReachTwips;
    for (bool grouped : {true, false}) {
        core::PathArray paths = Paths({MakePath({{-2000000000, 100}, {1000, 100}, {1000, 2000}, {0, 2000}}, true),
                                       Square(10, 10, 100)});
        QJsonArray records = ParsedRecords(paths, grouped);
        std::vector<std::pair<int64_t, int64_t>> points;
        int64_t x = 0;
        int64_t y = 0;
        for (const QJsonValue &value : records) {
            QJsonObject r = value.toObject();
            if (r.contains("MoveDeltaX")) {
                x = r["MoveDeltaX"].toInteger();
                y = r["MoveDeltaY"].toInteger();
                points.push_back({x, y});
                continue;
            }
            if (r["name"].toString() == "StyleChangeRecord") {
                continue;  // a unit's new styles: no move
            }
            x += r["DeltaX"].toInteger() + r["ControlDeltaX"].toInteger() + r["AnchorDeltaX"].toInteger();
            y += r["DeltaY"].toInteger() + r["ControlDeltaY"].toInteger() + r["AnchorDeltaY"].toInteger();
            points.push_back({x, y});
        }
        auto at = [&points](int64_t px, int64_t py) {
            return std::find(points.begin(), points.end(), std::pair<int64_t, int64_t>{px, py}) != points.end();
        };
        EXPECT_TRUE(at(kEdge, 100)) << grouped;
        EXPECT_TRUE(at(1000, 100)) << grouped;
        EXPECT_TRUE(at(1000, 2000)) << grouped;
        EXPECT_TRUE(at(0, 2000)) << grouped;
        EXPECT_TRUE(at(110, 110)) << grouped;  // the next path stays in step
        // The outline closes where it started.
        auto start = std::find(points.begin(), points.end(), std::pair<int64_t, int64_t>{kEdge, 100});
        EXPECT_EQ(std::count(points.begin(), points.end(), *start), 2) << grouped;
    }
}

TEST_F(ShapeEncoderTest, GradientFillStyles)
{
    REQUIRE_YASWFP();
    core::PathRecord reflected = Square(0, 0, 1000, core::kFillReflected);
    reflected.SetStopCount(2);
    reflected.Stops[1] = {0xFF0000FF, 64};
    reflected.Stops[2] = {0xFF00FF00, 200};
    reflected.GradAngle = 180.0f;
    core::PathRecord radial = Square(0, 0, 1000, core::kFillRadial);
    radial.SetStopCount(7);  // at most six middle stops are written
    for (int k = 1; k <= 7; ++k) {
        radial.Stops[static_cast<size_t>(k)] = {0xFF000000u + static_cast<uint32_t>(k), 30 * k};
    }
    core::PathArray paths = Paths({reflected, radial});
    QJsonArray records = ParsedRecords(paths);

    std::vector<std::vector<int>> ratios;
    std::vector<QJsonObject> matrices;
    for (const QJsonValue &value : records) {
        QJsonObject r = value.toObject();
        for (const QJsonValue &fill : r["FillStyles"].toObject()["FillStyles"].toArray()) {
            std::vector<int> list;
            for (const QJsonValue &g : fill.toObject()["Gradient"].toObject()["GradientRecords"].toArray()) {
                list.push_back(g.toObject()["Ratio"].toInt());
            }
            ratios.push_back(list);
            matrices.push_back(fill.toObject()["GradientMatrix"].toObject());
        }
    }
    ASSERT_EQ(ratios.size(), 2u);
    EXPECT_EQ(ratios[0], (std::vector<int>{0, 32, 100, 128, 155, 223, 255}));
    EXPECT_EQ(ratios[1], (std::vector<int>{0, 30, 60, 90, 120, 150, 180, 255}));
    // At 180 degrees the scale is exactly the negated ratio and the skews are one unit of
    // 1/65536 at most, never -1.0. The parser hands the 24-bit fields over unsigned.
    auto fixed24 = [](const QJsonValue &raw) { return raw.toInt() >= (1 << 23) ? raw.toInt() - (1 << 24) : raw.toInt(); };
    EXPECT_EQ(fixed24(matrices[0]["ScaleX"]), -2000);
    EXPECT_EQ(fixed24(matrices[0]["ScaleY"]), -2000);
    EXPECT_GE(fixed24(matrices[0]["RotateSkew0"]), -1);
    EXPECT_GE(fixed24(matrices[0]["RotateSkew1"]), -1);
}

TEST_F(ShapeEncoderTest, CompoundPathsAndThePlainBody)
{
    REQUIRE_YASWFP();
    core::PathRecord lead = Square(0, 0, 1000);
    core::PathRecord hole = Square(200, 200, 200);
    lead.blCompound = hole.blCompound = true;
    lead.CompoundID = hole.CompoundID = 2;
    core::PathArray paths = Paths({lead, Square(5000, 0, 100), hole});
    EdgeCounts counts = Count(ParsedRecords(paths));
    EXPECT_EQ(counts.straight, 12);
    EXPECT_EQ(counts.styles, 2 + 2 + 1);  // new styles + moves of the compound, then the single

    // A hidden leading member hides the whole compound.
    paths[1].DispFlags = core::kDispHidden;
    EXPECT_EQ(Count(ParsedRecords(paths)).straight, 4);

    // Removing the leader leaves a member that was held by it: it becomes the leader.
    core::PathArray left = Paths({paths[3]});
    EXPECT_EQ(Count(ParsedRecords(left)).straight, 4);

    // A one-anchor leader still opens a valid unit for its members.
    core::PathRecord dot = MakePath({{1, 1}}, true);
    dot.blCompound = true;
    dot.CompoundID = 2;
    core::PathArray dotted = Paths({dot, hole});
    EXPECT_EQ(Count(ParsedRecords(dotted)).straight, 4);

    // The plain body: one style pair per path in the shape's arrays.
    core::PathArray plain = Paths({Square(0, 0, 6400), MakePath({{0, 0}, {10, 10}}, false)});
    swfcheck::Tag tag;
    QJsonArray plainRecords = ParsedRecords(plain, false, &tag);
    QJsonObject shapes = tag.fields["Shapes"].toObject();
    EXPECT_EQ(shapes["FillStyles"].toObject()["FillStyleCount"].toInt(), 2);
    EXPECT_EQ(shapes["LineStyles"].toObject()["LineStyleCount"].toInt(), 2);
    EXPECT_EQ(plainRecords[0].toObject()["FillStyle0"].toInt(), 1);
    EXPECT_EQ(plainRecords[5].toObject()["FillStyle0"].toInt(), 0);  // the open path is not filled
    EXPECT_EQ(plainRecords[5].toObject()["LineStyle"].toInt(), 2);
}

TEST_F(ShapeEncoderTest, PathsBeyondTheirEdgeBudgetAreClampedToTheReach)
{
    constexpr int64_t kReach = movie::kReachTwips;
    // The clamped image of a straight edge turns where the edge crosses the borders' lines.
    movie::ReachPoint corners[5];
    ASSERT_EQ(movie::ClampedLineCorners({-4 * kReach, 0}, {4 * kReach, 2 * kReach}, corners), 3);
    EXPECT_EQ(corners[0], (movie::ReachPoint{-kReach, 3 * kReach / 4}));
    EXPECT_EQ(corners[1], (movie::ReachPoint{0, kReach}));
    EXPECT_EQ(corners[2], (movie::ReachPoint{kReach, kReach}));
    ASSERT_EQ(movie::ClampedLineCorners({5, 5}, {5, 5}, corners), 1);  // a zero-length edge keeps its record

    // 200 anchors zig-zagging between the extremes of the coordinates: 13 million records unclamped.
    std::vector<core::AnchorPoint> zigzag;
    for (int i = 0; i < 200; ++i) {
        zigzag.push_back({i % 2 ? INT32_MAX : INT32_MIN, i * 1000 - 100000});
    }
    core::PathRecord far = MakePath(zigzag, false);
    platform::swf::BitBuffer buffer;
    movie::InitBitBuffer(buffer);
    int64_t x = INT32_MIN;
    int64_t y = -100000;
    const int32_t records = movie::WriteEdges(buffer, far, x, y);
    EXPECT_LE(records, movie::EdgeRecordBudget(far));
    EXPECT_GE(records, 199);

    // The movie holds the clamped outline: its move and every point stay within the reach, and
    // the path after it is unaffected.
    REQUIRE_YASWFP();
    far.Anchors.resize(20);
    core::PathArray paths = Paths({far, Square(10, 10, 100)});
    QJsonArray parsed = ParsedRecords(paths);
    int64_t px = 0;
    int64_t py = 0;
    int64_t widest = 0;
    int moves = 0;
    for (const QJsonValue &value : parsed) {
        QJsonObject r = value.toObject();
        if (r.contains("MoveDeltaX")) {
            ++moves;
            px = r["MoveDeltaX"].toInteger();
            py = r["MoveDeltaY"].toInteger();
        }
        px += r["DeltaX"].toInteger() + r["ControlDeltaX"].toInteger() + r["AnchorDeltaX"].toInteger();
        py += r["DeltaY"].toInteger() + r["ControlDeltaY"].toInteger() + r["AnchorDeltaY"].toInteger();
        widest = std::max({widest, std::abs(px), std::abs(py)});
    }
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(widest, kReach);
    EXPECT_LE(Count(parsed).straight, movie::EdgeRecordBudget(far) + 4);
    EXPECT_EQ(std::make_pair(px, py), (std::pair<int64_t, int64_t>{10, 10}));
}

// Every path moved at every redraw: the units of the positions left behind are dropped, so the
// writer keeps a bounded number of units however long the editing goes on.
TEST_F(ShapeEncoderTest, UnitsOfOldPositionsAreDroppedAsTheDrawingMoves)
{
    constexpr int kPaths = 3000;
    std::vector<core::PathRecord> records;
    for (int i = 0; i < kPaths; ++i) {
        records.push_back(MakePath({{i, 0}, {i + 40, 30}, {i, 60}}, true, 1, 1));
    }
    core::PathArray paths = Paths(records);
    const movie::UnitCache &cache = movie::Writer().Units;
    for (int round = 1; round <= 12; ++round) {
        for (size_t i = 1; i < paths.size(); ++i) {
            for (core::AnchorPoint &anchor : paths[i].Anchors) {
                anchor.Y += 20;
            }
        }
        const Bytes warm = movie::EncodeShapeCached(paths);
        // At most: the units of the last two redraws, twice over, and the spare ones.
        EXPECT_LE(cache.Size(), 2u * 2 * kPaths + 4096) << round;
        if (round == 12) {
            movie::Writer().Units = movie::UnitCache();
            EXPECT_EQ(movie::EncodeShapeCached(paths), warm);
        }
    }
}
