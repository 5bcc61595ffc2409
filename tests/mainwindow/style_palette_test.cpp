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

}  // namespace
