// Files the program cannot take: an SVG whose figures would not fit in memory is refused with a
// message whichever way it comes in (read as a clip, dropped), and the drawing stays as it was;
// saving onto a pipe is refused with a message and leaves the pipe; saving a drawing with two
// names shows the saved drawing under both; a refused save is told in the program's words, and
// the status line says so.
#include "core/document.h"
#include "core/drawing_file.h"
#include "import/svg_context.h"
#include "tests/journeys/journey_fixture.h"
#include "tests/support/test_support.h"
#include "toolwindows/folder_gui.h"

#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
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

// Under a limit of the address space, every route that reads a file memory cannot hold refuses it
// with the memory message, the drawing stays as it was and the program goes on. Each route runs in
// a child process started afresh (the limit is never lifted there), which writes the large file
// itself: one line of two million anchors, as a drawing and as a clip, more than the limit leaves
// room for once it is drawn, and a drawing of a million short lines, more than it leaves room for
// once read.
class FileSafetyUnderMemoryLimit : public FileSafety {
protected:
    static constexpr size_t kHeadroom = 128u << 20;

    struct Route {
        const char *name;
        std::function<void()> before;   // without the limit
        std::function<void()> bringIn;  // under it
        size_t messages;                // memory messages it shows (a thumbnail's on the way)
    };

    static core::PathRecord Line(const std::vector<core::AnchorPoint> &anchors)
    {
        core::PathRecord line;
        line.Anchors = anchors;
        line.LineMode = 1;
        line.LineWidth = 20;
        return line;
    }
    static core::PathArray LongLine()
    {
        constexpr int kAnchors = 2'000'000;
        std::vector<core::AnchorPoint> anchors;
        anchors.reserve(kAnchors);
        for (int i = 0; i < kAnchors; ++i) {
            anchors.push_back({200 + i % 6000, 200 + i / 1000 % 6000, core::kOnCurve});
        }
        return {core::PathRecord(), Line(anchors)};
    }
    // A million short lines: more records than the room left holds once read.
    std::string WriteManyLinesDrawing()
    {
        core::PathArray paths(1'000'001, Line({{200, 200, core::kOnCurve}, {400, 300, core::kOnCurve}}));
        paths[0] = core::PathRecord();
        const std::string path = File("many.qlk");
        std::string message;
        EXPECT_TRUE(core::WriteDrawingFile(path, paths, core::UpperBound(paths), core::CanvasSettings(), message))
            << message;
        return path;
    }
    std::string WriteLongDrawing()
    {
        const std::string path = File("long.qlk");
        std::string message;
        EXPECT_TRUE(core::WriteDrawingFile(path, LongLine(), 1, core::CanvasSettings(), message)) << message;
        return path;
    }
    std::string WriteLongClip()
    {
        const std::string path = File("long.qkclip");
        std::string message;
        EXPECT_TRUE(core::WriteClipFile(path, LongLine(), 1, 0, 0, message)) << message;
        return path;
    }

    // Clicks the row of the open file browser named name, with the button; a right click's
    // pop-up menu is answered by the captions.
    void ClickBrowsed(const QString &name, Qt::MouseButton button = Qt::LeftButton,
                      std::initializer_list<QString> captions = {})
    {
        QListWidget *list = toolwindows::FolderWindow()->List1;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().contains(name)) {
                if (captions.size() > 0) {
                    AnswerPopup(captions);
                }
                QTest::mouseClick(list->viewport(), button, Qt::NoModifier, list->visualItemRect(list->item(i)).center());
                return;
            }
        }
        ADD_FAILURE() << "no entry " << name.toStdString();
    }

    // In the child: the red square opened, the route brought in under the limit, then the
    // process ends, with 0 when the route was refused as it should be (what was not is written
    // to the error output).
    [[noreturn]] void RefusedUnderLimit(const Route &route)
    {
        // Large blocks go back to the system once freed, so that the limit counts what is held.
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        route.before();
        SavedRedSquare("square.qlk");
        QApplication::processEvents();
        if (!testsupport::LimitAddressSpace(kHeadroom)) {
            std::fputs("the address space could not be limited\n", stderr);
            std::_Exit(3);
        }
        messageTexts.clear();
        route.bringIn();
        QApplication::processEvents();
        size_t told = 0;
        for (const QString &text : messageTexts) {
            told += text.contains(QStringLiteral("メモリが足りない")) ? 1 : 0;
        }
        if (told != route.messages || messageTexts.size() != route.messages) {
            std::fprintf(stderr, "%zu messages, %zu of memory, %zu expected\n", messageTexts.size(), told,
                         route.messages);
        }
        ExpectRedSquareAlone();
        const bool unchanged = !CaptionModified() && core::Doc().CurrentSettings.BackgroundFile.empty();
        if (!unchanged) {
            std::fputs("the drawing changed\n", stderr);
        }
        const bool ok = told == route.messages && messageTexts.size() == route.messages && unchanged &&
                        !HasFailure();
        std::fputs(ok ? "route refused\n" : "route let through\n", stderr);
        std::fflush(stderr);
        std::_Exit(ok ? 0 : 1);
    }
};

TEST_F(FileSafetyUnderMemoryLimit, EveryReadingRouteRefusesAFileMemoryCannotHold)
{
    if (!testsupport::kAddressSpaceLimits) {
        GTEST_SKIP() << "the sanitizers' shadow memory does not fit under an address-space limit";
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString drawing = QStringLiteral("long.qlk");
    const QString clip = QStringLiteral("long.qkclip");
    auto browse = [this] { Menu({QStringLiteral("表示"), QStringLiteral("フォルダ管理ツール")}); };
    const Route routes[] = {
        {"a clip read, then pasted",
         [&] {
             AnswerFileDialog(WriteLongClip());
             Menu({"ファイル", "クリップを読み込む"});
         },
         [&] { Key(Qt::Key_V, Qt::ControlModifier); }, 1},
        {"a drawing's thumbnail in the file browser",
         [&] {
             WriteLongDrawing();
             browse();
         },
         [&] { ClickBrowsed(drawing); }, 1},
        {"the thumbnail of a drawing of many paths in the file browser",
         [&] {
             WriteManyLinesDrawing();
             browse();
         },
         [&] { ClickBrowsed(QStringLiteral("many.qlk")); }, 1},
        {"a clip's thumbnail in the file browser",
         [&] {
             WriteLongClip();
             browse();
         },
         [&] { ClickBrowsed(clip); }, 1},
        {"a drawing set as the underlay in the file browser",
         [&] {
             WriteLongDrawing();
             browse();
         },
         [&] { ClickBrowsed(drawing, Qt::RightButton, {QStringLiteral("下絵に設定")}); }, 2},
    };
    for (const Route &route : routes) {
        EXPECT_EXIT(RefusedUnderLimit(route), testing::ExitedWithCode(0), "route refused") << route.name;
    }
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
