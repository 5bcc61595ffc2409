// The overlay drawn on the canvas picture after each redisplay: the selected paths' edges with
// their frame and handles (select tool), the selected anchors (anchor edit tool) and the rubber
// band; plus the handle points, the handle hit test, band selection of paths and anchors and
// the selected-anchor list operations. Lines and bands are drawn inverted, so drawing one twice
// restores the picture; markers and handle boxes are drawn over it.
#pragma once

#include "canvastools/canvas_input_state.h"
#include "core/path_record.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace canvastools {

constexpr int32_t kNoHandle = kNoDragOrigin;

// Whether i names a path of the document (1 .. path count).
bool IsPathIndex(int32_t i);
// The first selected path in drawing order, 0 when none is selected.
int32_t FirstSelectedPath();

// The frame of every selected path of two anchors or more into HandlePoints (row by row, 4 the
// centre) and SelectedPathCount. Nothing selected leaves the corners at +-16777215.
void CalcSelectedRect();
// Whether the frame CalcSelectedRect found last is that of the selection as it is now.
bool SelectionFrameCurrent();
// After every selected path moved by (dx, dy) twips while the frame was current: the frame moves
// along and stays current, unless an anchor may have been held at the end of the range.
void MoveSelectionFrame(int32_t dx, int32_t dy);
// 1 + index of the last handle other than the centre closer than 60/zoom twips, or 0.
int32_t HitTestHandle(int32_t x, int32_t y);

// Marker radius of a path's anchors in picture pixels.
float AnchorRadius(int32_t lineWidth);

// The frame through the corner handles and a box at every handle but the centre.
void DrawSelectedEdgeSub();
// Handle drawing at twip points: an inverted line, 5 x 5 pixel boxes (black outline, white fill)
// and a disc of the given pixel radius (black outline, fill 0x00BBGGRR).
void DrawInvertedLine(const Point32 &from, const Point32 &to);
void DrawHandleBoxes(std::initializer_list<Point32> points);
void DrawHandleDisc(const Point32 &centre, int radius, uint32_t fill);
// A path's edge from anchor to anchor (markers only, when markersOnly); keepPicture false shows
// the canvas afresh first.
void DrawPathEdge(int32_t path, bool keepPicture, bool markersOnly);
// state 0 black, 1 red, 2 blue (the last two with a two-pixel pen); with path2 > 0 also a line to
// the second anchor and its marker.
void DrawAnchorMarker(int32_t path, int32_t anchor, int32_t path2, int32_t anchor2, int16_t state);
void DrawSelectedAnchors();
// mode 3 draws nothing; mode 2 keeps HandlePoints as they are (a rotated or skewed frame).
void DrawSelectedPaths(int16_t mode);
// The current tool's overlay after the canvas image (called by the main window's display).
void DrawToolOverlay(int16_t flag);
// Lets go of the room the overlay keeps for drawing the next selection (for a window left idle).
void ReleaseOverlayRoom();
// A dotted inverted rectangle between the two corners (twips).
void DrawSelectionBand(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Hover feedback over a canvas shown afresh: handle n (1..9) of HandlePoints marked by an
// inverted 7 x 7 pixel square, or a path's edge in a two-pixel pen. Either leaves
// HighlightShown set; WipeHighlight shows the canvas afresh when a highlight is on it.
void HighlightHandle(int32_t n);
void HighlightPathEdge(int32_t path);
void WipeHighlight();
// The hover of the handle tools: HitPath2 := the handle under the point, else HitPath := the
// path findPath gives there (0 for none), each highlighted; nothing found wipes the highlight.
void HoverHandleOrPath(int32_t x, int32_t y, int32_t (*findPath)(int32_t x, int32_t y));

// Selects every path with an anchor inside the band, with its group. Not final: only shows the
// selection with the band and leaves the document's selection as it was.
void SelectPathsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool final);
// Toggles the band's anchors in SelectedAnchors; not final: only shows the result with the band.
void SelectAnchorsInRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool final);
// For each of the first count pairs: removed from SelectedAnchors when there, else appended.
void ToggleAnchorList(const std::vector<core::AnchorRef> &pairs, int32_t count);
// An absent pair is appended; a present one is removed only when remove is true.
void ToggleSelectedAnchor(int32_t path, int32_t anchor, bool remove);

}  // namespace canvastools
