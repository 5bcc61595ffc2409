// The program folder: where settings, data files, backups and temporary movies live.
#pragma once

#include <memory>
#include <set>
#include <string>

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

// Files in the program folder that this running program owns (its pending-change backups) are
// listed, one name a line, in a claim file of its own, "_owner-<pid>.lock", which it holds locked
// for as long as it runs: the lock goes with the process however it ends, so a claim file whose
// lock is free is left by a program that ended. Claims the name for this program.
void ClaimProgramFile(const std::string &name);

// The names other running programs claim. The claim files of programs that ended are removed.
std::set<std::string> ClaimedByOtherPrograms();

// A lock file in the program folder, taken for as long as this object lives. A second program
// started on the same folder finds it held by the first (even an hour later); the lock goes with
// its process however that ends, so a program that ended never holds the folder.
class ProgramFolderLock {
public:
    ProgramFolderLock();
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock &) = delete;
    ProgramFolderLock &operator=(const ProgramFolderLock &) = delete;

    // Whether this program holds the folder (false: another one runs on it).
    bool Held() const;

private:
    std::string name_;
    int fd_ = -1;
};

}  // namespace platform
