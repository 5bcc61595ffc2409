// The gradient stop editor and the main window's gradient bridge: loading stops, adding,
// dragging, deleting and typing them, and copying them into the selected paths.
#include "tests/toolwindows/tool_window_fixture.h"


namespace testsupport {
namespace {

using core::GradStop;

class GradientEditorTest : public ToolWindowFixture {
protected:
    // A selected gradient square with the given middle stops, the gradient tool chosen and the
    // editor open and unfolded.
    toolwindows::GradationGUI &EditGradient(int16_t fillType, std::vector<GradStop> stops)
    {
        ChooseTool(canvastools::kToolGradient);
        int32_t i = AddSquare(1000, 1000, 2000, true);
        core::PathRecord &path = core::Doc().DocPaths[static_cast<size_t>(i)];
        path.FillType = fillType;
        path.FillColor = 0xFF000000;  // black to ...
        path.GradColor = 0xFFFFFFFF;  // ... white
        path.SetStopCount(static_cast<int32_t>(stops.size()));
        std::copy(stops.begin(), stops.end(), path.Stops.begin() + 1);
        core::StartHistoryWithDocument();
        toolwindows::GradationGUI &gui = OpenGradient();
        gui.Check1->SetValue(1);
        return gui;
    }
    static int32_t Count() { return core::GradEdit().EditGradStopCount; }
    static const GradStop &Stop(int32_t i) { return core::GradEdit().EditGradStops.at(static_cast<size_t>(i)); }
};

TEST_F(GradientEditorTest, LoadsTheStopsBetweenTheEndColours)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillLinear, {{0xFF0000FF, 100}});
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Stop(0), (GradStop{0xFF000000, 0}));
    EXPECT_EQ(Stop(1), (GradStop{0xFF0000FF, 100}));
    EXPECT_EQ(Stop(2), (GradStop{0xFFFFFFFF, 255}));
    EXPECT_TRUE(gui.Picture1->isEnabled());
    // The marker of the stop at 100 is filled with its colour; the bar runs black to red to white.
    EXPECT_EQ(Pixel(gui.Picture1, 100, 25), 0x0000FFu);
    EXPECT_EQ(Pixel(gui.Picture1, 1, 8), 0x000000u);
    EXPECT_EQ(Pixel(gui.Picture1, 256, 8), 0xFFFFFFu);
}

TEST_F(GradientEditorTest, ApplyKeepsTwoStopsOnAReflectedPathAndSixOnOthers)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillReflected, {});
    int32_t reflected = core::Doc().DocPathCount();
    int32_t linear = AddSquare(4000, 1000, 1000, true);
    core::Doc().DocPaths[static_cast<size_t>(linear)].FillType = core::kFillLinear;
    core::GradEdit().SetStopCount(8);
    for (int32_t k = 1; k < 8; ++k) {
        core::GradEdit().EditGradStops[static_cast<size_t>(k)] = {0xFF123456u + static_cast<uint32_t>(k), k * 30};
    }
    int32_t steps = HistoryPos();
    window->ApplyGradient(true);
    EXPECT_EQ(Path(reflected).StopCount(), 2);
    EXPECT_EQ(Path(linear).StopCount(), 6);
    EXPECT_EQ(Path(linear).Stops[6], (GradStop{0xFF12345Cu, 180}));
    EXPECT_EQ(HistoryPos(), steps + 1);
    (void)gui;
}

TEST_F(GradientEditorTest, AddingAtTheEndPositionInsertsJustBeforeIt)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillLinear, {});
    int32_t steps = HistoryPos();
    gui.AddStop(255);
    ASSERT_EQ(Count(), 2);
    EXPECT_EQ(Stop(1).StopPos, 254);
    EXPECT_EQ(Path(1).StopCount(), 1);
    EXPECT_EQ(HistoryPos(), steps + 1);
    // A press right of the bar's end adds there too rather than past the end entry.
    gui.AddStop(300);
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Stop(2).StopPos, 254);
    EXPECT_EQ(Stop(3).StopPos, 255);
}

TEST_F(GradientEditorTest, DraggingStopsShortOfTheNeighbourAndRecordsOneStep)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillLinear, {{0xFF0000FF, 100}, {0xFF00FF00, 150}});
    window->Check1->SetValue(1);  // real time: the path follows the drag
    int32_t steps = HistoryPos();
    gui.Picture1_MouseDown(1, 0, 100, 25);
    EXPECT_EQ(gui.SelectedStop, 1);
    gui.Picture1_MouseMove(1, 0, 130, 25);
    EXPECT_EQ(Path(1).Stops[1].StopPos, 130);
    EXPECT_EQ(HistoryPos(), steps);
    gui.Picture1_MouseMove(1, 0, 200, 25);
    gui.Picture1_MouseUp(1, 0, 200, 25);
    EXPECT_EQ(Stop(1).StopPos, 149);
    EXPECT_EQ(Path(1).Stops[1].StopPos, 149);
    EXPECT_EQ(HistoryPos(), steps + 1);
    EXPECT_EQ(gui.Text2->Text(), QStringLiteral("149"));
}

TEST_F(GradientEditorTest, TypedPositionIsClampedBetweenTheNeighbours)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillLinear, {{0xFF0000FF, 100}, {0xFF00FF00, 150}});
    gui.Picture1_MouseDown(1, 0, 150, 25);
    gui.Picture1_MouseUp(1, 0, 150, 25);
    ASSERT_EQ(gui.SelectedStop, 2);
    Type(gui.Text2, QStringLiteral("20abc"));
    PressEnter(gui.Text2);
    EXPECT_EQ(gui.Text2->Text(), QStringLiteral("101"));
    EXPECT_EQ(Path(1).Stops[2].StopPos, 101);
}

TEST_F(GradientEditorTest, HexColourIsReadWithOrWithoutTheHashAsOneStep)
{
    toolwindows::GradationGUI &gui = EditGradient(core::kFillLinear, {{0x80000000, 100}});
    gui.Picture1_MouseDown(1, 0, 100, 25);
    gui.Picture1_MouseUp(1, 0, 100, 25);
    int32_t steps = HistoryPos();
    Type(gui.Text3, QStringLiteral("#FF8000"));
    PressEnter(gui.Text3);
    EXPECT_EQ(Path(1).Stops[1].StopColor, 0x800080FFu);  // opacity kept
    EXPECT_EQ(HistoryPos(), steps + 1);

    Type(gui.Text3, QStringLiteral("#00FF0"));
    PressEnter(gui.Text3);
    EXPECT_EQ(Path(1).Stops[1].StopColor, 0x800080FFu);
    Type(gui.Text3, QStringLiteral("0000FF"));
    PressEnter(gui.Text3);
    EXPECT_EQ(Path(1).Stops[1].StopColor, 0x80FF0000u);
}

}  // namespace
}  // namespace testsupport
