// A started main window with the canvas tools attached, over a fresh document, and helpers that
// drive the canvas handlers in twips.
#pragma once

#include "canvastools/canvas_input.h"
#include "canvastools/canvas_input_state.h"
#include "core/brush_list.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/path_builder.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "movie/canvas_movie.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_box.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace testsupport {

constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;

class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        core::ResetHistoryForTest();
        core::ResetLifecycleForTest();
        core::ResetBrushesForTest();
        core::ResetClipboardForTest();
        core::ResetPathBuilderForTest();
        movie::ResetCanvasMovieForTest();
        mainwindow::ResetMainStateForTest();
        canvastools::ResetInputForTest();
        platform::SetMessageBoxHook([](const platform::MessageBoxRequest &) { return platform::kMbNo; });
        platform::SetPopupMenuHook([this](QMenu *menu) {
            popups.push_back(menu);
            return nullptr;
        });
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        window->resize(1000, 800);
        QApplication::processEvents();
        core::Doc().CurrentSettings.OptimizeFlag = 0;  // strokes keep every anchor
    }
    void TearDown() override
    {
        window.reset();
        platform::SetPopupMenuHook(nullptr);
        platform::SetMessageBoxHook(nullptr);
    }

    // Picture position of a twip point (twips that are whole pixels map back exactly).
    QPointF Screen(int32_t xt, int32_t yt) const
    {
        int32_t xs = 0;
        int32_t ys = 0;
        window->PosTwipToScr(xs, ys, xt, yt);
        return QPointF(xs, ys);
    }
    void Down(int button, int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseDown(button, shift, float(p.x()), float(p.y()));
    }
    void Move(int buttons, int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseMove(buttons, shift, float(p.x()), float(p.y()));
    }
    void Up(int button, int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseUp(button, shift, float(p.x()), float(p.y()));
    }
    // A whole gesture: press, the moves (button held), release at the last point.
    void Drag(int button, int shift, std::initializer_list<std::pair<int32_t, int32_t>> points)
    {
        auto it = points.begin();
        Move(0, shift, it->first, it->second);
        Down(button, shift, it->first, it->second);
        for (++it; it != points.end(); ++it) {
            Move(button, shift, it->first, it->second);
        }
        auto last = *(points.end() - 1);
        Up(button, shift, last.first, last.second);
    }
    void Click(int button, int shift, int32_t xt, int32_t yt) { Drag(button, shift, {{xt, yt}}); }
    void ChooseTool(int tool) { window->Option1[static_cast<size_t>(tool)]->SetValue(true); }

    // Appends a closed square path and returns its index.
    int32_t AddSquare(int32_t left, int32_t top, int32_t size, bool selected = false)
    {
        core::PathRecord path;
        path.Anchors = {{left, top, 0}, {left + size, top, 0}, {left + size, top + size, 0}, {left, top + size, 0}};
        path.blClosed = true;
        path.LineMode = 1;
        path.LineWidth = 20;
        path.GradCenterX = left + size / 2;
        path.GradCenterY = top + size / 2;
        path.blSelected = selected;
        core::Doc().DocPaths.push_back(path);
        core::StartHistoryWithDocument();
        return core::Doc().DocPathCount();
    }
    // Appends a path of the anchors with a thin line and returns its index.
    int32_t AddPath(const std::vector<core::AnchorPoint> &anchors, bool closed, bool selected = false)
    {
        core::PathRecord path;
        path.Anchors = anchors;
        path.blClosed = closed;
        path.LineMode = 1;
        path.LineWidth = 20;
        path.blSelected = selected;
        core::Doc().DocPaths.push_back(path);
        core::StartHistoryWithDocument();
        return core::Doc().DocPathCount();
    }
    int32_t AddOpenPath(std::initializer_list<core::AnchorPoint> anchors) { return AddPath(anchors, false); }
    const core::PathRecord &Path(int32_t i) const { return core::Doc().DocPaths.at(static_cast<size_t>(i)); }
    int32_t HistoryPos() const { return core::History().HistoryPos; }

    std::unique_ptr<mainwindow::DrawGUI> window;
    std::vector<QMenu *> popups;
};

}  // namespace testsupport
