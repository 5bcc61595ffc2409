// What core's commands need of the canvas movie and its player, which are built above core: the
// canvas movie written anew, its kept grid and background-colour tags forgotten, its frame size
// and a still render of it. The program installs the real services at start-up; tests install
// them in their fixtures. The defaults write and render nothing.
#pragma once

#include <QImage>

#include <cstdint>

namespace core {

class CanvasServices {
public:
    virtual ~CanvasServices() = default;

    // Writes the canvas movie of the document and hands it to the canvas player.
    virtual void MakeCanvasMovie() {}
    // The canvas movie's kept grid and background-colour tags are built anew on the next write.
    virtual void ClearGridCache() {}
    virtual void ClearBackColorCache() {}
    // Renders the canvas movie last written over the whole bitmap (the whole view extent, past the
    // movie's frame too), without anti-aliasing and over white; false when nothing was rendered.
    virtual bool RenderCanvasMovie(QImage & /*bitmap*/) { return false; }
};

// The installed services (do-nothing ones when none are installed).
CanvasServices &GetCanvasServices();

// Installs services; nullptr puts the do-nothing ones back. The caller keeps ownership.
void SetCanvasServices(CanvasServices *services);

}  // namespace core
