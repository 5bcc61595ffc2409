#include "core/path_builder.h"

#include "core/document_lifecycle.h"
#include "core/history.h"
#include "editing_fixture.h"

using namespace core;
using namespace editingtest;

namespace {

using PointList = std::vector<std::pair<int32_t, int32_t>>;

class PathBuilderTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Doc().CurrentSettings.OptimizeFlag = 0;
        Doc().CurrentSettings.AutoConvertFlag = 0;
    }
    void Begin(int32_t x, int32_t y, float width = 1.0f, int16_t fillType = kFillNone)
    {
        BeginPath(x, y, width, 1, fillType, {0xFF000001, 0xFF000002, 0xFF000003}, kControlPoint);
    }
};

TEST_F(PathBuilderTest, BeginPathAppendsAOneAnchorPathWithTheCurrentStyle)
{
    AddPath(Tagged(1));
    Begin(10, 20, 1.5f, kFillRadial);
    ASSERT_EQ(Doc().DocPathCount(), 2);
    const PathRecord &path = Path(2);
    EXPECT_EQ(Points(path), (PointList{{10, 20}}));
    EXPECT_EQ(path.Anchors[0].AnchorKind, kControlPoint);
    EXPECT_EQ(path.LineWidth, 30);
    EXPECT_EQ(path.LineMode, 1);
    EXPECT_EQ(path.FillType, kFillRadial);
    EXPECT_EQ(path.LineColor, 0xFF000001u);
    EXPECT_EQ(path.FillColor, 0xFF000002u);
    EXPECT_EQ(path.GradColor, 0xFF000003u);
    EXPECT_EQ(path.GradRatioX, 1.0f);
    EXPECT_EQ(path.GradRatioY, 0.0f);
    EXPECT_FALSE(path.blClosed || path.blSelected || path.blGroup);
    EXPECT_TRUE(IsBuildingPath());

    ResetDocumentForTest();
    Begin(0, 0, 0.5f);
    EXPECT_EQ(Path(1).LineWidth, 10);
    ResetDocumentForTest();
    Begin(0, 0, 0.125f);  // 2.5 twips round to the even 2
    EXPECT_EQ(Path(1).LineWidth, 2);
}

TEST_F(PathBuilderTest, FinishingClosesDropsTheReturnPointAndRemovesClicks)
{
    Begin(0, 0);
    AddAnchor(1000, 0, kOnCurve);
    AddAnchor(500, 800, kOnCurve);
    FinishPath(0, 0, true);
    EXPECT_EQ(Points(Path(1)), (PointList{{0, 0}, {1000, 0}}));
    EXPECT_TRUE(Path(1).blClosed);
    EXPECT_FALSE(IsBuildingPath());

    Begin(0, 0);
    AddAnchor(1000, 0, kOnCurve);
    FinishPath(0, 0, true);
    EXPECT_EQ(Path(2).AnchorMax(), 1);  // two anchors stay

    Begin(5, 5);  // a click without a drag leaves no path
    FinishPath(5, 5, false);
    EXPECT_EQ(Doc().DocPathCount(), 2);
    Begin(5, 5);
    FinishPath(5, 5, true);
    EXPECT_EQ(Doc().DocPathCount(), 2);
}

TEST_F(PathBuilderTest, FitGradientFrameSpansTheLongerSide)
{
    PathRecord wide = MakePath({{0, 0}, {1000, 400}});
    FitGradientFrame(wide);
    EXPECT_EQ(wide.GradCenterX, 500);
    EXPECT_EQ(wide.GradCenterY, 200);
    EXPECT_EQ(wide.GradAngle, 0.0f);
    EXPECT_EQ(wide.GradRatioX, 1000.0f / 32768.0f);
    EXPECT_EQ(wide.GradRatioY, wide.GradRatioX);

    PathRecord negative = MakePath({{-300, -50}, {-100, -200}});
    FitGradientFrame(negative);
    EXPECT_EQ(negative.GradCenterX, -200);
    EXPECT_EQ(negative.GradCenterY, -125);
    EXPECT_EQ(negative.GradAngle, 0.0f);
    EXPECT_EQ(negative.GradRatioX, 200.0f / 32768.0f);

    PathRecord tall = MakePath({{0, 0}, {1, 3}, {3, 1000}});
    FitGradientFrame(tall);
    EXPECT_EQ(tall.GradCenterX, 2);  // 1.5 rounds to even
    EXPECT_EQ(tall.GradAngle, 90.0f);
    EXPECT_EQ(tall.GradRatioY, 1000.0f / 32768.0f);

    PathRecord empty;
    FitGradientFrame(empty);
    EXPECT_EQ(empty.GradRatioX, 0.0f);
}

