// The main window: menus, the canvas picture box with its scroll bars, the side panels and the
// status line; start-up and shut-down; the canvas display, zoom and scrolling.
#pragma once

#include "mainwindow/draw_gui_menus.h"
#include "mainwindow/main_state.h"
#include "mainwindow/settings_file.h"
#include "mainwindow/view_geometry.h"
#include "platform/base/idle_memory_release.h"
#include "platform/base/program_folder.h"
#include "platform/forms/controls.h"
#include "platform/forms/key_preview.h"
#include "platform/forms/picture_box.h"
#include "platform/player/group_cache.h"
#include "platform/player/movie_player.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include <array>
#include <functional>
#include <memory>

namespace toolwindows {
class PositionGUI;
class GradationGUI;
class BrushGUI;
class OptimizeGUI;
class TransformGUI;
}  // namespace toolwindows

namespace mainwindow {

class CanvasViewBridge;
class MainHost;
class ShapeWindowsBridge;
class SplashWindow;
class ToolWindowBridge;

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
    // Makes the canvas movie anew and redraws the canvas once the events queued now are handled
    // (keys repeated faster than the canvas is drawn are merged into one picture).
    void RemakeCanvasSoon();
    // Blocks until the canvas player's exact picture, drawn on a worker thread, is done, and shows
    // it unless a canvas tool is in the middle of a gesture (then it shows when the gesture ends).
    void FinishPendingRender();
    // Gives freed memory back once the canvas has shown its exact picture and stayed idle.
    platform::IdleMemoryRelease &IdleRelease() { return idleRelease_; }
    void PosScrToTwip(float xs, float ys, int32_t &xt, int32_t &yt) const;
    void PosTwipToScr(int32_t &xs, int32_t &ys, int32_t xt, int32_t yt) const;
    ViewMetrics CurrentViewMetrics() const;

    // Keys with Windows codes and the shift state (1 Shift, 2 Ctrl, 4 Alt).
    void Form_KeyUp(int keyCode, int shift);
    void Form_KeyDown(int keyCode, int shift);

    bool SaveSettings(std::string *error = nullptr);
    void LoadSettings();
    void LoadBrushFile(const std::string &path);
    bool SaveBrushFile(const std::string &path, std::string *error = nullptr);

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
    void mnuQuit_Click() { close(); }

    // File menu and dropped files (file_commands.cpp).
    void mnuFile_Click();
    void mnuNewCanvas_Click();
    void mnuOpenFile_Click();
    // Opens a drawing file in place of the document (the way every opening goes).
    void OpenDrawing(const std::string &path);
    void mnuMostRecent_Click(int index);
    void mnuClipRead_Click();
    void mnuClipWrite_Click();
    // Saves the drawing; false when it was not saved (cancelled or failed).
    bool mnuSaveFile_Click();
    bool mnuSaveFileAs_Click();
    // files: the dropped files' paths; x, y in picture pixels.
    void Picture1_OLEDragDrop(const QStringList &files, int button, int shift, float x, float y);

    // Picture and movie export (picture_export.cpp).
    void mnuSaveFilePicture_Click();
    // The canvas as a PNG with alpha from a render over white and one over black; false when the
    // file could not be written.
    bool RenderExportPicture(const std::string &file);

    // Edit menu (edit_commands.cpp).
    void mnuEdit_Click();
    void mnuUnDo_Click();
    void mnuReDo_Click();
    void mnuCopyPathEdit_Click();
    void mnuCutPathEdit_Click();
    void mnuDeletePathEdit_Click();
    void mnuPastePathEdit_Click();
    void mnuSelectAllEdit_Click();

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
    // The shape groups the canvas player and the path list's thumbnail player share.
    std::shared_ptr<platform::GroupCache> playerGroups = std::make_shared<platform::GroupCache>();
    // The canvas player: shows the canvas movie, drawn into Picture1 by DispShape.
    platform::MoviePlayer ShockwaveFlash1;

