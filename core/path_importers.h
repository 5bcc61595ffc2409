// The readers of foreign drawing files (SVG, Windows metafiles) the clipboard loads paths from;
// they are built above core. The program installs the real readers at start-up; tests install
// them in their fixtures. The defaults read nothing.
#pragma once

#include "core/path_record.h"

#include <string>

namespace core {

class PathImporters {
public:
    virtual ~PathImporters() = default;

    // The paths of an SVG file (compressed or not); false when it cannot be read.
    virtual bool ReadSvgFile(const std::string & /*path*/, PathCollection & /*paths*/) { return false; }
    // The paths of a metafile's bytes; none when they cannot be read.
    virtual PathCollection ReadMetafile(const std::string & /*bytes*/) { return {}; }
};

// The installed readers (do-nothing ones when none are installed).
PathImporters &GetPathImporters();

// Installs readers; nullptr puts the do-nothing ones back. The caller keeps ownership.
void SetPathImporters(PathImporters *importers);

}  // namespace core
