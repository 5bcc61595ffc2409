// Turning the selected paths in depth: about three axes through the centre of their frame, then
// projected back onto the canvas, nearer parts drawn larger.
#pragma once

namespace canvastools {

// Starting again from the path snapshot each time: turns every selected path (anchors and
// gradient centre) by deg1 about the viewing axis, deg2 about the vertical and deg3 about the
// horizontal axis (degrees) about the centre of the snapshot's selection frame, with a
// perspective of ps percent (0 none, 100 full). The gradient angle gains deg1. HandlePoints
// then hold the transformed frame (the centre handle stays).
void PathTransform3D(float deg1, float deg2, float deg3, float ps);

}  // namespace canvastools
