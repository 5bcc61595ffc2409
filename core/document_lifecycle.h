// Starting, opening and saving the one document; the recent-file list and its menu; the modified
// flag with its " *" in the main window's caption.
#pragma once

#include <array>
#include <string>

namespace core {

inline constexpr int kRecentFileSlots = 5;

struct DocumentLifecycle {
    std::string CurrentFileName;  // full path of the open drawing; "" when untitled
    bool DocModified = false;     // the document has unsaved changes
    // Slots 1 .. kRecentFileSlots, slot 1 the newest; "" marks an empty slot. Slot 0 is unused.
    std::array<std::string, kRecentFileSlots + 1> RecentFiles;
};

DocumentLifecycle &Lifecycle();

void ResetLifecycleForTest();

// An empty untitled document with an empty history and no anchor selected; the modified mark is
// cleared. Canvas settings, clipboard and display are left to the caller.
void NewDocument();

// Replaces the document by the drawing file's contents; history entries 0 and 1 hold it, the
// modified mark is cleared and the path enters the recent-file list. A file that cannot be read
// is reported, leaves an empty untitled document with the default canvas, and still enters the
// list. Returns whether the file was read.
bool OpenDrawingFile(const std::string &path);

// Writes the document whole to the file and renames it into place. Only then the drawing's
// pending-change backup is deleted, the status line reports the save and the modified mark is
// cleared; a failure is reported and keeps the mark and the old file. CurrentFileName and the
// caption's name are the caller's.
bool SaveDrawingFile(const std::string &path);

// Sets the main window's caption for a drawing file: "[ name ] - Quillark".
void SetNamedCaption(const std::string &path);

// Stores DocModified and adds or removes the caption's trailing " *" to match.
void SetModified(bool flag);

// Moves the path to slot 1 (or puts it there, dropping slot 5) and rebuilds the menu.
void AddRecentFile(const std::string &path);

// Rebuilds the recent-file menu from RecentFiles: "&1  path", "&2  path", ... for the filled slots,
// long paths shortened; a disabled "(なし)" when every slot is empty.
void RefreshRecentFileMenu();

}  // namespace core
