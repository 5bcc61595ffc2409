// A started main window with every module reset, message boxes and file dialogs answered by the
// test, and helpers that put paths into the drawing.
#pragma once

#include "canvastools/canvas_input_state.h"
#include "core/brush_list.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "movie/canvas_movie.h"
#include "platform/base/program_folder.h"
#include "platform/forms/file_dialogs.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_box.h"
#include "platform/forms/modal_dialog.h"
#include "toolwindows/dialog_support.h"

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace testsupport {

struct FileDialogCall {
    platform::FileDialogKind kind;
    platform::OpenFileName record;
};

class MainWindowFixture : public testing::Test {
protected:
    MainWindowFixture()
    {
        for (const char *name : {"quillark.ini", "default.dat", "brush.dat", "usercolor.dat", "_canvtemp.tmp"}) {
            std::filesystem::remove(platform::ProgramFile(name));
        }
        core::ResetDocumentForTest();
        core::ResetBrushesForTest();
        core::ResetLifecycleForTest();
        core::ResetHistoryForTest();
        core::ResetClipboardForTest();
        movie::ResetCanvasMovieForTest();
        mainwindow::ResetMainStateForTest();
        canvastools::ResetInputForTest();
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
            messages.push_back(request);
            return answer;
        });
        platform::SetFileDialogHook([this](platform::FileDialogKind kind, platform::OpenFileName &record) {
            dialogs.push_back(FileDialogCall{kind, record});
            record.lpstrFile = dialogAnswer;
            return dialogAnswer.isEmpty() ? 0 : 1;
        });
        platform::SetModalDialogHook([this](QDialog &dialog) {
            modalDialogs.push_back(dialog.metaObject()->className());
        });
        platform::SetPopupMenuHook([this](QMenu *menu) {
            popups.push_back(menu);
            return static_cast<QAction *>(nullptr);
        });
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        window->resize(1000, 800);
        QApplication::processEvents();
    }

    ~MainWindowFixture() override
    {
        window.reset();
        platform::SetMessageBoxHook(nullptr);
        platform::SetFileDialogHook(nullptr);
        platform::SetPopupMenuHook(nullptr);
        platform::SetModalDialogHook(nullptr);
    }

    // A closed, filled rectangle (twips) without a line, appended to the drawing.
    static void AddRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom, core::Color fill,
                             bool selected = false)
    {
        core::PathRecord path;
        path.Anchors = {{left, top, core::kOnCurve},
                        {right, top, core::kOnCurve},
                        {right, bottom, core::kOnCurve},
                        {left, bottom, core::kOnCurve}};
        path.blClosed = true;
        path.FillType = core::kFillSolid;
        path.FillColor = fill;
        path.blSelected = selected;
        core::Doc().DocPaths.push_back(path);
    }

    // A subfolder of the program folder, created.
    static std::string Folder(const std::string &name)
    {
        std::string folder = platform::ProgramFile(name);
        std::filesystem::create_directories(folder);
        return folder;
    }

    bool Modified() const { return window->windowTitle().endsWith(QStringLiteral(" *")); }

    std::unique_ptr<mainwindow::DrawGUI> window;
    std::vector<platform::MessageBoxRequest> messages;
    int answer = platform::kMbNo;
    std::vector<FileDialogCall> dialogs;
    QString dialogAnswer;  // the name the dialog returns; empty: Cancel
    std::vector<QMenu *> popups;
    std::vector<std::string> modalDialogs;  // class names of the modal dialogs shown (then cancelled)
};

}  // namespace testsupport
