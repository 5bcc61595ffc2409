// The engine's calls up into the windows, answered by the main window.
#pragma once

#include "core/host.h"

namespace mainwindow {

class DrawGUI;

class MainHost : public core::Host {
public:
    explicit MainHost(DrawGUI &window) : window_(window) {}

    void RefreshBrushMenu() override;
    void SetupBrushList() override;

private:
    DrawGUI &window_;
};

}  // namespace mainwindow
