#include "toolwindows/folder_gui.h"

#include "core/backup_file.h"
#include "core/document_lifecycle.h"
#include "core/memory_guard.h"
#include "import/picture_file.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/message_box.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/main_window_link.h"
#include "toolwindows/rename_textbox.h"
#include "toolwindows/select_folder_gui.h"
#include "toolwindows/thumbnail_movies.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <new>

namespace toolwindows {
namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 480;
constexpr int kGripHeight = 3;   // the folder's name starts this far below the splitter's top
const char *const kFolderChangePrompt = "現在のフォルダに編集中のファイルがあります。全ての変更を適用しますか？";

// The browser's module state: the open window and the folder listed last, which outlives it.
struct FolderBrowserState {
    FolderGUI *window = nullptr;
    std::string listedFolder;
};

FolderBrowserState &Browser()
{
    static FolderBrowserState state;
    return state;
}

SplitPlacement Placement()
{
    ToolWindowSettings &m = MainWindow().Settings();
    return {m.FolderToolBoxLeft,   m.FolderToolBoxTop,      m.FolderToolBoxWidth,
            m.FolderToolBoxHeight, m.FolderToolBoxSplitter, m.FolderToolBoxVisible};
}

// A 0x00BBGGRR colour as the player's 0xRRGGBB.
int32_t PlayerColor(uint32_t bgr)
{
    return static_cast<int32_t>(((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF));
}

}  // namespace

// ---- the list control ----

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileList::mouseReleaseEvent(QMouseEvent *event)
{
    QListWidget::mouseReleaseEvent(event);
    emit MouseUp(platform::MouseButtonOf(event->button()), platform::ShiftStateOf(event->modifiers()),
                 static_cast<float>(event->position().x()), static_cast<float>(event->position().y()));
}

void FileList::keyReleaseEvent(QKeyEvent *event)
{
    QListWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit KeyUp(platform::VirtualKeyOf(*event), platform::ShiftStateOf(event->modifiers()));
    }
}

void FileList::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void FileList::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void FileList::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls()) {
        files.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    emit FilesDropped(files);
}

// ---- the window ----

// Closing with the main window while hidden leaves the browser's open-state flag as it was.
FolderGUI::FolderGUI(QWidget &owner, platform::MenuItem &viewItem)
    : SplitToolWindow(&owner, &viewItem, Placement, true)
{
    setWindowTitle(QStringLiteral("フォルダ"));
    BuildControls();
    ConnectHandlers();
    ConnectCommands();
    resize(kClientWidth, kClientHeight);
    SetDirectory();
}

FolderGUI::~FolderGUI()
{
    // The rename box and the chooser let go of the browser while it is still whole.
    delete renameBox_;
    delete folderChooser_;
    if (Browser().window == this) {
        Browser().window = nullptr;
    }
}

void FolderGUI::BuildControls()
{
    Picture1 = new platform::PictureBox(this);
    BuildSplitter();
    Label1 = new platform::Label(QString(), this);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setFixedHeight(Label1->fontMetrics().height() + 2);
    List1 = new FileList(this);
}

void FolderGUI::ConnectHandlers()
{
    connect(List1, &QListWidget::currentRowChanged, this, &FolderGUI::List1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &FolderGUI::List1_DblClick);
    connect(List1, &FileList::KeyUp, this, &FolderGUI::List1_KeyUp);
    connect(List1, &FileList::MouseUp, this, &FolderGUI::List1_MouseUp);
    connect(List1, &FileList::FilesDropped, this, &FolderGUI::List1_OLEDragDrop);
    connect(Label1, &platform::Label::Click, this, &FolderGUI::Label1_Click);
}

QString FolderGUI::GetFileList(int32_t i) const
{
    QListWidgetItem *item = List1->item(i);
    return item ? EntryFileName(item->text()) : QString();
}

