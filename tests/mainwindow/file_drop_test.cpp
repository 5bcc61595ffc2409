#include "tests/mainwindow/main_window_fixture.h"
#include "tests/support/test_support.h"

#include <QStringList>

using testsupport::MainWindowFixture;
using testsupport::WriteAll;

namespace {

const char kSvg[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
    "<rect x=\"10\" y=\"20\" width=\"30\" height=\"40\" fill=\"#ff0000\"/></svg>";

class FileDrops : public MainWindowFixture {
protected:
    void Drop(const QStringList &files, float x = 50, float y = 60)
    {
        emit window->Picture1->OLEDragDrop(files, platform::kLeftButton, 0, x, y);
    }

    // The canvas point of a drop at (x, y) on the canvas picture.
    void DropPoint(float x, float y, int32_t &xt, int32_t &yt) const { window->PosScrToTwip(x, y, xt, yt); }

    static QString File(const std::string &name, const std::string &bytes)
    {
        std::string path = platform::ProgramFile(name);
        WriteAll(path, bytes);
        return QString::fromStdString(path);
    }
};

}  // namespace

TEST_F(FileDrops, AnSvgIsPastedWithItsTopLeftAtTheDropPointAsOneUndoStep)
{
    AddRectangle(0, 0, 100, 100, 0xFF00FF00);
    core::RecordHistory();
    const int32_t steps = core::History().HistoryPos;
    Drop({File("drop.svg", kSvg)}, 70, 90);
    ASSERT_EQ(core::Doc().DocPathCount(), 2);
    int32_t x = 0;
    int32_t y = 0;
    DropPoint(70, 90, x, y);
    core::PathArray pasted{core::PathRecord(), core::Doc().DocPaths[2]};
    core::Rect32 bounds = core::GetPathsBounds(pasted);
    EXPECT_EQ(bounds.Left, x);
    EXPECT_EQ(bounds.Top, y);
    EXPECT_TRUE(core::Doc().DocPaths[2].blSelected);
    EXPECT_EQ(canvastools::Input().DragOriginX, x);
    EXPECT_EQ(core::History().HistoryPos, steps + 1);
    EXPECT_FALSE(canvastools::Input().DragChanged);
    EXPECT_TRUE(messages.empty());
}

TEST_F(FileDrops, ADrawingOpensAfterThePromptUnlessItIsDroppedAsAClip)
{
    AddRectangle(0, 0, 400, 400, 0xFF0000FF);
    std::string message;
    const std::string drawing = platform::ProgramFile("dropped.qlk");
    ASSERT_TRUE(core::WriteDrawingFile(drawing, core::Doc().DocPaths, 1, core::CanvasSettings(), message));
    AddRectangle(0, 0, 200, 200, 0xFF00FF00);
    core::RecordHistory();

    answer = platform::kMbCancel;
    Drop({QString::fromStdString(drawing)});
    ASSERT_EQ(messages.size(), 1u);  // the modification prompt
    EXPECT_EQ(core::Doc().DocPathCount(), 2);
    EXPECT_TRUE(core::Lifecycle().CurrentFileName.empty());

    mainwindow::Main().DropQLKasClip = 1;
    Drop({QString::fromStdString(drawing)});
    EXPECT_EQ(messages.size(), 1u);  // pasting asks nothing
    EXPECT_EQ(core::Doc().DocPathCount(), 3);
    EXPECT_TRUE(core::Lifecycle().CurrentFileName.empty());

    mainwindow::Main().DropQLKasClip = 0;
    answer = platform::kMbNo;
    Drop({QString::fromStdString(drawing)});
    EXPECT_EQ(core::Lifecycle().CurrentFileName, drawing);
    EXPECT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_FALSE(Modified());
}

TEST_F(FileDrops, OtherKindsAreIgnoredAndBadFilesPasteNothing)
{
    Drop({File("picture.png", "\x89PNG\r\n\x1a\n")});
    Drop({});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(core::History().HistoryPos, 0);

    Drop({File("broken.qkclip", "not a clip")});
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
    EXPECT_EQ(core::History().HistoryPos, 0);
    EXPECT_FALSE(Modified());
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("ファイル [broken.qkclip] は不正なQuillarkクリップファイルです。"));

    Drop({File("picture.wmf", std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0'))});
    EXPECT_EQ(core::Doc().DocPathCount(), 0);
    EXPECT_EQ(core::History().HistoryPos, 0);
}
