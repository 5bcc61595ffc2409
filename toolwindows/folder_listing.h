// What the file browser lists: the drawings, clips and pictures of one folder as entry texts
// (marker, type code, "| ", name), sorted by type, and the folder and file names it works with.
#pragma once

#include "platform/base/file_names.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace toolwindows {

// A folder in the one form the browser compares (platform/base/file_names.h).
using platform::NormalFolder;

// The folder, "/" when it does not end in one, and the name.
std::string JoinFolder(const std::string &folder, const std::string &name);

// The type code of a listed file by its extension in any case ("QLK", "BMP", "JPG", "PNG", "QKC",
// "WMF", "SVG"); "" for a file the browser does not list.
QString TypeCodeOf(const std::string &name);

// The names of the listed files of the folder, sorted by name.
std::vector<std::string> ListFolderFiles(const std::string &folder);

// A row of the list: its text and the file's name as the bytes on disk. A name that is not valid
// UTF-8 shows with replacement characters; commands use the bytes, so they reach that very file.
struct FolderEntry {
    QString text;
    std::string name;
};

// One entry per name: a drawing's marker tells whether it has a pending-change backup; the
// entries sorted by type code, names of one type kept in their order.
std::vector<FolderEntry> BuildEntries(const std::vector<std::string> &names);

// The file name of an entry: the text after its last "| "; "" without one.
QString EntryFileName(const QString &entry);

// The copy of a file: its name with "_1", "_2", ... before the extension, the first one free.
std::string CopyTargetPath(const std::string &source);

}  // namespace toolwindows
