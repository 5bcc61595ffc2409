// A started main window for the tool-window tests, with helpers that open the windows and type
// into their boxes.
#pragma once

#include "canvastools/selection_overlay.h"
#include "core/gradient_edit.h"
#include "tests/mainwindow/panel_fixture.h"
#include "toolwindows/brush_palette.h"
#include "toolwindows/gradient_editor.h"
#include "toolwindows/optimize_window.h"
#include "toolwindows/position_window.h"

namespace testsupport {

class ToolWindowFixture : public PanelFixture {
protected:
    void SetUp() override
    {
        core::ResetGradientEditForTest();
        PanelFixture::SetUp();
    }

    toolwindows::PositionGUI &OpenPosition()
    {
        window->menus.mnuDispPositionGUI->Trigger();
        return *window->PositionGUI;
    }
    toolwindows::GradationGUI &OpenGradient()
    {
        window->menus.mnuDispGradientGUI->Trigger();
        return *window->GradationGUI;
    }
    toolwindows::BrushGUI &OpenBrushes()
    {
        window->menus.mnuDispBrushGUI->Trigger();
        return *window->BrushGUI;
    }
    // Typing into a box: the text changes as the user's keys change it.
    static void Type(platform::TextBox *box, const QString &text) { box->SetText(text); }
    static void PressEnter(platform::TextBox *box) { emit box->KeyPress(13); }
    static void PressEsc(platform::TextBox *box) { emit box->KeyPress(27); }
};

}  // namespace testsupport
