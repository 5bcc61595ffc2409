// The main window as the tool windows see it: the settings they keep with its own, the shape
// groups its canvas player shares, the canvas redraw, the status line, the underlay box, its Edit
// commands and key shortcuts, and what follows a pop-up menu. The tool windows reach the main
// window through nothing else. The main window installs the real link when it is built; without
// it every call does nothing and the settings are a default set of the link's own.
#pragma once

#include "toolwindows/tool_window_settings.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {
class GroupCache;
}

namespace toolwindows {

// The main window's Edit commands the tool windows run.
enum class EditCommand : size_t { kUndo, kRedo, kCopy, kCut, kDelete };

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // The settings the tool windows keep with the main window's own.
    virtual ToolWindowSettings &Settings();
    // The shape groups of the canvas player, for players that show the same paths (none: a
    // player keeps its own).
    virtual std::shared_ptr<platform::GroupCache> PlayerGroups() { return nullptr; }

    // Redraws the canvas: 0 clears the picture and resets the scroll ranges first, above 0 only
    // clears the bands around the image.
    virtual void DispShape(int16_t /*flag*/) {}
    // After a drawing was opened: the view takes the drawing's canvas (scroll ranges, layout).
    virtual void FormResizeSub() {}
    // Asks about a modified drawing: 1 when the user cancelled, 0 to go on.
    virtual int16_t ConfirmModify() { return 0; }
    // The status line's text, read and put back as it was.
    virtual QString StatusText() const { return {}; }
    virtual void SetStatusText(const QString & /*text*/) {}
    // Ticks the "show underlay" box when it is not ticked (its click handler runs).
    virtual void ShowUnderlay() {}
    // Runs an Edit command as its menu item does.
    virtual void RunEditCommand(EditCommand /*command*/) {}
    // A key released in a tool window: the main window's shortcuts (Windows key code, shift state).
    virtual void Form_KeyUp(int /*keyCode*/, int /*shift*/) {}
    // A pop-up menu was shown: the key release that closes it is no shortcut.
    virtual void PopupMenuShown() {}
};

// The installed link (a do-nothing one when none is installed).
MainWindowLink &MainWindow();

// Installs the link; nullptr puts the do-nothing one back. The caller keeps ownership.
void SetMainWindow(MainWindowLink *link);

}  // namespace toolwindows
