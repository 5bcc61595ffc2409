// The program folder: where settings, data files, backups and temporary movies live.
#pragma once

#include <memory>
#include <string>

class QLockFile;

namespace platform {

// $QUILLARK_HOME when set; else the executable's folder when it is writable; else
// $XDG_DATA_HOME/quillark (~/.local/share/quillark). Created when missing. Ends without a slash.
std::string ProgramFolder();

// A file in the program folder.
std::string ProgramFile(const std::string &name);

// The temporary movies every running program keeps in the program folder: the canvas movie and
// the animation preview's movie.
inline constexpr char kCanvasMovieName[] = "_canvtemp.tmp";
inline constexpr char kPreviewMovieName[] = "_preview.swf";

// This running program's own copy of a file in the program folder: the process id goes before the
// extension ("_canvtemp.tmp" -> "_canvtemp-1234.tmp"), so programs sharing the folder never write
// or show each other's temporary files.
std::string InstanceFile(const std::string &name);

// Removes the copies of name (as InstanceFile makes them) whose program no longer runs; the copies
// of running programs stay. Returns how many were removed.
int RemoveStaleInstanceFiles(const std::string &name);

// A lock file in the program folder, taken for as long as this object lives. A second program
// started on the same folder finds it held by the first (even an hour later); a lock left by a
// program that ended without releasing it is taken over.
class ProgramFolderLock {
public:
    ProgramFolderLock();
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock &) = delete;
    ProgramFolderLock &operator=(const ProgramFolderLock &) = delete;

    // Whether this program holds the folder (false: another one runs on it).
    bool Held() const;

private:
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace platform
