// The anchor tool moves, inserts and deletes anchors and the outline follows; the gradient tool
// turns a gradient fill. Each step is undone and redone, with real-time drawing on and off.
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "tests/journeys/journey_fixture.h"

#include <cmath>

using canvastools::kToolAnchorEdit;
using canvastools::kToolGradient;

namespace journeys {
namespace {

constexpr Rgb kGreen = 0x00FF00;  // the gradient tool's rotation handle
constexpr Rgb kCyan = 0x00FFFF;   // the fill colour a new window starts with: a ramp's start
constexpr Rgb kHalfCyan = 0x80FFFF;  // halfway from cyan to white

class AnchorGradient : public RealtimeJourney {
protected:
    // Ink of the outline along a straight piece (all of it, within tolerance of anti-aliasing).
    bool Inked(QPoint from, QPoint to) const
    {
        int length = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
        return CountAlong({from, to}, kBlack, 1) >= length;
    }
    bool Blank(QPoint from, QPoint to) const { return CountAlong({from, to}, kBlack, 1) == 0; }
    int AnchorCount() const { return static_cast<int>(core::Doc().DocPaths.back().Anchors.size()); }
};

// The rectangle all three anchor journeys start from: corners (60,100) and (260,260) on the
// 320 x 320 pixel page.
class AnchorTool : public AnchorGradient {
protected:
    void SetUp() override
    {
        AnchorGradient::SetUp();
        DrawUnselectedRectangle(AtPixel(60, 100), AtPixel(260, 260));
        ASSERT_TRUE(RectangleShown());
        ChooseTool(kToolAnchorEdit);
    }

