// The engine's calls up into the windows, answered by the main window.
#pragma once

#include "core/host.h"

namespace mainwindow {

class DrawGUI;

class MainHost : public core::Host {
public:
    explicit MainHost(DrawGUI &window) : window_(window) {}

    std::string MainCaption() const override;
    void SetMainCaption(const std::string &caption) override;
    void ClearRecentFileMenu() override;
    void SetRecentFileMenuItem(int index, const std::string &caption, const std::string &path) override;
    void ShowStatus(const std::string &text) override;
    void ShowErrorMessage(const std::string &text, const std::string &title) override;
    void ReloadCanvas() override;
    bool UnderlayChecked() const override;
    bool UnderlayInFrontChecked() const override;
    bool GridChecked() const override;
    platform::MoviePlayer *CanvasPlayer() override;
    void RefreshBrushMenu() override;
    void SetupBrushList() override;
    void RefreshPosition() override;
    void RefreshGradient() override;
    // Path list window: forwarded while it is open.
    void RefreshSelect() override;
    void RefreshList() override;
    void ShowFolderInBrowser(const std::string &folder) override;
    std::string PendingChangeFolder() const override;

private:
    DrawGUI &window_;
};

}  // namespace mainwindow
