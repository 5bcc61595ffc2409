// The file browser's commands on its list: opening drawings with pending changes, loading clips,
// applying and discarding pending changes, copying, deleting, the underlay, folder drops and the
// animation preview.
#include "core/backup_file.h"
#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/memory_guard.h"
#include "movie/canvas_movie.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "platform/base/text_encoding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/message_box.h"
#include "toolwindows/animation_preview.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/main_window_link.h"
#include "toolwindows/rename_textbox.h"
#include "toolwindows/select_folder_gui.h"

#include <QFile>

#include <filesystem>

namespace toolwindows {
namespace {

using platform::MenuItem;

const char *const kEditCaption = "編集する(&E)";
const char *const kLoadClipCaption = "クリップを読み込む(&E)";
const char *const kDiscardTitle = "変更の破棄";

MenuItem *Item(QMenu *menu, const char *caption)
{
    return new MenuItem(menu, QString::fromUtf8(caption));
}

bool FileExists(const std::string &path)
{
    std::error_code ignored;
    return !path.empty() && std::filesystem::exists(path, ignored);
}

bool IsOneOf(const QString &code, std::initializer_list<const char *> codes)
{
    for (const char *candidate : codes) {
        if (code == QLatin1String(candidate)) {
            return true;
        }
    }
    return false;
}

// Counts the commands applying pending changes, so that the drawing core's listings wait.
class ApplyingScope {
public:
    explicit ApplyingScope(int &counter) : counter_(counter) { ++counter_; }
    ~ApplyingScope() { --counter_; }
    ApplyingScope(const ApplyingScope &) = delete;
    ApplyingScope &operator=(const ApplyingScope &) = delete;

private:
    int &counter_;
};

}  // namespace

FolderListMenus::FolderListMenus() : mnuFileList(std::make_unique<platform::Menu>(QStringLiteral("ファイルリスト")))
{
    platform::Menu *root = mnuFileList.get();
    mnuEditFile = Item(root, kEditCaption);
    mnuRenameFile = Item(root, "名前を変更する(&R)");
    mnuCopyFile = Item(root, "ファイルを複製する(&C)");
    mnuDeleteFile = Item(root, "ファイルを削除する(&D)");
    Item(root, "-");
    mnuSetBG = Item(root, "下絵に設定(&B)");
    mnuAnimePreview = root->AddMenu(QString::fromUtf8("アニメプレビュー(&A)"));
    mnuAnimePreviewFrame = Item(mnuAnimePreview, "コマアニメ(&A)");
    mnuAnimePreviewMorph = Item(mnuAnimePreview, "モーフィング(&M)");
    Item(root, "-");
    mnuApplyChange = Item(root, "変更を適用(&S)");
    mnuVoidChange = Item(root, "変更を破棄(&V)");
    mnuApplyChangeAll = Item(root, "全ての変更を適用(&X)");
    mnuVoidChangeAll = Item(root, "全ての変更を破棄(&I)");
    Item(root, "-");
    mnuRefleshList = Item(root, "最新の状態に更新(&F)");
}

void FolderGUI::ConnectCommands()
{
    connect(menus.mnuEditFile, &MenuItem::Click, this, &FolderGUI::mnuEditFile_Click);
    connect(menus.mnuRenameFile, &MenuItem::Click, this, &FolderGUI::mnuRenameFile_Click);
    connect(menus.mnuCopyFile, &MenuItem::Click, this, &FolderGUI::mnuCopyFile_Click);
    connect(menus.mnuDeleteFile, &MenuItem::Click, this, &FolderGUI::mnuDeleteFile_Click);
    connect(menus.mnuSetBG, &MenuItem::Click, this, &FolderGUI::mnuSetBG_Click);
    connect(menus.mnuAnimePreviewFrame, &MenuItem::Click, this, [this] { ShowAnimePreview(0); });
    connect(menus.mnuAnimePreviewMorph, &MenuItem::Click, this, [this] { ShowAnimePreview(1); });
    connect(menus.mnuApplyChange, &MenuItem::Click, this, &FolderGUI::mnuApplyChange_Click);
    connect(menus.mnuVoidChange, &MenuItem::Click, this, &FolderGUI::mnuVoidChange_Click);
    connect(menus.mnuApplyChangeAll, &MenuItem::Click, this, &FolderGUI::mnuApplyChangeAll_Click);
    connect(menus.mnuVoidChangeAll, &MenuItem::Click, this, &FolderGUI::mnuVoidChangeAll_Click);
    connect(menus.mnuRefleshList, &MenuItem::Click, this, &FolderGUI::mnuRefleshList_Click);
}

// ---- list events ----

void FolderGUI::List1_DblClick()
{
    mnuEditFile_Click();
}

void FolderGUI::List1_KeyUp(int keyCode, int /*shift*/)
{
    if (keyCode == platform::kVkReturn) {
        mnuEditFile_Click();
    }
}

void FolderGUI::List1_MouseUp(int button, int /*shift*/, float /*x*/, float /*y*/)
{
    if (button == platform::kRightButton) {
        ShowListMenu();
    }
}

void FolderGUI::ShowListMenu()
{
    FolderListMenus &m = menus;
    for (MenuItem *item : {m.mnuEditFile, m.mnuRenameFile, m.mnuCopyFile, m.mnuDeleteFile, m.mnuSetBG,
                           m.mnuApplyChange, m.mnuVoidChange, m.mnuApplyChangeAll, m.mnuVoidChangeAll}) {
        item->SetEnabled(false);
    }
    m.mnuAnimePreview->SetEnabled(false);
    m.mnuEditFile->SetCaption(QString::fromUtf8(kEditCaption));
    int32_t selected = SelectedCount();
    if (selected == 1 && ListIndex() >= 0) {
        QString entry = List1->item(ListIndex())->text();
        QString code = entry.mid(1, 3);
        if (IsOneOf(code, {"QLK", "QKC", "WMF", "SVG"})) {
            m.mnuEditFile->SetEnabled(true);
            if (code != QLatin1String("QLK")) {
                m.mnuEditFile->SetCaption(QString::fromUtf8(kLoadClipCaption));
            }
        }
        m.mnuRenameFile->SetEnabled(true);
        m.mnuCopyFile->SetEnabled(true);
        m.mnuSetBG->SetEnabled(IsOneOf(code, {"QLK", "BMP", "JPG", "PNG"}));
        m.mnuApplyChange->SetEnabled(entry.left(1) == QStringLiteral("●"));
        m.mnuVoidChange->SetEnabled(FileExists(core::BackupFilePath(FileNameAt(ListIndex()))));
    }
    if (selected >= 1) {
        m.mnuDeleteFile->SetEnabled(true);
        m.mnuAnimePreview->SetEnabled(true);
    }
    bool pending = core::AnyDrawingBackup();
    m.mnuApplyChangeAll->SetEnabled(pending);
    m.mnuVoidChangeAll->SetEnabled(pending);
    m.mnuRefleshList->SetEnabled(true);
    platform::PopupMenu(m.mnuFileList.get(), m.mnuEditFile);
}

void FolderGUI::List1_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty()) {
        return;
    }
    std::string first = QFile::encodeName(files.first()).toStdString();
    std::error_code ignored;
    if (!first.empty() && std::filesystem::is_directory(first, ignored)) {
        MainWindow().Settings().BrowserFolder = NormalFolder(first);
        SetDirectory();
    }
}

