#include "core/document_lifecycle.h"

#include "core/document.h"
#include "core/history.h"
#include "core/host.h"

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
    ClearHistory();
    doc.SelectedAnchors.assign(1, AnchorRef());
    g_lifecycle.CurrentFileName.clear();
    GetHost().SetMainCaption(kUntitledCaption);
    SetModified(false);
}

void SetNamedCaption(const std::string &path)
{
    GetHost().SetMainCaption("[ " + GetFileNamePart(path) + " ] - Quillark");
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
        host.SetRecentFileMenuItem(k, "&" + std::to_string(k + 1) + "  " + RecentDisplayText(path), path);
        ++k;
    }
}

std::string GetFolderPart(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string GetFileNamePart(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetExtensionPart(const std::string &path)
{
    size_t mark = path.find_last_of("./");
    if (mark == std::string::npos || path[mark] == '/') {
        return {};
    }
    return path.substr(mark + 1);
}

}  // namespace core
