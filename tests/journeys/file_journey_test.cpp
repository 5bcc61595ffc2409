// Files through the File menu and the file dialogs: a drawing saved, cleared by a new canvas and
// opened again looks as it did; SVG and metafile clips read and pasted or dropped on the canvas
// show their figures; the picture export writes BMP, JPEG, PNG and movie files that show the
// drawing at the canvas size.
#include "core/document.h"
#include "platform/forms/message_box.h"
#include "platform/player/movie_player.h"
#include "tests/import/wmf_test_support.h"
#include "tests/journeys/journey_fixture.h"
#include "tests/support/movie_tags.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <zlib.h>

namespace journeys {
namespace {

constexpr Rgb kCyan = 0x00FFFF;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kBlue = 0x0000FF;
constexpr Rgb kHalfOrange = 0xFFD27F;  // orange (#FFA500) at half opacity over white

int Differing(const QImage &a, const QImage &b, QRect area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

class Files : public Journey {
protected:
    // A red square 40..140 and a blue one 180..280 x 100..200, both outlined.
    void DrawTwoSquares()
    {
        ChooseStyle(kLineAndFill);
        PickColor(kRed, Qt::RightButton);
        DrawRectangle(AtPixel(40, 40), AtPixel(140, 140));
        Key(Qt::Key_Escape);
        PickColor(kBlue, Qt::RightButton);
        DrawRectangle(AtPixel(180, 100), AtPixel(280, 200));
        Key(Qt::Key_Escape);
    }
    // The canvas rectangle on the picture.
    QRect CanvasArea() const { return AreaTwips(0, 0, 320 * 20, 320 * 20).adjusted(0, 0, -1, -1); }
    bool All(Rgb colour, double left, double top, double right, double bottom)
    {
        const QRect area(AtPixel(left, top), AtPixel(right, bottom));
        return CountColor(area, colour, 8) == area.width() * area.height();
    }
    // Exports the drawing through the picture-export command under the name.
    void Export(const std::string &name)
    {
        AnswerFileDialog(File(name));
        Menu({"ファイル", "別の形式で画像を保存"});
        ASSERT_TRUE(std::filesystem::exists(File(name))) << name;
    }
    // An exported PNG laid over white, as a viewer shows it.
    QImage FlatPng(const std::string &name) const
    {
        const QImage argb = QImage(QString::fromStdString(File(name)), "PNG").convertToFormat(QImage::Format_ARGB32);
        QImage flat(argb.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, argb);
        return flat;
    }
    // An exported movie's frame, which must be the canvas of the size, rendered over white.
    QImage RenderedMovie(const std::string &name, QSize canvas) const
    {
        QFile file(QString::fromStdString(File(name)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const movietags::Movie movie = movietags::ReadMovie(std::string_view(bytes.constData(), bytes.size()));
        EXPECT_TRUE(movie.read);
        EXPECT_EQ(movie.header.frame, (platform::swf::RectRecord{0, canvas.width() * 20, 0, canvas.height() * 20}));
        platform::MoviePlayer player;
        player.SetMovie(File(name));
        QImage rendered(canvas, QImage::Format_RGB32);
        rendered.fill(Qt::white);
        player.Render(rendered, rendered.rect());
        return rendered;
    }
    // The red and blue squares on an exported picture of the canvas.
    void ExpectSquaresOnPicture(const QImage &picture, int tolerance)
    {
        ASSERT_EQ(picture.size(), QSize(320, 320));
        EXPECT_EQ(CountColor(picture, QRect(45, 45, 90, 90), kRed, tolerance), 90 * 90);
        EXPECT_EQ(CountColor(picture, QRect(185, 105, 90, 90), kBlue, tolerance), 90 * 90);
        EXPECT_EQ(CountColor(picture, QRect(150, 10, 160, 80), kWhite, tolerance), 160 * 80);
        // the outline along the red square's top edge
        EXPECT_GT(CountColor(picture, QRect(45, 39, 90, 3), kBlack, 160), 80);
    }
};

TEST_F(Files, ASavedDrawingLooksTheSameWhenOpenedAfterANewCanvas)
{
    DrawTwoSquares();
    const QImage before = Canvas();
    const std::string name = File("two squares.qlk");
    AnswerFileDialog(name);
    Menu({"ファイル", "名前を付けて保存"});
    ASSERT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(Caption(), QStringLiteral("[ two squares.qlk ] - Quillark"));
    EXPECT_FALSE(CaptionModified());

    Menu({"ファイル", "新規作成"});
    EXPECT_TRUE(All(kWhite, 10, 10, 310, 310));
    EXPECT_EQ(Caption(), QStringLiteral("(新規) - Quillark"));

    AnswerFileDialog(name);
    Menu({"ファイル", "ファイルを開く"});
    EXPECT_EQ(Caption(), QStringLiteral("[ two squares.qlk ] - Quillark"));
    const QImage after = Canvas();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Differing(before, after, CanvasArea()), 0);
    EXPECT_TRUE(All(kRed, 45, 45, 135, 135));

    // Changed and saved over the same file, the change is there when opened again.
    ClickCanvas(AtPixel(40, 90));
    Key(Qt::Key_Delete);
    EXPECT_TRUE(All(kWhite, 45, 45, 135, 135));
    EXPECT_TRUE(CaptionModified());
    Menu({"ファイル", "上書き保存"});
    EXPECT_FALSE(CaptionModified());
    AnswerFileDialog(name);
    Menu({"ファイル", "ファイルを開く"});
    EXPECT_TRUE(All(kWhite, 45, 45, 135, 135));
    EXPECT_TRUE(All(kBlue, 185, 105, 275, 195));
}

TEST_F(Files, ANewCanvasAsksBeforeItDropsAChangedDrawing)
{
    DrawTwoSquares();
    // Cancel keeps the drawing; No drops it.
    AnswerMessage(platform::kMbCancel);
    Menu({"ファイル", "新規作成"});
    ASSERT_FALSE(messageTexts.empty());
    EXPECT_TRUE(All(kRed, 45, 45, 135, 135));
    AnswerMessage(platform::kMbNo);
    Menu({"ファイル", "新規作成"});
    EXPECT_TRUE(All(kWhite, 45, 45, 135, 135));
    EXPECT_FALSE(CaptionModified());
}

TEST_F(Files, AnSvgClipReadThroughTheFileMenuIsPastedOntoTheCanvas)
{
    AnswerFileDialog(std::string(QUILLARK_TEST_DATA) + "/svg/raster_shapes.svg");
    Menu({"ファイル", "クリップを読み込む"});
    Key(Qt::Key_V, Qt::ControlModifier);
    // The blue rectangle (#3465a4) of the 200 x 150 picture at 5..95 x 5..65 px, a star in its
    // middle: the strips left and right of the star.
    EXPECT_TRUE(All(0x3465A4, 8, 8, 22, 62));
    EXPECT_TRUE(All(0x3465A4, 75, 8, 92, 62));
    EXPECT_GT(CountColor(AreaTwips(30 * 20, 20 * 20, 70 * 20, 50 * 20), 0xC03030, 8), 200);  // the star
    // The half-transparent orange triangle (10,140)-(60,80)-(110,140) over the white canvas.
    EXPECT_TRUE(All(kHalfOrange, 50, 118, 70, 136));
    EXPECT_TRUE(All(kWhite, 20, 85, 35, 105));  // beside its left side
    EXPECT_GT(core::Doc().DocPathCount(), 5);
    EXPECT_TRUE(CaptionModified());
}

// A gradient whose ramp covers only the middle fifth of its rectangle: the end colours spread
// evenly over the rest (pad), and the ramp passes through purple in the middle.
TEST_F(Files, AnSvgGradientShorterThanItsShapeSpreadsItsEndColours)
{
    const std::string svg = File("ramp.svg");
    {
        std::ofstream out(svg);
        out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"300\" height=\"100\"><defs>"
               "<linearGradient id=\"g\" x1=\"40%\" y1=\"0%\" x2=\"60%\" y2=\"0%\">"
               "<stop offset=\"0\" stop-color=\"#ff0000\"/><stop offset=\"1\" stop-color=\"#0000ff\"/>"
               "</linearGradient></defs><rect x=\"0\" y=\"0\" width=\"300\" height=\"100\" fill=\"url(#g)\"/></svg>";
    }
    AnswerFileDialog(svg);
    Menu({"ファイル", "クリップを読み込む"});
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(All(kRed, 4, 4, 110, 96));
    EXPECT_TRUE(All(kBlue, 190, 4, 296, 96));
    // Between them the ramp: each column one colour from top to bottom, red falling and blue rising
    // from column to column, purple in the middle.
    const QImage canvas = Canvas();
    Rgb previous = kRed;
    for (int x = AtPixel(112, 0).x(); x <= AtPixel(188, 0).x(); ++x) {
        const Rgb column = canvas.pixel(x, AtPixel(0, 50).y()) & 0xFFFFFFu;
        const QRect strip(QPoint(x, AtPixel(0, 4).y()), QPoint(x, AtPixel(0, 96).y()));
        EXPECT_EQ(CountColor(strip, column, 2), strip.height()) << "column " << x;
        EXPECT_LE(qRed(column), qRed(previous)) << "column " << x;
        EXPECT_GE(qBlue(column), qBlue(previous)) << "column " << x;
        previous = column;
    }
    EXPECT_TRUE(Near(PixelAt(AtPixel(150, 50)), 0x800080, 24)) << std::hex << PixelAt(AtPixel(150, 50));
    EXPECT_TRUE(All(kWhite, 4, 104, 296, 200));
}

TEST_F(Files, AnSvgFileDroppedOnTheCanvasLandsWhereItIsDropped)
{
    const QString svg = QString::fromStdString(std::string(QUILLARK_TEST_DATA) + "/svg/raster_shapes.svg");
    DropOnCanvas({svg}, AtPixel(100, 120));
    // The top-left corner of the figures, the blue rectangle's corner (5, 5), lands at the drop
    // point: the rectangle covers 100..190 x 120..180.
    EXPECT_TRUE(All(0x3465A4, 104, 124, 118, 176));
    EXPECT_TRUE(All(0x3465A4, 172, 124, 186, 176));
    EXPECT_TRUE(All(kWhite, 20, 20, 90, 110));
    // The half-transparent triangle, 95 px right of and 115 px below its place in the file.
    EXPECT_TRUE(All(kHalfOrange, 145, 233, 165, 251));
}

TEST_F(Files, ACompressedSvgFileDroppedOnTheCanvasShowsItsFigures)
{
    // The same picture as above, gzip-compressed as .svgz files are.
    std::ifstream plain(std::string(QUILLARK_TEST_DATA) + "/svg/raster_shapes.svg", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(plain)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    const std::string svgz = File("shapes.svgz");
    gzFile out = gzopen(svgz.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(gzwrite(out, text.data(), static_cast<unsigned>(text.size())), static_cast<int>(text.size()));
    ASSERT_EQ(gzclose(out), Z_OK);

    DropOnCanvas({QString::fromStdString(svgz)}, AtPixel(100, 120));
    EXPECT_TRUE(All(0x3465A4, 104, 124, 118, 176));
    EXPECT_TRUE(All(0x3465A4, 172, 124, 186, 176));
    EXPECT_TRUE(All(kWhite, 20, 20, 90, 110));
}

TEST_F(Files, AMetafileReadAsAClipOrDroppedShowsItsFigures)
{
    // 200 x 100 pixels: a red filled triangle with a black outline.
    wmftest::MetafileBuilder metafile;
    metafile.PictureBox(0, 0, 200, 100)
        .Objects(2)
        .Pen(1, 0x000000)
        .Select(0)
        .Brush(0, 0x0000FF)  // 0x00BBGGRR: red
        .Select(1)
        .Polygon({{0, 0}, {200, 0}, {0, 100}});
    const std::string name = File("triangle.wmf");
    {
        std::ofstream out(name, std::ios::binary);
        out << metafile.Bytes();
    }
    DropOnCanvas({QString::fromStdString(name)}, AtPixel(40, 60));
    // Well inside the triangle: near its right-angle corner at the drop point.
    EXPECT_TRUE(All(kRed, 45, 65, 100, 85));
    EXPECT_TRUE(All(kWhite, 150, 130, 190, 150));  // beyond its long side

    AnswerFileDialog(name);
    Menu({"ファイル", "クリップを読み込む"});
    AnswerPopup({"貼り付け"});
    ClickCanvas(AtPixel(60, 200), Qt::RightButton);  // on the empty canvas
    EXPECT_TRUE(All(kRed, 65, 205, 120, 225));
}

TEST_F(Files, PictureExportsShowTheDrawingAtTheCanvasSize)
{
    DrawTwoSquares();
    Export("picture.bmp");
    QImage bmp(QString::fromStdString(File("picture.bmp")), "BMP");
    ExpectSquaresOnPicture(bmp.convertToFormat(QImage::Format_RGB32), 8);

    Export("picture.jpg");
    QImage jpg(QString::fromStdString(File("picture.jpg")), "JPG");
    ExpectSquaresOnPicture(jpg.convertToFormat(QImage::Format_RGB32), 24);

    Export("picture.png");
    QImage png(QString::fromStdString(File("picture.png")), "PNG");
    ASSERT_TRUE(png.hasAlphaChannel());
    const QImage argb = png.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(argb.pixel(90, 90)), 255);
    EXPECT_EQ(qAlpha(argb.pixel(200, 30)), 0);  // the canvas shows through
    ExpectSquaresOnPicture(FlatPng("picture.png"), 8);

    Export("picture.swf");
    ExpectSquaresOnPicture(RenderedMovie("picture.swf", QSize(320, 320)), 8);
}

// A canvas wider than high: every export keeps its width and height apart, and the figures at
// their places (a red square at the right, a blue one at the top left).
TEST_F(Files, PictureExportsOfAWideCanvasKeepItsWidthAndHeight)
{
    core::CanvasSettings wide;
    wide.Width = 400;
    wide.Height = 240;
    OpenDrawing(WriteDrawing("wide.qlk", {Square(300, 150, 80, kRed), Square(20, 20, 60, kBlue)}, wide));
    auto expectFigures = [&](const QImage &picture, int tolerance, const char *name) {
        SCOPED_TRACE(name);
        ASSERT_EQ(picture.size(), QSize(400, 240));
        EXPECT_EQ(CountColor(picture, QRect(302, 152, 76, 76), kRed, tolerance), 76 * 76);
        EXPECT_EQ(CountColor(picture, QRect(22, 22, 56, 56), kBlue, tolerance), 56 * 56);
        EXPECT_EQ(CountColor(picture, QRect(90, 0, 200, 240), kWhite, tolerance), 200 * 240);
        EXPECT_EQ(CountColor(picture, QRect(300, 0, 100, 140), kWhite, tolerance), 100 * 140);
        EXPECT_EQ(CountColor(picture, QRect(0, 90, 80, 150), kWhite, tolerance), 80 * 150);
    };
    Export("wide.bmp");
    expectFigures(QImage(QString::fromStdString(File("wide.bmp")), "BMP").convertToFormat(QImage::Format_RGB32), 8,
                  "bmp");
    Export("wide.jpg");
    expectFigures(QImage(QString::fromStdString(File("wide.jpg")), "JPG").convertToFormat(QImage::Format_RGB32), 24,
                  "jpg");
    Export("wide.png");
    expectFigures(FlatPng("wide.png"), 8, "png");
    Export("wide.swf");
    expectFigures(RenderedMovie("wide.swf", QSize(400, 240)), 8, "swf");
}

TEST_F(Files, ThePictureExportLeavesTheCanvasShowingThePartsOutsideIt)
{
    // A square reaching past the canvas' right edge (320 px); the canvas shows it outside too.
    ChooseStyle(kFillOnly);
    DrawRectangle(AtPixel(260, 100), AtPixel(360, 200));
    Key(Qt::Key_Escape);
    ASSERT_TRUE(All(kCyan, 330, 110, 350, 190));
    for (const char *name : {"outside.png", "outside.bmp", "outside.swf"}) {
        Export(name);
        EXPECT_TRUE(All(kCyan, 330, 110, 350, 190)) << name;
        window->DispShape(1);  // a later redraw shows the canvas movie as it is
        EXPECT_TRUE(All(kCyan, 330, 110, 350, 190)) << name;
    }
    // The exported picture holds only the canvas.
    QImage bmp(QString::fromStdString(File("outside.bmp")), "BMP");
    EXPECT_EQ(bmp.size(), QSize(320, 320));
}

}  // namespace
}  // namespace journeys
