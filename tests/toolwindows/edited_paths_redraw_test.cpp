// Every way of changing a path shows in the next canvas movie: the writer notices the change by
// itself, and the movie equals one written with nothing encoded beforehand.
#include "canvastools/grid_snap.h"
#include "canvastools/selection_transform.h"
#include "canvastools/tool_palette.h"
#include "core/anchor_editing.h"
#include "core/path_attributes.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "tests/support/test_support.h"
#include "tests/toolwindows/path_list_fixture.h"

#include <functional>

using core::Doc;

namespace {

class EditedPathsRedrawTest : public testsupport::PathListFixture {
protected:
    // A gradient square (path 1, selected), and two squares forming a compound path, the first
    // of them selected.
    void AddDrawing()
    {
        const int32_t square = AddSquare(1000, 1000, 2000, true);
        core::PathRecord &path = Doc().DocPaths[static_cast<size_t>(square)];
        path.FillType = core::kFillLinear;
        path.GradRatioX = path.GradRatioY = 2000.0f / 32768.0f;
        for (int32_t left : {4000, 4600}) {
            core::PathRecord &member = Doc().DocPaths[static_cast<size_t>(AddSquare(left, 1000, 900))];
            member.FillType = core::kFillSolid;
            member.blCompound = true;
            member.CompoundID = 5;
        }
        Doc().DocPaths[2].blSelected = true;
        core::StartHistoryWithDocument();
    }
    static std::string CanvasMovie()
    {
        movie::MakeCanvasMovie();
        movie::EnsureCanvasMovieFile(Doc().CanvasTempFile);
        return testsupport::ReadAll(Doc().CanvasTempFile);
    }
};

struct Edit {
    const char *name;
    std::function<void()> apply;
};

TEST_F(EditedPathsRedrawTest, EveryKindOfEditChangesTheCanvasMovie)
{
    const std::vector<Edit> edits = {
        {"anchor edit", [] { core::InsertAnchor(Doc().DocPaths[1], {2000, 3500, core::kOnCurve}, 3); }},
        {"colour change",
         [this] {
             canvastools::Input().CurrentColors[0] = 0xFF2040E0u;
             window->PicColor_MouseDown(testsupport::kLeft, 0, 1, 1);
         }},
        {"gradient tool",
         [this] {
             ChooseTool(canvastools::kToolGradient);  // choosing a tool clears the selection
             Doc().DocPaths[1].blSelected = true;      // the tool shows the selected path's frame
             window->DispShape(1);
             Drag(testsupport::kLeft, 0, {{2000, 2000}, {2100, 2050}, {2300, 2100}});
         }},
        {"grid snap", [] { canvastools::MoveSelectedPath(40, -20, false); }},
        {"transform",
         [] {
             canvastools::TransformSelectedPaths([](int32_t &x, int32_t &y) { std::swap(x, y); }, 90.0f);
         }},
        {"path list order", [this] { list->ChangeOrder(core::kOrderToFront); }},
    };
    for (const Edit &edit : edits) {
        SCOPED_TRACE(edit.name);
        core::ResetDocumentForTest();
        AddDrawing();
        const std::string before = CanvasMovie();
        edit.apply();
        const std::string after = CanvasMovie();
        EXPECT_NE(after, before);
        movie::Writer().Units = movie::UnitCache();
        EXPECT_EQ(CanvasMovie(), after) << "a unit of the unchanged drawing was drawn";
    }
}

}  // namespace
