#include "canvastools/status_line.h"
#include "canvastools/tool_palette.h"
#include "tests/canvastools/canvas_fixture.h"

#include "platform/forms/key_codes.h"

using core::Doc;
using testsupport::kAlt;
using testsupport::kCtrl;
using testsupport::kLeft;
using testsupport::kRight;
using testsupport::kShift;

namespace {

class CanvasFrameTest : public testsupport::CanvasFixture {};

TEST_F(CanvasFrameTest, ArrowKeysNudgeTheSelectionOneUndoStepEach)
{
    int32_t a = AddSquare(1000, 1000, 100, true);
    Doc().CurrentSettings.GridWidth = 401;
    int32_t before = HistoryPos();
    canvastools::Picture1_KeyDown(platform::kVkRight, 0);
    EXPECT_EQ(Path(a).Anchors[0].X, 1200);
    canvastools::Picture1_KeyDown(platform::kVkLeft, 0);
    EXPECT_EQ(Path(a).Anchors[0].X, 1000);
    canvastools::Picture1_KeyDown(platform::kVkDown, kShift);
    EXPECT_EQ(Path(a).Anchors[0].Y, 1020);
    canvastools::Picture1_KeyDown(platform::kVkUp, kCtrl);
    EXPECT_EQ(Path(a).Anchors[0].Y, 1019);
    canvastools::Picture1_KeyDown(platform::kVkUp, kShift | kCtrl);  // half a grid step
    EXPECT_EQ(Path(a).Anchors[0].Y, 819);
    EXPECT_EQ(HistoryPos(), before + 5);

    canvastools::Picture1_KeyDown('A', 0);
    core::DeselectAllPaths();
    canvastools::Picture1_KeyDown(platform::kVkRight, 0);
    EXPECT_EQ(HistoryPos(), before + 5);  // other keys and an empty selection record nothing
}

TEST_F(CanvasFrameTest, CtrlAltDragMovesAndScalesTheUnderlayWithoutAnUndoStep)
{
    Doc().CurrentSettings.BackgroundFlag = 1;
    window->Check3->SetValue(1);
    Doc().ZoomRate = 4.0f;
    int32_t before = HistoryPos();
    canvastools::Picture1_MouseDown(kLeft, kCtrl | kAlt, 100, 100);
    for (int i = 1; i <= 8; ++i) {  // quarter pixels add up
        canvastools::Picture1_MouseMove(kLeft, kCtrl | kAlt, 100.0f + i, 100);
    }
    EXPECT_EQ(Doc().CurrentSettings.BackgroundX, 2);
    EXPECT_EQ(Doc().CurrentSettings.BackgroundY, 0);
    canvastools::Picture1_MouseMove(kRight, kCtrl | kAlt, -100000.0f, 100);
    EXPECT_GT(Doc().CurrentSettings.BackgroundScale, 0.0f);  // never shrinks to nothing
    EXPECT_TRUE(canvastools::StatusText().startsWith(QStringLiteral("下絵 : (2,0) x")));
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral(" *")));
    EXPECT_EQ(HistoryPos(), before);

    window->Check3->SetValue(0);  // underlay hidden: the tool gets the press
    ChooseTool(canvastools::kToolFreehand);
    Doc().ZoomRate = 1.0f;
    Drag(kLeft, kCtrl | kAlt, {{1000, 1000}, {2000, 1000}});
    EXPECT_EQ(Doc().DocPathCount(), 1);
}

}  // namespace

