#include "core/anchor_selection.h"

#include "editing_fixture.h"

#include <cfloat>
#include <cmath>

using namespace core;
using namespace editingtest;

namespace {

class AnchorSelectionTest : public EditingTest {};

TEST(ParseRatioTextTest, ReadsTheNumbersBeforeAndAfterTheColon)
{
    struct Case {
        const char *text;
        float first;
        float second;
    };
    const Case cases[] = {
        {"3:2", 3.0f, 2.0f},
        {"1.5", 1.5f, 1.5f},
        {":4", 0.0f, 4.0f},
        {"abc", 0.0f, 0.0f},
        {"", 0.0f, 0.0f},
        {" 2.5 : 0.5 ", 2.5f, 0.5f},
        {"-1:2:3", -1.0f, 2.0f},  // the first colon divides
        {"3x:y2", 3.0f, 0.0f},
        {"1e300:-1e300", FLT_MAX, -FLT_MAX},  // beyond single precision: the largest single
    };
    for (const Case &c : cases) {
        float first = -9.0f;
        float second = -9.0f;
        ParseRatioText(c.text, second, first);
        EXPECT_EQ(first, c.first) << c.text;
        EXPECT_EQ(second, c.second) << c.text;
    }
}

TEST_F(AnchorSelectionTest, HitSelectedAnchorLooksOnlyAtEntriesFromOne)
{
    AddPath(MakePath({{0, 0}, {10, 0}, {20, 0}}));
    Doc().SelectedAnchors = {AnchorRef{1, 2}};  // scratch entry only: nothing selected
    EXPECT_FALSE(HitSelectedAnchor(1, 2));
    Doc().SelectedAnchors = {AnchorRef{1, 2}, AnchorRef{1, 0}, AnchorRef{1, 1}};
    EXPECT_TRUE(HitSelectedAnchor(1, 0));
    EXPECT_TRUE(HitSelectedAnchor(1, 1));
    EXPECT_FALSE(HitSelectedAnchor(1, 2));
    EXPECT_FALSE(HitSelectedAnchor(2, 0));
    Doc().SelectedAnchors.clear();  // even an array without the scratch entry is safe
    EXPECT_FALSE(HitSelectedAnchor(0, 0));
}

TEST_F(AnchorSelectionTest, StepAnchorSelectionWrapsAtBothEnds)
{
    AddPath(MakePath({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));  // AnchorMax 4
    AddPath(MakePath({{7, 7}}));                                   // a single anchor
    Doc().SelectedAnchors = {AnchorRef{9, 9}, AnchorRef{1, 0}, AnchorRef{1, 4}, AnchorRef{2, 0}};
    StepAnchorSelection(-1);
    EXPECT_EQ(Doc().SelectedAnchors[1], (AnchorRef{1, 4}));
    EXPECT_EQ(Doc().SelectedAnchors[2], (AnchorRef{1, 3}));
    EXPECT_EQ(Doc().SelectedAnchors[3], (AnchorRef{2, 0}));
    StepAnchorSelection(1);
    StepAnchorSelection(1);
    EXPECT_EQ(Doc().SelectedAnchors[1], (AnchorRef{1, 1}));
    EXPECT_EQ(Doc().SelectedAnchors[2], (AnchorRef{1, 0}));
    EXPECT_EQ(Doc().SelectedAnchors[0], (AnchorRef{9, 9}));  // scratch untouched

    // Any step lands on an anchor of the path; entries naming no path or an empty one stay.
    PathRecord empty;
    AddPath(empty);
    Doc().SelectedAnchors = {AnchorRef{}, AnchorRef{1, 2}, AnchorRef{5, 1}, AnchorRef{3, 4}, AnchorRef{0, 1}};
    StepAnchorSelection(-13);
    EXPECT_EQ(Doc().SelectedAnchors[1], (AnchorRef{1, 4}));
    StepAnchorSelection(INT32_MAX);
    EXPECT_EQ(Doc().SelectedAnchors[1], (AnchorRef{1, (4 + INT32_MAX % 5) % 5}));
    EXPECT_EQ(Doc().SelectedAnchors[2], (AnchorRef{5, 1}));
    EXPECT_EQ(Doc().SelectedAnchors[3], (AnchorRef{3, 4}));
    EXPECT_EQ(Doc().SelectedAnchors[4], (AnchorRef{0, 1}));

    Doc().SelectedAnchors = {AnchorRef{}};
    StepAnchorSelection(1);  // nothing selected
    EXPECT_EQ(Doc().SelectedAnchors.size(), 1u);
}

}  // namespace