std::string FolderGUI::FileNameAt(int32_t i) const
{
    QListWidgetItem *item = List1->item(i);
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

std::string FolderGUI::SelectedPath() const
{
    if (ListIndex() < 0) {
        return {};
    }
    return JoinFolder(MainWindow().Settings().BrowserFolder, FileNameAt(ListIndex()));
}

void FolderGUI::SetListIndex(int32_t row)
{
    List1->setCurrentRow(row, QItemSelectionModel::NoUpdate);
}

bool FolderGUI::RowSelected(int32_t row) const
{
    QListWidgetItem *item = List1->item(row);
    return item && item->isSelected();
}

int32_t FolderGUI::SelectedCount() const
{
    return static_cast<int32_t>(List1->selectedItems().size());
}

// ---- listing ----

void FolderGUI::SetDirectory()
{
    FolderBrowserState &state = Browser();
    std::string folder = NormalFolder(MainWindow().Settings().BrowserFolder);
    std::error_code ignored;
    if (folder.empty() || !std::filesystem::is_directory(folder, ignored)) {
        folder = NormalFolder(platform::ProgramFolder());
    }
    MainWindow().Settings().BrowserFolder = folder;
    // Nothing listed yet in this run is no change of folder: no pending change can belong to it.
    if (!state.listedFolder.empty() && folder != state.listedFolder && !SettlePendingChanges(state.listedFolder)) {
        folder = state.listedFolder;
        MainWindow().Settings().BrowserFolder = folder;
    }
    state.listedFolder = folder;
    std::string name = platform::GetFileNamePart(folder);
    Label1->setText(QString::fromStdString(name.empty() ? folder : name));
    FillList(BuildEntries(ListFolderFiles(folder)));
}

namespace {

int AskToApplyPendingChanges(QWidget *owner)
{
    return platform::MsgBox(QString::fromUtf8(kFolderChangePrompt), platform::kMbYesNoCancel,
                            QStringLiteral("Quillark"), owner);
}

}  // namespace

bool FolderGUI::SettlePendingChanges(const std::string &listed)
{
    if (core::AnyDrawingBackup()) {
        int answer = AskToApplyPendingChanges(this);
        if (answer == platform::kMbCancel) {
            return false;
        }
        if (answer == platform::kMbYes) {
            std::string wanted = MainWindow().Settings().BrowserFolder;
            MainWindow().Settings().BrowserFolder = listed;
            int32_t failed = ApplyAllChanges();
            MainWindow().Settings().BrowserFolder = wanted;
            if (failed > 0) {
                return false;  // the changes that could not be written stay pending in that folder
            }
        }
    }
    core::DeleteAllBackups();
    return true;
}

bool SettlePendingChangesAtExit(QWidget *owner)
{
    if (!core::AnyDrawingBackup()) {
        return true;
    }
    int answer = AskToApplyPendingChanges(owner);
    if (answer == platform::kMbCancel) {
        return false;
    }
    if (answer == platform::kMbYes) {
        // The pending changes belong to the folder listed last, whether or not the browser is open.
        const std::string &listed = Browser().listedFolder;
        std::string folder = listed.empty() ? NormalFolder(MainWindow().Settings().BrowserFolder) : listed;
        int32_t failed = Browser().window ? Browser().window->ApplyAllChanges()
                                          : ApplyPendingChanges(folder, ListFolderFiles(folder), owner);
        if (failed > 0) {
            return false;  // what could not be written stays pending, and the program running
        }
    }
    core::DeleteAllBackups();
    return true;
}

void FolderGUI::FillList(const std::vector<FolderEntry> &entries)
{
    filling_ = true;
    List1->setUpdatesEnabled(false);
    int count = static_cast<int>(entries.size());
    if (count == 0) {
        List1->clear();
    } else {
        while (List1->count() > count) {
            delete List1->takeItem(0);
        }
        while (List1->count() < count) {
            List1->addItem(QString());
        }
        List1->clearSelection();
        std::string openName = platform::GetFileNamePart(core::Lifecycle().CurrentFileName);
        for (int i = 0; i < count; ++i) {
            const FolderEntry &entry = entries[static_cast<size_t>(i)];
            List1->item(i)->setText(entry.text);
            List1->item(i)->setData(Qt::UserRole, QByteArray::fromStdString(entry.name));
            if (!openName.empty() && entry.name == openName) {
                List1->setCurrentRow(i, QItemSelectionModel::NoUpdate);
                List1->item(i)->setSelected(true);
            }
        }
    }
    List1->setUpdatesEnabled(true);
    filling_ = false;
    if (isVisible()) {
        ThumbDisplay(SelectedPath());
    }
}

void FolderGUI::List1_Click()
{
    if (!filling_ && isVisible()) {
        ThumbDisplay(SelectedPath());
    }
}

// ---- the thumbnail ----

void FolderGUI::ThumbDisplay(const std::string &path, bool redraw)
{
    if (path == LastThumbFile && !redraw) {
        return;
    }
    LastThumbFile = path;
    // A file memory cannot hold is refused with the message, and its thumbnail stays blank.
    if (!core::ReadsWithinMemory([&] { DrawThumbnail(path); })) {
        Picture1->Cls();
        Picture1->Refresh();
    }
}

void FolderGUI::DrawThumbnail(const std::string &path)
{
    Picture1->Cls();
    int64_t corner = Picture1->Point(0, 0);
    int32_t background = PlayerColor(corner < 0 ? Picture1->BackColor() : static_cast<uint32_t>(corner));
    std::error_code ignored;
    importer::ImageInfo info;
    if (!path.empty() && std::filesystem::is_regular_file(path, ignored)) {
        info = importer::GetImageInfo(path, importer::kProbeContent);
    }
    if (info.ImageType == importer::kImageUnknown) {
        Picture1->Refresh();
        return;
    }
    QRect rect = FitThumbnail(Picture1->ScaleWidth(), Picture1->ScaleHeight(), info.ImageWidth, info.ImageHeight);
    if (!rect.isEmpty()) {
        QPainter painter(&Picture1->Image());
        switch (info.ImageType) {
        case importer::kImageBmp:
        case importer::kImageJpeg:
        case importer::kImagePng:
        case importer::kImageMetafile: {
            std::vector<uint8_t> alpha;
            QImage picture = importer::LoadPictureFile(path, alpha);
            if (!picture.isNull()) {
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(rect, picture);
            }
            break;
        }
        case importer::kImageDrawing:
        case importer::kImageClip:
        case importer::kImageSvg: {
            std::string movie = info.ImageType == importer::kImageDrawing
                                    ? MakeDrawingThumbMovie(path, info.ImageWidth, info.ImageHeight)
                                : info.ImageType == importer::kImageClip
                                    ? MakeClipThumbMovie(path, info.ImageWidth, info.ImageHeight)
                                    : MakeSvgThumbMovie(path, info.ImageWidth, info.ImageHeight);
            if (!movie.empty()) {
                bool outOfMemory = false;
                const QImage thumbnail = RenderThumbnailMovie(ShockwaveFlash2, movie, background, rect.width(),
                                                              rect.height(), info.ImageWidth, info.ImageHeight,
                                                              &outOfMemory);
                if (outOfMemory) {
                    throw std::bad_alloc();  // refused as a whole, as when reading the file ran out
                }
                painter.drawImage(rect.topLeft(), thumbnail);
            }
            break;
        }
        default:
            break;
        }
    }
    QString size = QStringLiteral(" ( %1 x %2 )").arg(info.ImageWidth).arg(info.ImageHeight);
    QPainter painter(&Picture1->Image());
    painter.setFont(Picture1->font());
    int lineHeight = painter.fontMetrics().height();
    painter.setPen(platform::ColorFromBgr(platform::SystemColor(QPalette::Light)));
    painter.drawText(QRect(1, 2, Picture1->ScaleWidth(), lineHeight), Qt::AlignLeft | Qt::AlignTop, size);
    painter.setPen(platform::ColorFromBgr(platform::SystemColor(QPalette::Shadow)));
    painter.drawText(QRect(0, 1, Picture1->ScaleWidth(), lineHeight), Qt::AlignLeft | Qt::AlignTop, size);
    painter.end();
    Picture1->Refresh();
}

// ---- the splitter and the layout ----

void FolderGUI::SizePanes(int pos)
{
    InLayout = true;
    int scaleWidth = width();
    int scaleHeight = height();
    pos = std::max(std::min(pos, scaleHeight - kPaneMargin), kPaneMargin);
    Picture1->setGeometry(0, 0, scaleWidth, pos);
    imgSplitter2->setGeometry(0, pos, scaleWidth, kGripHeight);
    int labelTop = pos + kGripHeight;
    Label1->setGeometry(0, labelTop, scaleWidth, Label1->height());
    int listTop = labelTop + Label1->height();
    int listHeight = scaleHeight > listTop ? scaleHeight - listTop : List1->height();
    List1->setGeometry(0, listTop, scaleWidth, listHeight);
    InLayout = false;
}

void FolderGUI::SplitterMoved()
{
    if (ListCount() > 0) {
        ThumbDisplay(SelectedPath(), true);
    }
}

void FolderGUI::Form_Resize()
{
    if (!InLayout && isVisible()) {
        SizePanes(picSplitter2->y());
    }
}

void FolderGUI::resizeEvent(QResizeEvent *event)
{
    ToolWindow::resizeEvent(event);
    Form_Resize();
}

// ---- opening and closing ----

void FolderGUI::Forget()
{
    if (Browser().window == this) {
        Browser().window = nullptr;
    }
}

FolderGUI *FolderWindow()
{
    return Browser().window;
}

void ShowFolderGUI(QWidget &owner, platform::MenuItem &viewItem, bool show)
{
    if (FolderGUI *window = ShowSplitToolWindow(Browser().window, owner, viewItem, show, Placement)) {
        window->ThumbDisplay(window->SelectedPath());
    }
}

void ConnectFolderBrowser(QWidget &owner)
{
    UnloadWithOwner(owner, FolderWindow);
}

void ShowFolderInBrowser(const std::string &folder)
{
    FolderGUI *window = FolderWindow();
    if (!window || MainWindow().Settings().FolderToolBoxVisible != 1 || window->Busy()) {
        return;
    }
    MainWindow().Settings().BrowserFolder = NormalFolder(folder);
    window->SetDirectory();
}

const std::string &ListedFolder()
{
    return Browser().listedFolder;
}

void ResetFolderBrowserForTest()
{
    Browser().listedFolder.clear();
}

}  // namespace toolwindows
