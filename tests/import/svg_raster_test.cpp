// The imported paths, rasterised even-odd, match what rsvg-convert draws of the same file.
#include "import/svg_reader.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace importer;

namespace {

QColor ToQColor(core::Color color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF, color >> 24);
}

void AddOutline(QPainterPath &outline, const core::PathRecord &record)
{
    const auto &anchors = record.Anchors;
    outline.moveTo(anchors[0].X / 20.0, anchors[0].Y / 20.0);
    for (size_t i = 1; i < anchors.size(); ++i) {
        if (anchors[i].AnchorKind == core::kControlPoint && i + 1 < anchors.size()) {
            outline.quadTo(anchors[i].X / 20.0, anchors[i].Y / 20.0, anchors[i + 1].X / 20.0, anchors[i + 1].Y / 20.0);
            ++i;
        } else {
            outline.lineTo(anchors[i].X / 20.0, anchors[i].Y / 20.0);
        }
    }
    outline.closeSubpath();
}

// Solid fills only: the members of a compound path are filled together, even-odd.
QImage Rasterise(const core::PathCollection &paths, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 1; i <= paths.PathCount();) {
        const core::PathRecord &first = paths.Paths[i];
        QPainterPath outline;
        outline.setFillRule(Qt::OddEvenFill);
        int j = i;
        do {
            AddOutline(outline, paths.Paths[j]);
            ++j;
        } while (j <= paths.PathCount() && first.CompoundID != 0 && paths.Paths[j].CompoundID == first.CompoundID);
        if (first.FillType == core::kFillSolid) {
            painter.fillPath(outline, ToQColor(first.FillColor));
        }
        i = j;
    }
    return image;
}

bool Close(QRgb a, QRgb b)
{
    auto near = [](int x, int y) { return std::abs(x - y) <= 40; };
    return near(qRed(a), qRed(b)) && near(qGreen(a), qGreen(b)) && near(qBlue(a), qBlue(b)) &&
           near(qAlpha(a), qAlpha(b));
}

// Share of the pixels covered in either picture that match.
double CoveredMatch(const QImage &ours, const QImage &reference)
{
    int covered = 0;
    int matching = 0;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            QRgb a = ours.pixel(x, y);
            QRgb b = reference.pixel(x, y);
            if (qAlpha(a) < 128 && qAlpha(b) < 128) {
                continue;
            }
            ++covered;
            matching += Close(a, b) ? 1 : 0;
        }
    }
    return covered == 0 ? 0 : static_cast<double>(matching) / covered;
}

class SvgRaster : public testing::TestWithParam<const char *> {};

}  // namespace

TEST_P(SvgRaster, ImportMatchesRsvg)
{
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "rsvg-convert is not installed";
    }
    std::string source = testsupport::DataPath(std::string("svg/") + GetParam());
    std::string png = testsupport::TempPath(std::string(GetParam()) + ".png");
    std::string command = "rsvg-convert --dpi-x 90 --dpi-y 90 '" + source + "' -o '" + png + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    QImage reference = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(reference.isNull());

    SvgReader reader;
    ASSERT_TRUE(reader.LoadSvg(source));
    ASSERT_EQ(reader.width(), reference.width());
    ASSERT_EQ(reader.height(), reference.height());
    QImage ours = Rasterise(reader.GetPathRecords(), reader.width(), reader.height());
    double match = CoveredMatch(ours, reference);
    RecordProperty("covered_match", std::to_string(match));
    EXPECT_GE(match, 0.97);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SvgRaster, testing::Values("raster_shapes.svg", "raster_curves.svg"));
