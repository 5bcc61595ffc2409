// Fills drawn into a part of the picture follow only the lines that can change it: lines above,
// below or right of the part are passed over, which never changes a pixel, and the work grows
// with the lines times the rows they cross within the part. Players count their own work.
#include "platform/player/swf_parser.h"
#include "platform/player/swf_changed_area.h"
#include "platform/player/player_testing.h"
#include "player_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <vector>

using namespace swftest;

namespace {

// Large enough to be drawn in several bands.
constexpr int kWidth = 400;
constexpr int kHeight = 300;
const QTransform kFullSize = QTransform::fromScale(1 / 20.0, 1 / 20.0);
const QRect kPart(150, 100, 100, 80);

int32_t Tw(double pixels)
{
    return static_cast<int32_t>(std::lround(pixels * 20));
}

using Points = std::vector<QPointF>;

Points Box(double left, double top, double right, double bottom)
{
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

// A star of spikes points around (x, y), reaching from inner to outer pixels.
Points Star(double x, double y, int spikes, double inner, double outer)
{
    Points points;
    for (int k = 0; k < 2 * spikes; ++k) {
        const double angle = k * M_PI / spikes + 0.1;
        const double reach = k % 2 ? outer : inner;
        points.push_back({x + reach * std::cos(angle), y + reach * std::sin(angle)});
    }
    return points;
}

// A closed polygon (pixels) filled with style fill.
void Polygon(Records &records, const Points &points, int fill)
{
    records.Move(Tw(points[0].x()), Tw(points[0].y()), fill, 0, 0);
    for (size_t i = 1; i < points.size(); ++i) {
        records.Line(Tw(points[i].x()), Tw(points[i].y()));
    }
    records.Line(Tw(points[0].x()), Tw(points[0].y()));
}

Styles PolygonStyles()
{
    Styles styles;
    styles.Solid(0xFF0000FF).Solid(0x0000FFFF).Gradient(false, 0.02, Tw(200), Tw(150),
                                                          {{0, 0x00FF00FF}, {255, 0x8000FF80}});
    return styles;
}

Records PolygonRecords(const std::vector<std::pair<Points, int>> &polygons)
{
    Records records;
    for (const auto &[points, fill] : polygons) {
        Polygon(records, points, fill);
    }
    return records;
}

// One shape of the polygons, each with its fill style (1 red, 2 blue, 3 a gradient), drawn with
// anti-aliasing into a white picture, wholly or in a part.
class PolygonPicture {
public:
    explicit PolygonPicture(const std::vector<std::pair<Points, int>> &polygons)
        : PolygonPicture(OneShape(kWidth, kHeight, PolygonStyles(), PolygonRecords(polygons)))
    {
    }

    // The first frame of a movie of kWidth x kHeight pixels.
    explicit PolygonPicture(const std::string &movie) : movie_(platform::swf::ParseMovie(movie))
    {
        if (movie_ != nullptr) {
            platform::swf::ApplyFrame(movie_->frames.at(0), list_);
        }
    }

    bool Loaded() const { return movie_ != nullptr; }

    QImage Render(const QRect &part, platform::swf::RenderCounts &counts) const
    {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(kWhite);
        const platform::swf::PictureSetup setup{movie_.get(), &list_, image.rect(), kFullSize,
                                                platform::swf::Quality::High, 0, &counts};
        platform::swf::RenderDisplayList(setup, image, part);
        return image;
    }

private:
    std::unique_ptr<platform::swf::Movie> movie_;
    platform::swf::DisplayList list_;
};

// Pixels of the part render that differ from the whole render inside the part, or from white
// outside it.
int Differing(const QImage &whole, const QImage &part, const QRect &area)
{
    int differing = 0;
    for (int y = 0; y < whole.height(); ++y) {
        for (int x = 0; x < whole.width(); ++x) {
            differing += part.pixel(x, y) != (area.contains(x, y) ? whole.pixel(x, y) : kWhite) ? 1 : 0;
        }
    }
    return differing;
}

// A box inside the part, so that the shape is drawn there whatever else it holds.
const Points kWitness = Box(160.3, 110.6, 200.7, 150.2);

}  // namespace

TEST(PlayerCulling, LinesBesideThePartChangeNoPixelAndOnlyThoseThatCanAreFollowed)
{
    struct Case {
        const char *name;
        Points polygon;
        int fill;
        bool followed;  // whether its lines are followed in the part
    };
    const Case cases[] = {
        {"wholly right, in the part's rows", Box(300.5, 90.2, 380.5, 200.7), 1, false},
        {"wholly above", Box(140.2, 10.5, 260.8, 60.3), 2, false},
        {"wholly below", Box(140.2, 220.5, 260.8, 290.3), 1, false},
        {"just right of the part's last column", Box(250.5, 120.0, 270.0, 160.0), 2, false},
        {"wholly left, in the part's rows", Box(20.4, 90.2, 100.6, 200.7), 1, true},
        {"across the left side", Box(120.5, 120.5, 180.5, 160.5), 2, true},
        {"across the right side", Box(230.25, 50.75, 290.25, 250.75), 3, true},
        {"across the top", Box(170.5, 80.5, 240.5, 130.5), 3, true},
        {"around the part", Box(100.1, 50.9, 300.3, 250.2), 2, true},
        {"a star across the part", Star(250, 150, 300, 20, 140), 3, true},
    };
    PolygonPicture witnessOnly({{kWitness, 1}});
    ASSERT_TRUE(witnessOnly.Loaded());
    platform::swf::RenderCounts witnessCounts;
    witnessOnly.Render(kPart, witnessCounts);
    EXPECT_GT(witnessCounts.compoundLines, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Sharing an edge with a polygon of another style, as regions of one drawing do.
        PolygonPicture picture({{kWitness, 1}, {c.polygon, c.fill}, {Box(200.7, 110.6, 240.1, 150.2), 2}});
        ASSERT_TRUE(picture.Loaded());
        platform::swf::RenderCounts wholeCounts;
        platform::swf::RenderCounts partCounts;
        const QImage whole = picture.Render(QRect(0, 0, kWidth, kHeight), wholeCounts);
        const QImage part = picture.Render(kPart, partCounts);
        EXPECT_EQ(Differing(whole, part, kPart), 0);
        EXPECT_LE(partCounts.compoundLines, wholeCounts.compoundLines);
        // The witness and its neighbour share two sides: four vertical lines, two of them apart.
        const int64_t besides = 2 * witnessCounts.compoundLines;
        if (c.followed) {
            EXPECT_GT(partCounts.compoundLines, besides);
        } else {
            EXPECT_EQ(partCounts.compoundLines, besides);
        }
    }
}

TEST(PlayerCulling, AFillsWorkGrowsWithItsLinesTimesTheRowsTheyCrossInThePart)
{
    // A comb of 100 teeth spanning every row, and a strip at its left: only the strip's own lines
    // are followed there, however many teeth lie right of it.
    std::vector<std::pair<Points, int>> polygons = {{Box(4.5, 10.5, 14.5, 290.5), 2}};
    for (int k = 0; k < 100; ++k) {
        polygons.push_back({Box(40.25 + 3 * k, 0.5, 41.75 + 3 * k, 299.5), 1});
    }
    PolygonPicture comb(polygons);
    ASSERT_TRUE(comb.Loaded());
    const QRect strip(0, 0, 20, kHeight);
    platform::swf::RenderCounts stripCounts;
    platform::swf::RenderCounts wholeCounts;
    const QImage whole = comb.Render(QRect(0, 0, kWidth, kHeight), wholeCounts);
    EXPECT_EQ(Differing(whole, comb.Render(strip, stripCounts), strip), 0);
    EXPECT_GT(stripCounts.compoundLines, 0);
    EXPECT_LE(stripCounts.compoundLines, 2 * 281);  // two upright sides, 281 rows each at most
    EXPECT_GE(wholeCounts.compoundLines, 200 * 299);

    // A star of 2,000 lines: whatever part is drawn, no more than its lines times the part's rows.
    PolygonPicture star({{Star(200, 150, 1000, 30, 145), 3}});
    ASSERT_TRUE(star.Loaded());
    for (const QRect &part : {QRect(0, 0, kWidth, kHeight), kPart, QRect(190, 0, 20, kHeight), QRect(0, 140, kWidth, 3)}) {
        platform::swf::RenderCounts counts;
        star.Render(part, counts);
        EXPECT_GT(counts.compoundLines, 0);
        EXPECT_LE(counts.compoundLines, 2000 * (part.height() + 1)) << part.x() << "," << part.y();
        // A line leaves at most 5 cells a row, and 4 more where it crosses the rows of sample
        // points anti-aliased fills keep.
        EXPECT_LE(counts.compoundCells, 9 * counts.compoundLines);
    }
}

// A group of a shape: a polygon (with a box cut out of it when hole is set), one fill of kind
// (opaque, translucent, an opaque gradient, a gradient with a translucent stop), a line when
// lineWidth is set.
struct Layer {
    Points outline;
    std::optional<Points> hole;
    int kind = 0;
    uint16_t lineWidth = 0;
};

std::string LayersMovie(const std::vector<Layer> &layers, const std::optional<Place> &placement = std::nullopt)
{
    Records records;
    for (size_t i = 0; i < layers.size(); ++i) {
        const Layer &layer = layers[i];
        const uint32_t colour = 0x10305000u + static_cast<uint32_t>(i * 0x0B0D07u % 0xFFFFFF) * 0x100u;
        Styles styles;
        switch (layer.kind) {
        case 0:
            styles.Solid(colour | 0xFF);
            break;
        case 1:
            styles.Solid(colour | 0x80);
            break;
        case 2:
            styles.Gradient(false, 0.003, Tw(layer.outline[0].x()), Tw(layer.outline[0].y()),
                            {{0, colour | 0xFF}, {255, 0x203040FF}});
            break;
        default:
            styles.Gradient(true, 0.002, Tw(layer.outline[0].x()), Tw(layer.outline[0].y()),
                            {{0, colour | 0xFF}, {200, 0x20304060}});
            break;
        }
        if (layer.lineWidth > 0) {
            styles.Line(layer.lineWidth, 0x000000FF);
        }
        auto contour = [&records](const Points &points) {
            for (size_t k = 1; k <= points.size(); ++k) {
                records.Line(Tw(points[k % points.size()].x()), Tw(points[k % points.size()].y()));
            }
        };
        const Points &outline = layer.outline;
        records.NewStyles(styles, Tw(outline[0].x()), Tw(outline[0].y()), 1, layer.lineWidth > 0 ? 1 : 0);
        contour(outline);
        if (layer.hole) {
            records.Move(Tw(layer.hole->front().x()), Tw(layer.hole->front().y()));
            contour(*layer.hole);
        }
    }
    Movie movie(kWidth, kHeight);
    Place place = placement.value_or(Place());
    place.id = 1;
    movie.Shape(1, Styles(), records).PlaceObject(place).ShowFrame();
    return movie.Bytes();
}

// Draws every group while alive.
struct HiddenGroupsDrawn {
    HiddenGroupsDrawn() { platform::DrawHiddenGroupsForTest(true); }
    ~HiddenGroupsDrawn() { platform::DrawHiddenGroupsForTest(false); }
};

TEST(PlayerCulling, GroupsHiddenByLaterOpaqueFillsArePassedOverAndNoPixelChanges)
{
    // Hundreds of boxes and stars of every fill kind piled on one another, some with holes.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-20, kWidth + 20);
    std::uniform_real_distribution<double> y(-20, kHeight + 20);
    std::uniform_real_distribution<double> size(4, 90);
    std::vector<Layer> layers;
    for (int i = 0; i < 400; ++i) {
        const double cx = x(random);
        const double cy = y(random);
        const double reach = size(random);
        Layer layer;
        layer.outline = i % 3 == 0 ? Star(cx, cy, 5 + i % 7, reach / 2, reach)
                                   : Box(cx - reach, cy - reach * 0.7, cx + reach, cy + reach * 0.7);
        if (i % 5 == 1) {
            layer.hole = Box(cx - reach / 3, cy - reach / 4, cx + reach / 3, cy + reach / 4);
        }
        layer.kind = i % 7 == 3 ? 1 : i % 11 == 5 ? 3 : i % 4 == 2 ? 2 : 0;
        layer.lineWidth = i % 6 == 0 ? static_cast<uint16_t>(20 + i % 50) : 0;
        layers.push_back(layer);
    }
    Place translucent;
    translucent.colorTransform = {{256, 256, 256, 200}, {0, 0, 0, 0}};
    const QRect parts[] = {QRect(0, 0, kWidth, kHeight), kPart, QRect(0, 280, kWidth, 9), QRect(397, 0, 3, kHeight)};
    for (const auto &placement : {std::optional<Place>(), std::optional<Place>(translucent)}) {
        SCOPED_TRACE(placement ? "through a translucent colour transform" : "opaque");
        PolygonPicture picture(LayersMovie(layers, placement));
        ASSERT_TRUE(picture.Loaded());
        for (const QRect &part : parts) {
            SCOPED_TRACE(part.y());
            platform::swf::RenderCounts passedOver;
            platform::swf::RenderCounts everyGroup;
            const QImage skipping = picture.Render(part, passedOver);
            QImage drawingAll;
            {
                HiddenGroupsDrawn drawn;
                drawingAll = picture.Render(part, everyGroup);
            }
            EXPECT_EQ(Differing(drawingAll, skipping, QRect(0, 0, kWidth, kHeight)), 0);
            if (!placement && part.width() == kWidth && part.height() == kHeight) {
                EXPECT_LT(passedOver.compoundLines, everyGroup.compoundLines * 3 / 4);
            }
        }
    }
}

TEST(PlayerStatistics, EachPlayerCountsTheWorkOfItsOwnRenders)
{
    Styles styles;
    styles.Solid(0xFF0000FF).Line(60, 0x000000FF);
    Records records;
    records.Box(Tw(20), Tw(20), Tw(180), Tw(120), 1, 0, 1);
    const std::string bytes = OneShape(200, 150, styles, records);
    platform::MoviePlayer first;
    platform::MoviePlayer second;
    for (platform::MoviePlayer *player : {&first, &second}) {
        player->SetQuality2("high");
        Load(*player, bytes);
    }
    Render(first, 200, 150);
    const platform::PlayerStats drawn = first.Stats();
    EXPECT_GT(drawn.fillLineRows, 0);
    EXPECT_EQ(second.Stats().fillLineRows, 0);
    // Drawn at twice the size, the second player follows its lines across twice the rows.
    Render(second, 400, 300);
    EXPECT_GT(second.Stats().fillLineRows, drawn.fillLineRows);
    EXPECT_EQ(first.Stats().fillLineRows, drawn.fillLineRows);
}
