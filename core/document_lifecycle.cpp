#include "core/document_lifecycle.h"

#include "core/backup_file.h"
#include "core/document.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "core/host.h"
#include "core/path_builder.h"
#include "core/stored_paths.h"
#include "platform/base/file_names.h"

#include <QString>


namespace core {
namespace {

DocumentLifecycle g_lifecycle;

constexpr char kModifiedMark[] = " *";
constexpr size_t kModifiedMarkLength = sizeof(kModifiedMark) - 1;
constexpr char kUntitledCaption[] = "(新規) - Quillark";

// Paths longer than this many characters are shown shortened in the recent-file menu.
constexpr qsizetype kRecentDisplayLength = 32;
constexpr qsizetype kRecentHeadLength = 3;
constexpr qsizetype kRecentTailLength = 30;

bool EndsWithModifiedMark(const std::string &caption)
{
    return caption.size() >= kModifiedMarkLength
           && caption.compare(caption.size() - kModifiedMarkLength, kModifiedMarkLength, kModifiedMark) == 0;
}

// The path as the menu shows it: its first 3 characters, "..." and its last 30 when it is long.
std::string RecentDisplayText(const std::string &path)
{
    std::u32string characters = QString::fromStdString(path).toStdU32String();
    if (static_cast<qsizetype>(characters.size()) <= kRecentDisplayLength) {
        return path;
    }
    std::u32string shortened = characters.substr(0, kRecentHeadLength) + U"..."
                               + characters.substr(characters.size() - kRecentTailLength);
    return QString::fromStdU32String(shortened).toStdString();
}

// A menu caption shows "&" only doubled; a single one would make the next character an access key.
std::string MenuCaptionText(const std::string &text)
{
    std::string caption;
    for (char c : text) {
        caption += c;
        if (c == '&') {
            caption += '&';
        }
    }
    return caption;
}

// The canvas settings a drawing file holds go back to their defaults; the others are kept.
void ResetFileSettings(CanvasSettings &settings)
{
    const CanvasSettings defaults;
    settings.Width = defaults.Width;
    settings.Height = defaults.Height;
    settings.BackColorR = defaults.BackColorR;
    settings.BackColorG = defaults.BackColorG;
    settings.BackColorB = defaults.BackColorB;
    settings.OptimizeFlag = defaults.OptimizeFlag;
    settings.OptimizePoint = defaults.OptimizePoint;
    settings.OptimizeLine = defaults.OptimizeLine;
    settings.Quality = defaults.Quality;
    settings.BackgroundFlag = defaults.BackgroundFlag;
    settings.BackgroundFile = defaults.BackgroundFile;
    settings.BackgroundX = defaults.BackgroundX;
    settings.BackgroundY = defaults.BackgroundY;
    settings.BackgroundScale = defaults.BackgroundScale;
    settings.BackgroundOpacity = defaults.BackgroundOpacity;
}

// Reads the drawing into the document and the canvas settings; false (both untouched, the reason
// for the user in message) when the file cannot be read.
bool LoadDrawingIntoDocument(const std::string &path, std::string &message)
{
    Document &doc = Doc();
    DrawingFileContents contents;
    contents.Settings = doc.CurrentSettings;
    if (!ReadDrawingFile(path, contents, message)) {
        return false;
    }
    doc.CurrentSettings = std::move(contents.Settings);
    ClampCanvasSize(doc.CurrentSettings);
    doc.DocPaths = std::move(contents.Paths);
    if (doc.DocPaths.empty()) {
        doc.DocPaths.emplace_back();
    }
    return true;
}

}  // namespace

DocumentLifecycle &Lifecycle()
{
    return g_lifecycle;
}

void ResetLifecycleForTest()
{
    g_lifecycle = DocumentLifecycle();
}

void NewDocument()
{
    Document &doc = Doc();
    doc.DocPaths.assign(1, PathRecord());
    AbandonPathInProgress();  // the drawing it belonged to is gone
    ClearHistory();
    doc.SelectedAnchors.assign(1, AnchorRef());
    g_lifecycle.CurrentFileName.clear();
    GetHost().SetMainCaption(kUntitledCaption);
    SetModified(false);
}

bool OpenDrawingFile(const std::string &path)
{
    NewDocument();
    g_lifecycle.CurrentFileName = path;
    SetNamedCaption(path);

    Host &host = GetHost();
    std::string message;
    const bool good = LoadDrawingIntoDocument(path, message);
    if (!good) {
        host.ShowErrorMessage(message, "ファイルオープンエラー");
        NewDocument();
        ResetFileSettings(Doc().CurrentSettings);
    }
    RemoveEmptyPaths(Doc().DocPaths);
    host.ReloadCanvas();
    StartHistoryWithDocument();
    if (good) {
        RecordHistory();
        host.ShowFolderInBrowser(platform::GetFolderPart(g_lifecycle.CurrentFileName));
    }
    SetModified(false);
    AddRecentFile(path);
    return good;
}

bool SaveDrawingFile(const std::string &path)
{
    const Document &doc = Doc();
    Host &host = GetHost();
    std::string message;
    if (!WriteDrawingFile(path, doc.DocPaths, doc.DocPathCount(), doc.CurrentSettings, message)) {
        host.ShowStatus("ファイルを保存できませんでした。");
        host.ShowErrorMessage(message, "ファイル保存エラー");
        return false;
    }
    DeletePendingChange(path);
    host.ShowFolderInBrowser(platform::GetFolderPart(path));
    host.ShowStatus(NoteStoredPath(doc.CurrentSettings.BackgroundFile)
                        ? std::string("ファイルを保存しました。")
                        : std::string("ファイルを保存しました。") + kUnderlayPathNotStored);
    SetModified(false);
    return true;
}

void SetNamedCaption(const std::string &path)
{
    GetHost().SetMainCaption("[ " + platform::GetFileNamePart(path) + " ] - Quillark");
}

void SetModified(bool flag)
{
    std::string caption = GetHost().MainCaption();
    bool marked = EndsWithModifiedMark(caption);
    if (flag && !marked) {
        caption += kModifiedMark;
    } else if (!flag && marked) {
        caption.resize(caption.size() - kModifiedMarkLength);
    }
    GetHost().SetMainCaption(caption);
    g_lifecycle.DocModified = flag;
}

void AddRecentFile(const std::string &path)
{
    auto &recent = g_lifecycle.RecentFiles;
    int a = kRecentFileSlots;
    for (int j = 1; j <= kRecentFileSlots; ++j) {
        if (recent[static_cast<size_t>(j)] == path) {
            a = j;
            break;
        }
    }
    for (int j = a; j >= 2; --j) {
        recent[static_cast<size_t>(j)] = recent[static_cast<size_t>(j - 1)];
    }
    recent[1] = path;
    RefreshRecentFileMenu();
}

void RefreshRecentFileMenu()
{
    Host &host = GetHost();
    host.ClearRecentFileMenu();
    int k = 0;
    for (int slot = 1; slot <= kRecentFileSlots; ++slot) {
        const std::string &path = g_lifecycle.RecentFiles[static_cast<size_t>(slot)];
        if (path.empty()) {
            continue;
        }
        host.SetRecentFileMenuItem(k, "&" + std::to_string(k + 1) + "  " + MenuCaptionText(RecentDisplayText(path)), path);
        ++k;
    }
}

}  // namespace core
