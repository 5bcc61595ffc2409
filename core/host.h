// The engine's only way up into the windows. The main window installs the real host at start-up;
// tests install a recording fake. Every call has a do-nothing default.
#pragma once

#include <string>

namespace platform {
class MoviePlayer;
}

namespace core {

class Host {
public:
    virtual ~Host() = default;

    // Path list window: the selection marks changed.
    virtual void RefreshSelect() {}
    // Main window panels: the selection's position and size, and its gradient.
    virtual void RefreshPosition() {}
    virtual void RefreshGradient() {}

    // Document lifecycle and undo history.
    // The main window's caption, read and written whole.
    virtual std::string MainCaption() const { return {}; }
    virtual void SetMainCaption(const std::string &) {}
    // Recent-file menu: destroy items 1.., give item 0 the caption "(なし)" and disable it.
    virtual void ClearRecentFileMenu() {}
    // Recent-file menu: item `index` (created when above 0) gets the caption, is enabled and its
    // tag is the path it opens.
    virtual void SetRecentFileMenuItem(int /*index*/, const std::string & /*caption*/,
                                       const std::string & /*path*/) {}
    // The main window's status line.
    virtual void ShowStatus(const std::string &) {}
    // A message box with the error icon and an OK button.
    virtual void ShowErrorMessage(const std::string & /*text*/, const std::string & /*title*/) {}
    // Path list window: rewrite the rows from the document.
    virtual void RefreshList() {}
    // The drawing was replaced: empty the canvas movie's cached underlay, grid and background
    // tags, rebuild the canvas movie and show it.
    virtual void ReloadCanvas() {}
    // When the file browser is open: make it list this folder again (its BrowserFolder).
    virtual void ShowFolderInBrowser(const std::string &) {}
    // The folder whose drawings have pending changes: the one the file browser lists (kept while
    // the browser is closed); "" before it lists any.
    virtual std::string PendingChangeFolder() const { return {}; }
    // Canvas movie: the main window's check boxes "show underlay" (Check3), "underlay in front"
    // (Check4) and "show grid" (Check5), and the canvas player the movie is handed to.
    virtual bool UnderlayChecked() const { return false; }
    virtual bool UnderlayInFrontChecked() const { return false; }
    virtual bool GridChecked() const { return false; }
    virtual platform::MoviePlayer *CanvasPlayer() { return nullptr; }

    // Brush list: the main window's brush menu and the brush palette show the list anew.
    virtual void RefreshBrushMenu() {}
    virtual void SetupBrushList() {}
};

// The installed host (a do-nothing one when none is installed).
Host &GetHost();

// Installs a host; nullptr puts the do-nothing one back. The caller keeps ownership.
void SetHost(Host *host);

}  // namespace core