    bool RectangleShown() const
    {
        return Inked(AtPixel(64, 100), AtPixel(256, 100)) && Inked(AtPixel(260, 104), AtPixel(260, 256)) &&
               Inked(AtPixel(64, 260), AtPixel(256, 260)) && Inked(AtPixel(60, 104), AtPixel(60, 256));
    }
};

TEST_P(AnchorTool, ADraggedAnchorTakesItsTwoSidesAlong)
{
    PressAndMove({AtPixel(260, 100), AtPixel(280, 70), AtPixel(300, 40)});
    if (GetParam()) {
        EXPECT_GT(CountAlong({AtPixel(262, 250), AtPixel(298, 50)}, kBlack, 2), 180)
            << "real-time drawing shows the outline following the anchor";
    }
    Release(window->Picture1, AtPixel(300, 40));

    auto moved = [&] {
        // The sides now meet at (300,40); the old corner and the ends of the old sides are white.
        return CountAlong({AtPixel(70, 98), AtPixel(290, 42)}, kBlack, 2) > 180 &&
               CountAlong({AtPixel(262, 250), AtPixel(298, 50)}, kBlack, 2) > 180 &&
               Blank(AtPixel(180, 100), AtPixel(254, 100)) && Blank(AtPixel(260, 106), AtPixel(260, 180)) &&
               Inked(AtPixel(64, 260), AtPixel(256, 260)) && Inked(AtPixel(60, 104), AtPixel(60, 256));
    };
    EXPECT_TRUE(moved());
    EXPECT_TRUE(CaptionModified());
    ExpectUndoRedo([&] { return RectangleShown() && Blank(AtPixel(280, 60), AtPixel(296, 46)); }, moved);
}

TEST_P(AnchorTool, AnAnchorInsertedOnASideCanBeDraggedOut)
{
    // The anchor menu of the bottom side adds an anchor where it was clicked.
    AnswerPopup({QStringLiteral("アンカーを追加")});
    ClickCanvas(AtPixel(160, 260), Qt::RightButton);
    ASSERT_EQ(AnchorCount(), 5) << "no anchor was added";
    EXPECT_TRUE(RectangleShown()) << "adding an anchor changes no outline";

    Drag({AtPixel(160, 260), AtPixel(160, 280), AtPixel(160, 300)});
    auto pulled = [&] {
        return CountAlong({AtPixel(64, 262), AtPixel(156, 298)}, kBlack, 2) > 90 &&
               CountAlong({AtPixel(164, 298), AtPixel(256, 262)}, kBlack, 2) > 90 &&
               Blank(AtPixel(90, 260), AtPixel(230, 260)) && Inked(AtPixel(64, 100), AtPixel(256, 100));
    };
    EXPECT_TRUE(pulled()) << "the side does not bend at the new anchor";
    ExpectUndoRedo([&] { return RectangleShown() && AnchorCount() == 5; }, pulled);

    // The insertion is an undo step of its own.
    Undo();
    ExpectUndoRedo([&] { return RectangleShown() && AnchorCount() == 4; },
                   [&] { return RectangleShown() && AnchorCount() == 5; });
}

TEST_P(AnchorTool, ADeletedCornerAnchorLeavesTheDiagonal)
{
    AnswerPopup({QStringLiteral("アンカーを削除")});
    ClickCanvas(AtPixel(260, 100), Qt::RightButton);

    auto cut = [&] {
        // A triangle: the closing side runs from (260,260) straight to (60,100).
        return CountAlong({AtPixel(70, 108), AtPixel(250, 252)}, kBlack, 2) > 180 &&
               Blank(AtPixel(110, 100), AtPixel(256, 100)) && Blank(AtPixel(260, 104), AtPixel(260, 210)) &&
               Inked(AtPixel(64, 260), AtPixel(256, 260)) && Inked(AtPixel(60, 104), AtPixel(60, 256));
    };
    EXPECT_TRUE(cut());
    EXPECT_EQ(AnchorCount(), 3);
    ExpectUndoRedo([&] { return RectangleShown() && Blank(AtPixel(100, 132), AtPixel(220, 228)); }, cut);
}

// ---- Gradient tool

int Distance(Rgb a, Rgb b)
{
    int sum = 0;
    for (int shift : {0, 8, 16}) {
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    }
    return sum;
}

TEST_P(AnchorGradient, TheGradientToolTurnsTheGradientOfAFilledShape)
{
    ChooseStyle(kLineAndFill);
    ChooseStyle(kLinear1);
    DrawUnselectedRectangle(AtPixel(100, 100), AtPixel(260, 260));
    const QPoint left = AtPixel(106, 180), right = AtPixel(254, 180);
    const QPoint top = AtPixel(180, 106), bottom = AtPixel(180, 254);
    // The ramp runs from the fill colour (cyan) at the left edge through half cyan in the middle to
    // the gradient colour (white) at the right edge; 6 px in from the edges it is within 10 of them.
    const Rgb start = kCyan;
    const Rgb end = kWhite;
    const QPoint middle = AtPixel(180, 180);
    auto across = [&] {
        return Distance(PixelAt(left), start) < 24 && Distance(PixelAt(right), end) < 24 &&
               Distance(PixelAt(top), kHalfCyan) < 24 && Distance(PixelAt(bottom), kHalfCyan) < 24;
    };
    ASSERT_TRUE(across() && Distance(PixelAt(middle), kHalfCyan) < 24)
        << "a linear gradient runs from left to right: " << std::hex << PixelAt(left) << " " << PixelAt(middle)
        << " " << PixelAt(right);

    // The gradient tool picks the shape by its edge and shows its controls.
    ChooseTool(kToolGradient);
    ClickCanvas(AtPixel(100, 180));
    const QRect handle = BoundsOf(QRect(AtPixel(100, 100), AtPixel(260, 260)), kGreen, 40);
    ASSERT_FALSE(handle.isEmpty()) << "no rotation handle shown";
    const QPoint grip = handle.center();
    const QPoint centre = AtPixel(180, 180);
    EXPECT_NEAR(grip.x(), centre.x(), 2);
    EXPECT_LT(grip.y(), centre.y() - 10) << "the rotation handle stands above the centre";

    // Dragging the handle a quarter turn clockwise about the centre turns the gradient downwards.
    const int reach = centre.y() - grip.y();
    auto down = [&] {
        return Distance(PixelAt(top), start) < 24 && Distance(PixelAt(bottom), end) < 24 &&
               Distance(PixelAt(left), kHalfCyan) < 24 && Distance(PixelAt(right), kHalfCyan) < 24;
    };
    PressAndMove({grip, centre + QPoint(reach * 7 / 10, -reach * 7 / 10), centre + QPoint(reach, 0)});
    if (GetParam()) {
        EXPECT_TRUE(down()) << "real-time drawing shows the gradient turning";
    }
    Release(window->Picture1, centre + QPoint(reach, 0));
    Key(Qt::Key_Escape);
    EXPECT_TRUE(down()) << "top " << std::hex << PixelAt(top) << " bottom " << PixelAt(bottom) << " left "
                        << PixelAt(left) << " right " << PixelAt(right) << " start " << start << " end " << end;
    ExpectUndoRedo(across, down);
}

INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, AnchorTool, testing::Bool(), RealtimeName);
INSTANTIATE_TEST_SUITE_P(RealtimeOffAndOn, AnchorGradient, testing::Bool(), RealtimeName);

}  // namespace
}  // namespace journeys
