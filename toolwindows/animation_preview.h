// The animation preview: a movie built from the drawings selected in the file browser, one frame
// per drawing or morphing from each drawing to the next, played in its own window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace toolwindows {

// The file browser's rows as the preview reads them.
struct PreviewRows {
    std::string folder;               // the folder listed
    std::vector<std::string> names;   // the file name of every row, selected or not
    std::vector<bool> selected;       // one flag per row
};

// How the preview plays: its frame rate and the frames of each morph from a drawing to the next.
struct PreviewPace {
    float FramesPerSecond;
    int32_t MorphFrames;
};

// Writes the preview movie to `path` from the selected rows (mode 0 one frame per drawing, 1 morph).
// width and height receive the movie size in pixels, 0 when no selected row is a drawing.
void MakePreviewMovie(const std::string &path, int32_t &width, int32_t &height, int mode,
                      const PreviewRows &rows, const PreviewPace &pace);

// Closes the preview window when one is open.
void UnloadPreviewWindow();

// Opens a fresh preview window playing the movie at `path` with its player sized width x height
// pixels, modeless, owned by `owner`, focused and with its timer running.
void ShowPreviewWindow(const std::string &path, int32_t width, int32_t height, QWidget *owner);

}  // namespace toolwindows
