#include "mainwindow/style_palette.h"

#include "tests/mainwindow/panel_fixture.h"

using canvastools::Input;
using mainwindow::PaintStyle;
using mainwindow::StyleChosenAt;

namespace {

constexpr PaintStyle kStrokeOnly{1, 0};

class StylePaletteTest : public testsupport::PanelFixture {
protected:
    void ClickAt(float y, int button = testsupport::kLeft) { window->PicStatus_MouseDown(button, 0, 20, y); }
    PaintStyle Current() const { return PaintStyle{Input().NewLineMode, Input().NewFillType}; }
    uint32_t Highlight() const { return platform::SystemColor(QPalette::Highlight); }
};

TEST_F(StylePaletteTest, ClickRowsChooseThePaintModeAndFillKind)
{
    EXPECT_EQ(StyleChosenAt(4, kStrokeOnly), kStrokeOnly);
    EXPECT_EQ(StyleChosenAt(20, kStrokeOnly), (PaintStyle{0, 1}));  // fill only starts solid
    EXPECT_EQ(StyleChosenAt(20, (PaintStyle{1, 4})), (PaintStyle{0, 4}));  // and keeps a gradient
    EXPECT_EQ(StyleChosenAt(36, kStrokeOnly), (PaintStyle{1, 1}));
    EXPECT_EQ(StyleChosenAt(4, (PaintStyle{1, 3})), kStrokeOnly);  // stroke only clears the fill
    EXPECT_EQ(StyleChosenAt(3.9, kStrokeOnly), std::nullopt);
    EXPECT_EQ(StyleChosenAt(-10, kStrokeOnly), std::nullopt);
    for (double y : {48.0, 52.0, 57.0, 150.0, 400.0}) {
        EXPECT_EQ(StyleChosenAt(y, kStrokeOnly), std::nullopt) << y;
    }
    auto fillAt = [](double y) { return StyleChosenAt(y, PaintStyle{0, 1})->fillType; };
    EXPECT_EQ(fillAt(57.5), 1);
    EXPECT_EQ(fillAt(79.9), 1);
    EXPECT_EQ(fillAt(80), 2);
    EXPECT_EQ(fillAt(104), 2);
    EXPECT_EQ(fillAt(104.1), 3);
    EXPECT_EQ(fillAt(128), 4);
    EXPECT_EQ(fillAt(149.9), 4);
    EXPECT_EQ(StyleChosenAt(70, kStrokeOnly), (PaintStyle{1, 1}));  // stroke only becomes stroke and fill
}

TEST_F(StylePaletteTest, DescriptionNamesModeAndFill)
{
    EXPECT_EQ(mainwindow::StyleDescription(PaintStyle{1, 4}), QStringLiteral("[スタイルパレット] <線と塗り>:<円形グラデ>"));
    EXPECT_EQ(mainwindow::StyleDescription(kStrokeOnly), QStringLiteral("[スタイルパレット] <線のみ>"));
    EXPECT_EQ(mainwindow::StyleDescription(PaintStyle{0, 3}), QStringLiteral("[スタイルパレット] <塗りのみ>:<線形グラデ2>"));
    ClickAt(36);
    ClickAt(84);
    window->PicStatus_MouseMove();
    EXPECT_EQ(window->StatusLabel1->text(), QStringLiteral("[スタイルパレット] <線と塗り>:<線形グラデ1>"));
    EXPECT_EQ(window->PicStatus->toolTip(), window->StatusLabel1->text());
}

TEST_F(StylePaletteTest, ChoosingAppliesTheStyleToTheSelectionWithOneUndoStep)
{
    int32_t path = AddSquare(1000, 1000, 2000, true);
    int32_t before = HistoryPos();
    ClickAt(130);
    EXPECT_EQ(Current(), (PaintStyle{1, 4}));
    EXPECT_EQ(Path(path).LineMode, 1);
    EXPECT_EQ(Path(path).FillType, core::kFillRadial);
    EXPECT_EQ(HistoryPos(), before + 1);
    ClickAt(20);
    EXPECT_EQ(Path(path).LineMode, 0);
    EXPECT_EQ(Path(path).FillType, core::kFillRadial);
    EXPECT_EQ(HistoryPos(), before + 2);

    ClickAt(52);  // between the groups: only a repaint
    ClickAt(4, testsupport::kRight);
    ClickAt(4, 4);
    EXPECT_EQ(HistoryPos(), before + 2);
    EXPECT_EQ(Current(), (PaintStyle{0, 4}));
}

TEST_F(StylePaletteTest, NothingSelectedChangesOnlyTheCurrentStyleButRenders)
{
    AddSquare(1000, 1000, 2000, false);
    int32_t before = HistoryPos();
    ForgetCanvasMovie();
    ClickAt(100);
    EXPECT_EQ(Current(), (PaintStyle{1, 2}));
    EXPECT_EQ(HistoryPos(), before);
    EXPECT_EQ(Path(1).FillType, core::kFillNone);
    EXPECT_TRUE(CanvasMovieRendered());
}

TEST_F(StylePaletteTest, NewPathsTakeTheChosenStyle)
{
    ClickAt(36);
    ClickAt(110);
    ChooseTool(canvastools::kToolFreehand);
    Drag(testsupport::kLeft, 0, {{1000, 1000}, {1400, 1000}, {1800, 1400}});
    ASSERT_EQ(core::Doc().DocPathCount(), 1);
    EXPECT_EQ(Path(1).LineMode, 1);
    EXPECT_EQ(Path(1).FillType, core::kFillReflected);
}

TEST_F(StylePaletteTest, PaintingHighlightsTheChosenEntriesAndDrawsTheIcons)
{
    const platform::PictureBox *box = window->PicStatus;
    // Stroke only at start: its row is highlighted, no fill row.
    EXPECT_EQ(Pixel(box, 2, 8), Highlight());
    EXPECT_NE(Pixel(box, 2, 40), Highlight());
    EXPECT_NE(Pixel(box, 2, 70), Highlight());
    ClickAt(36);
    ClickAt(140);
    EXPECT_EQ(Pixel(box, 2, 40), Highlight());
    EXPECT_EQ(Pixel(box, 2, 140), Highlight());
    EXPECT_NE(Pixel(box, 2, 8), Highlight());
    EXPECT_EQ(Pixel(box, 25, 68), 0xFFFFFFu);   // solid icon
    EXPECT_EQ(Pixel(box, 20, 92), 0xFFFFFFu);   // linear: white at the left ...
    EXPECT_EQ(Pixel(box, 38, 92), 0u);          // ... black at the right
    EXPECT_EQ(Pixel(box, 29, 116), 0u);         // reflected: black in the middle
    EXPECT_EQ(Pixel(box, 20, 116), 0xFFFFFFu);
    EXPECT_EQ(Pixel(box, 20, 133), 0u);         // radial: dark corners
    EXPECT_GT(Pixel(box, 29, 140) & 0xFF, 200u);  // light centre
}

}  // namespace
