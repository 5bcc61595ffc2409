// A Host that keeps the caption and the recent-file menu and records every other call, for the
// tests of the document lifecycle and the history.
#pragma once

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/host.h"
#include "import/clip_importers.h"
#include "movie/canvas_movie_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

class RecordingHost : public core::Host {
public:
    struct MenuItem {
        std::string Caption;
        bool Enabled = false;
        std::string Path;

        bool operator==(const MenuItem &) const = default;
    };

    std::string Caption;
    std::vector<MenuItem> RecentMenu{MenuItem{"(なし)", false, ""}};
    std::vector<std::string> Calls;  // "RefreshList", "ShowStatus: text", ...

    void RefreshSelect() override { Calls.push_back("RefreshSelect"); }
    void RefreshPosition() override { Calls.push_back("RefreshPosition"); }
    void RefreshGradient() override { Calls.push_back("RefreshGradient"); }
    std::string MainCaption() const override { return Caption; }
    void SetMainCaption(const std::string &caption) override { Caption = caption; }
    void ClearRecentFileMenu() override { RecentMenu.assign(1, MenuItem{"(なし)", false, ""}); }
    void SetRecentFileMenuItem(int index, const std::string &caption, const std::string &path) override
    {
        if (index >= static_cast<int>(RecentMenu.size())) {
            RecentMenu.resize(static_cast<size_t>(index) + 1);
        }
        RecentMenu[static_cast<size_t>(index)] = MenuItem{caption, true, path};
    }
    void ShowStatus(const std::string &text) override { Calls.push_back("ShowStatus: " + text); }
    void ShowErrorMessage(const std::string &text, const std::string &title) override
    {
        Calls.push_back("ShowErrorMessage: " + title + ": " + text);
    }
    void RefreshList() override { Calls.push_back("RefreshList"); }
    void ReloadCanvas() override { Calls.push_back("ReloadCanvas"); }
    void ShowFolderInBrowser(const std::string &folder) override
    {
        Calls.push_back("ShowFolderInBrowser: " + folder);
    }
    std::string PendingChangeFolder() const override { return PendingFolder; }

    std::string PendingFolder;  // the folder the file browser lists
};

// Installs a recording host over a fresh document, history and lifecycle.
class RecordingHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        core::ResetHistoryForTest();
        core::ResetLifecycleForTest();
        core::SetHost(&host);
        movie::InstallCanvasServices();
        importer::InstallPathImporters();
    }
    void TearDown() override { core::SetHost(nullptr); }

    RecordingHost host;
};

}  // namespace testsupport
