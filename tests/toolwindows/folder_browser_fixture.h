// A started main window with a folder of test files and the file browser opened on it from the
// View menu; message boxes are recorded and answered by the test.
#pragma once

#include "core/backup_file.h"
#include "core/drawing_file.h"
#include "platform/base/program_folder.h"
#include "tests/mainwindow/panel_fixture.h"
#include "tests/support/drawing_files.h"
#include "tests/support/test_support.h"
#include "toolwindows/folder_gui.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class FolderBrowserFixture : public PanelFixture {
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        toolwindows::ResetFolderBrowserForTest();
        core::DeleteAllBackups();
        folder = NewFolder("browse");
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
            messages.push_back(request);
            return answer;
        });
    }
    void TearDown() override
    {
        core::DeleteAllBackups();
        PanelFixture::TearDown();
    }

    // An empty folder in the program folder.
    static std::string NewFolder(const std::string &name)
    {
        std::string path = platform::ProgramFile(name);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }
    std::string File(const std::string &name) const { return folder + "/" + name; }
    // A drawing (320 x 320 pixels) of `squares` red squares of 160 pixels at its top left.
    std::string Drawing(const std::string &name, int squares = 1)
    {
        core::PathRecord square;
        square.Anchors = {{0, 0, 0}, {3200, 0, 0}, {3200, 3200, 0}, {0, 3200, 0}};
        square.blClosed = true;
        square.FillType = 1;
        square.FillColor = 0xFF0000FF;
        return testsupport::WriteDrawing(File(name), std::vector<core::PathRecord>(static_cast<size_t>(squares), square));
    }
    void Touch(const std::string &name, const std::string &bytes = "xx") { WriteAll(File(name), bytes); }
    // Opens the browser on the folder from the View menu.
    toolwindows::FolderGUI &OpenBrowser()
    {
        mainwindow::Main().BrowserFolder = folder;
        window->menus.mnuDispFolderGUI->Trigger();
        EXPECT_NE(toolwindows::FolderWindow(), nullptr);
        return *toolwindows::FolderWindow();
    }
    std::vector<QString> Entries() const
    {
        std::vector<QString> entries;
        for (int i = 0; i < browser().ListCount(); ++i) {
            entries.push_back(browser().List1->item(i)->text());
        }
        return entries;
    }
    int Row(const QString &name) const
    {
        for (int i = 0; i < browser().ListCount(); ++i) {
            if (browser().GetFileList(i) == name) {
                return i;
            }
        }
        return -1;
    }
    // The user clicks these entries (the first becomes current).
    void Select(std::initializer_list<QString> names)
    {
        browser().List1->clearSelection();
        bool first = true;
        for (const QString &name : names) {
            if (first) {
                browser().SetListIndex(Row(name));
                first = false;
            }
            browser().List1->item(Row(name))->setSelected(true);
        }
    }
    static toolwindows::FolderGUI &browser() { return *toolwindows::FolderWindow(); }
    static bool Exists(const std::string &path) { return std::filesystem::exists(path); }
    static bool HasBackup(const std::string &name) { return Exists(core::BackupFilePath(name)); }

    std::string folder;
    std::vector<platform::MessageBoxRequest> messages;
    int answer = platform::kMbOk;
};

}  // namespace testsupport
