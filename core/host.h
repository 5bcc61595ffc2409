// The engine's only way up into the windows. The main window installs the real host at start-up;
// tests install a recording fake. Every call has a do-nothing default.
#pragma once

namespace core {

class Host {
public:
    virtual ~Host() = default;

    // Path list window: the selection marks changed.
    virtual void RefreshSelect() {}
    // Main window panels: the selection's position and size, and its gradient.
    virtual void RefreshPosition() {}
    virtual void RefreshGradient() {}

    // Brush list: the main window's brush menu and the brush palette show the list anew.
    virtual void RefreshBrushMenu() {}
    virtual void SetupBrushList() {}
};

// The installed host (a do-nothing one when none is installed).
Host &GetHost();

// Installs a host; nullptr puts the do-nothing one back. The caller keeps ownership.
void SetHost(Host *host);

}  // namespace core