TEST_F(PathBuilderTest, FreehandStrokeIsOptimisedByTheSettingsFlags)
{
    auto stroke = [this](int16_t flag) {
        ResetDocumentForTest();
        Doc().CurrentSettings.OptimizeFlag = flag;
        Doc().CurrentSettings.OptimizePoint = 60;
        Doc().CurrentSettings.OptimizeLine = 30;
        Begin(0, 0);
        for (int32_t x : {10, 20, 500, 1000}) {
            AddAnchor(x, x == 500 ? 5 : 0, kControlPoint);
        }
        AddAnchor(1000, 1000, kControlPoint);
        FinishPath(0, 0, false);
        return Points(Path(1));
    };
    EXPECT_EQ(stroke(0).size(), 6u);
    EXPECT_EQ(stroke(1), (PointList{{0, 0}, {500, 5}, {1000, 0}, {1000, 1000}}));
    EXPECT_EQ(stroke(2), (PointList{{0, 0}, {1000, 0}, {1000, 1000}}));
    EXPECT_EQ(stroke(3), (PointList{{0, 0}, {1000, 0}, {1000, 1000}}));
}

TEST_F(PathBuilderTest, AutoConversionTurnsTheFinishedStrokeIntoAnOutline)
{
    Doc().CurrentSettings.AutoConvertFlag = 1;
    Doc().CurrentSettings.AutoConvertValue = 0;  // the pen
    Begin(0, 0, 5.0f);
    AddAnchor(1000, 0, kOnCurve);
    FinishPath(0, 0, false);
    ASSERT_EQ(Doc().DocPathCount(), 1);
    EXPECT_EQ(Points(Path(1)), (PointList{{1050, 0}, {1000, 50}, {0, 50}, {-50, 0}, {0, -50}, {1000, -50}}));
    EXPECT_EQ(Path(1).FillType, kFillSolid);
    EXPECT_EQ(Path(1).FillColor, 0xFF000001u);

    // A closed filled stroke keeps its fill behind the ring.
    Begin(0, 0, 5.0f, kFillSolid);
    AddAnchor(1000, 0, kOnCurve);
    AddAnchor(500, 800, kOnCurve);
    AddAnchor(2, 2, kOnCurve);
    FinishPath(0, 0, true);
    ASSERT_EQ(Doc().DocPathCount(), 3);
    EXPECT_EQ(Path(2).AnchorMax(), 2);
    EXPECT_EQ(Path(2).LineMode, 0);
    EXPECT_EQ(Path(3).AnchorMax(), 9);  // a ring of a triangle: 2 x 5 anchors
}

TEST_F(PathBuilderTest, AReplacedDocumentEndsThePathInProgress)
{
    Begin(0, 0);
    AddAnchor(100, 0, kOnCurve);
    // The document is replaced wholesale (an undo, an opened file): its last path has the same
    // index but is another path.
    Doc().DocPaths[1] = Tagged(7);
    EXPECT_FALSE(IsBuildingPath());
    AddAnchor(900, 900, kOnCurve);
    FinishPath(0, 0, true);
    EXPECT_EQ(Points(Path(1)), Points(Tagged(7)));
    EXPECT_FALSE(Path(1).blClosed);

    // A path removed below the one in progress ends the build too.
    ResetDocumentForTest();
    AddPath(Tagged(1));
    Begin(0, 0);
    AddAnchor(100, 0, kOnCurve);
    NotePathRemoved(1);
    Doc().DocPaths.erase(Doc().DocPaths.begin() + 1);
    AddAnchor(900, 900, kOnCurve);
    EXPECT_EQ(Path(1).AnchorMax(), 1);
}

TEST_F(PathBuilderTest, AKeptPathIsOneUndoStepAndAClickIsNone)
{
    Begin(5, 5);
    FinishPath(5, 5, false);
    EXPECT_EQ(History().HistoryPos, 0);
    EXPECT_EQ(CountCalls("RefreshList"), 0);

    Begin(0, 0);
    AddAnchor(100, 0, kOnCurve);
    FinishPath(0, 0, false);
    EXPECT_EQ(History().HistoryPos, 1);
    EXPECT_EQ(History().HistoryEntries[1].PathCount(), 1);
    EXPECT_EQ(CountCalls("RefreshList"), 1);
}

TEST_F(PathBuilderTest, UndoAndRedoWhileBuildingEndThePathFirst)
{
    AddPath(Tagged(1));
    RecordHistory();
    Begin(0, 0);
    AddAnchor(100, 0, kOnCurve);
    UndoHistory();  // the path in progress becomes a step, and that step is undone
    EXPECT_FALSE(IsBuildingPath());
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{1}));
    AddAnchor(900, 900, kOnCurve);  // the tool's next move reaches no path
    EXPECT_EQ(Path(1).AnchorMax(), 1);
    RedoHistory();
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{1, 0}));

    Begin(0, 500);
    AddAnchor(100, 500, kOnCurve);
    UndoHistory();
    RedoHistory();
    EXPECT_EQ(DocTags(), (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(Path(3).Anchors[0].Y, 500);
}

}  // namespace