    // Side panels (side_panels.cpp, current_colors.cpp, color_picker.cpp, style_palette.cpp).
    // Display toggles and the line-width box.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check6_Click();
    void Combo1_Click();
    // The colour indicator, the opacity frame and the colour-information frame.
    void PicColor_Paint();
    void PaintColorSwatches();
    void PicColor_MouseDown(int button, int shift, float x, float y);
    void Label3_Click();
    void Label4_Click();
    void Label5_Click();
    void HScroll3_Change(int index);
    void HScroll3_Scroll(int index);
    void HScroll2_Change(int index);
    void Text1_Change(int index);
    void Text2_Change(int index);
    // The colour picker and the user colour sets.
    void PicPicker_Paint();
    void PicPicker_MouseDown(int button, int shift, float x, float y);
    void PicPicker_MouseMove(int button, int shift, float x, float y);
    void PicPicker_MouseUp(int button, int shift, float x, float y);
    void PicPicker_OLEDragDrop(const QStringList &files);
    void PicUserColor_MouseDown(int button, int shift, float x, float y);
    void Text3_KeyPress(int keyAscii);
    void VScroll2_Change();
    void Command1_Click();
    void mnuUserColorAdd_Click() { InsertUserColorSet(0); }
    void mnuUserColorCopy_Click() { InsertUserColorSet(1); }
    void mnuUserColorDelete_Click();
    void mnuUserColorMoveUp_Click();
    void mnuUserColorMoveDown_Click();
    void mnuUserColorMoveTop_Click();
    void mnuUserColorMoveBottom_Click();
    void mnuUserColorSet_Click(int index);
    void InsertUserColorSet(int mode);
    UserColorTable RemoveUserColorSet();
    void PlaceUserColorSet(const UserColorTable &buffer, int32_t position);
    // The style palette.
    void PicStatus_Paint();
    void PicStatus_MouseDown(int button, int shift, float x, float y);
    void PicStatus_MouseMove();

    // Dialogs (dialog_commands.cpp): canvas properties, preferences and the about box, each shown
    // modally; the first two regenerate the canvas however they were closed.
    void mnuPropertyCanvasFile_Click() { mnuPropertyCanvas_Click(); }
    void mnuPropertyCanvas_Click();
    void mnuPreference_Click();
    void mnuVersion_Click();

    std::array<platform::ScrollBar *, 3> HScroll2{};  // red, green, blue of the chosen user colour
    std::array<platform::ScrollBar *, 3> HScroll3{};  // opacity of the line, fill, gradient colour
    std::array<platform::TextBox *, 3> Text1{};
    std::array<platform::TextBox *, 3> Text2{};
    std::array<QLabel *, 3> Label1{};
    std::array<QLabel *, 3> Label2{};
    platform::Label *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr;
    platform::PictureBox *PicUserColor = nullptr;
    platform::TextBox *Text3 = nullptr;
    platform::ScrollBar *VScroll2 = nullptr;