void FolderGUI::Label1_Click()
{
    if (!folderChooser_) {
        folderChooser_ = new SelectFolderGUI(*this);
    }
    folderChooser_->Open();
}

// ---- opening ----

void FolderGUI::Openfile(const std::string &f)
{
    if (!FileExists(f)) {
        return;
    }
    const std::string &current = core::Lifecycle().CurrentFileName;
    // Only a drawing of the listed folder can be kept as a pending change; an untitled one, or
    // one from another folder, is offered for saving instead.
    if (!core::InPendingChangeFolder(current)) {
        if (MainWindow().ConfirmModify() == 1) {
            return;
        }
    } else if (core::Lifecycle().DocModified && !core::SaveBackupFile(current)) {
        return;  // the edits could not be kept: the drawing stays open
    }
    core::RunWithinMemory([&] { core::OpenWithBackup(f); });
    MainWindow().FormResizeSub();
}

void FolderGUI::OpenNextFile(int v)
{
    int32_t current = ListIndex();
    if (current < 0 || (v != 1 && v != -1)) {
        return;
    }
    for (int32_t i = current + v; i >= 0 && i < ListCount(); i += v) {
        std::string name = FileNameAt(i);
        if (platform::AsciiLower(platform::GetExtensionPart(name)) == "qlk") {
            Openfile(JoinFolder(MainWindow().Settings().BrowserFolder, name));
            return;
        }
    }
}

void FolderGUI::mnuEditFile_Click()
{
    std::string path = SelectedPath();
    std::string extension = platform::AsciiLower(platform::GetExtensionPart(path));
    if (extension == "qlk") {
        Openfile(path);
        return;
    }
    if (extension != "qkclip" && extension != "wmf" && extension != "svg" && extension != "svgz") {
        return;
    }
    if (!core::SucceedsWithinMemory([&] { return core::LoadClipFile(path); })) {
        return;  // reported; nothing to paste
    }
    QString status = MainWindow().StatusText();
    core::RunWithinMemory([&] {
        core::PastePaths(0, 0, true, -1);
        movie::MakeCanvasMovie();
        MainWindow().DispShape(1);
        MainWindow().SetStatusText(status);
        core::RecordHistory();
    });
}

// ---- pending changes ----

void FolderGUI::mnuApplyChange_Click()
{
    {
        ApplyingScope scope(applying_);
        core::ApplyBackupToFile(SelectedPath());
    }
    SetDirectory();
}

