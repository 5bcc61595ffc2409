// The Open and Save As dialogs. The caller fills a record (owner, filter, proposed name, initial
// folder, default extension); the dialog hands the chosen full path back in it. Tests answer the
// dialogs through a hook instead of showing them.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class QWidget;

namespace platform {

// Flags of the dialog record.
enum OpenFileNameFlags : uint32_t {
    kOfnOverwritePrompt = 0x2,  // ask before an existing file is replaced
    kOfnHideReadOnly = 0x4,     // no read-only check box
    kOfnExplorer = 0x80000,     // explorer-style dialog
};

struct OpenFileName {
    QWidget *hwndOwner = nullptr;
    // Pairs of description and pattern, each followed by a NUL, the whole ended by one more NUL.
    // A pattern may hold several wildcards separated by ';'.
    QString lpstrFilter;
    // 1-based filter shown first (0 = the first); afterwards the filter the user chose.
    int32_t nFilterIndex = 0;
    // In: the proposed name (NULs end it; may be empty). Out: the chosen full path.
    QString lpstrFile;
    // Out: the chosen name without its folder.
    QString lpstrFileTitle;
    QString lpstrInitialDir;
    // Empty: the dialog's own title.
    QString lpstrTitle;
    uint32_t Flags = 0;
    // Added to a name typed without an extension; without the dot.
    QString lpstrDefExt;
};

struct FileFilter {
    QString description;
    QString pattern;
};

// The filter string of the pairs: description NUL pattern NUL ... NUL.
QString MakeFilterString(std::initializer_list<FileFilter> filters);
// The pairs of a filter string; a trailing description without a pattern is dropped.
std::vector<FileFilter> SplitFilterString(const QString &filter);
// The filter as the dialog lists it and matches files: the description whose bracketed patterns
// are separated by blanks (appended in brackets when the description does not show them).
QString NameFilterText(const FileFilter &filter);

// Shows the Open dialog (the caller's flags plus explorer style without the read-only box).
// Non-zero when the user confirmed a name, 0 on Cancel.
int32_t ShowOpenDialog(OpenFileName &record);
// Shows the Save As dialog (explorer style, asking before an existing file is replaced).
int32_t ShowSaveDialog(OpenFileName &record);

enum class FileDialogKind { Open, Save };

// The hook gets the completed record, sets lpstrFile to the answer and returns non-zero for a
// confirmed name or 0 for Cancel. An empty hook shows the dialogs again.
using FileDialogHook = std::function<int32_t(FileDialogKind, OpenFileName &)>;
void SetFileDialogHook(FileDialogHook hook);

}  // namespace platform
