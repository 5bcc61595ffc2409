#include "mainwindow/file_commands.h"

#include "canvastools/canvas_input_state.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/host.h"
#include "core/memory_guard.h"
#include "import/picture_file.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/main_state.h"
#include "mainwindow/path_commands.h"
#include "movie/canvas_movie.h"
#include "platform/base/file_names.h"
#include "platform/base/number_text.h"
#include "platform/base/program_folder.h"

#include <QApplication>

#include <filesystem>
#include <system_error>
#include <utility>

namespace mainwindow {
namespace {

using canvastools::Input;
using core::Doc;

const platform::FileFilter kDrawingOpenFilter{QStringLiteral("Quillark ﾌｧｲﾙ (*.qlk)"), QStringLiteral("*.qlk")};
const platform::FileFilter kDrawingSaveFilter{QStringLiteral("Quillark ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.qlk)"),
                                              QStringLiteral("*.qlk")};
const platform::FileFilter kClipFilter{QStringLiteral("Quillark ｸﾘｯﾌﾟﾌｧｲﾙ (*.qkclip)"), QStringLiteral("*.qkclip")};
const platform::FileFilter kMetafileFilter{QStringLiteral("Windows ﾒﾀﾌｧｲﾙ (*.wmf)"), QStringLiteral("*.wmf")};
const platform::FileFilter kSvgFilter{QStringLiteral("SVG ﾌｧｲﾙ (*.svg;*.svgz)"), QStringLiteral("*.svg;*.svgz")};
const QString kDrawingExtension = QStringLiteral("qlk");
const QString kClipExtension = QStringLiteral("qkclip");

bool IsFolder(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

QString FolderOfCurrentFile()
{
    return QString::fromStdString(platform::GetFolderPart(core::Lifecycle().CurrentFileName));
}

bool HasCurrentFile()
{
    return !core::Lifecycle().CurrentFileName.empty();
}

// The confirmed, non-empty name of a dialog; empty when the dialog was cancelled.
std::string ChosenName(int32_t result, const platform::OpenFileName &record)
{
    return result != 0 ? record.lpstrFile.toStdString() : std::string();
}

bool SelectionIsCopyable()
{
    return core::CountSelectedPaths() > 0 && Input().CurrentTool == canvastools::kToolSelect;
}

// Kinds of dropped file that are pasted as a clip (a drawing only by the option).
bool IsClipKind(int32_t type)
{
    return type == importer::kImageClip || type == importer::kImageMetafile || type == importer::kImageSvg;
}

}  // namespace

QString DrawingDialogFolder()
{
    if (HasCurrentFile()) {
        return FolderOfCurrentFile();
    }
    if (IsFolder(Main().BrowserFolder)) {
        return QString::fromStdString(Main().BrowserFolder);
    }
    return QString::fromStdString(platform::ProgramFolder());
}

QString CurrentOrProgramFolder()
{
    return HasCurrentFile() ? FolderOfCurrentFile() : QString::fromStdString(platform::ProgramFolder());
}

platform::OpenFileName FileDialogRecord(QWidget *owner, const QString &filter, const QString &defaultExtension,
                                        const QString &folder, const QString &proposedName)
{
    platform::OpenFileName record;
    record.hwndOwner = owner;
    record.lpstrFilter = filter;
    record.lpstrDefExt = defaultExtension;
    record.lpstrInitialDir = folder;
    record.lpstrFile = proposedName;
    return record;
}

void DrawGUI::ConnectFileCommands()
{
    connect(menus.mnuFile, &platform::Menu::Click, this, &DrawGUI::mnuFile_Click);
    connect(menus.mnuNewCanvas, &platform::MenuItem::Click, this, &DrawGUI::mnuNewCanvas_Click);
    connect(menus.mnuOpenFile, &platform::MenuItem::Click, this, &DrawGUI::mnuOpenFile_Click);
    connect(menus.mnuSaveFileAs, &platform::MenuItem::Click, this, [this] { mnuSaveFileAs_Click(); });
    connect(menus.mnuSaveFilePicture, &platform::MenuItem::Click, this, &DrawGUI::mnuSaveFilePicture_Click);
    connect(menus.mnuClipWrite, &platform::MenuItem::Click, this, &DrawGUI::mnuClipWrite_Click);
    connect(menus.mnuClipRead, &platform::MenuItem::Click, this, &DrawGUI::mnuClipRead_Click);
    connect(menus.mnuMostRecent, &platform::MenuArray::Click, this, &DrawGUI::mnuMostRecent_Click);
    connect(Picture1, &platform::PictureBox::OLEDragDrop, this, &DrawGUI::Picture1_OLEDragDrop);

    connect(menus.mnuEdit, &platform::Menu::Click, this, &DrawGUI::mnuEdit_Click);
    // Shortcut keys act by the Edit menu's state as it is now, not as the menu last showed it.
    connect(keyPreview, &platform::KeyPreview::ShortcutKey, this, &DrawGUI::mnuEdit_Click);
    connect(menus.mnuUnDo, &platform::MenuItem::Click, this, &DrawGUI::mnuUnDo_Click);
    connect(menus.mnuReDo, &platform::MenuItem::Click, this, &DrawGUI::mnuReDo_Click);
    connect(menus.mnuCopyPathEdit, &platform::MenuItem::Click, this, &DrawGUI::mnuCopyPathEdit_Click);
    connect(menus.mnuCutPathEdit, &platform::MenuItem::Click, this, &DrawGUI::mnuCutPathEdit_Click);
    connect(menus.mnuDeletePathEdit, &platform::MenuItem::Click, this, &DrawGUI::mnuDeletePathEdit_Click);
    connect(menus.mnuPastePathEdit, &platform::MenuItem::Click, this, &DrawGUI::mnuPastePathEdit_Click);
    connect(menus.mnuSelectAllEdit, &platform::MenuItem::Click, this, &DrawGUI::mnuSelectAllEdit_Click);
}

void DrawGUI::mnuFile_Click()
{
    menus.mnuClipWrite->SetEnabled(SelectionIsCopyable());
}

void DrawGUI::mnuNewCanvas_Click()
{
    if (ConfirmModify() == 1) {
        return;
    }
    std::error_code error;
    const std::string defaults = platform::ProgramFile(kDefaultCanvasFileName);
    const bool defaultsFound = std::filesystem::is_regular_file(defaults, error);
    if (defaultsFound) {
        LoadPreferenceSub(defaults, Doc().CurrentSettings);
    }
    Input().DragArmed = false;
    Doc().ZoomRate = 1.0f;
    Combo2->SetText(QString::fromStdString(platform::FormatNumber(Doc().ZoomRate * 100.0)) + QStringLiteral("%"));
    Doc().CurrentSettings.BackgroundFlag = 0;
    core::NewDocument();
    core::Host &host = core::GetHost();
    host.RefreshList();
    host.RefreshPosition();
    host.RefreshGradient();
    movie::ClearBackgroundCache();
    movie::ClearGridCache();
    movie::ClearBackColorCache();
    movie::MakeCanvasMovie();
    DispShape(0);
    if (!defaultsFound) {
        mnuPropertyCanvasFile_Click();
    }
}

void DrawGUI::OpenDrawing(const std::string &path)
{
    // The window is painted first (what a closed dialog uncovered too): reading a large drawing
    // keeps the event loop waiting.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    core::RunWithinMemory([&] { core::OpenDrawingFile(path); });
    FormResizeSub();  // as after every opening: the drawing's canvas sets the scroll ranges
}

void DrawGUI::mnuOpenFile_Click()
{
    if (ConfirmModify() == 1) {
        return;
    }
    platform::OpenFileName record = FileDialogRecord(this, platform::MakeFilterString({kDrawingOpenFilter}),
                                                     kDrawingExtension, DrawingDialogFolder());
    std::string name = ChosenName(platform::ShowOpenDialog(record), record);
    if (!name.empty()) {
        OpenDrawing(name);
    }
}

void DrawGUI::mnuMostRecent_Click(int index)
{
    platform::MenuItem *item = menus.mnuMostRecent->Item(index);
    if (!item || item->Tag().isEmpty()) {
        return;  // the "(なし)" entry of an empty list
    }
    const std::string path = item->Tag().toStdString();
    if (ConfirmModify() == 1) {
        return;
    }
    OpenDrawing(path);
}

void DrawGUI::mnuClipRead_Click()
{
    platform::OpenFileName record = FileDialogRecord(
        this, platform::MakeFilterString({kClipFilter, kMetafileFilter, kSvgFilter, kDrawingSaveFilter}),
        kClipExtension, CurrentOrProgramFolder());
    std::string name = ChosenName(platform::ShowOpenDialog(record), record);
    if (!name.empty()) {
        DispShape(1);
        core::RunWithinMemory([&] { core::LoadClipFile(name); });
    }
}

void DrawGUI::mnuClipWrite_Click()
{
    if (SelectionIsCopyable()) {
        const canvastools::Point32 &corner = Input().HandlePoints[0];
        core::CopySelectedPaths(corner.X, corner.Y);
    }
    platform::OpenFileName record = FileDialogRecord(
        this, platform::MakeFilterString({kClipFilter, kDrawingSaveFilter}), kClipExtension, CurrentOrProgramFolder());
    std::string name = ChosenName(platform::ShowSaveDialog(record), record);
    if (!name.empty()) {
        DispShape(1);
        core::SaveClipFile(name);
    }
}

bool DrawGUI::mnuSaveFile_Click()
{
    const std::string &current = core::Lifecycle().CurrentFileName;
    if (!current.empty()) {
        return core::SaveDrawingFile(current);
    }
    return mnuSaveFileAs_Click();
}

bool DrawGUI::mnuSaveFileAs_Click()
{
    platform::OpenFileName record =
        FileDialogRecord(this, platform::MakeFilterString({kDrawingSaveFilter}), kDrawingExtension,
                         DrawingDialogFolder(), QString::fromStdString(core::Lifecycle().CurrentFileName));
    std::string name = ChosenName(platform::ShowSaveDialog(record), record);
    if (name.empty()) {
        return false;
    }
    // The new name is the drawing's while it is saved, so the file browser's listing of the folder
    // marks the saved file; a failed save keeps the old name and caption.
    std::string previous = std::exchange(core::Lifecycle().CurrentFileName, name);
    if (!core::SaveDrawingFile(name)) {
        core::Lifecycle().CurrentFileName = std::move(previous);
        return false;
    }
    core::SetNamedCaption(name);
    return true;
}

void DrawGUI::Picture1_OLEDragDrop(const QStringList &files, int /*button*/, int /*shift*/, float x, float y)
{
    if (files.isEmpty()) {
        return;
    }
    const std::string name = files.constFirst().toStdString();
    const int32_t type = importer::ImageTypeOfName(name);
    const bool drawing = type == importer::kImageDrawing;
    if (drawing && Main().DropQLKasClip != 1) {
        if (ConfirmModify() == 1) {
            return;
        }
        OpenDrawing(name);
        return;
    }
    // A file that does not load has been reported by the loader; nothing is pasted.
    if ((!drawing && !IsClipKind(type)) || !core::SucceedsWithinMemory([&] { return core::LoadClipFile(name); })) {
        return;
    }
    PosScrToTwip(x, y, Input().DragOriginX, Input().DragOriginY);
    core::RunWithinMemory([&] {
        mnuPastePath_Click();
        movie::MakeCanvasMovie();
    });
    DispShape(1);
}

}  // namespace mainwindow
