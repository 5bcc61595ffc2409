// The main window: menus, the canvas picture box with its scroll bars, the side panels and the
// status line; start-up and shut-down; the canvas display, zoom and scrolling.
#pragma once

#include "mainwindow/draw_gui_menus.h"
#include "mainwindow/settings_file.h"
#include "mainwindow/view_geometry.h"
#include "platform/forms/controls.h"
#include "platform/forms/key_preview.h"
#include "platform/forms/picture_box.h"
#include "platform/player/movie_player.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include <array>
#include <memory>

namespace mainwindow {

class MainHost;
class SplashWindow;

class DrawGUI : public QMainWindow {
    Q_OBJECT
public:
    explicit DrawGUI(QWidget *parent = nullptr);
    ~DrawGUI() override;

    // Start-up, in its fixed order; commandLine is the whole command-line text (at most one file).
    void Form_Load(const QString &commandLine);
    // Shut-down: asks about a modified drawing (cancel = 1 keeps the program running), then writes
    // the data files and the settings.
    void Form_Unload(int &cancel);
    // 1 when the user cancelled, 0 to go on (a modified drawing was saved or may be dropped).
    int16_t ConfirmModify();

    void FormResizeSub();
    void SetScrollRanges();
    // Redraws the canvas: 0 clears the picture box and resets the scroll ranges first, above 0
    // only clears the bands around the image.
    void DispShape(int16_t flag);
    void PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const;
    void PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const;
    ViewMetrics CurrentViewMetrics() const;

    // Keys with Windows codes and the shift state (1 Shift, 2 Ctrl, 4 Alt).
    void Form_KeyUp(int keyCode, int shift);
    void Form_KeyDown(int keyCode, int shift);

    void SaveSettings();
    void LoadSettings();
    void LoadBrushFile(const std::string &path);
    void SaveBrushFile(const std::string &path);

    void HookWheelMouse();
    void UnhookWheelMouse();
    // One wheel notch over the canvas: +1 away from the user (zoom in), -1 toward (zoom out).
    void WheelWindowProc(int direction);

    // Tool buttons and the tool-window menu.
    void Option1_Click(int index);
    void mnuDispPathGUI_Click();
    void mnuDispPositionGUI_Click();
    void mnuDispFolderGUI_Click();
    void mnuDispBrushGUI_Click();
    void mnuDispGradientGUI_Click();
    void mnuSelectBrush_Click(int index);
    // Rebuilds the brush menu from the brush list.
    void RefreshBrushMenu();
    // Saves the drawing; false when it was not saved (cancelled or failed).
    bool mnuSaveFile_Click();
    bool mnuSaveFileAs_Click();
    void mnuQuit_Click() { close(); }

    void Combo2_Click();
    void HScroll1_Change() { DispShape(1); }
    void VScroll1_Change() { DispShape(1); }

    DrawGuiMenus menus;
    platform::PictureBox *Picture1;
    platform::ScrollBar *HScroll1;
    platform::ScrollBar *VScroll1;
    platform::PictureBox *PicPicker;
    platform::PictureBox *PicColor;
    platform::PictureBox *PicStatus;
    QGroupBox *Frame1;
    QGroupBox *Frame2;
    platform::CheckBox *Check1, *Check2, *Check3, *Check4, *Check5, *Check6;
    platform::ComboBox *Combo1;
    platform::ComboBox *Combo2;
    QPushButton *Command1;
    std::array<platform::OptionButton *, 11> Option1;
    QLabel *StatusLabel1;
    platform::KeyPreview *keyPreview;
    // The canvas player: shows the canvas movie, drawn into Picture1 by DispShape.
    platform::MoviePlayer ShockwaveFlash1;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void InitDocumentState();
    void Form_Activate() { DispShape(0); }
    // Points the player at the canvas movie.
    void LoadCanvasMovie();
    // Draws the canvas movie's image into the picture box's rectangle.
    void DrawCanvasImage(const ImageRect &rect);
    // The current tool's overlay on top of the canvas image.
    void DrawToolOverlay(int16_t flag);
    // The five tool-window menu items share one behaviour: invert the check mark, then open the
    // window at its stored place or close it.
    void ToggleToolWindow(platform::MenuItem *item, int32_t MainState::*visible);
    // Sets an item's check mark opposite to the stored visibility and runs its handler, which
    // opens exactly the windows stored as open.
    void RestoreToolWindow(platform::MenuItem *item, int32_t MainState::*visible, void (DrawGUI::*handler)());
    WindowPlacementTwips CurrentPlacement() const;
    void ApplyPlacement(const WindowPlacementTwips &placement);
    void ApplyZoomStep(float step);

    std::unique_ptr<MainHost> host_;
    SplashWindow *splash_ = nullptr;
    bool wheelHooked_ = false;
    bool wheelBusy_ = false;
    bool shuttingDown_ = false;
};

// A path with every folder and file name as the file system stores it. Linux paths carry no
// drive letter, so the path comes back as given.
QString GetLongPath(const QString &path);
// A path beginning with "." made absolute against the base folder; any other path unchanged.
QString ResolveRelativePath(const QString &path, const QString &baseFolder);
// The command line's file: surrounding double quotes removed.
QString CommandLineFile(const QString &commandLine);

}  // namespace mainwindow
