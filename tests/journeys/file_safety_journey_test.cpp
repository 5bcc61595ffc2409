// Files the program cannot take: an SVG whose figures would not fit in memory is refused with a
// message whichever way it comes in (read as a clip, dropped), and the drawing stays as it was;
// saving onto a pipe is refused with a message and leaves the pipe; saving a drawing with two
// names shows the saved drawing under both; a refused save is told in the program's words, and
// the status line says so.
#include "core/document.h"
#include "import/svg_context.h"
#include "tests/journeys/journey_fixture.h"

#include <QLabel>
#include <QRegularExpression>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace journeys {
namespace {

constexpr Rgb kRed = 0xFF0000;

class FileSafety : public Journey {
protected:
    void TearDown() override
    {
        importer::SvgLimits::SetDefaultHeldBytes(0);
        Journey::TearDown();
    }
    // A red square 40..140 px, saved under the name: the caption is unmodified afterwards.
    std::string SavedRedSquare(const std::string &name)
    {
        std::string path = WriteDrawing(name, {Square(40, 40, 100, kRed)});
        OpenDrawing(path);
        return path;
    }
    // An SVG of many stroked diagonals across the whole canvas.
    std::string WriteDiagonals(const std::string &name, int count)
    {
        std::ofstream out(File(name), std::ios::binary);
        out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"320\" height=\"320\">"
               "<path stroke=\"#000000\" stroke-width=\"50\" d=\"";
        for (int i = 0; i < count; ++i) {
            out << "M0 0 L300 300 ";
        }
        out << "\"/></svg>";
        return File(name);
    }
    bool All(Rgb colour, double left, double top, double right, double bottom)
    {
        const QRect area(AtPixel(left, top), AtPixel(right, bottom));
        return CountColor(area, colour, 8) == area.width() * area.height();
    }
    // The red square alone on a white canvas.
    void ExpectRedSquareAlone()
    {
        EXPECT_TRUE(All(kRed, 42, 42, 138, 138));
        EXPECT_TRUE(All(kWhite, 150, 150, 310, 310));
        EXPECT_TRUE(All(kWhite, 150, 5, 310, 30));
        EXPECT_EQ(core::Doc().DocPathCount(), 1);
    }
};

TEST_F(FileSafety, AnSvgTooLargeForMemoryIsRefusedAndTheDrawingStays)
{
    SavedRedSquare("square.qlk");
    const std::string large = WriteDiagonals("large.svg", 2000);
    // 2,000 two-anchor paths are past this budget; the 20 of a small file are not.
    importer::SvgLimits::SetDefaultHeldBytes(200'000);
    struct Route {
        const char *name;
        std::function<void()> bringIn;
    };
    const Route routes[] = {
        {"read as a clip, then pasted",
         [&] {
             AnswerFileDialog(large);
             Menu({"ファイル", "クリップを読み込む"});
             Key(Qt::Key_V, Qt::ControlModifier);
         }},
        {"dropped", [&] { DropOnCanvas({QString::fromStdString(large)}, AtPixel(100, 100)); }},
    };
    for (const Route &route : routes) {
        SCOPED_TRACE(route.name);
        messageTexts.clear();
        route.bringIn();
        ASSERT_EQ(messageTexts.size(), 1u);
        EXPECT_TRUE(messageTexts[0].contains(QStringLiteral("メモリが足りない"))) << messageTexts[0].toStdString();
        ExpectRedSquareAlone();
        EXPECT_FALSE(CaptionModified());
    }

    // A file within the budget still comes in.
    messageTexts.clear();
    DropOnCanvas({QString::fromStdString(WriteDiagonals("small.svg", 20))}, AtPixel(150, 150));
    EXPECT_TRUE(messageTexts.empty());
    EXPECT_EQ(core::Doc().DocPathCount(), 21);
    EXPECT_GT(CountColor(AreaTwips(200 * 20, 200 * 20, 260 * 20, 260 * 20), kBlack), 100);
    EXPECT_TRUE(CaptionModified());
}

TEST_F(FileSafety, SavingOntoAPipeIsRefusedAndHardLinksSeeTheSavedDrawing)
{
    const std::string path = SavedRedSquare("square.qlk");
    const std::string other = File("other-name.qlk");
    std::filesystem::create_hard_link(path, other);
    // A second square, saved over the drawing: both of its names show it when opened.
    DrawUnselectedRectangle(AtPixel(200, 200), AtPixel(260, 260));
    Menu({"ファイル", "上書き保存"});
    EXPECT_FALSE(CaptionModified());
    OpenDrawing(other);
    EXPECT_EQ(core::Doc().DocPathCount(), 2);
    EXPECT_GT(CountInk(AreaTwips(200 * 20, 200 * 20, 261 * 20, 261 * 20)), 100);

    const std::string pipe = File("pipe.qlk");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    DrawUnselectedRectangle(AtPixel(20, 200), AtPixel(80, 260));
    messageTexts.clear();
    AnswerFileDialog(pipe);
    Menu({"ファイル", "名前を付けて保存"});
    ASSERT_EQ(messageTexts.size(), 1u);
    EXPECT_TRUE(messageTexts[0].contains(QStringLiteral("通常のファイルではありません"))) << messageTexts[0].toStdString();
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(pipe)));
    EXPECT_TRUE(CaptionModified());
    EXPECT_TRUE(Caption().contains(QStringLiteral("other-name.qlk")));
}

// Saving over a drawing its mode marks read-only, and into a folder that is not there, each right
// after a save that went well: each is refused in Japanese (the only Latin letters are the file's
// path), and the status line tells the refusal instead of the save before it.
TEST_F(FileSafety, ARefusedSaveIsToldInTheProgramsWordsAndOnTheStatusLine)
{
    const std::string path = SavedRedSquare("square.qlk");
    DrawUnselectedRectangle(AtPixel(200, 200), AtPixel(260, 260));
    struct Writable {
        std::string path;
        ~Writable() { chmod(path.c_str(), 0644); }
    } writable{path};
    const std::string missing = File("missing-folder") + "/square.qlk";
    struct Refusal {
        const char *name;
        std::string path;
        std::function<void()> save;
        const char *cause;
    };
    const Refusal refusals[] = {
        {"over a read-only drawing", path,
         [&] {
             ASSERT_EQ(chmod(path.c_str(), 0444), 0);
             Menu({"ファイル", "上書き保存"});
         },
         "読み取り専用"},
        {"into a missing folder", missing,
         [&] {
             AnswerFileDialog(missing);
             Menu({"ファイル", "名前を付けて保存"});
         },
         "フォルダー"},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        chmod(path.c_str(), 0644);
        Menu({"ファイル", "上書き保存"});
        ASSERT_EQ(window->StatusLabel1->text(), QStringLiteral("ファイルを保存しました。"));
        messageTexts.clear();
        refusal.save();
        ASSERT_EQ(messageTexts.size(), 1u);
        QString words = messageTexts[0];
        words.remove(QString::fromStdString(refusal.path));
        EXPECT_FALSE(words.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << messageTexts[0].toStdString();
        EXPECT_TRUE(words.contains(QString::fromUtf8(refusal.cause))) << messageTexts[0].toStdString();
        EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("ファイルを保存できませんでした。"));
        EXPECT_EQ(Caption(), QStringLiteral("[ square.qlk ] - Quillark"));
    }
}

}  // namespace
}  // namespace journeys