int32_t FolderGUI::ApplyAllChanges()
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < ListCount(); ++i) {
        names.push_back(FileNameAt(i));
    }
    ApplyingScope scope(applying_);
    return ApplyPendingChanges(MainWindow().Settings().BrowserFolder, names, this);
}

int32_t ApplyPendingChanges(const std::string &folder, const std::vector<std::string> &names, QWidget *owner)
{
    int32_t applied = 0;
    int32_t failed = 0;
    for (const std::string &name : names) {
        std::string path = JoinFolder(folder, name);
        bool pending = FileExists(core::BackupFilePath(path));
        if (core::ApplyBackupToFile(path)) {
            ++applied;
        } else if (pending) {
            ++failed;
        }
    }
    if (applied > 0) {
        platform::MsgBox(QString::number(applied) + QStringLiteral("個のファイルの変更を適用しました。"),
                         platform::kMbOkOnly, QStringLiteral("Quillark"), owner);
    }
    return failed;
}

void FolderGUI::mnuApplyChangeAll_Click()
{
    ApplyAllChanges();
    SetDirectory();
}

void FolderGUI::mnuVoidChange_Click()
{
    if (ListIndex() >= 0) {
        std::string backup = core::BackupFilePath(FileNameAt(ListIndex()));
        if (FileExists(backup) && platform::MsgBox(QStringLiteral("変更を破棄しますか？"), platform::kMbOkCancel,
                                                   QString::fromUtf8(kDiscardTitle), this) == platform::kMbOk) {
            std::error_code ignored;
            std::filesystem::remove(backup, ignored);
        }
    }
    SetDirectory();
}

void FolderGUI::mnuVoidChangeAll_Click()
{
    if (platform::MsgBox(QStringLiteral("全ての変更を破棄しますか？"), platform::kMbOkCancel,
                         QString::fromUtf8(kDiscardTitle), this) == platform::kMbOk) {
        core::DeleteAllBackups();
        SetDirectory();
    }
}

// ---- files ----

void FolderGUI::mnuRenameFile_Click()
{
    if (ListIndex() < 0) {
        return;
    }
    if (!renameBox_) {
        renameBox_ = new RenameTextbox(*this);
    }
    renameBox_->Open();
}

void FolderGUI::mnuCopyFile_Click()
{
    std::string source = SelectedPath();
    std::string bytes;
    if (source.empty() || !platform::ReadWholeFile(source, bytes)) {
        return;
    }
    std::string error;
    if (!platform::WriteFileAtomically(CopyTargetPath(source), bytes, &error)) {
        platform::MsgBox(QString::fromStdString(error), platform::kMbCritical, QStringLiteral("Quillark"), this);
    }
    SetDirectory();
}

void FolderGUI::mnuDeleteFile_Click()
{
    if (platform::MsgBox(QStringLiteral("選択したファイルを削除しますか？"), platform::kMbOkCancel,
                         QStringLiteral("ファイルの削除"), this) == platform::kMbOk) {
        for (int32_t i = 0; i < ListCount(); ++i) {
            if (RowSelected(i)) {
                std::error_code ignored;
                std::filesystem::remove(JoinFolder(MainWindow().Settings().BrowserFolder, FileNameAt(i)), ignored);
            }
        }
    }
    SetDirectory();
}

void FolderGUI::mnuSetBG_Click()
{
    std::string path = SelectedPath();
    if (path.empty()) {
        return;
    }
    // An underlay memory cannot hold is refused: the settings stay as they were.
    core::RunWithinMemory([&] {
        core::CanvasSettings &settings = core::Doc().CurrentSettings;
        settings.BackgroundFile = path;
        settings.BackgroundFlag = 1;
        movie::ClearBackgroundCache();
        movie::MakeCanvasMovie();
        MainWindow().DispShape(0);
        MainWindow().ShowUnderlay();
        core::SetModified(true);
    });
}

void FolderGUI::ShowAnimePreview(int mode)
{
    PreviewRows rows;
    rows.folder = MainWindow().Settings().BrowserFolder;
    for (int32_t i = 0; i < ListCount(); ++i) {
        rows.names.push_back(FileNameAt(i));
        rows.selected.push_back(RowSelected(i));
    }
    UnloadPreviewWindow();
    int32_t width = 0;
    int32_t height = 0;
    std::string movie = platform::InstanceFile(platform::kPreviewMovieName);
    const ToolWindowSettings &settings = MainWindow().Settings();
    // Drawings memory cannot hold are refused with the message; the drawing open stays.
    const bool made = core::RunWithinMemory(
        [&] { MakePreviewMovie(movie, width, height, mode, rows, {settings.PreviewFPS, settings.PreviewMorphFrame}); });
    if (made && width > 0 && height > 0) {
        ShowPreviewWindow(movie, width, height, parentWidget());
    }
    // The movie stays in the program folder until the program ends: the next preview replaces it.
}

}  // namespace toolwindows
