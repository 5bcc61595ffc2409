#include "mainwindow/main_host.h"

#include "mainwindow/draw_gui.h"
#include "mainwindow/window_status.h"
#include "movie/canvas_movie.h"
#include "platform/forms/message_box.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/path_list_window.h"

namespace mainwindow {

std::string MainHost::MainCaption() const
{
    return window_.windowTitle().toStdString();
}

void MainHost::SetMainCaption(const std::string &caption)
{
    window_.setWindowTitle(QString::fromStdString(caption));
}

void MainHost::ClearRecentFileMenu()
{
    platform::MenuArray *recent = window_.menus.mnuMostRecent;
    recent->UnloadAboveFirst();
    recent->Item(0)->SetCaption(QStringLiteral("(なし)"));
    recent->Item(0)->SetEnabled(false);
    recent->Item(0)->SetTag(QString());
}

void MainHost::SetRecentFileMenuItem(int index, const std::string &caption, const std::string &path)
{
    platform::MenuItem *item = window_.menus.mnuMostRecent->Load(index);
    item->SetCaption(QString::fromStdString(caption));
    item->SetEnabled(true);
    item->SetTag(QString::fromStdString(path));
}

void MainHost::ShowStatus(const std::string &text)
{
    ShowStatusLine(window_, QString::fromStdString(text));
}

void MainHost::ShowErrorMessage(const std::string &text, const std::string &title)
{
    platform::MsgBox(QString::fromStdString(text), platform::kMbCritical, QString::fromStdString(title), &window_);
}

void MainHost::ReloadCanvas()
{
    movie::ClearBackgroundCache();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    movie::MakeCanvasMovie();
    window_.DispShape(1);
}

bool MainHost::UnderlayChecked() const
{
    return DisplayTogglesOf(window_).underlay;
}

bool MainHost::UnderlayInFrontChecked() const
{
    return DisplayTogglesOf(window_).underlayInFront;
}

bool MainHost::GridChecked() const
{
    return DisplayTogglesOf(window_).grid;
}

platform::MoviePlayer *MainHost::CanvasPlayer()
{
    return &window_.ShockwaveFlash1;
}

void MainHost::RefreshBrushMenu()
{
    window_.RefreshBrushMenu();
}

void MainHost::SetupBrushList()
{
    window_.SetupBrushList();
}

void MainHost::RefreshPosition()
{
    window_.RefreshPosition();
}

void MainHost::RefreshGradient()
{
    window_.RefreshGradient();
}

void MainHost::RefreshSelect()
{
    if (toolwindows::PathGUI *pathList = toolwindows::PathListWindow()) {
        pathList->RefreshSelect();
    }
}

void MainHost::RefreshList()
{
    if (toolwindows::PathGUI *pathList = toolwindows::PathListWindow()) {
        pathList->RefreshList();
    }
}

void MainHost::ShowFolderInBrowser(const std::string &folder)
{
    toolwindows::ShowFolderInBrowser(folder);
}

std::string MainHost::PendingChangeFolder() const
{
    return toolwindows::ListedFolder();
}

}  // namespace mainwindow
