#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "recording_host.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

// A document whose single path is marked by the x of its first anchor; 0 marks no path.
void SetDocumentState(int32_t mark)
{
    PathRecord path;
    path.Anchors = {AnchorPoint{mark, 0}, AnchorPoint{mark, 100}};
    Doc().DocPaths.assign(1, PathRecord());
    Doc().DocPaths.push_back(path);
}

int32_t StateMark(const PathArray &paths)
{
    return UpperBound(paths) < 1 ? 0 : paths[1].Anchors[0].X;
}

int32_t DocumentState()
{
    return StateMark(Doc().DocPaths);
}

// The marks of all entries and the position, e.g. {0, 3, 4} and 2.
std::vector<int32_t> EntryMarks()
{
    std::vector<int32_t> marks;
    for (const HistoryEntry &entry : History().HistoryEntries) {
        marks.push_back(StateMark(entry.Paths.ToArray()));
    }
    return marks;
}

class HistoryTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        NewDocument();
    }

    void Change(int32_t mark)
    {
        SetDocumentState(mark);
        RecordHistory();
    }
};

}  // namespace

TEST_F(HistoryTest, TrimsAtTwiceTheDepthKeepingEntryZero)
{
    Doc().CurrentSettings.HistoryMax = 2;
    for (int32_t mark = 1; mark <= 3; ++mark) {
        Change(mark);
    }
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(History().HistoryPos, 3);
    Change(4);
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 3, 4}));
    EXPECT_EQ(History().HistoryPos, 2);
    Change(5);
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 3, 4, 5}));
    EXPECT_EQ(History().HistoryPos, 3);
    Change(6);
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 5, 6}));
    EXPECT_EQ(History().HistoryPos, 2);

    // After the trim, undoing from entry 1 goes straight back to the new document.
    UndoHistory();
    UndoHistory();
    EXPECT_EQ(DocumentState(), 0);
    EXPECT_FALSE(CanUndo());
}

TEST_F(HistoryTest, DepthBelowOneActsAsOne)
{
    for (int32_t depth : {0, -5}) {
        NewDocument();
        Doc().CurrentSettings.HistoryMax = depth;
        Change(1);
        EXPECT_TRUE(CanUndo()) << depth;
        Change(2);
        EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 2})) << depth;
        UndoHistory();
        EXPECT_EQ(DocumentState(), 0) << depth;
        RedoHistory();
        EXPECT_EQ(DocumentState(), 2) << depth;
    }
}

TEST_F(HistoryTest, LoweringTheDepthKeepsTheCurrentState)
{
    for (int32_t mark = 1; mark <= 10; ++mark) {
        Change(mark);
    }
    Doc().CurrentSettings.HistoryMax = 2;
    Change(11);
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 10, 11}));
    EXPECT_EQ(History().HistoryPos, 2);
}

TEST_F(HistoryTest, UndoAndRedoWalkTheEntriesAndANewChangeDropsTheRedoTail)
{
    EXPECT_FALSE(CanUndo());
    EXPECT_FALSE(CanRedo());  // upper bound 0
    Change(1);
    Change(2);
    UndoHistory();
    EXPECT_EQ(DocumentState(), 1);
    EXPECT_TRUE(CanRedo());
    RedoHistory();
    EXPECT_EQ(DocumentState(), 2);
    EXPECT_FALSE(CanRedo());
    RedoHistory();  // nothing to redo
    EXPECT_EQ(DocumentState(), 2);

    UndoHistory();
    Change(3);
    EXPECT_FALSE(CanRedo());
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0, 1, 3}));
}

TEST_F(HistoryTest, EntriesAreCopiesAndRestoreTheAnchorSelection)
{
    Doc().SelectedAnchors = {AnchorRef{7, 7}, AnchorRef{1, 1}};
    Change(1);
    Doc().SelectedAnchors.assign(1, AnchorRef());
    Change(2);

    UndoHistory();
    EXPECT_EQ(Doc().SelectedAnchors, (std::vector<AnchorRef>{AnchorRef{7, 7}, AnchorRef{1, 1}}));
    Doc().DocPaths[1].Anchors[0].X = 99;  // changing the document leaves the entry alone
    EXPECT_EQ(StateMark(History().HistoryEntries[1].Paths.ToArray()), 1);

    UndoHistory();
    EXPECT_EQ(Doc().SelectedAnchors, (std::vector<AnchorRef>{AnchorRef()}));
    EXPECT_EQ(Doc().DocPathCount(), 0);
}

TEST_F(HistoryTest, ANewDocumentStartsAFreshHistory)
{
    Change(1);
    Change(2);
    UndoHistory();
    NewDocument();
    EXPECT_FALSE(CanUndo());
    EXPECT_FALSE(CanRedo());
    EXPECT_EQ(EntryMarks(), (std::vector<int32_t>{0}));
    EXPECT_EQ(DocumentState(), 0);
    UndoHistory();  // nothing happens at entry 0
    EXPECT_EQ(Doc().DocPathCount(), 0);
}
