#include "toolwindows/rename_textbox.h"

#include "core/backup_file.h"
#include "core/document_lifecycle.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "platform/forms/message_box.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/folder_gui.h"
#include "toolwindows/folder_listing.h"
#include "toolwindows/main_window_link.h"

#include <QCursor>
#include <QFontMetrics>

#include <filesystem>

namespace toolwindows {
namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

}  // namespace

RenameTextbox::RenameTextbox(FolderGUI &browser)
    : QWidget(&browser, Qt::Tool | Qt::FramelessWindowHint), browser_(browser)
{
    Text1 = new platform::TextBox(this);
    connect(Text1, &platform::TextBox::KeyPress, this, &RenameTextbox::Text1_KeyPress);
    connect(Text1, &platform::TextBox::LostFocus, this, &RenameTextbox::Text1_LostFocus);
}

RenameTextbox::~RenameTextbox()
{
    // A closed one has let go of the browser already, which may be gone by now.
    if (!closed_ && browser_.renameBox_ == this) {
        browser_.renameBox_ = nullptr;
    }
}

void RenameTextbox::Open()
{
    Text1->SetText(browser_.GetFileList(browser_.ListIndex()));
    // The width of an entry's marker, type code and separator.
    int prefix = QFontMetrics(Text1->font()).horizontalAdvance(QStringLiteral("○ABC| "));
    if (browser_.width() > prefix) {
        Text1->resize(browser_.width() - prefix, Text1->sizeHint().height());
    }
    Text1->move(0, 0);
    QPoint browserOrigin = browser_.geometry().topLeft();
    setGeometry(browserOrigin.x() + prefix, QCursor::pos().y() - Text1->height(), Text1->width(), Text1->height());
    orgFn = browser_.SelectedPath();
    orgDir = JoinFolder(MainWindow().Settings().BrowserFolder, "");
    show();
    activateWindow();
    Text1->setFocus();
    Text1->selectAll();
}

void RenameTextbox::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == kKeyEscape) {
        Text1_LostFocus();
    } else if (keyAscii == kKeyEnter) {
        Rename();
    }
}

void RenameTextbox::Text1_LostFocus()
{
    if (renaming_) {
        return;  // the message about an existing name took the focus
    }
    Text1->SetText(QString());
    CloseBox();
}

void RenameTextbox::Rename()
{
    std::string text = Text1->Text().toStdString();
    // A name that would leave the folder is not a name: the box stays open.
    if (text.empty() || text.find('/') != std::string::npos || closed_) {
        return;
    }
    std::string target = orgDir + text;
    std::string extension = platform::GetExtensionPart(orgFn);
    if (platform::GetExtensionPart(target) != extension) {
        target += "." + extension;
    }
    std::error_code error;
    if (std::filesystem::exists(target, error) || std::filesystem::is_symlink(target, error)) {
        renaming_ = true;
        platform::MsgBox(QStringLiteral("既に同じ名前のファイルが存在しています。"), platform::kMbCritical,
                         QStringLiteral("Quillark"), this);
        renaming_ = false;
        browser_.SetDirectory();
        CloseBox();
        return;
    }
    std::filesystem::rename(orgFn, target, error);
    if (error) {
        return;
    }
    // The drawing's pending change follows it to the new name.
    std::string oldBackup = core::BackupFilePath(orgFn);
    std::string newBackup = core::BackupFilePath(target);
    std::error_code ignored;
    if (std::filesystem::exists(oldBackup, ignored) && !std::filesystem::exists(newBackup, ignored)) {
        platform::ClaimProgramFile(platform::GetFileNamePart(newBackup));
        std::filesystem::rename(oldBackup, newBackup, ignored);
    }
    browser_.SetDirectory();
    CloseBox();
}

void RenameTextbox::CloseBox()
{
    if (closed_) {
        return;
    }
    closed_ = true;
    if (browser_.renameBox_ == this) {
        browser_.renameBox_ = nullptr;
    }
    hide();
    deleteLater();
}

}  // namespace toolwindows