    // Position and gradient panel bridges and the other numeric tool windows (panel_bridges.cpp).
    // Fill the position window and the gradient editor from the selection (when they are open).
    void RefreshPosition();
    void RefreshGradient();
    // Write the windows' values into the selected paths.
    void ApplyPosition();
    void ApplyGradient(bool Flg);
    // The brush palette brings the current brush into view (when it is open).
    void SetupBrushList();
    // Opens the optimisation window over the selected paths.
    void ShowOptimizeWindow();
    // Opens the window that turns the selected paths in depth.
    void ShowTransformDialog();
    toolwindows::PositionGUI *PositionGUI = nullptr;
    toolwindows::GradationGUI *GradationGUI = nullptr;
    toolwindows::BrushGUI *BrushGUI = nullptr;
    toolwindows::OptimizeGUI *OptimizeGUI = nullptr;
    toolwindows::TransformGUI *TransformGUI = nullptr;

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
    // Shows the canvas player's exact picture once its worker has drawn it (see DispShape).
    void ShowExactCanvas();
    // Makes and shows the canvas movie RemakeCanvasSoon asked for, if it is not made yet.
    void RemakePendingCanvas();
    bool canvasRemakePending_ = false;
    bool canvasExact_ = true;       // the canvas shows the exact picture of the canvas movie
    bool exactWaiting_ = false;     // a drawn exact picture waits for the gesture to end
    // Tells on the status line that the worker could not draw the canvas for want of memory, once
    // until a render succeeds again.
    void TellRefusedRender();
    bool refusedRenderTold_ = false;
    int16_t canvasOverlayFlag_ = 1;  // the overlay flag of the last DispShape
    platform::IdleMemoryRelease idleRelease_{[this] { return CanvasBusy(); }};
    // Whether a render runs or a gesture on the canvas goes on.
    bool CanvasBusy() const;
    // Where the preview windows open: the canvas picture's bottom left corner on the screen.
    QPoint CanvasBottomLeft() const;
    // The five tool-window menu items share one behaviour: invert the check mark and the stored
    // open state, open the window at its stored place or close it (openOrClose, given whether
    // the item is now checked), then give the canvas the keyboard focus.
    void ToggleToolWindow(platform::MenuItem *item, int32_t MainState::*visible,
                          const std::function<void(bool)> &openOrClose = {});
    // The canvas picture takes the keyboard focus, its window the activation.
    void FocusCanvas();
    // Sets an item's check mark opposite to the stored visibility and runs its handler, which
    // opens exactly the windows stored as open.
    void RestoreToolWindow(platform::MenuItem *item, int32_t MainState::*visible, void (DrawGUI::*handler)());
    WindowPlacementTwips CurrentPlacement() const;
    void ApplyPlacement(const WindowPlacementTwips &placement);
    void ApplyZoomStep(float step);
    // File, edit and export commands: connects their menu items and the canvas drop.
    void ConnectFileCommands();
    // Undo and redo share their ending: hit state reset, canvas redrawn, position panel refreshed.
    void AfterHistoryStep();
    // A command that changed the drawing: the canvas redrawn, then one undo step.
    void RedrawAndRecordHistory();
    // Key handlers' parts (keyboard_shortcuts.cpp).
    void ToolKey(int keyCode, int shift);
    void ToggleCheck(platform::CheckBox *check);
    // The canvas movie drawn at the canvas size into an opaque picture (null when too large).
    QImage RenderCanvasPicture();
    // Runs one export by the name's ending; false when a file could not be written.
    bool ExportPicture(const std::string &name);
    // Side panels: builds the controls inside the colour frames and connects every side-panel handler.
    void ConnectSidePanels();
    // The canvas pop-up menus' path and anchor commands (path_commands.cpp).
    void ConnectPathCommands();
    // Connects the menu items of the dialogs.
    void ConnectDialogs();
    // Shows a dialog modally at the window's top-left corner, then regenerates the canvas.
    void ShowCanvasDialog(QDialog &dialog);
    void BuildColorFrames();
    // The selected paths take the flagged current colours (one undo step); the canvas is redrawn.
    void ApplyCurrentColors(const std::array<bool, 3> &which);
    // Sets the red, green and blue sliders to a colour's channels.
    void SetColorSliders(uint32_t colour);
    void ChooseUserCell(int32_t column, int32_t row);
    void MoveUserColorSet(int32_t position);
    bool opacitySync_ = false;  // an indicator repaint is setting the opacity sliders
    // Receiver of the side panels' focus signals: as a member it goes before the child controls
    // do, so focus moving while the window is torn down reaches no handler.
    QObject sidePanelFocus_;
    std::array<bool, 3> opacityChanged_{};

    // Panel bridges: builds the tool windows and connects them and their menu items.
    void ConnectToolWindows();
    // Shows or hides a tool window as its menu item's check mark says, at its stored place.
    void ShowPanelWindows();
    // Shut-down: each open tool window keeps its placement and is reopened next time.
    void KeepPanelWindowPlacements();

    std::unique_ptr<MainHost> host_;
    // What the canvas tools see of the window, the shape tools' windows, and the tool windows'
    // link to the window.
    std::unique_ptr<CanvasViewBridge> canvasView_;
    std::unique_ptr<ShapeWindowsBridge> shapeWindows_;
    std::unique_ptr<ToolWindowBridge> toolWindowLink_;
    // Held from start-up on: a second program on the same folder leaves this one's backups alone.
    std::unique_ptr<platform::ProgramFolderLock> folderLock_;
    SplashWindow *splash_ = nullptr;
    // The square between the ends of the two scroll bars, in the button face like the bars.
    QWidget *scrollCorner_ = nullptr;
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
