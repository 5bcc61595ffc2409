// The canvas movie and a still player, offered to core's commands (the bucket's trace, a finished
// stroke) through core::CanvasServices.
#pragma once

namespace movie {

// Installs the services; done once at start-up (tests: in their fixtures).
void InstallCanvasServices();

}  // namespace movie