// Alt and a drag carry the view with the pointer, Alt and a right click centre the view on the
// point; neither leaves the scroll ranges, and a move without an Alt press scrolls nothing.
TEST_F(CanvasFrameTest, AltPansAndCentresTheViewWithinTheScrollRanges)
{
    Doc().CurrentSettings.Width = 1000;
    Doc().CurrentSettings.Height = 1000;
    Doc().ZoomRate = 4.0f;
    movie::MakeCanvasMovie();
    window->DispShape(0);
    platform::ScrollBar *h = window->HScroll1;
    platform::ScrollBar *v = window->VScroll1;
    for (platform::ScrollBar *bar : {h, v}) {  // the 4000-pixel canvas leaves room either way
        ASSERT_LT(bar->Min(), -100);
        ASSERT_GT(bar->Max(), 100);
    }
    h->SetValue(0);
    v->SetValue(0);

    canvastools::Picture1_MouseMove(0, kAlt, 150, 150);  // no press yet: nothing moves
    EXPECT_EQ(h->Value(), 0);
    canvastools::Picture1_MouseDown(kLeft, kAlt, 200, 200);
    canvastools::Picture1_MouseMove(kLeft, kAlt, 190, 185);
    EXPECT_EQ(h->Value(), 10);
    EXPECT_EQ(v->Value(), 15);
    canvastools::Picture1_MouseMove(kLeft, kAlt, 100000, -100000);
    EXPECT_EQ(h->Value(), h->Min());
    EXPECT_EQ(v->Value(), v->Max());
    canvastools::Picture1_MouseUp(kLeft, kAlt, 0, 0);

    h->SetValue(0);
    v->SetValue(0);
    const int visibleWidth = window->Picture1->ScaleWidth() - window->VScroll1->width();
    const int visibleHeight = window->Picture1->ScaleHeight() - window->HScroll1->height();
    canvastools::Picture1_MouseDown(kRight, kAlt, 300, 250);
    EXPECT_EQ(h->Value(), 300 - visibleWidth / 2);
    EXPECT_EQ(v->Value(), 250 - visibleHeight / 2);
    canvastools::Picture1_MouseUp(kRight, kAlt, 300, 250);
    canvastools::Picture1_MouseDown(kRight, kAlt, 1e9f, -1e9f);
    EXPECT_EQ(h->Value(), h->Max());
    EXPECT_EQ(v->Value(), v->Min());
}

class ToolPaletteTest : public testsupport::CanvasFixture {};

TEST_F(ToolPaletteTest, IconAndTextLayouts)
{
    canvastools::ChangeIcons(1);
    auto geometry = [&](int i) { return window->Option1[static_cast<size_t>(i)]->geometry(); };
    EXPECT_EQ(geometry(2), QRect(0, 0, 50, 25));   // select: full width on top
    EXPECT_EQ(geometry(1), QRect(0, 25, 25, 25));  // anchor edit, gradient
    EXPECT_EQ(geometry(3), QRect(25, 25, 25, 25));
    EXPECT_EQ(geometry(0), QRect(0, 50, 25, 25));  // freehand, pen
    EXPECT_EQ(geometry(6), QRect(25, 50, 25, 25));
    EXPECT_EQ(geometry(10), QRect(25, 125, 25, 25));
    EXPECT_TRUE(window->Option1[0]->text().isEmpty());
    EXPECT_EQ(canvastools::ToolButtonPanel()->height(), 154);
    EXPECT_EQ(window->Check4->geometry(), QRect(25, 20, 25, 24));

    canvastools::ChangeIcons(0);
    EXPECT_EQ(geometry(2), QRect(0, 0, 50, 17));
    EXPECT_EQ(geometry(1), QRect(0, 17, 50, 17));
    EXPECT_EQ(geometry(0), QRect(0, 51, 50, 17));
    EXPECT_EQ(geometry(10), QRect(0, 170, 50, 17));
    EXPECT_EQ(window->Option1[9]->text(), QStringLiteral("バケツ"));
    EXPECT_EQ(window->Check5->text(), QStringLiteral("Grid"));
    EXPECT_EQ(window->Check6->geometry(), QRect(30, 44, 20, 24));
    QWidget *palette = canvastools::ToolButtonPanel();
    EXPECT_EQ(palette->height(), 191);
    EXPECT_EQ(canvastools::DisplayCheckPanel()->y(), palette->y() + 191 + 1);
    EXPECT_EQ(window->Combo2->y(), canvastools::DisplayCheckPanel()->geometry().bottom() + 3);
}
