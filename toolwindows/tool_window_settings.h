// The settings the tool windows keep: the placements of the path list and the file browser, the
// preview window's place, the folder the browser lists and how the animation preview plays. The
// main window keeps them with its other settings and reads and writes them with its settings file.
#pragma once

#include <cstdint>
#include <string>

namespace toolwindows {

struct ToolWindowSettings {
    // Frames in twips, splitter tops in pixels, open (1) at the next start or not (0).
    int32_t PathToolBoxLeft = 9000, PathToolBoxTop = 1500, PathToolBoxWidth = 4200, PathToolBoxHeight = 6000;
    int32_t PathToolBoxSplitter = 150, PathToolBoxVisible = 0;
    int32_t FolderToolBoxLeft = 9000, FolderToolBoxTop = 1500, FolderToolBoxWidth = 4800, FolderToolBoxHeight = 7200;
    int32_t FolderToolBoxSplitter = 200, FolderToolBoxVisible = 0;
    int32_t PreviewWindowLeft = 1500, PreviewWindowTop = 1500;
    std::string BrowserFolder;
    float PreviewFPS = 12;
    int32_t PreviewMorphFrame = 20;
};

}  // namespace toolwindows
