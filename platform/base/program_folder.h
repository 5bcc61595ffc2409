// The program folder: where settings, data files, backups and temporary movies live.
#pragma once

#include <string>

namespace platform {

// $QUILLARK_HOME when set; else the executable's folder when it is writable; else
// $XDG_DATA_HOME/quillark (~/.local/share/quillark). Created when missing. Ends without a slash.
std::string ProgramFolder();

// A file in the program folder.
std::string ProgramFile(const std::string &name);

}  // namespace platform
