// A started main window whose modal dialogs and message boxes are answered by the test.
#pragma once

#include "canvastools/canvas_input_state.h"
#include "core/brush_list.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "movie/canvas_movie.h"
#include "platform/base/program_folder.h"
#include "platform/forms/message_box.h"
#include "platform/forms/modal_dialog.h"

#include <QApplication>
#include <QDialog>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace testsupport {

class DialogFixture : public testing::Test {
protected:
    DialogFixture()
    {
        for (const char *name : {"quillark.ini", "default.dat", "brush.dat", "usercolor.dat", "_canvtemp.tmp",
                                 "quillark_splash.jpg"}) {
            std::filesystem::remove(platform::ProgramFile(name));
        }
        core::ResetDocumentForTest();
        core::ResetBrushesForTest();
        core::ResetLifecycleForTest();
        core::ResetHistoryForTest();
        movie::ResetCanvasMovieForTest();
        mainwindow::ResetMainStateForTest();
        canvastools::ResetInputForTest();
        platform::SetMessageBoxHook([this](const platform::MessageBoxRequest &request) {
            messages.push_back(request);
            return platform::kMbOk;
        });
        platform::SetModalDialogHook([this](QDialog &dialog) {
            ++dialogsShown;
            if (answer) {
                answer(dialog);
            }
        });
    }
    ~DialogFixture() override
    {
        window.reset();
        platform::SetModalDialogHook(nullptr);
        platform::SetMessageBoxHook(nullptr);
    }

    void Start()
    {
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        window->resize(1000, 800);
        QApplication::processEvents();
    }

    // Sets what the next modal dialog does: the test works it as the given type.
    template <typename Dialog>
    void Answer(std::function<void(Dialog &)> work)
    {
        answer = [work](QDialog &dialog) {
            auto *typed = dynamic_cast<Dialog *>(&dialog);
            ASSERT_NE(typed, nullptr);
            work(*typed);
        };
    }

    std::unique_ptr<mainwindow::DrawGUI> window;
    std::function<void(QDialog &)> answer;
    int dialogsShown = 0;
    std::vector<platform::MessageBoxRequest> messages;
};

}  // namespace testsupport
