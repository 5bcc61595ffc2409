#include "toolwindows/select_folder_gui.h"

#include "platform/base/file_names.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/main_window_link.h"

#include <QCursor>
#include <QDir>
#include <QEvent>

#include <algorithm>
#include <filesystem>

namespace toolwindows {
namespace {

constexpr int kChooserHeight = 240;
const char *const kParentRow = "..";

}  // namespace

SelectFolderGUI::SelectFolderGUI(FolderGUI &browser) : QWidget(&browser, Qt::Tool), browser_(browser)
{
    setWindowTitle(QStringLiteral("フォルダの選択"));
    Drive1 = new QComboBox(this);
    Drive1->addItem(QStringLiteral("/"));
    std::string home = NormalFolder(QDir::homePath().toStdString());
    if (home != "/") {
        Drive1->addItem(QString::fromStdString(home));
    }
    Dir1 = new QListWidget(this);
    keyPreview_ = new platform::KeyPreview(this);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &SelectFolderGUI::Drive1_Change);
    connect(Dir1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { Dir1_Click(Dir1->row(item)); });
    connect(keyPreview_, &platform::KeyPreview::KeyDown, this, &SelectFolderGUI::Form_KeyDown);
    resize(browser.width(), kChooserHeight);
}

SelectFolderGUI::~SelectFolderGUI()
{
    // A closed one has let go of the browser already, which may be gone by now.
    if (!closed_ && browser_.folderChooser_ == this) {
        browser_.folderChooser_ = nullptr;
    }
}

int SelectFolderGUI::DriveOf(const std::string &folder) const
{
    for (int i = Drive1->count() - 1; i > 0; --i) {
        std::string drive = Drive1->itemText(i).toStdString();
        if (folder == drive || folder.rfind(drive + "/", 0) == 0) {
            return i;
        }
    }
    return 0;
}

void SelectFolderGUI::Open()
{
    std::string folder = MainWindow().Settings().BrowserFolder;
    driveIndex_ = DriveOf(folder);
    {
        QSignalBlocker blocker(Drive1);
        Drive1->setCurrentIndex(driveIndex_);
    }
    if (!SetDirPath(folder)) {
        SetDirPath(Drive1->itemText(driveIndex_).toStdString());
    }
    QRect frame = browser_.frameGeometry();
    setGeometry(frame.left(), QCursor::pos().y(), browser_.width(), height());
    platform::KeepInsideWorkArea(this);
    show();
    activateWindow();
}

bool SelectFolderGUI::SetDirPath(const std::string &folder)
{
    std::string normal = NormalFolder(folder);
    // The names as the bytes on disk: one that is not valid UTF-8 can still be entered.
    std::vector<std::string> subfolders;
    std::error_code error;
    std::filesystem::directory_iterator it(normal, error);
    for (std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored)) {
            subfolders.push_back(it->path().filename().string());
        }
    }
    if (error) {
        return false;
    }
    std::sort(subfolders.begin(), subfolders.end());
    dirPath_ = normal;
    Dir1->clear();
    Dir1->addItem(QString::fromStdString(normal));
    if (normal != "/") {
        Dir1->addItem(QString::fromLatin1(kParentRow));
    }
    for (const std::string &name : subfolders) {
        auto *item = new QListWidgetItem(QString::fromStdString(name), Dir1);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
    Dir1->setCurrentRow(0);
    return true;
}

void SelectFolderGUI::Drive1_Change(int index)
{
    if (index < 0) {
        return;
    }
    if (SetDirPath(Drive1->itemText(index).toStdString())) {
        driveIndex_ = index;
    } else {
        QSignalBlocker blocker(Drive1);
        Drive1->setCurrentIndex(driveIndex_);
    }
}

void SelectFolderGUI::Dir1_Click(int row)
{
    QListWidgetItem *item = Dir1->item(row);
    if (!item) {
        return;
    }
    if (row == 0) {
        Accept();
        return;
    }
    if (item->text() == QLatin1String(kParentRow) && !item->data(Qt::UserRole).isValid()) {
        SetDirPath(std::filesystem::path(dirPath_).parent_path().string());
    } else {
        SetDirPath(JoinFolder(dirPath_, item->data(Qt::UserRole).toByteArray().toStdString()));
    }
}

void SelectFolderGUI::Form_KeyDown(int keyCode, int /*shift*/)
{
    if (keyCode == platform::kVkEscape) {
        CloseChooser();
    }
}

void SelectFolderGUI::Form_Deactivate()
{
    if (isVisible()) {
        Accept();
    }
}

void SelectFolderGUI::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (isActiveWindow()) {
        wasActive_ = true;
    } else if (wasActive_) {
        Form_Deactivate();
    }
}

void SelectFolderGUI::Form_Resize()
{
    int clientWidth = width();
    Drive1->setGeometry(0, 0, clientWidth, Drive1->sizeHint().height());
    int top = Drive1->height();
    int dirHeight = height() > top ? height() - top : Dir1->height();
    Dir1->setGeometry(0, top, clientWidth, dirHeight);
}

void SelectFolderGUI::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void SelectFolderGUI::Accept()
{
    if (closed_) {
        return;
    }
    std::string folder = dirPath_;
    FolderGUI &browser = browser_;
    CloseChooser();
    if (!folder.empty()) {
        MainWindow().Settings().BrowserFolder = folder;
        browser.SetDirectory();
    }
}

void SelectFolderGUI::CloseChooser()
{
    if (closed_) {
        return;
    }
    closed_ = true;
    if (browser_.folderChooser_ == this) {
        browser_.folderChooser_ = nullptr;
    }
    hide();
    deleteLater();
}

}  // namespace toolwindows
