// Placeholder until the preview movie and window are built: no movie, no window.
#include "toolwindows/animation_preview.h"

namespace toolwindows {

void MakePreviewMovie(const std::string &, int32_t &width, int32_t &height, int, const PreviewRows &)
{
    width = 0;
    height = 0;
}

void UnloadPreviewWindow() {}

void ShowPreviewWindow(const std::string &, int32_t, int32_t, QWidget *) {}

}  // namespace toolwindows
