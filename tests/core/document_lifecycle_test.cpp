#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "recording_host.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

using MenuItem = testsupport::RecordingHost::MenuItem;

class LifecycleTest : public testsupport::RecordingHostTest {
protected:
    void SetRecentFiles(std::initializer_list<std::string> paths)
    {
        size_t slot = 1;
        for (const std::string &path : paths) {
            Lifecycle().RecentFiles[slot++] = path;
        }
    }

    std::vector<std::string> RecentFiles() const
    {
        const auto &recent = Lifecycle().RecentFiles;
        return std::vector<std::string>(recent.begin() + 1, recent.end());
    }
};

}  // namespace

TEST_F(LifecycleTest, NewDocumentIsEmptyUntitledAndUnmodified)
{
    Doc().DocPaths.emplace_back();
    Doc().SelectedAnchors.push_back(AnchorRef{1, 0});
    Lifecycle().CurrentFileName = "/home/u/a.qlk";
    host.Caption = "[ a.qlk ] - Quillark *";
    Lifecycle().DocModified = true;
    RecordHistory();

    NewDocument();
    EXPECT_EQ(Doc().DocPathCount(), 0);
    EXPECT_EQ(Doc().SelectedAnchors.size(), 1u);
    EXPECT_EQ(History().HistoryEntries.size(), 1u);
    EXPECT_EQ(History().HistoryEntries[0].PathCount(), 0);
    EXPECT_EQ(History().HistoryPos, 0);
    EXPECT_EQ(Lifecycle().CurrentFileName, "");
    EXPECT_EQ(host.Caption, "(新規) - Quillark");
    EXPECT_FALSE(Lifecycle().DocModified);
}

TEST_F(LifecycleTest, AddingARecentFileMovesItToTheTop)
{
    SetRecentFiles({"/1", "/2", "/3", "/4", "/5"});
    AddRecentFile("/3");
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/3", "/1", "/2", "/4", "/5"}));
    AddRecentFile("/3");
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/3", "/1", "/2", "/4", "/5"}));
    AddRecentFile("/new");  // the oldest falls off
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/new", "/3", "/1", "/2", "/4"}));
    AddRecentFile("/NEW");  // case matters
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/NEW", "/new", "/3", "/1", "/2"}));
    EXPECT_EQ(host.RecentMenu, (std::vector<MenuItem>{{"&1  /NEW", true, "/NEW"},
                                                      {"&2  /new", true, "/new"},
                                                      {"&3  /3", true, "/3"},
                                                      {"&4  /1", true, "/1"},
                                                      {"&5  /2", true, "/2"}}));
}

TEST_F(LifecycleTest, TheMenuNumbersFilledSlotsWithoutGaps)
{
    RefreshRecentFileMenu();
    EXPECT_EQ(host.RecentMenu, (std::vector<MenuItem>{{"(なし)", false, ""}}));

    SetRecentFiles({"/a.qlk", "", "/c.qlk", "", "/e.qlk"});
    RefreshRecentFileMenu();
    EXPECT_EQ(host.RecentMenu, (std::vector<MenuItem>{{"&1  /a.qlk", true, "/a.qlk"},
                                                      {"&2  /c.qlk", true, "/c.qlk"},
                                                      {"&3  /e.qlk", true, "/e.qlk"}}));

    // A new path always pushes slot 5 out, even when an earlier slot is empty.
    AddRecentFile("/b.qlk");
    AddRecentFile("/d.qlk");
    EXPECT_EQ(RecentFiles(), (std::vector<std::string>{"/d.qlk", "/b.qlk", "/a.qlk", "", "/c.qlk"}));
    ASSERT_EQ(host.RecentMenu.size(), 4u);
    EXPECT_EQ(host.RecentMenu[0].Caption, "&1  /d.qlk");
    EXPECT_EQ(host.RecentMenu[3].Caption, "&4  /c.qlk");

    SetRecentFiles({"", "", "", "", ""});
    RefreshRecentFileMenu();
    EXPECT_EQ(host.RecentMenu, (std::vector<MenuItem>{{"(なし)", false, ""}}));
}

TEST_F(LifecycleTest, AnAmpersandInARecentPathShowsAsItselfNotAsAnAccessKey)
{
    SetRecentFiles({"/Q&A/quit&.qlk", "/a&&b.qlk"});
    RefreshRecentFileMenu();
    EXPECT_EQ(host.RecentMenu, (std::vector<MenuItem>{{"&1  /Q&&A/quit&&.qlk", true, "/Q&A/quit&.qlk"},
                                                      {"&2  /a&&&&b.qlk", true, "/a&&b.qlk"}}));
}
