#include "core/memory_guard.h"

#include "core/clipboard.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/history.h"
#include "core/host.h"
#include "core/shared_paths.h"

#include <new>
#include <optional>
#include <string>

namespace core {
namespace {

// What a reading or pasting command may change, kept before it runs.
struct KeptDocument {
    HistoryState history = History();
    SharedPathArray paths = ShareDocumentPaths();
    std::vector<AnchorRef> selectedAnchors = Doc().SelectedAnchors;
    CanvasSettings settings = Doc().CurrentSettings;
    DocumentLifecycle lifecycle = Lifecycle();
    std::string caption = GetHost().MainCaption();
    int32_t clipOriginX = Clipboard().ClipOriginX;
    int32_t clipOriginY = Clipboard().ClipOriginY;
    int32_t pasteOffsetX = Clipboard().PasteOffsetX;
    int32_t pasteOffsetY = Clipboard().PasteOffsetY;

    void Restore()
    {
        Document &doc = Doc();
        // What the failed command built goes first, so that the copy back has room.
        doc.PathSnapshot.reset();
        doc.DocPaths = PathArray{PathRecord()};
        History() = std::move(history);
        paths.CopyTo(doc.DocPaths);
        if (doc.DocPaths.empty()) {
            doc.DocPaths.emplace_back();
        }
        doc.SelectedAnchors = std::move(selectedAnchors);
        doc.CurrentSettings = std::move(settings);
        Lifecycle() = std::move(lifecycle);
        ClipboardState &clip = Clipboard();
        clip.ClipOriginX = clipOriginX;
        clip.ClipOriginY = clipOriginY;
        clip.PasteOffsetX = pasteOffsetX;
        clip.PasteOffsetY = pasteOffsetY;
        Host &host = GetHost();
        host.SetMainCaption(caption);
        RefreshRecentFileMenu();
        host.ReloadCanvas();
        host.RefreshList();
        host.RefreshPosition();
        host.RefreshGradient();
    }
};

// How many commands run by RunWithinMemory are running (one may run another).
int commandsWithinMemory = 0;

struct CommandWithinMemory {
    CommandWithinMemory() { ++commandsWithinMemory; }
    ~CommandWithinMemory() { --commandsWithinMemory; }
    CommandWithinMemory(const CommandWithinMemory &) = delete;
    CommandWithinMemory &operator=(const CommandWithinMemory &) = delete;
};

void TellOutOfMemory()
{
    GetHost().ShowErrorMessage(kOutOfMemoryMessage, kOutOfMemoryTitle);
}

}  // namespace

bool RunningWithinMemory()
{
    return commandsWithinMemory > 0;
}

bool RunWithinMemory(const std::function<void()> &command)
{
    std::optional<KeptDocument> kept;
    try {
        kept.emplace();
        const CommandWithinMemory running;
        command();
        return true;
    } catch (const std::bad_alloc &) {
    }
    try {
        if (kept) {
            kept->Restore();
        }
    } catch (const std::bad_alloc &) {
        // Not even the kept drawing fits again: an empty one is better than an end without a word.
        NewDocument();
    }
    TellOutOfMemory();
    return false;
}

bool SucceedsWithinMemory(const std::function<bool()> &command)
{
    bool succeeded = false;
    return RunWithinMemory([&] { succeeded = command(); }) && succeeded;
}

bool ReadsWithinMemory(const std::function<void()> &read)
{
    try {
        read();
        return true;
    } catch (const std::bad_alloc &) {
    }
    TellOutOfMemory();
    return false;
}

}  // namespace core
